// The dynamics stage: slot gains and peaks, the selected module, the gain-reduction
// readings and what reaches the meters.

#include "IPlug/IGraphicsHeadless.h"
#include "tests/support/TestControl.h"
#include "tests/engine/StripHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
// Counts what the engine posts into it.
struct Probe : TestControl
{
  explicit Probe(IPlugBase* plug) : TestControl(plug) {}
  void SetValueFromPlug(double value) override
  {
    ++calls;
    last = value;
    IControl::SetValueFromPlug(value);
  }
  int calls = 0;
  double last = -1.0;
};

struct DynMeters
{
  Probe* peaks[2][Ostrakon::kNumPeakMeters];
  Probe* reduction[2];

  explicit DynMeters(Ostrakon* plug)
  {
    IGraphics* g = new IGraphicsHeadless(plug, 460, 640);
    Ostrakon::MeterControls mc;
    auto add = [&](Probe*& p) {
      p = new Probe(plug);
      return g->AttachControl(p);
    };
    for (int s = 0; s < 2; ++s)
    {
      for (int i = 0; i < Ostrakon::kNumPeakMeters; ++i) mc.dyn[s][i] = add(peaks[s][i]);
      mc.gainReduction[s] = add(reduction[s]);
    }
    plug->SetMeterControls(mc);
    plug->AttachGraphics(g);
  }
  int Calls() const
  {
    int n = reduction[0]->calls + reduction[1]->calls;
    for (auto& slot : peaks)
      for (Probe* p : slot) n += p->calls;
    return n;
  }
};

// Interleaved stereo: a sine on the left, the right channel never positive.
std::vector<double> Block(int frames, double amp, double freq = 440.0)
{
  std::vector<double> v(2 * frames);
  for (int i = 0; i < frames; ++i)
  {
    v[2 * i] = amp * std::sin(2 * 3.141592653589793 * freq / 44100.0 * i);
    v[2 * i + 1] = -std::fabs(v[2 * i]);
  }
  return v;
}

double MaxFrom0(const std::vector<double>& v, int ch)
{
  double m = 0.0;
  for (size_t i = ch; i < v.size(); i += 2) m = v[i] > m ? v[i] : m;
  return m;
}

// Slot s as a hard-working compressor of the given type.
void Compress(StripHarness& h, int s, int type)
{
  h.Set(s ? kDyn2Type : kDyn1Type, type);
  h.Set(s ? kDyn2Thresh : kDyn1Thresh, type == 0 || type == 3 ? -40.0 : -20.0);
  h.Set(s ? kDyn2Ratio : kDyn1Ratio, 20.0);
}
} // namespace

TEST(DynStage, SlotGainsAndSignedPeaksAroundTheModule)
{
  StripHarness h;
  DynMeters m(h.plug.get());
  h.Set(kAnalogueOn, 0.0);
  h.Set(kDyn1InputGain, 6.0);
  h.Set(kDyn1OutputGain, -3.0); // ratio 1: the VCA passes with gain 1
  const double gIn = std::exp(6.0 * 0.1151292546497), gOut = std::exp(-3.0 * 0.1151292546497);
  auto buf = Block(300, 0.4);
  const auto in = buf;
  h.plug->processDyn(buf.data(), 300, 0);

  std::vector<double> scaled(in.size());
  for (size_t i = 0; i < in.size(); ++i)
  {
    scaled[i] = in[i] * gIn;
    ASSERT_EQ(buf[i], (scaled[i] + 1e-24) * gOut) << i;
  }
  EXPECT_EQ(m.peaks[0][0]->last, MaxFrom0(scaled, 0));
  EXPECT_EQ(m.peaks[0][1]->last, 0.0) << "a channel never above 0 reads 0";
  EXPECT_EQ(m.peaks[0][2]->last, MaxFrom0(buf, 0));
  EXPECT_EQ(m.peaks[0][3]->last, MaxFrom0(buf, 1));
  EXPECT_EQ(m.peaks[1][0]->calls, 0);
  EXPECT_EQ(m.reduction[0]->last, 1.0);
  EXPECT_EQ(m.reduction[1]->last, 1.0);
}

