// The design limit: the identity wherever the strip's bands lie within the rate's band
// (every rate from 44.1 kHz up), the top of the band for anything asked above it, and
// the 2x path and the opto side chain designed for the rate they run at.

#include "dsp/AnalogueClock.h"
#include "dsp/DesignFreqLimit.h"
#include "dsp/VCACompressor.h"
#include "dsp/VintageFETCompressor.h"
#include "dsp/VintageOptoCompressor.h"
#include "dsp/analog_eq.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

namespace
{
constexpr double kTwoPi = 6.283185307179586;

// Rates from 44.1 kHz up, where every band of the strip lies at or below 20 kHz.
const int kHighRates[] = {44100, 48000, 88200, 96000, 176400, 192000, 352800, 384000, 705600, 768000};
// Rates below, down to the lowest supported, with the ones where the old 2x path failed.
const int kLowRates[] = {8000, 10000, 11025, 12000, 16000, 20000, 22050, 24000, 32000, 44099};

template <class C>
std::unique_ptr<C> Make(int rate)
{
  srand(1);
  AnalogueClock::SetFixed(1700000000);
  auto c = std::make_unique<C>();
  c->analogue.setTolerances(analogue_block::drawTolerances());
  c->init(rate);
  return c;
}

bool SameStages(const Dsp::Cascade& a, const Dsp::Cascade& b)
{
  if (a.GetStageCount() != b.GetStageCount()) return false;
  for (int i = 0; i < a.GetStageCount(); ++i)
    for (int k = 0; k < 3; ++k)
      if (a.Stages()[i].a[k] != b.Stages()[i].a[k] || a.Stages()[i].b[k] != b.Stages()[i].b[k]) return false;
  return true;
}

template <class F>
void Design(F& f, int order, double cutoff)
{
  Dsp::Spec spec;
  spec.order = order;
  spec.sampleRate = 1.0;
  spec.cutoffFreq = cutoff;
  f.Setup(spec);
}

std::vector<double> Noise(int frames, unsigned seed, double amp)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> d(-amp, amp);
  std::vector<double> v(2 * frames);
  for (double& x : v) x = d(rng);
  return v;
}

bool AllFinite(const std::vector<double>& v)
{
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}
} // namespace

TEST(DesignFreqLimit, IdentityUpToTheTopOfTheBandAndTheTopAboveIt)
{
  // 20 kHz at every rate from 44.1 kHz up is at or below the limit, so it stays itself,
  // bit for bit; so does everything lower.
  for (int rate = 44100; rate <= 768000; ++rate)
  {
    const double f = 20000.0 / rate;
    ASSERT_EQ(LimitDesignFreq(f), f) << rate;
  }
  for (double f = 0.0; f <= kMaxDesignFreq; f += 1e-4) ASSERT_EQ(LimitDesignFreq(f), f);
  EXPECT_EQ(LimitDesignFreq(kMaxDesignFreq), kMaxDesignFreq);
  EXPECT_EQ(kMaxDesignFreq, 20000.0 / 44100.0);
  const double inf = std::numeric_limits<double>::infinity();
  for (double f : {std::nextafter(kMaxDesignFreq, 1.0), 0.5, 2.5, 1e300, inf, std::nan("")})
    EXPECT_EQ(LimitDesignFreq(f), kMaxDesignFreq) << f;
}

TEST(DesignFreqLimit, TheTwoTimesPathIsTheSameDesignBelow44100HzAndUntouchedAbove)
{
  auto check = [](auto* type, const char* what) {
    using C = std::remove_pointer_t<decltype(type)>;
    auto at44 = Make<C>(44100);
    for (int rate : kHighRates)
    {
      auto c = Make<C>(rate);
      typename C::UpFilter up;
      typename C::DownFilter down;
      Design(up, 6, 20000.0 / (2.0 * rate));
      Design(down, 4, 20000.0 / (2.0 * rate));
      EXPECT_TRUE(SameStages(c->upFilter, up)) << what << " " << rate;
      EXPECT_TRUE(SameStages(c->downFilter, down)) << what << " " << rate;
    }
    // Below, the low-passes sit where 20 kHz sits at 44.1 kHz: the 44.1 kHz design.
    for (int rate : kLowRates)
    {
      auto c = Make<C>(rate);
      EXPECT_TRUE(SameStages(c->upFilter, at44->upFilter)) << what << " " << rate;
      EXPECT_TRUE(SameStages(c->downFilter, at44->downFilter)) << what << " " << rate;
    }
  };
  check((VCACompressor*) nullptr, "VCA");
  check((VintageFETCompressor*) nullptr, "FET");
  check((VintageOptoCompressor*) nullptr, "opto");
}

