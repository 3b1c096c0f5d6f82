// Cost of repainting the editor on the headless platform: a 460 x 640 surface with the
// editor's 115 controls in its own layout (backgrounds, 128-frame knobs with value
// captions, switches, faders, peak and gain-reduction meters), drawn from bitmaps made
// in memory at the artwork's sizes, for the strip's own parameters.
//   Repaint/Full    every control dirty, the whole editor repainted (strict drawing)
//   Repaint/Meters  only the 18 meters changed, each repainted within its own rectangle
//   Repaint/OneKnob one knob and its caption turned (strict drawing)

#include "IPlug/IGraphicsHeadless.h"
#include "IPlug/controls/IBitmapControl.h"
#include "IPlug/controls/ICaptionControl.h"
#include "IPlug/controls/IFaderControl.h"
#include "IPlug/controls/IKnobMultiControl.h"
#include "IPlug/controls/ISwitchControl.h"
#include "IPlug/controls/ITextControl.h"
#include "engine/Ostrakon.h"
#include "raster/Draw.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{
// A vertical level bar with a two-pixel hold line, as the editor's peak meter draws.
struct PeakMeter : IControl
{
  PeakMeter(IPlugBase* plug, int x, int y, int w, int h) : IControl(plug, nullptr)
  {
    mRECT = IRECT(x, y, x + w, y + h);
  }
  bool Draw(IGraphics* g) override
  {
    const int h = mRECT.H(), level = (int) (GetValue() * h);
    IRECT hold(mRECT.L, mRECT.B - level - 2, mRECT.R, mRECT.B - level);
    IRECT bar(mRECT.L, mRECT.B - level, mRECT.R, mRECT.B);
    IColor holdColor(180, 255, 255, 255), barColor(255, 255, 255, 127);
    return g->FillIRect(&holdColor, &hold) && g->FillIRect(&barColor, &bar);
  }
};

// A row of one-decibel segments, as the editor's gain-reduction meter draws.
struct ReductionMeter : IControl
{
  ReductionMeter(IPlugBase* plug, int x, int y, int w, int h, int segments)
    : IControl(plug, nullptr), mSegments(segments)
  {
    mRECT = mTargetRECT = IRECT(x, y, x + w, y + h);
  }
  bool Draw(IGraphics* g) override
  {
    const int w = (mRECT.W() - mSegments) / mSegments, lit = (int) ((1.0 - GetValue()) * mSegments);
    IColor on(255, 255, 255, 255), off(255, 35, 39, 48);
    for (int j = 0; j < mSegments; ++j)
    {
      IRECT seg(mRECT.L + j * (w + 1), mRECT.T, mRECT.L + j * (w + 1) + w, mRECT.B);
      if (!g->FillIRect(lit >= mSegments - j ? &on : &off, &seg)) return false;
    }
    return true;
  }
  int mSegments;
};

// Stands for the composite knob: it draws nothing itself.
struct KnobOwner : IControl
{
  KnobOwner(IPlugBase* plug, int paramIdx, int x, int y) : IControl(plug, nullptr, paramIdx)
  {
    mRECT = IRECT(x, y, x + 42, y + 50);
    mTargetRECT = IRECT();
  }
  bool Draw(IGraphics*) override { return true; }
};

// A bitmap of n frames with some structure in it, so that blits are not all one colour.
std::unique_ptr<LICE_MemBitmap> Art(int w, int frameH, int n, uint32_t base)
{
  auto b = std::make_unique<LICE_MemBitmap>(w, frameH * n);
  for (int y = 0; y < frameH * n; ++y)
    for (int x = 0; x < w; ++x)
    {
      const uint32_t shade = (uint32_t) ((x * 3 + y * 5) & 63);
      raster::PutPixel(b.get(), x, y, base + (shade << 16) + (shade << 8) + shade);
    }
  return b;
}

