// The analogue colour: the saturator's shaping and the analogue block around it.

#include "dsp/AnalogueClock.h"
#include "dsp/analogue_block.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace
{
constexpr double kTwoPi = 6.283185307179586;

// Interleaved stereo frames with independent uniform channels.
std::vector<double> Noise(int frames, unsigned seed, double lo, double hi)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> d(lo, hi);
  std::vector<double> v(2 * frames);
  for (double& x : v) x = d(rng);
  return v;
}

// The same sine on both channels, f in cycles per sample.
std::vector<double> Sine(int frames, double f, double amplitude)
{
  std::vector<double> v(2 * frames);
  for (int i = 0; i < frames; ++i) v[2 * i] = v[2 * i + 1] = amplitude * std::sin(kTwoPi * f * i);
  return v;
}

// Amplitude of the component at f in the left channel of frames [from, from + n);
// n must hold whole periods of f.
double Amplitude(const std::vector<double>& v, int from, int n, double f)
{
  double re = 0.0, im = 0.0;
  for (int i = from; i < from + n; ++i)
  {
    re += v[2 * i] * std::cos(kTwoPi * f * i);
    im += v[2 * i] * std::sin(kTwoPi * f * i);
  }
  return 2.0 / n * std::hypot(re, im);
}

// The shaping filter as the saturator is meant to design it.
void DesignShapeFilter(Dsp::ChebyILowPass<4, 2>& f)
{
  Dsp::Spec spec;
  spec.order = 4;
  spec.sampleRate = 1.0;
  spec.cutoffFreq = 0.064;
  spec.passbandRippleDb = 0.5;
  f.Setup(spec);
}

// The shaping written out from its definition, on its own filter.
void ReferenceShape(Dsp::ChebyILowPass<4, 2>& filter, double e, double trimL, double trimR,
                    bool stereo, std::vector<double>& x)
{
  std::vector<double> v = x;
  filter.ProcessI(v.size() / 2, v.data());
  for (size_t i = 0; i < v.size(); ++i)
  {
    if (stereo) v[i] *= i % 2 == 0 ? 1 + 0.01 * trimL : 1 + 0.01 * trimR;
    const double v2 = v[i] * v[i], v3 = v2 * v[i];
    const double v4 = v2 * v2, v5 = v2 * v3, v6 = v3 * v3, v7 = v4 * v3;
    x[i] = x[i] + (e / 2) * v2 - 0.33 * v3 + (e / 4) * v4 - 0.15 * v5 + (e / 8) * v6 - 0.037 * v7;
  }
}

// The noise generator's output for the first frames after construction:
// w * 2^-31 * 1e-7 for the signed second state word w.
constexpr int32_t kFirstNoiseWords[] = {-271733879, 2018915345, 1765077162, 52378845};
double NoiseOf(int32_t w) { return (double) w * 4.656612873077393e-10 * 1e-7; }

// A saturator set up as an analogue block sets it up: settings first, then init.
void Prepare(saturator& s, int rate, double even, double second, double trimL, double trimR)
{
  s.evenAmount = even;
  s.secondAmount = second;
  s.trimLeft = trimL;
  s.trimRight = trimR;
  s.init(rate);
}

// An analogue block set up as its owners' engine does: a fresh draw, then init.
void Prepare(analogue_block& b, int rate)
{
  b.setTolerances(analogue_block::drawTolerances());
  b.init(rate);
}

class AnalogueBlock : public ::testing::Test
{
protected:
  void SetUp() override { AnalogueClock::SetFixed(kTime); }
  void TearDown() override { AnalogueClock::UseSystemTime(); }

  // Makes the shaping contribute exactly nothing, leaving clip, DC blocker and noise.
  static void SilenceShaping(analogue_block& b) { b.sat.shapeFilter.Scale(0.0); }

  static constexpr time_t kTime = 1700000000;
};
} // namespace

// ----- saturator -----

TEST(Saturator, SilenceGivesSilence)
{
  saturator s;
  Prepare(s, 44100, 0.5, 0.0, 5.0, 0.01);
  s.setStereo(true);
  std::vector<double> x(2 * 512, 0.0);
  s.process(x.data(), 512);
  for (double y : x) ASSERT_EQ(y, 0.0);
}