TEST(DesignFreqLimit, AOneKilohertzToneCrossesTheTwoTimesPathAtItsLevelAtEveryRate)
{
  // As found: NaN from 10.5 to 16 kHz, silence at 10 kHz, 12 dB too loud at 20 kHz. The
  // compressors do not act (unit ratio, no detection), so only the 2x path shapes it;
  // its Bessel pair takes at most 0.7 dB off 1 kHz, at 8 kHz where 1 kHz is an eighth
  // of the rate.
  std::vector<int> rates(std::begin(kLowRates), std::end(kLowRates));
  rates.insert(rates.end(), std::begin(kHighRates), std::end(kHighRates));
  for (int rate : rates)
  {
    auto vca = Make<VCACompressor>(rate);
    vca->threshold = 0.01;
    vca->ratio = 1.0;
    auto fet = Make<VintageFETCompressor>(rate);
    auto opto = Make<VintageOptoCompressor>(rate);
    auto level = [rate](auto& c) {
      c.oversampling = true;
      c.init(rate);
      const int n = rate / 20;
      std::vector<double> buf(2 * n);
      const double w = kTwoPi * 1000.0 / rate;
      for (int i = 0; i < n; ++i) buf[2 * i] = buf[2 * i + 1] = 0.5 * std::sin(w * i);
      for (int done = 0; done < n; done += 512) c.process(buf.data() + 2 * done, std::min(512, n - done));
      double sum = 0.0;
      for (int i = n / 2; i < n; ++i) sum += buf[2 * i] * buf[2 * i];
      return 10.0 * std::log10(sum / (n - n / 2) / 0.125);
    };
    EXPECT_NEAR(level(*vca), 0.0, 0.7) << "VCA at " << rate;
    EXPECT_NEAR(level(*fet), 0.0, 0.7) << "FET at " << rate;
    EXPECT_NEAR(level(*opto), 0.0, 0.7) << "opto at " << rate;
  }
}

TEST(DesignFreqLimit, ZeroStuffingsImagesFoldBackFarBelowTheBand)
{
  // Decimation folds the image the low-passes leave at pi - w/2 of the raised rate back
  // onto a tone at w. The 44.1 kHz design keeps it 37 dB down for tones up to 0.3 of the
  // rate, and every rate now has at least that (as found: 5.5 dB down for a tone at 0.1
  // of the rate at 22.05 kHz, 12 dB at 0.3 at 32 kHz, so broadband material came out
  // up to 6 dB louder). From 44.1 kHz up the tones go to 20 kHz.
  std::vector<int> rates(std::begin(kLowRates), std::end(kLowRates));
  rates.insert(rates.end(), std::begin(kHighRates), std::end(kHighRates));
  for (int rate : rates)
  {
    auto c = Make<VCACompressor>(rate);
    for (double hz = 100.0; hz <= 20000.0 && hz <= 0.3 * rate; hz *= 1.1)
    {
      const double w1 = kTwoPi / 2 * hz / rate, w2 = kTwoPi / 2 - w1;
      const double h1 = std::abs(c->upFilter.Response(w1) * c->downFilter.Response(w1));
      const double h2 = std::abs(c->upFilter.Response(w2) * c->downFilter.Response(w2));
      ASSERT_LT(20.0 * std::log10(h2 / h1), -37.0) << hz << " Hz at " << rate;
    }
  }
}

