// Pole/zero designs: the realised stages and gains of the filters the modules use,
// the Bessel roots, the placement rules, measured responses and the fatal checks.

#include "tests/dsp/DspTestSignals.h"

#include "dsp/DspRootFinder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using DspTest::Form;
using Dsp::Complex;

template <class P, int N>
class PrototypeSpace : public P, public Dsp::LayoutSpace<N>
{
};

double W(double hz, double rate)
{
  return Dsp::kTwoPi * hz / rate;
}

TEST(PoleFilters, ButterworthHighPassThirdOrder)
{
  Dsp::ButterHighPass<3, 2> hp;
  hp.Setup({3, 44100, 1000, 0});
  ASSERT_EQ(hp.GetStageCount(), 2);
  const Dsp::Stage& s0 = hp.Stages()[0];
  EXPECT_NEAR(s0.a[1], 0.8668, 5e-5);
  EXPECT_EQ(s0.a[2], 0);
  EXPECT_NEAR(s0.b[0], -0.8671, 5e-5);
  EXPECT_EQ(s0.b[1], -s0.b[0]); // (-1 + z^-1), scaled
  EXPECT_EQ(s0.b[2], 0);
  const Dsp::Stage& s1 = hp.Stages()[1];
  EXPECT_EQ(s1.b[0], 1);
  EXPECT_EQ(s1.b[1], -2);
  EXPECT_EQ(s1.b[2], 1);

  const Complex nyquist = hp.Response(Dsp::kPi);
  EXPECT_NEAR(nyquist.real(), -1, 1e-14);
  EXPECT_NEAR(nyquist.imag(), 0, 1e-14);
  EXPECT_NEAR(std::abs(hp.Response(W(1000, 44100))), std::sqrt(0.5), 1e-13);
  EXPECT_NEAR(std::abs(hp.Response(0)), 0, 1e-14);
}

TEST(PoleFilters, ButterworthLowPassSecondOrder)
{
  Dsp::ButterLowPass<2, 2> lp;
  lp.Setup({2, 44100, 1000, 0});
  ASSERT_EQ(lp.GetStageCount(), 1);
  const Dsp::Stage& s = lp.Stages()[0];
  EXPECT_EQ(s.b[1], 2 * s.b[0]); // (1, 2, 1) before scaling
  EXPECT_EQ(s.b[2], s.b[0]);
  EXPECT_NEAR(std::abs(lp.Response(0)), 1, 2e-16);
  EXPECT_NEAR(std::abs(lp.Response(W(1000, 44100))), std::sqrt(0.5), 1e-13);
}

TEST(PoleFilters, OddButterworthMiddlePoleIsRealisedAsARealPole)
{
  PrototypeSpace<Dsp::Butter, 3> prototype;
  prototype.Design({3, 1, 0.1, 0});
  const Complex middle = prototype.Poles().GetNth(1);
  EXPECT_NE(middle.imag(), 0);
  EXPECT_LT(std::fabs(middle.imag()), 1e-6);
  EXPECT_EQ(middle.real(), -0.9999999999999999);

  Dsp::ButterLowPass<3, 1> lp;
  lp.Setup({3, 1, 0.1, 0});
  ASSERT_EQ(lp.GetStageCount(), 2);
  const double k = std::tan(Dsp::kPi * 0.1);
  EXPECT_NEAR(lp.Stages()[0].a[1], (1 - k) / (1 + k), 1e-15); // the real pole, alone
  EXPECT_EQ(lp.Stages()[0].a[2], 0);
  EXPECT_EQ(lp.Stages()[0].b[2], 0);
  EXPECT_NE(lp.Stages()[1].a[2], 0); // the conjugate pair
  EXPECT_NEAR(std::abs(lp.Response(0)), 1, 1e-15);
}

TEST(PoleFilters, ChebyshevILowPassRipple)
{
  const double ripple = std::pow(10, -0.5 / 20);
  Dsp::ChebyILowPass<4, 2> even;
  even.Setup({4, 1.0, 0.064, 0.5});
  ASSERT_EQ(even.GetStageCount(), 2);
  EXPECT_NEAR(std::abs(even.Response(0)), ripple, 1e-14);
  EXPECT_NEAR(std::abs(even.Response(Dsp::kTwoPi * 0.064)), ripple, 1e-12); // band edge
  for (int i = 0; i <= 100; ++i)
  {
    const double g = std::abs(even.Response(Dsp::kTwoPi * 0.064 * i / 100));
    EXPECT_LE(g, 1 + 1e-12);
    EXPECT_GE(g, ripple - 1e-12);
  }

  Dsp::ChebyILowPass<6, 2> six;
  six.Setup({6, 1.0, 0.064, 0.5});
  EXPECT_EQ(six.GetStageCount(), 3);
  EXPECT_NEAR(std::abs(six.Response(0)), ripple, 1e-14);

  Dsp::ChebyILowPass<5, 2> odd;
  odd.Setup({5, 1.0, 0.064, 0.5});
  EXPECT_NEAR(std::abs(odd.Response(0)), 1, 1e-14);
}

