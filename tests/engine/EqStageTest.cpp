// The EQ stage: knob values turned into the module's targets, and the stage's own
// gains, peaks and bypass.

#include "engine/Ostrakon.h"

#include "IPlug/IGraphicsHeadless.h"
#include "tests/support/TestControl.h"
#include "tests/engine/StripHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
std::vector<double> Noise(int n, unsigned seed, double lo, double hi)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> d(lo, hi);
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

// A strip with only the EQ slot running, and no analogue colour.
struct EqOnly : StripHarness
{
  EqOnly()
  {
    Set(kDyn1On, 0.0);
    Set(kDyn2On, 0.0);
    Set(kAnalogueOn, 0.0);
  }

  // Attaches a context whose first four controls are the EQ's meters.
  IGraphics* AttachEqMeters()
  {
    IGraphics* g = new IGraphicsHeadless(plug.get(), 460, 640);
    Ostrakon::MeterControls mc;
    for (int& i : mc.eq) i = g->AttachControl(new TestControl(plug.get()));
    plug->SetMeterControls(mc);
    plug->AttachGraphics(g);
    return g;
  }
  static double Meter(IGraphics* g, int i) { return g->GetControl(i)->GetValue(); }
};
} // namespace

TEST(EqStage, KnobValuesBecomeSinglePrecisionTargets)
{
  StripHarness h;
  analog_eq& eq = h.plug->Eq();
  h.Set(kHiShelfFreq, 15000);
  EXPECT_EQ(eq.highShelfFreq, 0.10204081982374191); // 4500 Hz, 4500.0f / 44100.0f
  EXPECT_NEAR(eq.highShelfFreq, 4500.0 / 44100.0, 1e-8);
  h.Set(kLowShelfFreq, 200);
  EXPECT_EQ(eq.lowShelfFreq, 0.00907029490917921); // 400 Hz
  h.Set(kFilterGain, 10);
  h.Set(kFilterQ, 8);
  EXPECT_EQ(eq.filterGain, 12.0);
  EXPECT_EQ(eq.filterQ, 3.6363637447357178); // 8 / 2.2 in single precision
  // Only the knob value is rounded: the 1.08 product stays double.
  h.Set(kHiShelfGain, 3.3);
  EXPECT_EQ(eq.highShelfGain, 3.299999952316284 * 1.08);
  h.Set(kLowMidGain, -7.5);
  EXPECT_EQ(eq.lowMidGain, -7.59375); // raised 1.25 % at Q 0.5
  EXPECT_EQ(eq.lowMidQ, (double) 0.22727273f);
  h.Set(kHiMidFreq, 7000);
  EXPECT_EQ(eq.hiMidFreq, (double) (7000.0f / 44100.0f));
  h.Set(kLowShelfGain, -2.2);
  EXPECT_EQ(eq.lowShelfGain, (double) -2.2f);
}

TEST(EqStage, PassFilterSwitchesAtTheirRangeEnds)
{
  StripHarness h;
  analog_eq& eq = h.plug->Eq();
  EXPECT_FALSE(eq.hpOn);
  EXPECT_FALSE(eq.lpOn);
  EXPECT_EQ(eq.lpHz, 20000);
  h.Set(kHiPassFreq, 20.1);
  EXPECT_TRUE(eq.hpOn);
  EXPECT_EQ(eq.hpFreq, (double) (20.1f / 44100.0f));
  h.Set(kHiPassFreq, 20.0);
  EXPECT_FALSE(eq.hpOn);

  h.Set(kLowPassFreq, 12345.9);
  EXPECT_TRUE(eq.lpOn);
  EXPECT_EQ(eq.lpHz, 12345);
  EXPECT_EQ(eq.lpFreq, (double) (12345.9f / 44100.0f));
  EXPECT_EQ(eq.lpUserFreq, eq.lpFreq);
  h.Set(kLowPassFreq, 20000);
  EXPECT_FALSE(eq.lpOn);
}

TEST(EqStage, ResetConvertsForTheNewRate)
{
  StripHarness h;
  h.Set(kLowShelfFreq, 200);
  h.plug->SetSampleRate(48000.0);
  h.plug->Reset();
  analog_eq& eq = h.plug->Eq();
  EXPECT_EQ(eq.sampleRate, 48000);
  EXPECT_EQ(eq.lowShelfFreq, (double) (400.0f / 48000.0f));
  EXPECT_EQ(eq.analogue.sampleRate, 48000);
  EXPECT_EQ(eq.analogue.sat.evenAmount, 0.005);
  EXPECT_EQ(eq.analogue.sat.trimLeft, eq.analogue.tolerance1);
}