TEST(DynStage, ReadingsAreTheBlockMinimumOrTheExpandersLastGainInSinglePrecision)
{
  StripHarness h;
  EXPECT_EQ(h.plug->GetGainReduction(0), 1.0);
  EXPECT_EQ(h.plug->GetGainReduction(1), 1.0);
  DynMeters m(h.plug.get());

  // Loud, then quiet: the compressors' gains are lowest mid-block and recovering at its end.
  auto loudThenQuiet = Block(4000, 0.9);
  for (int i = 2000; i < 4000; ++i) loudThenQuiet[2 * i] = loudThenQuiet[2 * i + 1] = 0.0;
  for (int type : {0, 1, 2})
  {
    StripHarness t;
    Compress(t, 0, type);
    auto buf = loudThenQuiet;
    t.plug->processDyn(buf.data(), 4000, 0);
    const double lowest = type == 0 ? t.plug->VCA(0).minGain
                          : type == 1 ? t.plug->FET(0).minGain
                                      : t.plug->Opto(0).minGain;
    const double last = type == 0 ? t.plug->VCA(0).gain
                        : type == 1 ? t.plug->FET(0).gain
                                    : t.plug->Opto(0).gain;
    ASSERT_LT(lowest, last) << type;
    EXPECT_EQ(t.plug->GetGainReduction(0), (double) (float) lowest) << type;
    EXPECT_EQ(t.plug->GetGainReduction(1), 1.0);
  }

  // Quiet, then loud: the expander's gain is lowest mid-block and its reading is the last.
  Compress(h, 1, 3);
  h.Set(kDyn2Attack, 30.0);
  auto quietThenLoud = Block(4000, 0.5);
  for (int i = 0; i < 3700; ++i) quietThenLoud[2 * i] = quietThenLoud[2 * i + 1] = 0.0;
  const auto in = quietThenLoud;
  h.plug->processDyn(quietThenLoud.data(), 4000, 1);
  const double g = h.plug->Expander(1).gain;
  ASSERT_NE(in[2 * 3705], 0.0);
  EXPECT_LT(quietThenLoud[2 * 3705] / in[2 * 3705], 0.5 * g);
  EXPECT_EQ(h.plug->GetGainReduction(1), (double) (float) g);
  EXPECT_NE(h.plug->GetGainReduction(1), g) << "the reading is rounded";
  EXPECT_EQ(m.reduction[1]->last, (double) (float) g);
  EXPECT_EQ(m.reduction[0]->last, 1.0) << "a slot that never ran reads 1.0";
}

TEST(DynStage, ASlotOffPassesTheBlockAndPostsNothing)
{
  StripHarness h;
  DynMeters m(h.plug.get());
  Compress(h, 0, 0);
  Compress(h, 1, 1);
  auto buf = Block(1000, 0.9);
  h.plug->processDyn(buf.data(), 1000, 0);
  ASSERT_LT(h.plug->GetGainReduction(0), 0.9);

  h.Set(kDyn1On, 0.0);
  const int before = m.Calls();
  const auto in = buf;
  h.plug->processDyn(buf.data(), 1000, 0);
  EXPECT_EQ(buf, in);
  EXPECT_EQ(h.plug->GetGainReduction(0), 1.0);
  EXPECT_EQ(m.Calls(), before);

  // The other slot's call still sends both readings.
  h.plug->processDyn(buf.data(), 1000, 1);
  EXPECT_EQ(m.reduction[0]->last, 1.0);
  EXPECT_EQ(m.reduction[1]->last, (double) (float) h.plug->FET(1).minGain);
  EXPECT_EQ(m.peaks[1][0]->calls, 1);

  // Both off: the whole strip runs and no dynamics meter hears of it.
  h.Set(kDyn2On, 0.0);
  const int quiet = m.Calls();
  std::vector<double> l(512, 0.5), r(512, 0.25), ol, orr;
  h.Run(l, r, ol, orr, 512);
  EXPECT_EQ(m.Calls(), quiet);

  // Only the value 0 is off.
  h.Set(kDyn1On, 0.3);
  h.plug->processDyn(buf.data(), 1000, 0);
  EXPECT_GT(m.Calls(), quiet);
}

