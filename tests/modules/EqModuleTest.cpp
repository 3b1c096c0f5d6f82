// The equaliser module: its smoothing, its stage switching and its bands' gains.

#include "dsp/analog_eq.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr double kRate = 44100.0;

// The module as the engine leaves it with every knob at rest, at 44.1 kHz: frequencies
// and Qs set, every gain 0 dB, both pass filters off, no colour.
void Flat(analog_eq& eq)
{
  eq.sampleRate = 44100;
  eq.hpFreq = 20.0 / kRate;
  eq.hpOn = false;
  eq.lpFreq = eq.lpUserFreq = 20000.0 / kRate;
  eq.lpHz = 20000;
  eq.lpOn = false;
  eq.highShelfFreq = 4500.0 / kRate;
  eq.lowShelfFreq = 60.0 / kRate;
  eq.lowMidFreq = 200.0 / kRate;
  eq.hiMidFreq = 600.0 / kRate;
  eq.filterFreq = 1000.0 / kRate;
  eq.lowMidQ = eq.hiMidQ = eq.filterQ = 0.5 / 2.2;
  eq.analogueOn = false;
}

std::vector<double> Noise(int frames, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> d(-0.5, 0.5);
  std::vector<double> v(2 * frames);
  for (double& x : v) x = d(rng);
  return v;
}

// Runs one block of noise and tells whether it came out unchanged.
bool PassesUnchanged(analog_eq& eq, int frames, unsigned seed)
{
  const auto in = Noise(frames, seed);
  auto x = in;
  eq.process(x.data(), frames);
  return x == in;
}

double Magnitude(const Dsp::Cascade& c, double hz) { return std::abs(c.Response(kTwoPi * hz / kRate)); }

// Gain of the module for a settled signal made by source(frame index), both channels.
// Settles for 150 blocks of 441 frames (c = 1/e), then measures over 4410 frames.
double SettledGain(analog_eq& eq, const std::function<double(int)>& source,
                   const std::function<double(const std::vector<double>&, int)>& measure)
{
  const int block = 441;
  std::vector<double> buf(2 * block), out;
  int n = 0;
  for (int b = 0; b < 160; ++b)
  {
    for (int i = 0; i < block; ++i) buf[2 * i] = buf[2 * i + 1] = source(n + i);
    eq.process(buf.data(), block);
    if (b >= 150)
      out.insert(out.end(), buf.begin(), buf.end());
    n += block;
  }
  for (size_t i = 0; i < out.size(); i += 2) EXPECT_EQ(out[i], out[i + 1]);
  return measure(out, n - 4410);
}

// Amplitude gain for a sine at hz (a whole number of periods in 4410 frames).
double SineGain(analog_eq& eq, double hz)
{
  const double w = kTwoPi * hz / kRate;
  return SettledGain(
      eq, [w](int i) { return 0.5 * std::sin(w * i); },
      [w](const std::vector<double>& y, int first) {
        double re = 0.0, im = 0.0;
        for (int i = 0; i < 4410; ++i)
        {
          re += y[2 * i] * std::cos(w * (first + i));
          im += y[2 * i] * std::sin(w * (first + i));
        }
        return 2.0 / 4410 * std::hypot(re, im) / 0.5;
      });
}

double DcGain(analog_eq& eq)
{
  return SettledGain(
      eq, [](int) { return 0.5; },
      [](const std::vector<double>& y, int) { return y[y.size() - 2] / 0.5; });
}

// Signed gain for +a, -a, +a, ...: the sign tells the polarity.
double NyquistGain(analog_eq& eq)
{
  return SettledGain(
      eq, [](int i) { return i % 2 == 0 ? 0.5 : -0.5; },
      [](const std::vector<double>& y, int first) {
        const int i = 4409;
        return y[2 * i] / ((first + i) % 2 == 0 ? 0.5 : -0.5);
      });
}

double DbToGain(double db) { return std::pow(10.0, db / 20); }
} // namespace

TEST(AnalogEq, EverythingOffIsBitIdentical)
{
  analog_eq eq;
  Flat(eq);
  unsigned seed = 1;
  for (int round = 0; round < 3; ++round)
    for (int frames : {512, 100, 0, 4096, 7})
      ASSERT_TRUE(PassesUnchanged(eq, frames, seed++)) << frames;
  // Gains, and switches other than the pass filters, move nothing.
  eq.lowShelfGain = 0.0;
  eq.hpFreq = 80.0 / kRate;
  EXPECT_TRUE(PassesUnchanged(eq, 256, seed++));
}