TEST(EqStage, EveryParameterChangeRewritesEveryTarget)
{
  StripHarness h;
  h.Set(kLowPassFreq, 8000);
  h.Set(kFilterGain, 4.0);
  h.Set(kHiPassFreq, 50.0);
  analog_eq& eq = h.plug->Eq();
  const analog_eq* e = &eq;
  auto targets = [e] {
    return std::vector<double>{e->hpFreq,        (double) e->hpOn,  e->lpFreq,      e->lpUserFreq,
                               (double) e->lpHz, (double) e->lpOn,  e->highShelfFreq, e->highShelfGain,
                               e->lowShelfFreq,  e->lowShelfGain,   e->lowMidFreq,  e->lowMidGain,
                               e->lowMidQ,       e->hiMidFreq,      e->hiMidGain,   e->hiMidQ,
                               e->filterFreq,    e->filterGain,     e->filterQ};
  };
  const auto expected = targets();
  for (int idx : {(int) kRevPhase, (int) kDyn2Ratio, (int) kRouting, -1, (int) kNumParams})
  {
    // The module may have moved the low-pass itself; anything else stands in for a
    // stale target.
    eq.lpFreq = 0.3;
    eq.hpOn = false;
    eq.lpOn = false;
    eq.filterGain = 99.0;
    eq.lowShelfFreq = eq.hiMidQ = 0.0;
    h.plug->OnParamChange(idx);
    h.plug->ApplyParamChanges();
    EXPECT_EQ(targets(), expected) << "parameter " << idx;
  }
}

TEST(EqStage, OffLeavesTheBlockTheMetersAndTheModuleAlone)
{
  EqOnly h;
  IGraphics* g = h.AttachEqMeters();
  h.Set(kFilterGain, 9.0);
  h.Set(kEqInputGain, 6.0);
  h.Set(kHiPassFreq, 60.0);
  std::vector<double> ol, orr;
  h.Run(Noise(2048, 1, -0.5, 0.5), Noise(2048, 2, -0.5, 0.5), ol, orr, 512);
  double meters[4];
  for (int i = 0; i < 4; ++i) meters[i] = EqOnly::Meter(g, i);
  ASSERT_GT(meters[0], 0.0);
  const double smoothed = h.plug->Eq().sFilterGain.value;

  h.Set(kEqOn, 0.0);
  const auto l = Noise(1024, 3, -0.9, 0.9), r = Noise(1024, 4, -0.9, 0.9);
  h.Run(l, r, ol, orr, 512);
  for (int i = 0; i < 1024; ++i)
  {
    ASSERT_EQ(ol[i], l[i] + 1e-24);
    ASSERT_EQ(orr[i], r[i] + 1e-24);
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(EqOnly::Meter(g, i), meters[i]);
  EXPECT_EQ(h.plug->Eq().sFilterGain.value, smoothed);
}

TEST(EqStage, OwnGainsAndSignedPeaks)
{
  EqOnly h;
  IGraphics* g = h.AttachEqMeters();
  h.Set(kEqInputGain, 6.0);
  h.Set(kEqOutputGain, -3.0);
  const double gIn = std::exp(6.0 * 0.1151292546497), gOut = std::exp(-3.0 * 0.1151292546497);
  const auto l = Noise(700, 5, -0.5, 0.5), r = Noise(700, 6, -0.5, -0.01);
  std::vector<double> ol, orr;
  h.Run(l, r, ol, orr, 700);
  double inPeak = 0.0, outPeak = 0.0;
  for (int i = 0; i < 700; ++i)
  {
    // Every band at rest: the stage is its two gains.
    const double x = (l[i] + 1e-24) * gIn, y = x * gOut;
    inPeak = std::max(inPeak, x);
    outPeak = std::max(outPeak, y);
    ASSERT_EQ(ol[i], y);
    ASSERT_EQ(orr[i], (r[i] + 1e-24) * gIn * gOut);
  }
  EXPECT_EQ(EqOnly::Meter(g, 0), inPeak);
  EXPECT_EQ(EqOnly::Meter(g, 1), 0.0); // only negative samples
  EXPECT_EQ(EqOnly::Meter(g, 2), outPeak);
  EXPECT_EQ(EqOnly::Meter(g, 3), 0.0);

  double* none[2] = {nullptr, nullptr};
  h.plug->ProcessDoubleReplacing(none, none, 0);
  EXPECT_EQ(EqOnly::Meter(g, 0), 0.0);
  EXPECT_EQ(EqOnly::Meter(g, 2), 0.0);
}

TEST(EqStage, FilterKnobAtHighQGivesTwentyPercentMoreGain)
{
  // "Filter Gain" 10 dB at Q 8 is a 12 dB peak at its frequency, measured on a sine.
  EqOnly h;
  h.Set(kFilterFreq, 1000);
  h.Set(kFilterGain, 10.0);
  h.Set(kFilterQ, 8.0);
  const int n = 441 * 200;
  std::vector<double> in(n), ol, orr;
  const double w = 6.283185307179586 * 1000.0 / 44100.0;
  for (int i = 0; i < n; ++i) in[i] = 0.25 * std::sin(w * i);
  h.Run(in, in, ol, orr, 441);
  double re = 0.0, im = 0.0;
  for (int i = n - 4410; i < n; ++i)
  {
    re += ol[i] * std::cos(w * i);
    im += ol[i] * std::sin(w * i);
  }
  const double gain = 2.0 / 4410 * std::hypot(re, im) / 0.25;
  EXPECT_NEAR(20 * std::log10(gain), 12.0, 1e-7);
  EXPECT_EQ(ol, orr);
}