TEST(Saturator, PolynomialOfTheFilteredCopyExactly)
{
  // Even weights large enough to matter, distinct trims, across blocks and a re-init
  // (which keeps the filter history).
  saturator s;
  Prepare(s, 44100, 0.5, 1.0, 3.17, 0.42);
  s.setStereo(true);
  Dsp::ChebyILowPass<4, 2> ref;
  DesignShapeFilter(ref);
  unsigned seed = 1;
  for (int frames : {100, 4096, 1, 333})
  {
    auto x = Noise(frames, seed++, -1.5, 1.5);
    auto expected = x;
    s.process(x.data(), frames);
    ReferenceShape(ref, 0.5, 3.17, 0.42, true, expected);
    ASSERT_EQ(x, expected) << frames << " frames";
  }
  Prepare(s, 96000, 0.005, 0.0, 1.0, 2.0);
  EXPECT_FALSE(s.isStereo);
  for (bool stereo : {false, true})
  {
    auto x = Noise(700, seed++, -1.0, 1.0);
    auto expected = x;
    s.setStereo(stereo);
    s.process(x.data(), 700);
    ReferenceShape(ref, 0.005, 1.0, 2.0, stereo, expected);
    ASSERT_EQ(x, expected) << "stereo " << stereo;
  }
}

TEST(Saturator, EvenTermsAreTheOnlyAsymmetry)
{
  // With the filter linear, x and -x give v and -v: the odd terms flip sign, the even
  // terms do not.
  const auto x = Sine(2000, 0.01, 0.9);
  auto negated = x;
  for (double& v : negated) v = -v;
  auto run = [](double even, std::vector<double> in) {
    saturator s;
    Prepare(s, 44100, even, 0.0, 0.0, 0.0);
    s.process(in.data(), (int) in.size() / 2);
    return in;
  };

  const auto p0 = run(0.0, x), n0 = run(0.0, negated);
  for (size_t i = 0; i < x.size(); ++i) ASSERT_EQ(p0[i], -n0[i]);

  const auto p = run(0.005, x), n = run(0.005, negated);
  double evenPeak = 0.0, oddPeak = 0.0;
  for (size_t i = 0; i < x.size(); ++i)
  {
    evenPeak = std::max(evenPeak, std::fabs(p[i] + n[i]) / 2);
    oddPeak = std::max(oddPeak, std::fabs((p[i] - n[i]) / 2 - x[i]));
  }
  // |v| < 1 here: the even part is at most 0.0025 + 0.00125 + 0.000625.
  EXPECT_GT(evenPeak, 0.0);
  EXPECT_LT(evenPeak, 0.004375);
  EXPECT_LT(evenPeak, 0.02 * oddPeak);
}

TEST(Saturator, HighInputsAreFilteredBeforeShaping)
{
  // Everything the shaping adds that is not at the fundamental, after settling.
  auto distortion = [](double f) {
    saturator s;
    Prepare(s, 44100, 0.005, 0.0, 0.0, 0.0);
    const auto dry = Sine(3000, f, 1.0);
    auto wet = dry;
    s.process(wet.data(), 3000);
    std::vector<double> added(wet.size());
    for (size_t i = 0; i < wet.size(); ++i) added[i] = wet[i] - dry[i];
    double power = 0.0;
    for (int i = 1000; i < 3000; ++i) power += added[2 * i] * added[2 * i];
    power /= 2000;
    const double fundamental = Amplitude(added, 1000, 2000, f);
    return std::sqrt(power - fundamental * fundamental / 2);
  };
  const double low = distortion(0.01), high = distortion(0.1);
  EXPECT_GT(low, 0.01);
  EXPECT_LT(high, 0.002 * low);
}

// ----- analogue block -----