TEST(AnalogEq, NegativeBlockLengthDoesNothing)
{
  analog_eq eq;
  Flat(eq);
  eq.filterGain = 6.0;
  double frame[2] = {0.25, -0.25};
  eq.process(frame, -1);
  EXPECT_EQ(frame[0], 0.25);
  EXPECT_EQ(frame[1], -0.25);
  EXPECT_EQ(eq.lastFrames, 0);
  EXPECT_EQ(eq.sFilterGain.value, 0.0);
}

TEST(AnalogEq, HighPassKeepsTheSignsOfAnAlternatingInput)
{
  analog_eq eq;
  Flat(eq);
  eq.hpOn = true;
  eq.hpFreq = 30.0 / kRate;
  const double a = 0.25;
  std::vector<double> x(2 * 512);
  for (int block = 0; block < 40; ++block)
  {
    for (int i = 0; i < 512; ++i) x[2 * i] = x[2 * i + 1] = i % 2 == 0 ? a : -a;
    eq.process(x.data(), 512);
  }
  for (int i = 0; i < 512; ++i)
  {
    const double in = i % 2 == 0 ? a : -a;
    ASSERT_NEAR(x[2 * i], in, 1e-9 * a) << i;
    ASSERT_EQ(x[2 * i], x[2 * i + 1]);
  }
  // The realised filter alone inverts there.
  EXPECT_NEAR(eq.hpFilter.Response(kTwoPi / 2).real(), -1.0, 1e-12);
}

TEST(AnalogEq, BandRunsUntilItsSmoothedGainIsExactlyZero)
{
  analog_eq eq;
  Flat(eq);
  eq.filterGain = 6.0;
  eq.filterQ = 1.0;
  unsigned seed = 1;
  for (int block = 0; block < 50; ++block) eq.process(Noise(512, seed++).data(), 512);
  const double c = eq.sFilterGain.c;

  eq.filterGain = 0.0;
  int blocks = 0;
  for (;;)
  {
    const double before = eq.sFilterGain.value;
    const bool unchanged = PassesUnchanged(eq, 512, seed++);
    ++blocks;
    // Pure geometric decay towards the target 0.
    ASSERT_EQ(eq.sFilterGain.value, c * before);
    if (eq.sFilterGain.value == 0.0)
    {
      EXPECT_TRUE(unchanged);
      break;
    }
    // Even a vanishing gain still runs the band (an all-pass at 0 dB).
    ASSERT_FALSE(unchanged) << "block " << blocks;
    ASSERT_LT(blocks, 2000);
  }
  EXPECT_GT(blocks, 300);
  EXPECT_TRUE(PassesUnchanged(eq, 512, seed++));
}

TEST(AnalogEq, HighShelfBoostPullsTheLowPassDownAndLetsItGo)
{
  analog_eq eq;
  Flat(eq);
  eq.highShelfGain = 15.0;
  unsigned seed = 1;
  for (int block = 0; block < 200; ++block) eq.process(Noise(512, seed++).data(), 512);
  EXPECT_TRUE(eq.lpAuto);
  EXPECT_NEAR(eq.sHighShelfGain.value, 15.0, 1e-12);
  EXPECT_NEAR(eq.lpFreq, 16000.0 / kRate, 1e-15);
  EXPECT_NEAR(Magnitude(eq.lpFilter, 16000.0), std::sqrt(0.5), 1e-9);
  EXPECT_NEAR(Magnitude(eq.lpFilter, 0.0), 1.0, 1e-12);

  eq.highShelfGain = 0.0;
  double lastFreq = eq.lpFreq;
  int blocks = 0;
  while (eq.sHighShelfGain.value != 0.0)
  {
    eq.process(Noise(512, seed++).data(), 512);
    ++blocks;
    if (eq.sHighShelfGain.value == 0.0) break;
    ASSERT_TRUE(eq.lpAuto);
    // The cutoff glides up towards 20 kHz and the low-pass follows it.
    ASSERT_GE(eq.lpFreq, lastFreq);
    ASSERT_LE(eq.lpFreq, 20000.0 / kRate);
    lastFreq = eq.lpFreq;
    if (blocks == 3)
    {
      // Redesigned at the smoothed cutoff, which trails the pulled-down target.
      EXPECT_LT(eq.sLpFreq.value, eq.lpFreq);
      EXPECT_NEAR(Magnitude(eq.lpFilter, eq.sLpFreq.value * kRate), std::sqrt(0.5), 1e-9);
    }
    ASSERT_LT(blocks, 2000);
  }
  EXPECT_GT(blocks, 300);
  // With the boost exactly gone the low-pass is off and the strip is flat again.
  EXPECT_FALSE(eq.lpOn);
  EXPECT_FALSE(eq.lpAuto);
  EXPECT_TRUE(PassesUnchanged(eq, 512, seed++));
}

