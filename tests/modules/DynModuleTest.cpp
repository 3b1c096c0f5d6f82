// The three compressors and the expander, driven directly through their public fields.

#include "dsp/AnalogueClock.h"
#include "dsp/VCACompressor.h"
#include "dsp/VintageFETCompressor.h"
#include "dsp/VintageOptoCompressor.h"
#include "dsp/expander.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{
constexpr int kRate = 44100;
constexpr double kPi = 3.141592653589793;

double Coef(double ms, int rate) { return std::exp(-1.0 / (ms / 1000.0 * rate)); }

// Interleaved stereo, the same value on both channels.
std::vector<double> Centred(int frames, double amp, double freq, double phase = 0.0)
{
  std::vector<double> v(2 * frames);
  for (int i = 0; i < frames; ++i) v[2 * i] = v[2 * i + 1] = amp * std::sin(2 * kPi * freq / kRate * i + phase);
  return v;
}

std::vector<double> Constant(int frames, double l, double r)
{
  std::vector<double> v(2 * frames);
  for (int i = 0; i < frames; ++i)
  {
    v[2 * i] = l;
    v[2 * i + 1] = r;
  }
  return v;
}

// Amplitude of the sinusoid at w rad/sample in channel ch over [begin, end), a whole
// number of periods.
double Amplitude(const std::vector<double>& v, int ch, int begin, int end, double w)
{
  double c = 0.0, s = 0.0;
  for (int i = begin; i < end; ++i)
  {
    c += v[2 * i + ch] * std::cos(w * i);
    s += v[2 * i + ch] * std::sin(w * i);
  }
  return 2.0 * std::sqrt(c * c + s * s) / (end - begin);
}

double Rms(const std::vector<double>& v, int ch, int begin, int end)
{
  double sum = 0.0;
  for (int i = begin; i < end; ++i) sum += v[2 * i + ch] * v[2 * i + ch];
  return std::sqrt(sum / (end - begin));
}

// A compressor set up as the engine sets one up, with fixed draws: two made alike
// process alike.
template <class C>
std::unique_ptr<C> Make(int rate = kRate)
{
  srand(1);
  AnalogueClock::SetFixed(1700000000);
  auto c = std::make_unique<C>();
  c->analogue.setTolerances(analogue_block::drawTolerances());
  c->init(rate);
  return c;
}

std::unique_ptr<VCACompressor> MakeVCA(double thr, double ratio, double attackMs = 1.0,
                                       double releaseMs = 100.0)
{
  auto c = Make<VCACompressor>();
  c->threshold = thr;
  c->ratio = ratio;
  c->attackCoef = Coef(attackMs, kRate);
  c->releaseCoef = Coef(releaseMs, kRate);
  return c;
}

std::unique_ptr<VintageFETCompressor> MakeFET(double thr, double ratioAmount)
{
  auto c = Make<VintageFETCompressor>();
  c->threshold = thr;
  c->ratioAmount = ratioAmount;
  return c;
}

// As the engine sets it up at 44.1 kHz.
expander MakeExpander(double thr, double ratio, double attackMs = 1.0, double releaseMs = 50.0)
{
  expander x;
  x.threshold = thr;
  x.ratio = ratio;
  x.attackCoef = Coef(attackMs, kRate);
  x.releaseCoef = Coef(releaseMs, kRate);
  const double p = std::pow(2.718281828459045, -6.283185307179586 * (double) (12.12f / (float) kRate));
  x.msFilter.b0 = 1.0 - p;
  x.msFilter.a1 = p;
  return x;
}

// The FET and opto gain curve; the FET feeds it 2 * envelope^2, the opto the envelope.
double Curve(double e) { return 1.0 - (0.1071000671 * e + e / (0.37011709966 * e * e + 1.1605589854)); }
} // namespace

// ----- VCA -----