TEST_F(AnalogueBlock, ClipThenDcBlockerDecaysAtTenHertz)
{
  analogue_block b;
  Prepare(b, 48000);
  // The 10 Hz factor comes from a single-precision quotient.
  const double p = std::exp(-kTwoPi * (double) (10.0f / 48000.0f));
  EXPECT_EQ(b.dcBlocker.a1, p);
  EXPECT_EQ(b.dcBlocker.b0, (1 + p) / 2);
  EXPECT_EQ(b.dcBlocker.b1, -(1 + p) / 2);
  SilenceShaping(b);

  // Frame 0 shows the clip alone: the blocker starts from rest, y = b0 * x.
  const std::vector<double> x = {1.0, -1.0, 1.5, -7.0, 0.999, -0.25, 1e300, -1e300};
  const std::vector<double> clipped = {1.0, -1.0, 1.0, -1.0, 0.999, -0.25, 1.0, -1.0};
  for (size_t pair = 0; pair < 4; ++pair)
  {
    analogue_block c;
    Prepare(c, 48000);
    SilenceShaping(c);
    double frame[2] = {x[2 * pair], x[2 * pair + 1]};
    c.process(frame, 1);
    EXPECT_EQ(frame[0], c.dcBlocker.b0 * clipped[2 * pair] + NoiseOf(kFirstNoiseWords[0]));
    EXPECT_EQ(frame[1], c.dcBlocker.b0 * clipped[2 * pair + 1] + NoiseOf(kFirstNoiseWords[0]));
  }

  // A constant 2.0 becomes a step of 1.0 whose blocked output falls by p per sample.
  const int n = 4800;
  std::vector<double> in(2 * n, 2.0);
  b.process(in.data(), 2400);
  b.process(in.data() + 4800, 2400);
  const double y0 = b.dcBlocker.b0;
  EXPECT_NEAR(in[0], y0, 1e-7);
  for (int i : {480, 1600, 4799})
  {
    // Within the noise floor of exp(-2 pi 10 t).
    EXPECT_NEAR(in[2 * i], y0 * std::exp(-kTwoPi * 10.0 * i / 48000.0), 1.01e-7) << i;
    EXPECT_EQ(in[2 * i], in[2 * i + 1]);
  }
  EXPECT_EQ(b.dcBlocker.xPrev[0], 1.0);
}

TEST_F(AnalogueBlock, ShapingDrivesAConstantTwoNegativeBeforeTheClip)
{
  analogue_block b;
  Prepare(b, 44100);
  std::vector<double> in(2 * 2000, 2.0);
  b.process(in.data(), 2000);
  // Within ten samples the filtered copy has grown enough for its odd terms to swamp
  // the dry 2.0, so the clip turns from +1 to -1 and the blocker's output swings below -1.
  EXPECT_GT(in[0], 0.99);
  EXPECT_LT(in[2 * 10], -1.0);
  EXPECT_LT(in[2 * 1999], 0.0);
}

TEST_F(AnalogueBlock, NoiseSequenceAndBound)
{
  analogue_block b;
  Prepare(b, 44100);
  EXPECT_EQ(b.noiseState[0], 0x67452301u);
  EXPECT_EQ(b.noiseState[1], 0xefcdab89u);
  // Empty blocks touch neither the buffer nor the generator.
  double untouched[2] = {0.5, -0.5};
  b.process(untouched, 0);
  b.process(untouched, -3);
  EXPECT_EQ(untouched[0], 0.5);
  EXPECT_EQ(untouched[1], -0.5);

  // Silence in: the noise plus what the blocker passes of the 1e-24 offset.
  std::vector<double> x(2 * 3, 0.0);
  b.process(x.data(), 3);
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_NEAR(x[2 * i], NoiseOf(kFirstNoiseWords[i]), 4e-24) << i;
    EXPECT_EQ(x[2 * i], x[2 * i + 1]);
  }
  // init does not restart the generator.
  Prepare(b, 44100);
  double frame[2] = {0.0, 0.0};
  b.process(frame, 1);
  EXPECT_NEAR(frame[0], NoiseOf(kFirstNoiseWords[3]), 4e-24);

  double peak = 0.0;
  std::vector<double> silence(2 * 4096);
  for (int block = 0; block < 8; ++block)
  {
    std::fill(silence.begin(), silence.end(), 0.0);
    b.process(silence.data(), 4096);
    for (double y : silence) peak = std::max(peak, std::fabs(y));
  }
  EXPECT_LE(peak, 1e-7 + 1e-23);
  EXPECT_GT(peak, 0.99e-7);
}

TEST_F(AnalogueBlock, TolerancesAreHundredthsFromOneTo500)
{
  for (time_t t = 0; t < 300; ++t)
  {
    AnalogueClock::SetFixed(kTime + 7919 * t);
    const analogue_block::Tolerances draw = analogue_block::drawTolerances();
    for (double tol : {draw.first, draw.second})
    {
      const double k = std::round(tol * 100);
      ASSERT_GE(k, 1.0);
      ASSERT_LE(k, 500.0);
      ASSERT_EQ(tol, k / 100);
    }
  }
}