TEST(AnalogEq, UserLowPassBelowTheBoostCutoffStays)
{
  analog_eq eq;
  Flat(eq);
  eq.lpFreq = eq.lpUserFreq = 10000.0 / kRate;
  eq.lpHz = 10000;
  eq.lpOn = true;
  eq.highShelfGain = 15.0;
  unsigned seed = 1;
  for (int block = 0; block < 200; ++block)
  {
    eq.process(Noise(512, seed++).data(), 512);
    ASSERT_EQ(eq.lpFreq, eq.lpUserFreq);
    ASSERT_TRUE(eq.lpAuto);
  }
  EXPECT_NEAR(Magnitude(eq.lpFilter, 10000.0), std::sqrt(0.5), 1e-9);

  eq.highShelfGain = 0.0;
  while (eq.sHighShelfGain.value != 0.0) eq.process(Noise(512, seed++).data(), 512);
  EXPECT_TRUE(eq.lpOn);
  EXPECT_FALSE(eq.lpAuto);
  EXPECT_EQ(eq.lpFreq, eq.lpUserFreq);
  EXPECT_NEAR(Magnitude(eq.lpFilter, 10000.0), std::sqrt(0.5), 1e-9);
}

TEST(AnalogEq, SmoothingCoefficientFollowsTheBlockLength)
{
  analog_eq eq;
  Flat(eq);
  auto all = [&eq] {
    return std::vector<double>{eq.sFilterFreq.c,    eq.sFilterGain.c,    eq.sFilterQ.c,
                               eq.sHpFreq.c,        eq.sLpFreq.c,        eq.sHighShelfFreq.c,
                               eq.sHighShelfGain.c, eq.sHiMidFreq.c,     eq.sHiMidGain.c,
                               eq.sHiMidQ.c,        eq.sLowMidFreq.c,    eq.sLowMidGain.c,
                               eq.sLowMidQ.c,       eq.sLowShelfFreq.c,  eq.sLowShelfGain.c};
  };
  EXPECT_EQ(all(), std::vector<double>(15, 0.0));

  // 44100 / 512 is 86 blocks per second in integer division, not 86.13.
  eq.process(Noise(512, 1).data(), 512);
  const double c86 = std::exp(-1.0 / (86 * 0.01));
  EXPECT_EQ(all(), std::vector<double>(15, c86));
  EXPECT_NE(c86, std::exp(-1.0 / (44100.0 / 512 * 0.01)));

  // An empty block, or a new rate at the same block length, recomputes nothing.
  eq.process(nullptr, 0);
  EXPECT_EQ(eq.lastFrames, 512);
  EXPECT_EQ(all(), std::vector<double>(15, c86));
  eq.sampleRate = 96000;
  eq.process(Noise(512, 2).data(), 512);
  EXPECT_EQ(all(), std::vector<double>(15, c86));

  eq.sampleRate = 44100;
  eq.process(Noise(100, 3).data(), 100);
  EXPECT_EQ(all(), std::vector<double>(15, std::exp(-1.0 / (441 * 0.01))));

  // A block longer than a second: no blocks per second, so the targets are reached at once.
  eq.filterGain = -4.0;
  eq.process(Noise(50000, 4).data(), 50000);
  EXPECT_EQ(all(), std::vector<double>(15, 0.0));
  EXPECT_EQ(eq.sFilterGain.value, -4.0);
}