TEST(VCACompressor, BelowThresholdOrAtUnitRatioTheGainIsExactlyOne)
{
  struct Case
  {
    double thr, ratio, amp;
  };
  for (const Case& k : {Case{0.5, 4.0, 0.3}, Case{0.01, 1.0, 0.9}})
  {
    auto c = MakeVCA(k.thr, k.ratio);
    auto buf = Centred(20000, k.amp, 997.0);
    const auto in = buf;
    for (int b = 0; b < 20000; b += 500) c->process(buf.data() + 2 * b, 500);
    for (size_t i = 0; i < buf.size(); ++i) ASSERT_EQ(buf[i], in[i] + 1e-24) << "frame " << i / 2;
    EXPECT_EQ(c->gain, 1.0);
    EXPECT_EQ(c->minGain, 1.0);
    if (k.ratio == 1.0)
    {
      EXPECT_GT(c->envelope, 20 * k.thr) << "the level was far above threshold";
    }
  }
}

TEST(VCACompressor, AStepPassesItsFirstFrameAndIsReducedWithTheAttack)
{
  auto fast = MakeVCA(0.1, 4.0, 1.0), slow = MakeVCA(0.1, 4.0, 30.0);
  const int n = 4410;
  auto bf = Constant(n, 0.0, 0.0), bs = bf;
  fast->process(bf.data(), n);
  slow->process(bs.data(), n);
  bf = bs = Constant(n, 0.8, 0.8);
  fast->process(bf.data(), n);
  slow->process(bs.data(), n);

  EXPECT_EQ(bf[0], 0.8 + 1e-24);
  EXPECT_EQ(bs[0], 0.8 + 1e-24);
  for (int i = 1; i < n; ++i) ASSERT_LE(bf[2 * i], bf[2 * i - 2]) << i;
  // 50 ms into the step the slower attack has reduced less; both are well reduced by 100 ms.
  EXPECT_LT(bf[2 * 2205], bs[2 * 2205] - 0.01);
  EXPECT_LT(bs[2 * (n - 1)], 0.8 * 0.7);
  EXPECT_LT(fast->minGain, slow->minGain);
}

TEST(VCACompressor, SettledEnvelopeOfOneAtThresholdHalfAndRatioFourGivesFiveEighths)
{
  auto c = MakeVCA(0.5, 4.0);
  c->envelope = 1.0;
  c->meanSquare = 1.0;
  auto buf = Constant(2, 1.0, 1.0);
  c->process(buf.data(), 2);
  EXPECT_DOUBLE_EQ(c->gain, 0.625);
  EXPECT_DOUBLE_EQ(buf[2], 0.625);

  // From scratch the same level settles on the same gain.
  auto d = MakeVCA(0.5, 4.0);
  auto level = Constant(4096, 1.0, 1.0);
  for (int b = 0; b < 25; ++b)
  {
    level = Constant(4096, 1.0, 1.0);
    d->process(level.data(), 4096);
  }
  EXPECT_NEAR(d->gain, 0.625, 1e-9);
  EXPECT_NEAR(level[2 * 4095], 0.625, 1e-9);
}

TEST(VCACompressor, MinGainIsTheBlocksLowestComputedGain)
{
  auto c = MakeVCA(0.2, 10.0);
  auto quiet = Centred(1000, 0.05, 500.0);
  c->process(quiet.data(), 1000);
  EXPECT_EQ(c->minGain, 1.0);

  auto loud = Centred(4000, 0.9, 500.0);
  c->process(loud.data(), 4000);
  EXPECT_LT(c->minGain, 0.9);
  EXPECT_LE(c->minGain, c->gain);

  // With the detector emptied, the next block computes only unity gains even though
  // its first frame still carries the reduced gain.
  const double carried = c->gain;
  c->envelope = c->meanSquare = 0.0;
  quiet = Constant(10, 0.05, 0.05);
  c->process(quiet.data(), 10);
  EXPECT_EQ(quiet[0], carried * (0.05 + 1e-24));
  EXPECT_EQ(c->minGain, 1.0);
}

