// Single-section designs: the fast approximations, each design's defining gains,
// and the magnitude and phase measured with a sine against Response.

#include "tests/dsp/DspTestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

using DspTest::Form;
using Dsp::Complex;

template <class Design>
class Mono : public Design, public Dsp::BiquadFilter<1>
{
};

double W(double normFreq)
{
  return Dsp::kTwoPi * normFreq;
}

TEST(FastMath, SineAndCosineApproximation)
{
  double sn, cs;
  Dsp::fastsincos(0, &sn, &cs);
  EXPECT_EQ(sn, 0.0);
  EXPECT_NE(cs, 1.0);
  EXPECT_NEAR(cs, 0.99999999, 5e-9);
  Dsp::fastsincos(1.0, &sn, &cs);
  EXPECT_NEAR(sn, 0.84217, 5e-6);
  EXPECT_NEAR(cs, 0.54048, 5e-6);

  double worst = 0;
  for (int i = 0; i <= 10000; ++i)
  {
    const double x = Dsp::kPi * i / 10000; // the callers' range, 2*pi*f for f in [0, 0.5]
    Dsp::fastsincos(x, &sn, &cs);
    worst = std::fmax(worst, std::fmax(std::fabs(sn - std::sin(x)), std::fabs(cs - std::cos(x))));
  }
  EXPECT_LT(worst, 0.0011);
}

TEST(FastMath, SquareRootIsExactAtPowersOfFourAndAtMostSixPercentHigh)
{
  for (int k = -20; k <= 20; ++k) EXPECT_EQ(Dsp::fastsqrt(std::ldexp(1.0, 2 * k)), std::ldexp(1.0, k));
  EXPECT_EQ(Dsp::fastsqrt(2.0), 1.5);
  EXPECT_EQ(Dsp::fastsqrt(0.5), 0.75);

  double worst = 0;
  for (int i = 0; i <= 100000; ++i)
  {
    const double x = std::pow(10.0, -6 + 12.0 * i / 100000);
    const double ratio = Dsp::fastsqrt(x) / std::sqrt(x);
    ASSERT_GE(ratio, 1.0) << x;
    worst = std::fmax(worst, ratio - 1);
  }
  EXPECT_NEAR(worst, 0.0607, 5e-5);
}

TEST(BiquadDesigns, PeakGainsAndTheAllPassAtZeroDecibels)
{
  Mono<Dsp::BiquadEq> eq;
  eq.SetupQ(0.1, 9, 2);
  EXPECT_NEAR(std::abs(eq.Response(W(0.1))), std::pow(10, 9.0 / 20), 1e-12);
  EXPECT_NEAR(std::abs(eq.Response(0)), 1, 1e-14);
  EXPECT_NEAR(std::abs(eq.Response(Dsp::kPi)), 1, 1e-14);
  eq.Setup(0.1, -6, 1.5);
  EXPECT_NEAR(std::abs(eq.Response(W(0.1))), std::pow(10, -6.0 / 20), 1e-12);
  // Octaves to Q, warped: 1/Q = 2 sinh(ln 2 / 2 * bw * w / sin w).
  const double q = 1 / (2 * std::sinh(std::log(2.0) / 2 * 1.5 * W(0.1) / std::sin(W(0.1))));
  Mono<Dsp::BiquadEq> byQ;
  byQ.SetupQ(0.1, -6, q);
  for (double g : {0.02, 0.07, 0.13, 0.3})
    EXPECT_NEAR(std::abs(eq.Response(W(g))), std::abs(byQ.Response(W(g))), 1e-14);

  // 0 dB: magnitude 1 everywhere, yet the phase turns (at the centre it inverts).
  eq.SetupQ(0.1, 0, 2);
  for (double g : {0.0, 0.02, 0.08, 0.1, 0.3, 0.5}) EXPECT_NEAR(std::abs(eq.Response(W(g))), 1, 1e-13);
  EXPECT_NEAR(eq.Response(W(0.1)).real(), -1, 1e-12);
  EXPECT_GT(eq.Stages()[0].b[2], eq.Stages()[0].b[0]);
  std::vector<double> buffer(100, 0.0);
  buffer[0] = 1;
  eq.ProcessI(buffer.size(), buffer.data());
  EXPECT_LT(buffer[0], 0.99);
}