TEST(PoleFilters, BesselPolesBeforeAndAfterScaling)
{
  Dsp::RootFinderSpace<100> finder;
  const double coefficients[] = {105, 105, 45, 10, 1};
  for (int k = 0; k <= 4; ++k) finder.coef()[k] = coefficients[k];
  PrototypeSpace<Dsp::Bessel, 4> unscaled;
  finder.solve(4, &unscaled.Poles());
  PrototypeSpace<Dsp::Bessel, 4> bessel;
  bessel.Design({4, 1, 0.1, 0});

  const double s = 1 / std::sqrt(7 * std::log(2.0));
  const Complex expected[] = {{-2.896, 0.867}, {-2.104, 2.657}};
  const Complex expectedScaled[] = {{-1.315, 0.394}, {-0.955, 1.206}};
  for (int e = 0; e < 2; ++e)
    for (double sign : {1.0, -1.0})
    {
      const Complex want = {expected[e].real(), sign * expected[e].imag()};
      const Complex wantScaled = {expectedScaled[e].real(), sign * expectedScaled[e].imag()};
      int found = 0;
      for (int i = 0; i < 4; ++i)
      {
        const Complex root = unscaled.Poles().GetNth(i);
        if (std::abs(root - want) > 1e-3) continue;
        ++found;
        Complex p = 0;
        for (int k = 4; k >= 0; --k) p = p * root + coefficients[k];
        EXPECT_LT(std::abs(p), 1e-11);
        EXPECT_NEAR(std::abs(bessel.Poles().GetNth(i) - root * s), 0, 1e-15);
        EXPECT_LT(std::abs(bessel.Poles().GetNth(i) - wantScaled), 1e-3);
      }
      EXPECT_EQ(found, 1) << want;
    }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(bessel.Zeros().GetNth(i), Dsp::infinity);

  Dsp::BesselLowPass<4, 2> lp;
  lp.Setup({4, 1.0, 20000 / 88200.0, 0});
  ASSERT_EQ(lp.GetStageCount(), 2);
  for (int i = 0; i < 2; ++i)
  {
    const Dsp::Stage& st = lp.Stages()[i];
    EXPECT_LT(st.a[1] * st.a[1] + 4 * st.a[2], 0) << "stage " << i << " is a complex pair";
  }
  EXPECT_NEAR(std::abs(lp.Response(0)), 1, 1e-15);
  Dsp::BesselLowPass<6, 2> six;
  six.Setup({6, 1.0, 20000 / 88200.0, 0});
  EXPECT_EQ(six.GetStageCount(), 3);
  EXPECT_NEAR(std::abs(six.Response(0)), 1, 1e-15);
}

void ExpectMeasuredGainMatchesResponse(const char* name, Dsp::PoleFilter& filter)
{
  for (Form form : {Form::I, Form::II})
    for (int cycles : {10, 200, 400, 1000, 1900})
    {
      const auto gains = DspTest::MeasureGain(filter, form, cycles);
      const Complex expected = filter.Response(Dsp::kTwoPi * cycles / 4000);
      for (const Complex& measured : gains)
      {
        EXPECT_NEAR(measured.real(), expected.real(), 1e-10) << name << " at " << cycles;
        EXPECT_NEAR(measured.imag(), expected.imag(), 1e-10) << name << " at " << cycles;
      }
    }
}

TEST(PoleFilters, MeasuredGainAndPhaseMatchResponse)
{
  Dsp::ButterLowPass<2, 2> butterLp;
  butterLp.Setup({2, 1.0, 0.1, 0});
  ExpectMeasuredGainMatchesResponse("ButterLowPass", butterLp);
  Dsp::ButterHighPass<3, 2> butterHp;
  butterHp.Setup({3, 44100, 1000, 0});
  ExpectMeasuredGainMatchesResponse("ButterHighPass", butterHp);
  Dsp::ChebyILowPass<4, 2> cheby4;
  cheby4.Setup({4, 1.0, 0.064, 0.5});
  ExpectMeasuredGainMatchesResponse("ChebyILowPass<4>", cheby4);
  Dsp::ChebyILowPass<6, 2> cheby6;
  cheby6.Setup({6, 1.0, 0.1, 1.0});
  ExpectMeasuredGainMatchesResponse("ChebyILowPass<6>", cheby6);
  Dsp::BesselLowPass<4, 2> bessel4;
  bessel4.Setup({4, 1.0, 20000 / 88200.0, 0});
  ExpectMeasuredGainMatchesResponse("BesselLowPass<4>", bessel4);
  Dsp::BesselLowPass<6, 2> bessel6;
  bessel6.Setup({6, 1.0, 20000 / 96000.0, 0});
  ExpectMeasuredGainMatchesResponse("BesselLowPass<6>", bessel6);
}