class Editor
{
public:
  Editor() : mPlug(MakePlug())
  {
    mG = new IGraphicsHeadless(mPlug.get(), 460, 640);
    mMainBg = Art(460, 640, 1, 0xFF202020);
    mEqBg = Art(430, 233, 1, 0xFF303030);
    mDynBg = Art(430, 135, 1, 0xFF283038);
    mKnob = Art(42, 42, 128, 0xFF101010);
    mSwitch = Art(92, 20, 2, 0xFF404040);
    mSmallSwitch = Art(115, 7, 2, 0xFF404040);
    mArrange = Art(20, 22, 3, 0xFF505050);
    mType = Art(81, 67, 4, 0xFF505050);
    mFader = Art(10, 7, 1, 0xFF808080);

    IBitmap bg = Bmp(mMainBg, 1);
    mG->AttachControl(new IBitmapControl(mPlug.get(), 0, 0, &bg, IChannelBlend::kBlendOpaque));
    IRECT label(280, 613, 340, 633);
    IText white(10, &COLOR_WHITE);
    mG->AttachControl(new ITextControl(mPlug.get(), &label, &white, "v2.0.2"));
    for (int x : {32, 43, 413, 424}) Meter(x, 32, 5, 54);
    Knob(55, 33, kInputGain);
    Knob(361, 33, kOutputGain);
    IBitmap sw = Bmp(mSmallSwitch, 2);
    const int switches[3][2] = {{27, kAnalogueOn}, {47, kRevPhase}, {67, kOversampling}};
    for (const auto& s : switches) mG->AttachControl(new ISwitchControl(mPlug.get(), 130, s[0], s[1], &sw));
    Dyn(15, 102, 0);
    Eq(15, 237);
    Dyn(15, 470, 1);
    mPlug->AttachGraphics(mG);
  }

  IGraphicsHeadless* G() { return mG; }
  const std::vector<int>& Meters() const { return mMeters; }
  int FirstKnob() const { return mFirstKnob; }

private:
  static IBitmap Bmp(const std::unique_ptr<LICE_MemBitmap>& b, int n)
  {
    return IBitmap(b.get(), b->Width(), b->Height(), n);
  }

  void Meter(int x, int y, int w, int h)
  {
    mMeters.push_back(mG->AttachControl(new PeakMeter(mPlug.get(), x, y, w, h)));
  }

  void Knob(int x, int y, int param)
  {
    IBitmap k = Bmp(mKnob, 128);
    const int idx = mG->AttachControl(new IKnobMultiControl(mPlug.get(), x, y, param, &k));
    if (mFirstKnob < 0) mFirstKnob = idx;
    IRECT cap(x + 5, y + 42, x + 42, y + 50);
    IColor grey(255, 180, 180, 180);
    IText style(10, &grey);
    mG->AttachControl(new ICaptionControl(mPlug.get(), &cap, param, &style, true));
    mG->AttachControl(new KnobOwner(mPlug.get(), param, x, y));
  }

  void Eq(int x, int y)
  {
    IBitmap bg = Bmp(mEqBg, 1), state = Bmp(mSwitch, 2), arrange = Bmp(mArrange, 3), fader = Bmp(mFader, 1);
    mG->AttachControl(new IBitmapControl(mPlug.get(), x, y, &bg));
    for (int mx : {8, 20, 408, 420}) Meter(x + mx, y + 150, 3, 51);
    mG->AttachControl(new ISwitchControl(mPlug.get(), x, y, kEqOn, &state));
    mG->AttachControl(new ISwitchControl(mPlug.get(), x + 410, y, kRouting, &arrange));
    const int knobs[15][3] = {{8, 79, kHiPassFreq},    {61, 79, kLowShelfFreq},  {61, 137, kLowShelfGain},
                              {139, 79, kLowMidFreq},  {115, 24, kLowMidGain},   {165, 24, kLowMidQ},
                              {192, 160, kFilterFreq}, {140, 160, kFilterGain},  {246, 160, kFilterQ},
                              {246, 79, kHiMidFreq},   {221, 24, kHiMidGain},    {271, 24, kHiMidQ},
                              {325, 79, kHiShelfFreq}, {325, 137, kHiShelfGain}, {376, 79, kLowPassFreq}};
    for (const auto& k : knobs) Knob(x + k[0], y + k[1], k[2]);
    mG->AttachControl(new IFaderControl(mPlug.get(), x + 11, y + 150, 51, kEqInputGain, &fader));
    mG->AttachControl(new IFaderControl(mPlug.get(), x + 411, y + 150, 51, kEqOutputGain, &fader));
  }

