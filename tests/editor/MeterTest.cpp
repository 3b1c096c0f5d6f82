// The editor's meters on their own: per-repaint smoothing from the frame rate, the bar's
// height and colours, the hold line, the gain-reduction segments, greying.

#include "tests/gui/GuiTestSupport.h"

#include "editor/IGainReductionMeter.h"
#include "editor/IPeakMeter.h"

#include <cmath>

namespace
{
const IColor kGround(255, 0, 0, 64); // dark blue, for telling drawn pixels from the background
constexpr uint32_t kGroundPixel = 0xFF000040;

// A meter on a plain background; each Tick is one repaint of the editor's timer.
template <class Meter>
struct MeterRig
{
  GuiRig rig{200, 120};
  Meter* meter;
  int idx;

  explicit MeterRig(Meter* m) : meter(m)
  {
    rig.g->AttachPanelBackground(&kGround);
    idx = rig.g->AttachControl(meter);
    rig.RepaintAll();
  }
  void Post(double v) { rig.g->SetControlFromPlug(idx, v); }
  void Tick(int n = 1)
  {
    for (int i = 0; i < n; ++i) rig.RepaintAll();
  }
  uint32_t Pixel(int x, int y) { return rig.Pixel(x, y); }
};

// Peak meter 5 x 54 at (10, 10): rows 10..63, hold line rows below the bar's top.
struct PeakRig : MeterRig<IPeakMeter>
{
  PeakRig() : MeterRig(new IPeakMeter(&rig.plug, 10, 10, 5, 54)) {}
  // The bar's height: the number of rows from the bottom in the level colour.
  int BarRows(uint32_t color)
  {
    int n = 0;
    while (n < 54 && Pixel(12, 63 - n) == color) ++n;
    return n;
  }
};

// The editor's gain-reduction meter, 120 x 10 with 30 segments, at (20, 30).
struct ReductionRig : MeterRig<IGainReductionMeter>
{
  ReductionRig() : MeterRig(new IGainReductionMeter(&rig.plug, 20, 30, 120, 10, 30)) {}
  // Lit segments counted from the screen: segment j covers x = 20 + 4j .. 22 + 4j.
  int LitOnScreen()
  {
    int lit = 0;
    for (int j = 0; j < 30; ++j)
    {
      const uint32_t p = Pixel(21 + 4 * j, 35);
      if (p == 0xFFFFFFFF)
        ++lit;
      else
        EXPECT_EQ(p, 0xFF232730u) << "segment " << j; // unlit: (35, 39, 48)
    }
    return lit;
  }
};
} // namespace

TEST(PeakMeter, CoefficientsFollowTheFrameRateOnTheFirstDraw)
{
  GuiTestPlug plug;
  auto* g = new IGraphicsHeadless(&plug, 50, 80, 50);
  IPeakMeter* m = new IPeakMeter(&plug, 0, 0, 5, 54);
  IGainReductionMeter* r = new IGainReductionMeter(&plug, 0, 60, 40, 10, 10);
  g->AttachControl(m);
  g->AttachControl(r);
  plug.AttachGraphics(g);
  EXPECT_EQ(m->GetFrameRate(), 0);
  IRECT all(0, 0, 50, 80);
  g->Draw(&all);
  EXPECT_EQ(m->GetFrameRate(), 50);
  EXPECT_EQ(m->GetAttack(), std::exp(-1.0 / (0.075 * 50)));
  EXPECT_EQ(m->GetRelease(), std::exp(-1.0 / (1.7 * 50)));
  EXPECT_EQ(r->GetFrameRate(), 50);
  EXPECT_EQ(r->GetAttack(), std::exp(-1.0 / (0.001 * 50)));
  EXPECT_EQ(r->GetRelease(), std::exp(-1.0 / (0.2 * 50)));
  // Its hit rectangle starts empty; moving it makes it whole.
  EXPECT_TRUE(m->GetTargetRECT()->Empty());
  m->Move(1, 2);
  EXPECT_EQ(*m->GetTargetRECT(), IRECT(1, 2, 6, 56));
  EXPECT_EQ(*r->GetTargetRECT(), *r->GetRECT());
}