TEST(VCACompressor, RightChannelCarriesTheOffsetOnlyWithAnalogueInStereo)
{
  struct Case
  {
    bool analogue, stereo;
  };
  for (const Case& k : {Case{true, true}, Case{true, false}, Case{false, true}})
  {
    auto c = MakeVCA(0.05, 8.0);
    c->analogueOn = k.analogue;
    c->setStereo(k.stereo);
    // Equal trims, so the analogue block itself treats both channels alike.
    c->analogue.sat.trimRight = c->analogue.sat.trimLeft;
    const auto in = Centred(3000, 0.5, 300.0);
    int checked = 0;
    for (int i = 0; i < 3000; ++i)
    {
      const double g = c->gain;
      double f[2] = {in[2 * i], in[2 * i + 1]};
      c->process(f, 1);
      if (!(k.analogue && k.stereo))
      {
        ASSERT_EQ(f[1], f[0]) << i;
      }
      else if (std::fabs(f[0]) > 1e-3)
      {
        ASSERT_NEAR(f[1] / f[0], (g + c->rightGainOffset) / g, 1e-13) << i;
        ++checked;
      }
    }
    if (k.analogue && k.stereo)
    {
      EXPECT_GT(checked, 2500);
      EXPECT_LT(c->minGain, 0.5) << "the offset must be seen under reduction";
    }
  }
}

TEST(Compressors, RightGainOffsetIsDrawnOnceAtConstruction)
{
  // Extremes of d = (rand() % 200 + 1) / 100 and the sign change after d = 1.
  srand(12345);
  double lowNeg = 0.0, highNeg = -1.0, lowPos = 1.0, highPos = 0.0;
  for (int i = 0; i < 4000; ++i)
  {
    const double v = drawRightGainOffset();
    if (v < 0.0)
    {
      lowNeg = std::min(lowNeg, v);
      highNeg = std::max(highNeg, v);
    }
    else
    {
      lowPos = std::min(lowPos, v);
      highPos = std::max(highPos, v);
    }
  }
  EXPECT_DOUBLE_EQ(lowNeg, -0.005);
  EXPECT_DOUBLE_EQ(highNeg, -0.00005);
  EXPECT_DOUBLE_EQ(lowPos, 0.00505);
  EXPECT_DOUBLE_EQ(highPos, 0.01);

  // Each compressor draws once while it is constructed, and init does not redraw.
  srand(77);
  const double first = drawRightGainOffset(), second = drawRightGainOffset(),
               third = drawRightGainOffset();
  srand(77);
  auto vca = std::make_unique<VCACompressor>();
  auto fet = std::make_unique<VintageFETCompressor>();
  auto opto = std::make_unique<VintageOptoCompressor>();
  vca->init(kRate);
  fet->init(kRate);
  opto->init(kRate);
  EXPECT_EQ(vca->rightGainOffset, first);
  EXPECT_EQ(fet->rightGainOffset, second);
  EXPECT_EQ(opto->rightGainOffset, third);
}

TEST(VCACompressor, StaticCurveAboveThresholdOnASettledSine)
{
  // Output level = threshold + excess / ratio, on linear RMS levels. The envelope rides
  // the mean square's ripple about 7e-5 high, which moves the output by at most threshold * 7e-5.
  const double thr = 0.1;
  for (double ratio : {2.0, 4.0, 10.0})
    for (double inRms : {0.15, 0.3, 0.6})
    {
      auto c = MakeVCA(thr, ratio, 10.0, 100.0);
      const int n = 2 * 44100 + 4410;
      auto buf = Centred(n, inRms * std::sqrt(2.0), 4410.0);
      for (int b = 0; b < n; b += 4410) c->process(buf.data() + 2 * b, 4410);
      const double out = Rms(buf, 0, n - 4410, n);
      EXPECT_NEAR(out, thr + (inRms - thr) / ratio, 1e-5) << "ratio " << ratio << " in " << inRms;
    }
}