TEST(BiquadDesigns, ShelvesAtDcNyquistAndCorner)
{
  for (double gain : {-12.0, 6.0})
  {
    const double full = std::pow(10, gain / 20);
    const double half = std::pow(10, gain / 40);
    Mono<Dsp::BiquadLs> ls;
    Mono<Dsp::BiquadHs> hs;
    ls.Setup(0.02, gain, 1);
    hs.Setup(0.2, gain, 1);
    EXPECT_NEAR(std::abs(ls.Response(0)), full, 1e-12);
    EXPECT_NEAR(std::abs(ls.Response(W(0.02))), half, 1e-12);
    EXPECT_NEAR(std::abs(ls.Response(Dsp::kPi)), 1, 1e-12);
    EXPECT_NEAR(std::abs(hs.Response(Dsp::kPi)), full, 1e-12);
    EXPECT_NEAR(std::abs(hs.Response(W(0.2))), half, 1e-12);
    EXPECT_NEAR(std::abs(hs.Response(0)), 1, 1e-12);

    // The fast forms keep both ends exact; only the corner moves a little.
    ls.SetupFast(0.02, gain, 0.5);
    hs.SetupFast(0.2, gain, 0.5);
    EXPECT_NEAR(std::abs(ls.Response(0)), full, 1e-12);
    EXPECT_NEAR(std::abs(ls.Response(Dsp::kPi)), 1, 1e-12);
    EXPECT_NEAR(std::abs(ls.Response(W(0.02))) / half, 1, 0.02);
    EXPECT_NEAR(std::abs(hs.Response(Dsp::kPi)), full, 1e-12);
    EXPECT_NEAR(std::abs(hs.Response(0)), 1, 1e-12);
    EXPECT_NEAR(std::abs(hs.Response(W(0.2))) / half, 1, 0.02);
  }
}

// Every design is its analogue prototype (corner at 1 rad/s) under the bilinear
// transform warped to put the corner at f: |H(e^jw)| = |Ha(j tan(w/2) / tan(pi f))|.
TEST(BiquadDesigns, MagnitudesMatchTheAnaloguePrototypes)
{
  const double f = 0.07;
  const double q = 1.3;
  const double gain = 7.5;
  const double A = std::pow(10, gain / 40);
  for (double slope : {0.5, 1.0, 1.7})
  {
    const double qs = 1 / std::sqrt((A + 1 / A) * (1 / slope - 1) + 2); // slope 1: 1/sqrt(2)
    using Analogue = std::function<Complex(Complex)>;
    const std::vector<std::pair<std::function<Complex(double)>, Analogue>> cases = {
      {[&](double w) { Mono<Dsp::BiquadLp> d; d.Setup(f, q); return d.Response(w); },
       [&](Complex s) { return 1.0 / (s * s + s / q + 1.0); }},
      {[&](double w) { Mono<Dsp::BiquadHp> d; d.Setup(f, q); return d.Response(w); },
       [&](Complex s) { return s * s / (s * s + s / q + 1.0); }},
      {[&](double w) { Mono<Dsp::BiquadBp1> d; d.Setup(f, q); return d.Response(w); },
       [&](Complex s) { return s / (s * s + s / q + 1.0); }},
      {[&](double w) { Mono<Dsp::BiquadBp2> d; d.Setup(f, q); return d.Response(w); },
       [&](Complex s) { return (s / q) / (s * s + s / q + 1.0); }},
      {[&](double w) { Mono<Dsp::BiquadAp> d; d.Setup(f, q); return d.Response(w); },
       [&](Complex s) { return (s * s - s / q + 1.0) / (s * s + s / q + 1.0); }},
      {[&](double w) { Mono<Dsp::BiquadBs> d; d.Setup(f, q); return d.Response(w); },
       [&](Complex s) { return (s * s + 1.0) / (s * s + s / q + 1.0); }},
      {[&](double w) { Mono<Dsp::BiquadEq> d; d.SetupQ(f, gain, q); return d.Response(w); },
       [&](Complex s) { return (s * s + s * (A / q) + 1.0) / (s * s + s / (A * q) + 1.0); }},
      {[&](double w) { Mono<Dsp::BiquadLs> d; d.Setup(f, gain, slope); return d.Response(w); },
       [&](Complex s) {
         const double r = std::sqrt(A) / qs;
         return A * (s * s + r * s + A) / (A * s * s + r * s + 1.0);
       }},
      {[&](double w) { Mono<Dsp::BiquadHs> d; d.Setup(f, gain, slope); return d.Response(w); },
       [&](Complex s) {
         const double r = std::sqrt(A) / qs;
         return A * (A * s * s + r * s + 1.0) / (s * s + r * s + A);
       }},
    };
    for (size_t i = 0; i < cases.size(); ++i)
      for (double g : {0.003, 0.03, 0.07, 0.12, 0.3, 0.45})
      {
        const double w = W(g);
        const Complex s(0, std::tan(w / 2) / std::tan(Dsp::kPi * f));
        EXPECT_NEAR(std::abs(cases[i].first(w)), std::abs(cases[i].second(s)), 1e-12)
          << "case " << i << " slope " << slope << " at " << g;
      }
  }
}