TEST_F(AnalogueBlock, SameSecondSameTolerancesAndInitDrawsNothing)
{
  const analogue_block::Tolerances first = analogue_block::drawTolerances();
  const analogue_block::Tolerances again = analogue_block::drawTolerances();
  EXPECT_EQ(again.first, first.first);
  EXPECT_EQ(again.second, first.second);

  // init sets up with the tolerances it holds, whatever the clock says.
  analogue_block a;
  a.setTolerances(first);
  AnalogueClock::SetFixed(kTime + 1);
  a.init(44100);
  a.init(96000);
  EXPECT_EQ(a.tolerance1, first.first);
  EXPECT_EQ(a.tolerance2, first.second);
  EXPECT_EQ(a.sat.trimLeft, first.first);

  // Another second draws another pair (for these two seconds at least).
  const analogue_block::Tolerances next = analogue_block::drawTolerances();
  EXPECT_TRUE(next.first != first.first || next.second != first.second);
}

TEST_F(AnalogueBlock, ModeOneSwapsTheTolerances)
{
  const analogue_block::Tolerances draw = analogue_block::drawTolerances();
  const double t1 = draw.first, t2 = draw.second;
  ASSERT_NE(t1, t2);
  analogue_block clean, fet(analogue_block::kModeFet, true), opto(analogue_block::kModeOpto, true);
  for (analogue_block* b : {&clean, &fet, &opto})
  {
    b->setTolerances(draw);
    b->init(44100);
  }
  EXPECT_EQ(clean.sat.evenAmount, 0.005);
  EXPECT_EQ(clean.sat.secondAmount, 0.0);
  EXPECT_EQ(clean.sat.trimLeft, t1);
  EXPECT_EQ(clean.sat.trimRight, t2);
  EXPECT_EQ(fet.sat.evenAmount, 0.5);
  EXPECT_EQ(fet.sat.trimLeft, t2);
  EXPECT_EQ(fet.sat.trimRight, t1);
  EXPECT_EQ(opto.sat.evenAmount, 0.5);
  EXPECT_EQ(opto.sat.secondAmount, 1.0);
  EXPECT_EQ(opto.sat.trimLeft, t1);
  EXPECT_EQ(opto.sat.trimRight, t2);

  // An unknown mode sets up the DC blocker and leaves the shaping as it was.
  analogue_block odd(9);
  odd.setTolerances(draw);
  odd.init(44100);
  EXPECT_EQ(odd.dcBlocker.a1, clean.dcBlocker.a1);
  EXPECT_EQ(odd.sat.trimLeft, 0.0);
  EXPECT_EQ(odd.sat.evenAmount, 0.0);

  // On audio: mode 1 on (x, y) is mode 2 on (y, x) with the channels swapped back.
  fet.isStereo = opto.isStereo = true;
  auto a = Noise(1000, 3, -0.8, 0.8);
  std::vector<double> swapped(a.size());
  for (size_t i = 0; i < a.size(); i += 2)
  {
    swapped[i] = a[i + 1];
    swapped[i + 1] = a[i];
  }
  fet.process(a.data(), 1000);
  opto.process(swapped.data(), 1000);
  for (size_t i = 0; i < a.size(); i += 2)
  {
    ASSERT_EQ(a[i], swapped[i + 1]);
    ASSERT_EQ(a[i + 1], swapped[i]);
  }
}

TEST_F(AnalogueBlock, StereoTrimsSeparateTheChannels)
{
  const auto in = Sine(2000, 0.01, 0.7);
  auto run = [&](bool stereo) {
    analogue_block b;
    Prepare(b, 44100);
    b.isStereo = stereo;
    auto x = in;
    b.process(x.data(), 1000);
    b.process(x.data() + 2000, 1000);
    return x;
  };
  const auto mono = run(false);
  for (size_t i = 0; i < mono.size(); i += 2) ASSERT_EQ(mono[i], mono[i + 1]);

  const auto stereo = run(true);
  double diff = 0.0;
  for (size_t i = 0; i < stereo.size(); i += 2) diff = std::max(diff, std::fabs(stereo[i] - stereo[i + 1]));
  // The trims differ by at most 5 % of a copy whose cubic term is about 0.1 here.
  EXPECT_GT(diff, 1e-4);
  EXPECT_LT(diff, 0.05);
}

TEST_F(AnalogueBlock, LongBlocksMatchShortOnes)
{
  analogue_block whole, pieces;
  Prepare(whole, 44100);
  Prepare(pieces, 44100);
  whole.isStereo = pieces.isStereo = true;
  const int n = 2 * analogue_block::kMaxFrames + 17;
  auto a = Noise(n, 11, -1.2, 1.2);
  auto b = a;
  whole.process(a.data(), n);
  pieces.process(b.data(), analogue_block::kMaxFrames);
  pieces.process(b.data() + 2 * analogue_block::kMaxFrames, analogue_block::kMaxFrames + 17);
  EXPECT_EQ(a, b);
}