// ----- the shared 2x path -----

namespace
{
// Gain at w (rad/sample at the base rate) of zero-stuffing by 2, the two low-passes
// and decimation: the baseband term plus the image that folds back onto it.
template <class C>
double OversampledGain(const C& c, double w)
{
  const double w1 = w / 2.0, w2 = kPi - w / 2.0;
  const std::complex<double> h1 = c.upFilter.Response(w1) * c.downFilter.Response(w1);
  const std::complex<double> h2 = c.upFilter.Response(w2) * c.downFilter.Response(w2);
  return std::abs(h1 + std::conj(h2));
}

template <class C>
void ExpectPassband(C& c, const char* what)
{
  c.oversampling = true;
  const int n = 8000, period = 40;
  const double w = 2 * kPi / period;
  auto buf = Centred(n, 0.25, (double) kRate / period);
  for (int b = 0; b < n; b += 1000) c.process(buf.data() + 2 * b, 1000);
  EXPECT_EQ(c.minGain, 1.0) << what;
  const double expect = OversampledGain(c, w);
  for (int ch = 0; ch < 2; ++ch)
  {
    const double gain = Amplitude(buf, ch, 4000, n, w) / 0.25;
    EXPECT_NEAR(gain, expect, 1e-9) << what;
    EXPECT_LT(std::fabs(20.0 * std::log10(gain)), 0.015) << what;
  }
}
} // namespace

TEST(Compressors, OversampledLowSineStaysInTheBesselPassband)
{
  auto vca = MakeVCA(1.0, 4.0);
  ExpectPassband(*vca, "VCA");
  auto fet = MakeFET(1.0, 0.0);
  ExpectPassband(*fet, "FET");
  auto opto = Make<VintageOptoCompressor>();
  ExpectPassband(*opto, "opto");
}

TEST(Compressors, OversampledBlocksLongerThanTheUpsamplingMemory)
{
  // Beyond the 2x memory a block runs in pieces: the same samples as short blocks, and
  // the meter reads the smallest gain of the whole block.
  const int n = 2 * (VCACompressor::kUpsampleSamples / 4) + 17;
  const auto in = Centred(n, 0.9, 2345.0);
  auto check = [&](auto& whole, auto& shortBlocks, const char* what) {
    for (auto* c : {&whole, &shortBlocks})
    {
      c->threshold = 0.2;
      c->oversampling = c->analogueOn = c->isStereo = true;
    }
    auto a = in, b = in;
    whole.process(a.data(), n);
    double lowest = 1.0;
    for (int done = 0; done < n; done += 1000)
    {
      shortBlocks.process(b.data() + 2 * done, std::min(1000, n - done));
      lowest = std::min(lowest, shortBlocks.minGain);
    }
    EXPECT_EQ(a, b) << what;
    EXPECT_EQ(whole.minGain, lowest) << what;
    EXPECT_LT(lowest, 0.9) << what;
    // An empty block still reports no reduction.
    whole.process(a.data(), 0);
    EXPECT_EQ(whole.minGain, 1.0) << what;
  };
  auto v1 = MakeVCA(0.2, 8.0), v2 = MakeVCA(0.2, 8.0);
  check(*v1, *v2, "VCA");
  auto f1 = MakeFET(0.2, 0.7), f2 = MakeFET(0.2, 0.7);
  check(*f1, *f2, "FET");
  auto o1 = Make<VintageOptoCompressor>(), o2 = Make<VintageOptoCompressor>();
  check(*o1, *o2, "opto");
}