TEST(DynStage, UnusedModulesKeepTheirStateAcrossTypeSwitches)
{
  StripHarness a, b;
  for (StripHarness* h : {&a, &b}) Compress(*h, 0, 0);
  a.Set(kDyn1Thresh, -20.0); // also drives the FET
  b.Set(kDyn1Thresh, -20.0);
  auto first = Block(3000, 0.8), second = Block(3000, 0.3, 2000.0), third = Block(3000, 0.6, 150.0);
  auto fa = first, fb = first;
  a.plug->processDyn(fa.data(), 3000, 0);
  b.plug->processDyn(fb.data(), 3000, 0);

  const VCACompressor& vca = a.plug->VCA(0);
  const double gain = vca.gain, envelope = vca.envelope, meanSquare = vca.meanSquare;
  a.Set(kDyn1Type, 1);
  a.plug->processDyn(second.data(), 3000, 0);
  EXPECT_LT(a.plug->FET(0).minGain, 1.0);
  EXPECT_EQ(vca.gain, gain);
  EXPECT_EQ(vca.envelope, envelope);
  EXPECT_EQ(vca.meanSquare, meanSquare);
  EXPECT_EQ(a.plug->Opto(0).envelope, 0.0);
  EXPECT_EQ(a.plug->Expander(0).envelope, 0.0);

  // Back on VCA, slot 1 continues exactly as if the FET block had never been.
  a.Set(kDyn1Type, 0);
  auto ta = third, tb = third;
  a.plug->processDyn(ta.data(), 3000, 0);
  b.plug->processDyn(tb.data(), 3000, 0);
  EXPECT_EQ(ta, tb);
  EXPECT_EQ(a.plug->GetGainReduction(0), b.plug->GetGainReduction(0));
}

TEST(DynStage, ZeroFramesStillRunTheModuleAndSendZeroPeaks)
{
  StripHarness h;
  DynMeters m(h.plug.get());
  Compress(h, 0, 0);
  auto buf = Block(2000, 0.9);
  h.plug->processDyn(buf.data(), 2000, 0);
  ASSERT_LT(h.plug->GetGainReduction(0), 1.0);

  // The VCA's empty block has no reduction: its minimum is 1 again.
  h.plug->processDyn(nullptr, 0, 0);
  EXPECT_EQ(h.plug->GetGainReduction(0), 1.0);
  for (Probe* p : m.peaks[0]) EXPECT_EQ(p->last, 0.0);
  EXPECT_EQ(m.reduction[0]->last, 1.0);

  // An expander's empty block keeps its last gain.
  Compress(h, 1, 3);
  auto silence = std::vector<double>(2000, 0.0);
  h.plug->processDyn(silence.data(), 1000, 1);
  const double g = h.plug->GetGainReduction(1);
  ASSERT_LT(g, 0.5);
  h.plug->processDyn(nullptr, 0, 1);
  EXPECT_EQ(h.plug->GetGainReduction(1), g);
}

TEST(DynStage, AnUnknownTypeRunsNoModuleButKeepsTheGains)
{
  StripHarness h;
  DynMeters m(h.plug.get());
  Compress(h, 0, 0);
  auto buf = Block(1000, 0.9);
  h.plug->processDyn(buf.data(), 1000, 0);
  const double reading = h.plug->GetGainReduction(0), envelope = h.plug->VCA(0).envelope;

  h.Set(kDyn1Type, 7);
  h.Set(kDyn1InputGain, -6.0);
  const double gIn = std::exp(-6.0 * 0.1151292546497);
  buf = Block(100, 0.5);
  const auto in = buf;
  const int calls = m.peaks[0][2]->calls;
  h.plug->processDyn(buf.data(), 100, 0);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(buf[i], in[i] * gIn);
  EXPECT_EQ(h.plug->GetGainReduction(0), reading);
  EXPECT_EQ(h.plug->VCA(0).envelope, envelope);
  EXPECT_EQ(m.peaks[0][2]->calls, calls + 1);
}