TEST(PoleFilters, RedesignKeepsHistory)
{
  Dsp::ButterLowPass<2, 2> a, b;
  a.Setup({2, 1.0, 0.1, 0});
  b.Setup({2, 1.0, 0.1, 0});
  double x[8] = {1, -1, 0.5, 0.25, 0, 0, 0, 0};
  double y[8] = {1, -1, 0.5, 0.25, 0, 0, 0, 0};
  a.ProcessII(2, x);
  b.ProcessII(2, y);
  b.Setup({2, 1.0, 0.1, 0});
  a.ProcessII(2, x + 4);
  b.ProcessII(2, y + 4);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(x[i], y[i]);
  EXPECT_NE(y[4], 0);
}

class TestLayout : public Dsp::LayoutSpace<4>
{
};

TEST(PoleFilters, RealRootsCollectInStageZeroAndPairsTakeTheHighestFreeStage)
{
  TestLayout layout;
  layout.Poles().SetCount(4);
  layout.Poles().GetNth(0) = 0.5;
  layout.Poles().GetNth(1) = -0.25;           // stage 0 now holds two: they move to stage 1
  layout.Poles().GetNth(2) = Complex(0.3, 0.4); // the pair takes stage 0, the last free one
  layout.Poles().GetNth(3) = Complex(0.3, -0.4);
  layout.Zeros().SetCount(3);
  layout.Zeros().GetNth(0) = Complex(-0.5, 0.5);
  layout.Zeros().GetNth(1) = Complex(-0.5, -0.5);
  layout.Zeros().GetNth(2) = 0.75;
  layout.SetNormal(0, 2);
  Dsp::CascadeSpace<2> cascade;
  layout.Realize(&cascade);
  ASSERT_EQ(cascade.GetStageCount(), 2);
  const Dsp::Stage* s = cascade.Stages();
  EXPECT_EQ(s[1].a[1], 0.25);   // r1 + r2
  EXPECT_EQ(s[1].a[2], 0.125);  // -r1 r2
  EXPECT_EQ(s[0].a[1], 0.6);    // 2 Re
  EXPECT_EQ(s[0].a[2], -(0.3 * 0.3 + 0.4 * 0.4));
  EXPECT_EQ(s[1].b[0], 0.5);    // |c|^2, -2 Re, 1: the zero pair, unscaled
  EXPECT_EQ(s[1].b[1], 1);
  EXPECT_EQ(s[1].b[2], 1);
  EXPECT_DOUBLE_EQ(s[0].b[1] / s[0].b[0], -1 / 0.75); // (-r + z^-1), scaled
  EXPECT_EQ(s[0].b[2], 0);
  EXPECT_NEAR(std::abs(cascade.Response(0)), 2, 1e-15);
}

TEST(PoleFilters, ProgrammingErrorsAreFatal)
{
  TestLayout layout;
  EXPECT_DEATH(layout.Poles().SetCount(0), "\\(n>=1 && n<=m_rootMax\\), function SetCount");
  EXPECT_DEATH(layout.Poles().SetCount(5), "n>=1 && n<=m_rootMax");
  layout.Poles().SetCount(2);
  EXPECT_DEATH(layout.Poles().GetNth(2), "\\(i>=0 && i<m_rootCount\\), function GetNth");

  Dsp::CascadeSpace<2> cascade;
  layout.Zeros().SetCount(3);
  layout.Poles().GetNth(0) = -0.5;
  layout.Poles().GetNth(1) = Complex(0.1, 0.5);
  EXPECT_DEATH(layout.Realize(&cascade), "\\(s1==s2\\), function Realize");
  layout.Zeros().SetCount(2);
  layout.Zeros().GetNth(0) = -1;
  layout.Zeros().GetNth(1) = -1;
  EXPECT_DEATH(layout.Realize(&cascade), "s->a\\[1\\]==0 && s->a\\[2\\]==0\\), function BuildA");
  layout.Poles().GetNth(0) = Complex(0.1, 0.5); // two pairs for one stage
  EXPECT_DEATH(layout.Realize(&cascade), "\\(index>=0\\), function BuildA");

  Dsp::RootFinderSpace<100> finder;
  Dsp::Roots* roots = &layout.Poles();
  EXPECT_DEATH(finder.solve(101, roots), "\\(degree<=m_maxdegree\\), function solve");
  Dsp::BesselLowPass<4, 2> bessel;
  EXPECT_DEATH(bessel.Setup({5, 1, 0.1, 0}), "n>=1 && n<=m_rootMax");
  Dsp::ButterLowPass<2, 2> butter;
  EXPECT_DEATH(butter.Setup({3, 1, 0.1, 0}), "n>=1 && n<=m_rootMax");
}

} // namespace