TEST(Compressors, BlockSizeDoesNotChangeTheOutput)
{
  // Every piece of state (detectors, filters, analogue colour) carries across blocks.
  const auto in = Centred(6000, 0.7, 1234.0);
  auto run = [&](auto& c, int block) {
    auto buf = in;
    for (int b = 0; b < 6000; b += block) c.process(buf.data() + 2 * b, std::min(block, 6000 - b));
    return buf;
  };
  for (bool over : {false, true})
  {
    auto a = MakeVCA(0.1, 6.0), b = MakeVCA(0.1, 6.0);
    auto f1 = MakeFET(0.5, 0.8), f2 = MakeFET(0.5, 0.8);
    f1->attackCoef = f2->attackCoef = Coef(0.3, kRate);
    f1->releaseCoef = f2->releaseCoef = Coef(65.0, kRate);
    auto o1 = Make<VintageOptoCompressor>(), o2 = Make<VintageOptoCompressor>();
    o1->threshold = o2->threshold = 0.3;
    auto set = [over](auto& c) {
      c.analogueOn = c.oversampling = over;
      c.isStereo = true;
    };
    set(*a), set(*b), set(*f1), set(*f2), set(*o1), set(*o2);
    EXPECT_EQ(run(*a, 4096), run(*b, 77)) << "VCA " << over;
    EXPECT_EQ(run(*f1, 4096), run(*f2, 333)) << "FET " << over;
    EXPECT_EQ(run(*o1, 4096), run(*o2, 1)) << "opto " << over;
  }
  expander x1 = MakeExpander(0.5, 8.0), x2 = MakeExpander(0.5, 8.0);
  EXPECT_EQ(run(x1, 6000), run(x2, 5));
}

// ----- FET -----

TEST(VintageFETCompressor, NoRatioOrNoThresholdMeansNoDetection)
{
  struct Case
  {
    double thr, amount;
  };
  for (const Case& k : {Case{1.0, 0.0}, Case{0.0, 1.0}})
  {
    auto c = MakeFET(k.thr, k.amount);
    c->attackCoef = Coef(0.03, kRate);
    c->releaseCoef = Coef(65.0, kRate);
    c->envelope = 0.5;
    auto buf = Centred(60000, 0.9, 200.0);
    double prev = c->envelope;
    for (int b = 0; b < 60000; b += 4000)
    {
      c->process(buf.data() + 2 * b, 4000);
      ASSERT_LT(c->envelope, prev);
      prev = c->envelope;
    }
    EXPECT_EQ(c->gain, 1.0);
    EXPECT_EQ(c->minGain, 1.0);
  }
}

TEST(VintageFETCompressor, DetectorValuesBelowTheFloorAreSilence)
{
  // With d = threshold * ratioAmount * 400 = 1 the detector is |L + R|.
  const double floor = 0.0562341;
  auto c = MakeFET(0.0025, 1.0);
  ASSERT_EQ(c->threshold * c->ratioAmount * 400.0, 1.0);
  c->attackCoef = 0.0; // the envelope jumps to any detected value
  c->releaseCoef = Coef(65.0, kRate);
  double f[2] = {std::nextafter(floor, 0.0), 0.0};
  c->processComp(f, 1);
  EXPECT_EQ(c->envelope, 0.0);
  EXPECT_EQ(c->gain, 1.0);

  f[0] = floor; // the floor itself is signal
  c->processComp(f, 1);
  EXPECT_EQ(c->envelope, floor);
  EXPECT_LT(c->gain, 1.0);

  // Below the floor the envelope releases towards 0 as if the input were silent.
  c->envelope = 0.3;
  f[0] = 0.5 * floor / c->gain;
  c->processComp(f, 1);
  EXPECT_EQ(c->envelope, c->releaseCoef * 0.3);
}

TEST(VintageFETCompressor, GainCurve)
{
  auto c = MakeFET(1.0, 1.0);
  c->releaseCoef = 1.0; // hold the envelope where it is set
  for (double env : {0.5, 0.25, 1.0, 1.4})
  {
    c->envelope = env;
    double f[2] = {0.0, 0.0};
    c->processComp(f, 1);
    EXPECT_EQ(c->gain, Curve(2.0 * env * env)) << env;
  }
  c->envelope = 0.5;
  double f[2] = {0.0, 0.0};
  c->processComp(f, 1);
  EXPECT_NEAR(c->gain, 0.547, 5e-4);
  // Beyond y of about 4.41 the curve is clipped and the gain is 0.
  c->envelope = 1.5;
  c->processComp(f, 1);
  EXPECT_EQ(c->gain, 0.0);
  EXPECT_EQ(c->minGain, 0.0);
}