  void Dyn(int x, int y, int stage)
  {
    IBitmap bg = Bmp(mDynBg, 1), state = Bmp(mSwitch, 2), type = Bmp(mType, 4), arrange = Bmp(mArrange, 3),
            fader = Bmp(mFader, 1);
    const int base = stage == 0 ? kDyn1Thresh : kDyn2Thresh;
    mG->AttachControl(new IBitmapControl(mPlug.get(), x, y, &bg));
    for (int mx : {8, 20, 408, 420}) Meter(x + mx, y + 52, 3, 51);
    mG->AttachControl(new ISwitchControl(mPlug.get(), x, y, base + 4, &state));
    mG->AttachControl(
        new ISwitchControl(mPlug.get(), x + 314, y + 49, base + 5, &type, ISwitchControl::kVerticalSlices));
    mG->AttachControl(new IFaderControl(mPlug.get(), x + 11, y + 52, 51, base + 6, &fader));
    mG->AttachControl(new IFaderControl(mPlug.get(), x + 411, y + 52, 51, base + 7, &fader));
    mMeters.push_back(mG->AttachControl(new ReductionMeter(mPlug.get(), x + 272, y + 13, 120, 10, 30)));
    mG->AttachControl(new ISwitchControl(mPlug.get(), x + 410, y, kRouting, &arrange));
    for (int i = 0; i < 4; ++i) Knob(x + 42 + 60 * i, y + 63, base + i);
  }

  std::unique_ptr<Ostrakon> mPlug;
  IGraphicsHeadless* mG;
  std::unique_ptr<LICE_MemBitmap> mMainBg, mEqBg, mDynBg, mKnob, mSwitch, mSmallSwitch, mArrange, mType,
      mFader;
  std::vector<int> mMeters;
  int mFirstKnob = -1;
};

void Full(benchmark::State& state)
{
  Editor e;
  IGraphicsHeadless* g = e.G();
  if (g->GetNControls() != 115) state.SkipWithError("the editor must have 115 controls");
  for (auto _ : state)
  {
    g->SetAllControlsDirty();
    IRECT r;
    g->IsDirty(&r);
    g->Draw(&r);
    benchmark::DoNotOptimize(g->GetBits());
  }
  state.counters["controls"] = g->GetNControls();
}

void Meters(benchmark::State& state)
{
  Editor e;
  IGraphicsHeadless* g = e.G();
  g->SetStrictDrawing(false);
  g->RepaintDirty();
  double v = 0.1;
  for (int m : e.Meters()) g->SetControlFromPlug(m, v); // first values: the defaults
  for (auto _ : state)
  {
    v = v > 0.9 ? 0.1 : v + 0.05;
    for (int m : e.Meters()) g->SetControlFromPlug(m, v);
    g->RepaintDirty();
    benchmark::DoNotOptimize(g->GetBits());
  }
  state.counters["meters"] = (double) e.Meters().size();
}

void OneKnob(benchmark::State& state)
{
  Editor e;
  IGraphicsHeadless* g = e.G();
  g->RepaintDirty();
  IControl* knob = g->GetControl(e.FirstKnob());
  IControl* caption = g->GetControl(e.FirstKnob() + 1);
  double v = 0.0;
  for (auto _ : state)
  {
    v = v > 0.99 ? 0.0 : v + 0.01;
    knob->SetValueFromUserInput(v);
    caption->SetDirty(false);
    g->RepaintDirty();
    benchmark::DoNotOptimize(g->GetBits());
  }
}
} // namespace

BENCHMARK(Full)->Name("Repaint/Full")->Unit(benchmark::kMicrosecond);
BENCHMARK(Meters)->Name("Repaint/Meters")->Unit(benchmark::kMicrosecond);
BENCHMARK(OneKnob)->Name("Repaint/OneKnob")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