TEST(AnalogEq, FirstBlockGlidesInFromZero)
{
  analog_eq eq;
  Flat(eq);
  eq.filterGain = 9.0;
  eq.lowShelfGain = -3.0;
  eq.highShelfGain = -5.0;
  eq.hpOn = true;
  eq.hpFreq = 120.0 / kRate;
  eq.process(Noise(441, 1).data(), 441);
  const double c = std::exp(-1.0); // 100 blocks per second
  ASSERT_EQ(eq.sFilterGain.c, c);
  EXPECT_EQ(eq.sFilterFreq.value, (1 - c) * eq.filterFreq);
  EXPECT_EQ(eq.sFilterGain.value, (1 - c) * 9.0);
  EXPECT_EQ(eq.sFilterQ.value, (1 - c) * eq.filterQ);
  EXPECT_EQ(eq.sHpFreq.value, (1 - c) * eq.hpFreq);
  // Bands that stay off still glide their frequencies in.
  EXPECT_EQ(eq.sHiMidFreq.value, (1 - c) * eq.hiMidFreq);
  EXPECT_EQ(eq.sLowMidGain.value, 0.0);

  // Designed from the smoothed values, not the targets; the shelves with their slopes
  // (the low shelf's a single-precision 1.7).
  Dsp::BiquadPeak<2> peak;
  peak.SetupQ((1 - c) * eq.filterFreq, (1 - c) * 9.0, (1 - c) * eq.filterQ);
  Dsp::BiquadLowShelf<2> low;
  low.Setup((1 - c) * eq.lowShelfFreq, (1 - c) * -3.0, 1.7000000476837158);
  Dsp::BiquadHighShelf<2> high;
  high.Setup((1 - c) * eq.highShelfFreq, (1 - c) * -5.0, 0.5);
  auto same = [](const Dsp::Cascade& got, const Dsp::Cascade& want) {
    const Dsp::Stage &g = got.Stages()[0], &w = want.Stages()[0];
    return g.a[1] == w.a[1] && g.a[2] == w.a[2] && g.b[0] == w.b[0] && g.b[1] == w.b[1] &&
           g.b[2] == w.b[2];
  };
  EXPECT_TRUE(same(eq.filterPeak, peak));
  EXPECT_TRUE(same(eq.lowShelf, low));
  EXPECT_TRUE(same(eq.highShelf, high));

  eq.process(Noise(441, 2).data(), 441);
  EXPECT_EQ(eq.sFilterGain.value, (1 - c) * 9.0 + c * ((1 - c) * 9.0));
}

TEST(AnalogEq, PeakBandsReachTheirGainAtTheirCentres)
{
  struct Case
  {
    double hz, db, q;
    double analog_eq::*freq;
    double analog_eq::*gain;
    double analog_eq::*qField;
    Dsp::BiquadPeak<2> analog_eq::*band;
  };
  const Case cases[] = {
    {1000.0, 9.0, 1.2, &analog_eq::filterFreq, &analog_eq::filterGain, &analog_eq::filterQ,
     &analog_eq::filterPeak},
    {300.0, 6.0, 0.7, &analog_eq::lowMidFreq, &analog_eq::lowMidGain, &analog_eq::lowMidQ,
     &analog_eq::lowMidPeak},
    {3150.0, -8.0, 2.0, &analog_eq::hiMidFreq, &analog_eq::hiMidGain, &analog_eq::hiMidQ,
     &analog_eq::hiMidPeak},
  };
  for (const Case& k : cases)
  {
    analog_eq eq;
    Flat(eq);
    eq.*k.freq = k.hz / kRate;
    eq.*k.gain = k.db;
    eq.*k.qField = k.q;
    const double measured = SineGain(eq, k.hz);
    EXPECT_NEAR(measured, Magnitude(eq.*k.band, k.hz), 1e-9 * measured) << k.hz;
    EXPECT_NEAR(measured, DbToGain(k.db), 1e-9 * measured) << k.hz;
  }
}

TEST(AnalogEq, ShelvesReachTheirGainOnTheirSide)
{
  {
    analog_eq eq;
    Flat(eq);
    eq.lowShelfFreq = 100.0 / kRate;
    eq.lowShelfGain = 10.0;
    EXPECT_NEAR(DcGain(eq), DbToGain(10.0), 1e-9);
  }
  {
    // Half the gain at the shelf frequency, whatever the slope.
    analog_eq eq;
    Flat(eq);
    eq.lowShelfFreq = 100.0 / kRate;
    eq.lowShelfGain = 10.0;
    const double measured = SineGain(eq, 100.0);
    EXPECT_NEAR(measured, Magnitude(eq.lowShelf, 100.0), 1e-9 * measured);
    EXPECT_NEAR(measured, DbToGain(5.0), 1e-9);
  }
  {
    // A cut leaves the low-pass off, so the Nyquist side shows the shelf alone.
    analog_eq eq;
    Flat(eq);
    eq.highShelfGain = -9.0;
    EXPECT_NEAR(NyquistGain(eq), DbToGain(-9.0), 1e-9);
    EXPECT_FALSE(eq.lpOn);
  }
  {
    analog_eq eq;
    Flat(eq);
    eq.highShelfGain = -9.0;
    const double measured = SineGain(eq, 4500.0);
    EXPECT_NEAR(measured, Magnitude(eq.highShelf, 4500.0), 1e-9 * measured);
    EXPECT_NEAR(measured, DbToGain(-4.5), 1e-9);
  }
  {
    // A boost brings in the low-pass, whose zero sits at Nyquist.
    analog_eq eq;
    Flat(eq);
    eq.highShelfGain = 6.0;
    EXPECT_NEAR(NyquistGain(eq), 0.0, 1e-9);
  }
}