TEST(VintageFETCompressor, ASuddenLoudInputFirstPassesAtThePreviousGain)
{
  auto c = MakeFET(0.01, 0.5);
  c->attackCoef = Coef(1.2, kRate);
  c->releaseCoef = Coef(65.0, kRate);
  auto quiet = Centred(20000, 0.2, 100.0);
  c->processComp(quiet.data(), 20000);
  const double g0 = c->gain;
  ASSERT_LT(g0, 1.0);

  // A step to a constant loud level.
  auto loud = Constant(200, 0.9, 0.9);
  c->processComp(loud.data(), 200);
  EXPECT_EQ(loud[0], g0 * 0.9);
  EXPECT_EQ(loud[1], g0 * 0.9);
  // The reduction grows over several frames as the envelope rises on the output.
  EXPECT_GT(loud[2], 0.8 * g0 * 0.9);
  EXPECT_LT(loud[2 * 80], 0.35 * g0 * 0.9);
  for (int i = 1; i < 80; ++i) ASSERT_LE(loud[2 * i], loud[2 * i - 2]) << i;
}

// ----- opto -----

TEST(VintageOptoCompressor, TimeConstantsAreSinglePrecisionExponentials)
{
  for (int rate : {44100, 48000})
  {
    auto c = Make<VintageOptoCompressor>(rate);
    EXPECT_EQ(c->attackCoef, (double) expf((float) (-1.0 / (rate * 0.01))));
    EXPECT_EQ(c->fastReleaseCoef, (double) expf((float) (-1.0 / (rate * 0.06))));
    EXPECT_EQ(c->slowReleaseCoef, (double) expf((float) (-1.0 / (rate * 0.6))));
    EXPECT_NE(c->attackCoef, std::exp(-1.0 / (rate * 0.01)));
    Dsp::BiquadHs shelf;
    shelf.SetupFast(1000.0 / rate, 6.0, 0.5);
    for (int k = 0; k < 3; ++k)
    {
      EXPECT_EQ(c->sideChain.Stages()[0].b[k], shelf.Stages()[0].b[k]);
      if (k > 0) {
        EXPECT_EQ(c->sideChain.Stages()[0].a[k], shelf.Stages()[0].a[k]);
      }
    }
  }
}

TEST(VintageOptoCompressor, NoThresholdMeansNoDetection)
{
  auto c = Make<VintageOptoCompressor>();
  auto buf = Centred(5000, 0.95, 3000.0);
  const auto in = buf;
  c->process(buf.data(), 5000);
  for (size_t i = 0; i < buf.size(); ++i) ASSERT_EQ(buf[i], in[i] + 1e-24);
  EXPECT_EQ(c->envelope, 0.0);

  // From a compressed state the gain relaxes towards 1 and never falls.
  c->envelope = 0.5;
  double prev = 0.0;
  for (int b = 0; b < 20; ++b)
  {
    buf = in;
    c->process(buf.data(), 5000);
    ASSERT_GE(c->gain, prev);
    prev = c->gain;
  }
  EXPECT_GT(c->gain, 1.0 - 1e-3);
}