TEST(PeakMeter, FullScaleSettlesAtAFullRedBar)
{
  PeakRig m;
  for (int i = 0; i < 100; ++i)
  {
    m.Post(1.0);
    m.Tick();
  }
  EXPECT_NEAR(m.meter->GetLevel(), IPeakMeter::kScale, 1e-9);
  EXPECT_EQ(m.BarRows(0xFFFF0000), 54);
}

TEST(PeakMeter, EighteenDecibelsBelowFullScaleFillsTheBar)
{
  // Just under: white, one row short of full.
  PeakRig under;
  const double at18 = 1.0 / IPeakMeter::kScale;
  for (int i = 0; i < 100; ++i)
  {
    under.Post(0.999 * at18);
    under.Tick();
  }
  EXPECT_EQ(under.BarRows(0xFFFFFFFF), 53);
  EXPECT_EQ(under.Pixel(12, 10), kGroundPixel);

  // From there on: full, and blue drops at once to 127.
  PeakRig over;
  for (int i = 0; i < 100; ++i)
  {
    over.Post(1.001 * at18);
    over.Tick();
  }
  EXPECT_EQ(over.BarRows(0xFFFFFF7F), 54);

  // Between +6 and +15.5 dB above that, green gives way: yellow, orange, red.
  PeakRig hot;
  for (int i = 0; i < 100; ++i)
  {
    hot.Post(4.0 * at18);
    hot.Tick();
  }
  const int green = (int) (255 * (1.0 - 4.0 / IPeakMeter::kRedAt));
  EXPECT_EQ(hot.Pixel(12, 40), 0xFFFF0000u | (uint32_t) green << 8);
}

TEST(PeakMeter, ValuesBelowOneThousandthReadAsSilence)
{
  PeakRig m;
  m.Post(0.0009);
  m.Tick();
  EXPECT_EQ(m.meter->GetValue(), 0.0);
  EXPECT_EQ(m.meter->GetLevel(), 0.0);
  EXPECT_EQ(m.Pixel(12, 63), kGroundPixel);
  m.Post(0.001);
  m.Tick();
  EXPECT_GT(m.meter->GetLevel(), 0.0);
}

TEST(PeakMeter, TheHoldLineStaysAndFallsWithTheSlowRelease)
{
  PeakRig m;
  for (int i = 0; i < 50; ++i)
  {
    m.Post(0.1);
    m.Tick();
  }
  const double peak = m.meter->GetLevel();
  const int peakRow = 64 - (int) std::floor(peak * 54 * 1.001001001001001);
  m.Post(0.0);
  m.Tick();
  // The bar falls at once; the line stays at the peak's height, white, nearly opaque.
  EXPECT_LT(m.meter->GetLevel(), 0.7 * peak);
  EXPECT_GE((m.Pixel(12, peakRow) >> 16) & 255, 245u);
  EXPECT_GE(m.Pixel(12, peakRow) & 255, 245u);
  EXPECT_EQ(m.Pixel(12, peakRow - 1), kGroundPixel);

  // Once the bar is gone, hold and opacity shrink by e^(-1/1.7) per second.
  m.Tick(49);
  const double hold = m.meter->GetHold(), fade = m.meter->GetHoldFade();
  m.Tick(25);
  EXPECT_NEAR(m.meter->GetHold() / hold, std::exp(-1.0 / 1.7), 1e-9);
  EXPECT_NEAR(m.meter->GetHoldFade() / fade, std::exp(-1.0 / 1.7), 1e-9);
  // The faded line is drawn at its opacity over the background.
  const int row = 64 - (int) std::floor(m.meter->GetHold() * 54 * 1.001001001001001);
  const uint32_t line = m.Pixel(12, row);
  EXPECT_NE(line, kGroundPixel);
  EXPECT_LT((line >> 16) & 255, 255u);
}