TEST(AnalogEq, PassFiltersAreThreeDecibelsDownAtTheirCutoffs)
{
  {
    analog_eq eq;
    Flat(eq);
    eq.hpOn = true;
    eq.hpFreq = 100.0 / kRate;
    const double measured = SineGain(eq, 100.0);
    EXPECT_NEAR(measured, Magnitude(eq.hpFilter, 100.0), 1e-9);
    EXPECT_NEAR(measured, std::sqrt(0.5), 1e-9);
  }
  {
    analog_eq eq;
    Flat(eq);
    eq.lpOn = true;
    eq.lpHz = 4410;
    eq.lpFreq = eq.lpUserFreq = 4410.0 / kRate;
    const double measured = SineGain(eq, 4410.0);
    EXPECT_NEAR(measured, Magnitude(eq.lpFilter, 4410.0), 1e-9);
    EXPECT_NEAR(measured, std::sqrt(0.5), 1e-9);
  }
}

// The user's low-pass filters every block exactly once while a high-shelf boost comes
// and goes. Filtering twice (the block a boost begins) or not at all (the block the
// boost's smoothed gain reaches 0) would click; the module must match a chain that
// runs the low-pass and then the shelf once per block at the module's own settings.
TEST(AnalogEq, LowPassRunsOncePerBlockAcrossABoost)
{
  analog_eq eq;
  Flat(eq);
  eq.lpFreq = eq.lpUserFreq = 10000.0 / kRate;
  eq.lpHz = 10000;
  eq.lpOn = true;
  Dsp::ButterLowPass<2, 2> lp;
  Dsp::BiquadHighShelf<2> shelf;

  const int block = 256; // c > 0.5: the glide must still come to rest
  int handBacks = 0, autoBlocks = 0;
  for (int b = 0; b < 3300; ++b)
  {
    if (b == 100) eq.highShelfGain = 15 * 1.08;
    if (b == 200) eq.highShelfGain = 0.0;
    const auto in = Noise(block, 1000 + b);
    auto out = in;
    const bool wasAuto = eq.lpAuto;
    eq.process(out.data(), block);
    autoBlocks += eq.lpAuto;
    handBacks += wasAuto && !eq.lpAuto;

    auto ref = in;
    lp.Setup(Dsp::Spec{2, 1.0, eq.sLpFreq.value, 0.0});
    lp.ProcessII((size_t) block, ref.data());
    shelf.Setup(eq.sHighShelfFreq.value, eq.sHighShelfGain.value, 0.5);
    if (eq.sHighShelfGain.value != 0.0) shelf.ProcessII((size_t) block, ref.data());
    ASSERT_EQ(out, ref) << "block " << b;
  }
  EXPECT_GT(autoBlocks, 100);
  EXPECT_EQ(handBacks, 1);
  EXPECT_EQ(eq.sHighShelfGain.value, 0.0);
  EXPECT_EQ(eq.lpFreq, eq.lpUserFreq);
}

// Every glide comes to rest exactly on its target, so a band whose knob has stopped
// also stops being redesigned, whatever the block length.
TEST(AnalogEq, GlidesComeToRestOnTheirTargets)
{
  for (double c : {0.2, 0.56, 0.9})
    for (double target : {0.3, -7.25, 0.0, 1e-300})
    {
      analog_eq::Smoother s;
      s.c = c;
      s.value = 12.0;
      for (int i = 0; i < 20000 && s.value != target; ++i) s.step(target);
      EXPECT_EQ(s.value, target) << c << " " << target;
    }
}