TEST(VintageOptoCompressor, GainCurve)
{
  auto c = Make<VintageOptoCompressor>();
  c->fastReleaseCoef = c->slowReleaseCoef = 1.0; // hold the envelope
  struct Case
  {
    double env, approx;
  };
  for (const Case& k : {Case{0.5, 0.547}, Case{1.0, 0.240}, Case{2.0, 0.029}})
  {
    c->envelope = k.env;
    double f[2] = {0.0, 0.0};
    c->processComp(f, 1);
    EXPECT_EQ(c->gain, Curve(k.env)) << k.env;
    EXPECT_NEAR(c->gain, k.approx, 5e-4) << k.env;
  }
  c->envelope = 4.5;
  double f[2] = {0.0, 0.0};
  c->processComp(f, 1);
  EXPECT_EQ(c->gain, 0.0);
}

TEST(VintageOptoCompressor, ReleasesFastForTheFirstTenthThenSlowly)
{
  auto c = Make<VintageOptoCompressor>();
  c->threshold = 0.01;
  // A burst, then silence: find the envelope at the end of the last attack.
  auto burst = Centred(8820, 0.5, 441.0);
  double attackEnd = 0.0;
  for (int i = 0; i < 8820; ++i)
  {
    c->processComp(&burst[2 * i], 1);
    if (c->attacking) attackEnd = c->envelope;
  }
  ASSERT_GT(attackEnd, 0.5);
  ASSERT_LT(c->gain, 0.6);

  // Silence from here on (the burst ends at a zero crossing).
  std::vector<double> env;
  for (int i = 0; i < 44100; ++i)
  {
    double f[2] = {0.0, 0.0};
    c->processComp(f, 1);
    env.push_back(c->envelope);
  }
  EXPECT_EQ(c->releaseReference, 0.9 * attackEnd);

  // Per-frame decay: the 60 ms factor above the reference, the 600 ms factor below.
  int crossing = -1;
  for (int i = 1; i < 44100; ++i)
    if (env[i - 1] <= c->releaseReference)
    {
      crossing = i;
      break;
    }
  ASSERT_GT(crossing, 0);
  const double fastFrames = std::log(0.9) / std::log(c->fastReleaseCoef);
  EXPECT_NEAR(crossing, fastFrames, 0.02 * fastFrames);
  for (int i = crossing / 2; i < crossing - 1; ++i)
    ASSERT_NEAR(env[i + 1] / env[i], c->fastReleaseCoef, 1e-6) << i;
  for (int i = crossing + 5; i < 44100; i += 97)
    ASSERT_NEAR(env[i] / env[i - 1], c->slowReleaseCoef, 1e-9) << i;
  // Half of the remaining level takes about 0.6 s * ln 2.
  int half = crossing;
  while (half < 44099 && env[half] > 0.5 * env[crossing]) ++half;
  EXPECT_NEAR(half - crossing, 0.6 * kRate * std::log(2.0), 10.0);
}

TEST(VintageOptoCompressor, HighFrequenciesAreCompressedMoreThanLowOnes)
{
  double minGain[2];
  int idx = 0;
  for (double freq : {100.0, 8000.0})
  {
    auto c = Make<VintageOptoCompressor>();
    c->threshold = 0.004;
    auto buf = Centred(22050, 0.3, freq);
    c->process(buf.data(), 4096);
    c->process(buf.data() + 2 * 4096, 4096);
    c->process(buf.data() + 2 * 8192, 4096);
    minGain[idx++] = c->minGain;
  }
  EXPECT_LT(minGain[0], 0.95) << "the low burst is compressed too";
  EXPECT_LT(minGain[1], minGain[0] - 0.05);
}

// ----- expander -----

TEST(Expander, AboveThresholdPassesUnchanged)
{
  expander x = MakeExpander(0.05, 20.0);
  auto buf = Centred(44100, 0.5, 441.0);
  const auto in = buf;
  x.process(buf.data(), 44100);
  // Once the detector has risen past the threshold, the output is the input itself.
  int first = -1;
  for (int i = 0; i < 44100 && first < 0; ++i)
    if (buf[2 * i] == in[2 * i] && buf[2 * i + 1] == in[2 * i + 1] && in[2 * i] != 0.0) first = i;
  ASSERT_GE(first, 0);
  ASSERT_LT(first, 2000);
  for (int i = first; i < 44100; ++i)
  {
    ASSERT_EQ(buf[2 * i], in[2 * i]) << i;
    ASSERT_EQ(buf[2 * i + 1], in[2 * i + 1]) << i;
  }
  EXPECT_EQ(x.gain, 1.0);
}