TEST(PeakMeter, AGreyedMeterIsInvisibleButKeepsMeasuring)
{
  PeakRig m;
  m.meter->GrayOut(true);
  EXPECT_EQ(m.meter->GetVisibility(), 0.0);
  EXPECT_FALSE(m.meter->IsGrayed()) << "greying only hides the bar";
  for (int i = 0; i < 20; ++i)
  {
    m.Post(1.0);
    m.Tick();
  }
  EXPECT_GT(m.meter->GetLevel(), 7.0);
  for (int y = 10; y < 66; ++y) EXPECT_EQ(m.Pixel(12, y), kGroundPixel) << y;
  m.meter->GrayOut(false);
  m.Tick();
  EXPECT_EQ(m.Pixel(12, 10), 0xFFFF0000u);
}

TEST(GainReductionMeter, HalfGainLightsSixSegmentsFromTheRight)
{
  ReductionRig m;
  EXPECT_EQ(m.LitOnScreen(), 0) << "no reduction before any audio";
  m.Post(0.5); // 20 log10(511/1024) = -6.04 dB
  m.Tick();
  EXPECT_EQ(m.meter->GetLitSegments(), 6);
  EXPECT_EQ(m.LitOnScreen(), 6);
  EXPECT_EQ(m.Pixel(20 + 4 * 24, 35), 0xFFFFFFFFu);
  EXPECT_EQ(m.Pixel(20 + 4 * 23 + 2, 35), 0xFF232730u);
  EXPECT_EQ(m.Pixel(20 + 4 * 24 - 1, 35), kGroundPixel) << "a one-pixel gap between segments";
  EXPECT_EQ(m.Pixel(20 + 119, 35), kGroundPixel);
}

TEST(GainReductionMeter, TheTableEndsHoldTheReading)
{
  ReductionRig m;
  for (double gain : {0.0, 1.0 / 1024, -0.5})
  {
    m.Post(gain);
    m.Tick();
    EXPECT_EQ(m.meter->GetLitSegments(), 30) << gain;
    EXPECT_EQ(m.LitOnScreen(), 30) << gain;
  }
  // 1.0: the table's last entry, just under 0 dB, truncates to none.
  for (int i = 0; i < 200; ++i)
  {
    m.Post(1.0);
    m.Tick();
  }
  EXPECT_EQ(m.meter->GetLitSegments(), 0);
  EXPECT_EQ(m.LitOnScreen(), 0);
  EXPECT_TRUE(std::isinf(m.meter->GetDecibelEntry(0)));
  EXPECT_EQ(m.meter->GetDecibelEntry(512), std::log10(0.5));
}

TEST(GainReductionMeter, FallsAtOnceAndRecoversOverTwoHundredMilliseconds)
{
  ReductionRig m;
  m.Post(0.25); // -12 dB
  m.Tick();
  EXPECT_EQ(m.meter->GetLitSegments(), 12);
  m.Post(1.0);
  m.Tick(5); // 200 ms at 25 repaints a second
  EXPECT_NEAR(1.0 - m.meter->GetSmoothed(), 0.75 * std::exp(-1.0), 1e-9);
}

TEST(GainReductionMeter, AGreyedMeterFadesOutAndKeepsSmoothing)
{
  ReductionRig m;
  m.meter->GrayOut(true);
  EXPECT_EQ(m.meter->GetAlpha(), 0);
  m.Post(0.5);
  m.Tick();
  for (int x = 20; x < 140; ++x) EXPECT_EQ(m.Pixel(x, 35), kGroundPixel) << x;
  EXPECT_EQ(m.meter->GetLitSegments(), 6);
  m.meter->GrayOut(false);
  EXPECT_EQ(m.meter->GetAlpha(), 255);
  m.Tick();
  EXPECT_EQ(m.LitOnScreen(), 6);
}

TEST(GainReductionMeter, NoSegmentsOrNoRoomDrawsNothing)
{
  GuiRig rig{60, 40};
  rig.g->AttachPanelBackground(&kGround);
  rig.g->AttachControl(new IGainReductionMeter(&rig.plug, 0, 0, 10, 10, 0));
  rig.g->AttachControl(new IGainReductionMeter(&rig.plug, 0, 20, 0, 10, 30));
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(0, 0), kGroundPixel);
  EXPECT_EQ(rig.Pixel(0, 20), kGroundPixel);
}