TEST(DesignFreqLimit, TheOptoSideChainIsItsShelfAtOneKilohertzAndFiniteAtAbsurdRates)
{
  // 1 kHz lies within the band of every supported rate, so the limit never moves it.
  std::vector<int> rates(std::begin(kLowRates), std::end(kLowRates));
  rates.insert(rates.end(), std::begin(kHighRates), std::end(kHighRates));
  for (int rate : rates)
    for (bool over : {false, true})
    {
      auto c = Make<VintageOptoCompressor>(rate);
      c->oversampling = over;
      c->init(rate);
      Dsp::BiquadHighShelf<1> shelf;
      shelf.SetupFast(1000.0 / c->processingRate(), 6.0, 0.5);
      EXPECT_TRUE(SameStages(c->sideChain, shelf)) << rate << " " << over;
    }
  // As found: a file declaring 1 Hz gave NaN. The engine refuses such rates; the
  // module on its own stays finite anyway.
  for (int rate : {1, 10, 100, 1000, 2000})
  {
    auto c = Make<VintageOptoCompressor>(rate);
    c->threshold = 0.5;
    auto buf = Noise(2000, 7, 0.8);
    for (int b = 0; b < 4; ++b) c->process(buf.data() + 1000 * b, 500);
    EXPECT_TRUE(AllFinite(buf)) << rate;
    EXPECT_TRUE(std::isfinite(c->envelope) && std::isfinite(c->gain)) << rate;
  }
}

namespace
{
// The module as the engine sets it up at rate, every gain 0 dB, nothing on.
void Flat(analog_eq& eq, int rate)
{
  eq.init(rate);
  eq.hpFreq = 20.0 / rate;
  eq.lpFreq = eq.lpUserFreq = 20000.0 / rate;
  eq.lpHz = 20000;
  eq.highShelfFreq = 4500.0 / rate;
  eq.lowShelfFreq = 60.0 / rate;
  eq.lowMidFreq = 200.0 / rate;
  eq.hiMidFreq = 600.0 / rate;
  eq.filterFreq = 1000.0 / rate;
  eq.lowMidQ = eq.hiMidQ = eq.filterQ = 0.5 / 2.2;
}

// Runs blocks of noise until every glide has come to rest; returns the last block.
std::vector<double> Settle(analog_eq& eq, int blocks)
{
  std::vector<double> buf;
  for (int b = 0; b < blocks; ++b)
  {
    buf = Noise(256, (unsigned) b, 0.25);
    eq.process(buf.data(), 256);
  }
  return buf;
}

double Magnitude(const Dsp::Cascade& c, double f) { return std::abs(c.Response(kTwoPi * f)); }
} // namespace

TEST(DesignFreqLimit, TheAutomaticLowPassStaysBelowTheLimitFrom44100HzUp)
{
  // A high-shelf boost pulls the low-pass to 20 kHz at its least; gliding out it passes
  // every boost down to the smallest, and the low-pass every cutoff up to 20 kHz. None
  // of them reaches the limit, so none is moved.
  for (int rate : kHighRates)
  {
    analog_eq eq;
    Flat(eq, rate);
    eq.highShelfGain = 16.2;
    // One long block sets the glide's pace; empty blocks then step the glides alone.
    auto buf = Noise(4096, 3, 0.25);
    for (int b = 0; b < 3000; ++b)
    {
      if (b == 300) eq.highShelfGain = 0.0;
      eq.process(buf.data(), b == 0 ? 4096 : 0);
      ASSERT_EQ(LimitDesignFreq(eq.lpFreq), eq.lpFreq) << rate << " block " << b;
      ASSERT_EQ(LimitDesignFreq(eq.sLpFreq.value), eq.sLpFreq.value) << rate << " block " << b;
    }
    EXPECT_EQ(eq.sHighShelfGain.value, 0.0) << rate;
    EXPECT_FALSE(eq.lpOn) << rate;
  }
}