TEST(Expander, SilenceAfterSignalFloorsAtInverseRatioSquared)
{
  for (double ratio : {20.0, 4.0})
  {
    expander x = MakeExpander(0.01, ratio);
    auto buf = Centred(4410, 0.5, 441.0);
    x.process(buf.data(), 4410);
    ASSERT_EQ(x.gain, 1.0);
    double prev = 1.0;
    for (int b = 0; b < 12; ++b)
    {
      auto silence = Constant(4410, 0.0, 0.0);
      x.process(silence.data(), 4410);
      ASSERT_LE(x.gain, prev);
      prev = x.gain;
    }
    EXPECT_NEAR(x.gain, 1.0 / (ratio * ratio), 1e-6 / (ratio * ratio)) << ratio;
    auto probe = Constant(1, 0.25, -0.25);
    const double g = x.gain;
    x.process(probe.data(), 1);
    EXPECT_EQ(probe[0], g * 0.25);
    EXPECT_EQ(probe[1], g * -0.25);
  }
}

TEST(Expander, UnitRatioIsExactlyUnity)
{
  expander x = MakeExpander(0.5, 1.0);
  auto buf = Centred(8000, 0.3, 50.0);
  for (int i = 0; i < 2000; ++i) buf[2 * i] = buf[2 * i + 1] = 0.0;
  const auto in = buf;
  x.process(buf.data(), 8000);
  EXPECT_EQ(buf, in);
  EXPECT_EQ(x.gain, 1.0);
}

TEST(Expander, TheGainAfterABlockIsItsLastFrames)
{
  expander x = MakeExpander(0.1, 10.0, 1.0, 50.0);
  auto silence = Constant(4410, 0.0, 0.0);
  x.process(silence.data(), 4410);
  const double deep = x.gain;
  ASSERT_LT(deep, 0.05);

  // Signal enters in the second half of the block: the gain recovers towards 1.
  auto buf = Centred(4410, 0.5, 441.0);
  for (int i = 0; i < 2205; ++i) buf[2 * i] = buf[2 * i + 1] = 0.0;
  const auto in = buf;
  x.process(buf.data(), 4410);
  double lowest = 1.0;
  for (int i = 2205; i < 4410; ++i)
    if (in[2 * i] != 0.0) lowest = std::min(lowest, buf[2 * i] / in[2 * i]);
  EXPECT_GT(x.gain, 0.9);
  EXPECT_LT(lowest, 0.5 * x.gain) << "the gain was lower during the block";
  double f[2] = {0.3, 0.3};
  const double g = x.gain;
  x.process(f, 1);
  EXPECT_EQ(f[0], g * 0.3);
}

TEST(Dynamics, SilenceAtZeroThresholdGivesUnityGainNotNaN)
{
  // The VCA's threshold is 0 until the engine writes one; 0/0 would stick for good.
  auto c = Make<VCACompressor>();
  expander x = MakeExpander(0.0, 20.0);
  auto silence = Constant(16, 0.0, 0.0), loud = Constant(16, 0.5, 0.5), loud2 = loud;
  c->processComp(silence.data(), 16);
  x.process(silence.data(), 16);
  EXPECT_EQ(c->gain, 1.0);
  EXPECT_EQ(x.gain, 1.0);
  c->processComp(loud.data(), 16);
  x.process(loud2.data(), 16);
  EXPECT_EQ(loud[0], 0.5);
  EXPECT_EQ(loud2[0], 0.5);
  EXPECT_TRUE(std::isfinite(c->gain));
  EXPECT_EQ(x.gain, 1.0);
}