TEST(BiquadDesigns, HighPassInvertsANyquistSinusoid)
{
  Mono<Dsp::BiquadHp> hp;
  hp.Setup(0.01, 0.7071);
  std::vector<double> buffer(4000);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = i % 2 ? -0.5 : 0.5;
  hp.ProcessII(buffer.size(), buffer.data());
  for (size_t i = buffer.size() - 10; i < buffer.size(); ++i)
    EXPECT_NEAR(buffer[i], i % 2 ? 0.5 : -0.5, 1e-12);
}


template <class Design>
void ExpectMeasuredGainMatchesResponse(const char* name, std::function<void(Design&)> setup)
{
  for (Form form : {Form::I, Form::II})
    for (int cycles : {40, 200, 400, 1000, 1700})
    {
      Mono<Design> filter;
      setup(filter);
      const Complex measured = DspTest::MeasureGain(filter, form, cycles)[0];
      const Complex expected = filter.Response(W(cycles / 4000.0));
      EXPECT_NEAR(measured.real(), expected.real(), 1e-10) << name << " at " << cycles;
      EXPECT_NEAR(measured.imag(), expected.imag(), 1e-10) << name << " at " << cycles;
    }
}

TEST(BiquadDesigns, MeasuredGainAndPhaseMatchResponse)
{
  using namespace Dsp;
  ExpectMeasuredGainMatchesResponse<BiquadLp>("Lp", [](BiquadLp& d) { d.Setup(0.05, 0.9); });
  ExpectMeasuredGainMatchesResponse<BiquadLp>("Lp fast", [](BiquadLp& d) { d.SetupFast(0.1, 2); });
  ExpectMeasuredGainMatchesResponse<BiquadHp>("Hp", [](BiquadHp& d) { d.Setup(0.05, 2); });
  ExpectMeasuredGainMatchesResponse<BiquadBp1>("Bp1", [](BiquadBp1& d) { d.Setup(0.1, 3); });
  ExpectMeasuredGainMatchesResponse<BiquadBp2>("Bp2", [](BiquadBp2& d) { d.SetupFast(0.1, 3); });
  ExpectMeasuredGainMatchesResponse<BiquadBs>("Bs", [](BiquadBs& d) { d.Setup(0.05, 1); });
  ExpectMeasuredGainMatchesResponse<BiquadAp>("Ap", [](BiquadAp& d) { d.Setup(0.2, 0.5); });
  ExpectMeasuredGainMatchesResponse<BiquadLs>("Ls", [](BiquadLs& d) { d.Setup(0.02, 6, 1.7); });
  ExpectMeasuredGainMatchesResponse<BiquadHs>("Hs", [](BiquadHs& d) { d.Setup(0.2, -9, 0.5); });
  ExpectMeasuredGainMatchesResponse<BiquadHs>("Hs fast",
                                              [](BiquadHs& d) { d.SetupFast(1000 / 44100.0, 6, 0.5); });
  ExpectMeasuredGainMatchesResponse<BiquadEq>("Eq", [](BiquadEq& d) { d.Setup(0.1, 9, 1); });
  ExpectMeasuredGainMatchesResponse<BiquadEq>("EqQ", [](BiquadEq& d) { d.SetupQ(0.05, -12, 4); });
  ExpectMeasuredGainMatchesResponse<BiquadEq>("EqQ fast",
                                              [](BiquadEq& d) { d.SetupQFast(0.25, 6, 0.7); });
}

} // namespace