TEST(DesignFreqLimit, ABandAskedAboveALowRatesBandSitsAtItsTop)
{
  // As found, each NaN: "Filter Freq." 12000 at 22.05 kHz, "Hi Mid Freq." 7000 at
  // 11.025 kHz, "Low Pass Freq." 18000 at 32 kHz, a high-shelf boost at 22.05 kHz.
  {
    analog_eq eq;
    Flat(eq, 22050);
    eq.filterFreq = 12000.0 / 22050;
    eq.filterGain = 12.0;
    eq.filterQ = 8.0 / 2.2;
    EXPECT_TRUE(AllFinite(Settle(eq, 400)));
    EXPECT_EQ(eq.sFilterFreq.value, kMaxDesignFreq);
    EXPECT_NEAR(Magnitude(eq.filterPeak, kMaxDesignFreq), std::pow(10.0, 12.0 / 20), 1e-9);
  }
  {
    analog_eq eq;
    Flat(eq, 11025);
    eq.hiMidFreq = 7000.0 / 11025;
    eq.hiMidGain = -15.0;
    EXPECT_TRUE(AllFinite(Settle(eq, 400)));
    EXPECT_EQ(eq.sHiMidFreq.value, kMaxDesignFreq);
    EXPECT_NEAR(Magnitude(eq.hiMidPeak, kMaxDesignFreq), std::pow(10.0, -15.0 / 20), 1e-9);
  }
  {
    analog_eq eq;
    Flat(eq, 32000);
    eq.lpFreq = eq.lpUserFreq = 18000.0 / 32000;
    eq.lpHz = 18000;
    eq.lpOn = true;
    EXPECT_TRUE(AllFinite(Settle(eq, 400)));
    EXPECT_EQ(eq.sLpFreq.value, kMaxDesignFreq);
    EXPECT_NEAR(Magnitude(eq.lpFilter, kMaxDesignFreq), std::sqrt(0.5), 1e-9);
  }
  {
    analog_eq eq;
    Flat(eq, 22050);
    eq.highShelfFreq = 4500.0 / 22050;
    eq.highShelfGain = 16.2;
    EXPECT_TRUE(AllFinite(Settle(eq, 400)));
    EXPECT_TRUE(eq.lpAuto);
    EXPECT_EQ(eq.sLpFreq.value, kMaxDesignFreq);
    EXPECT_NEAR(Magnitude(eq.lpFilter, kMaxDesignFreq), std::sqrt(0.5), 1e-9);
  }
}

TEST(DesignFreqLimit, EveryBandAtTheTopOfItsRangeIsFiniteAtTheLowestRate)
{
  // At 8 kHz the Hi Mid and Filter bands, the high shelf and both pass filters are asked
  // for above Nyquist at once, boosted and cut; the output stays bounded.
  for (double g : {16.2, -16.2})
  {
    analog_eq eq;
    Flat(eq, 8000);
    eq.hpFreq = 200.0 / 8000;
    eq.hpOn = true;
    eq.lpFreq = eq.lpUserFreq = 19999.0 / 8000;
    eq.lpHz = 19999;
    eq.lpOn = true;
    eq.highShelfFreq = 4500.0 / 8000;
    eq.highShelfGain = g;
    eq.lowShelfFreq = 400.0 / 8000;
    eq.lowShelfGain = g;
    eq.lowMidFreq = 2500.0 / 8000;
    eq.hiMidFreq = 7000.0 / 8000;
    eq.filterFreq = 12000.0 / 8000;
    eq.lowMidGain = eq.hiMidGain = eq.filterGain = g > 0 ? 18.0 : -18.0;
    eq.lowMidQ = eq.hiMidQ = eq.filterQ = 8.0 / 2.2;
    const auto out = Settle(eq, 200);
    ASSERT_TRUE(AllFinite(out)) << g;
    // No more than every boost's peak gain together; no gain at all when all cut.
    double in = 0.0, sum = 0.0;
    for (double x : Noise(256, 199, 0.25)) in += x * x;
    for (double x : out) sum += x * x;
    const double bound = g > 0 ? std::pow(10.0, (2 * 16.2 + 3 * 18.0) / 20) : 1.0;
    EXPECT_LT(std::sqrt(sum / in), bound) << g;
  }
}
