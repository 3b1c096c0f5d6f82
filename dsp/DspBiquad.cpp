#include "dsp/DspBiquad.h"

#include <cmath>

namespace Dsp {

namespace {

struct SinCos
{
  double sn, cs;
};

SinCos Exact(double normFreq)
{
  const double w = kTwoPi * normFreq;
  return {std::sin(w), std::cos(w)};
}

SinCos Fast(double normFreq)
{
  SinCos r;
  fastsincos(kTwoPi * normFreq, &r.sn, &r.cs);
  return r;
}

double ShelfGain(double gainDb)
{
  return std::pow(10.0, gainDb / 40);
}

// beta = 2*sqrt(A)*alpha with the shelf's alpha; Sqrt is the exact or the fast root.
template <double (*Sqrt)(double)>
double ShelfBeta(double sn, double A, double shelfSlope)
{
  return 2 * Sqrt(A) * (sn / 2) * Sqrt((A + 1 / A) * (1 / shelfSlope - 1) + 2);
}

double HardwareSqrt(double x)
{
  return std::sqrt(x);
}

// Bandwidth in octaves to alpha; sinh is exact in the fast forms too.
double PeakAlpha(double sn, double w, double bandWidth)
{
  return sn * std::sinh(0.34657359027997264 * bandWidth * w / sn);
}

} // namespace

void BiquadLp::Setup(double normFreq, double q)
{
  const SinCos t = Exact(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadLp::SetupFast(double normFreq, double q)
{
  const SinCos t = Fast(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadLp::SetupCommon(double sn, double cs, double q)
{
  const double alph = sn / (2 * q);
  const double t = 1 / (1 + alph);
  const double b0 = (1 - cs) / 2 * t;
  SetStage1(2 * cs * t, (alph - 1) * t, b0, (1 - cs) * t, b0);
}

void BiquadHp::Setup(double normFreq, double q)
{
  const SinCos t = Exact(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadHp::SetupFast(double normFreq, double q)
{
  const SinCos t = Fast(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadHp::SetupCommon(double sn, double cs, double q)
{
  const double alph = sn / (2 * q);
  const double t = 1 / (1 + alph);
  const double b0 = -(1 + cs) / 2 * t;
  SetStage1(2 * cs * t, (alph - 1) * t, b0, (1 + cs) * t, b0);
}

void BiquadBp1::Setup(double normFreq, double q)
{
  const SinCos t = Exact(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadBp1::SetupFast(double normFreq, double q)
{
  const SinCos t = Fast(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadBp1::SetupCommon(double sn, double cs, double q)
{
  const double alph = sn / (2 * q);
  const double t = 1 / (1 + alph);
  SetStage1(2 * cs * t, (alph - 1) * t, sn / 2 * t, 0, -sn / 2 * t);
}

void BiquadBp2::Setup(double normFreq, double q)
{
  const SinCos t = Exact(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadBp2::SetupFast(double normFreq, double q)
{
  const SinCos t = Fast(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadBp2::SetupCommon(double sn, double cs, double q)
{
  const double alph = sn / (2 * q);
  const double t = 1 / (1 + alph);
  SetStage1(2 * cs * t, (alph - 1) * t, alph * t, 0, -alph * t);
}

void BiquadBs::Setup(double normFreq, double q)
{
  const SinCos t = Exact(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadBs::SetupFast(double normFreq, double q)
{
  const SinCos t = Fast(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadBs::SetupCommon(double sn, double cs, double q)
{
  const double alph = sn / (2 * q);
  const double t = 1 / (1 + alph);
  SetStage1(2 * cs * t, (alph - 1) * t, t, -2 * cs * t, t);
}

void BiquadAp::Setup(double normFreq, double q)
{
  const SinCos t = Exact(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadAp::SetupFast(double normFreq, double q)
{
  const SinCos t = Fast(normFreq);
  SetupCommon(t.sn, t.cs, q);
}

void BiquadAp::SetupCommon(double sn, double cs, double q)
{
  const double alph = sn / (2 * q);
  const double t = 1 / (1 + alph);
  SetStage1(2 * cs * t, (alph - 1) * t, (1 - alph) * t, -2 * cs * t, (1 + alph) * t);
}

void BiquadLs::Setup(double normFreq, double gainDb, double shelfSlope)
{
  const SinCos t = Exact(normFreq);
  const double A = ShelfGain(gainDb);
  SetupCommon(t.cs, A, ShelfBeta<HardwareSqrt>(t.sn, A, shelfSlope));
}

void BiquadLs::SetupFast(double normFreq, double gainDb, double shelfSlope)
{
  const SinCos t = Fast(normFreq);
  const double A = ShelfGain(gainDb);
  SetupCommon(t.cs, A, ShelfBeta<fastsqrt>(t.sn, A, shelfSlope));
}

void BiquadLs::SetupCommon(double cs, double A, double beta)
{
  const double t = 1 / ((A + 1) + (A - 1) * cs + beta);
  SetStage1(2 * ((A - 1) + (A + 1) * cs) * t,
            (beta - (A + 1) - (A - 1) * cs) * t,
            A * ((A + 1) - (A - 1) * cs + beta) * t,
            2 * A * ((A - 1) - (A + 1) * cs) * t,
            A * ((A + 1) - (A - 1) * cs - beta) * t);
}

void BiquadHs::Setup(double normFreq, double gainDb, double shelfSlope)
{
  const SinCos t = Exact(normFreq);
  const double A = ShelfGain(gainDb);
  SetupCommon(t.cs, A, ShelfBeta<HardwareSqrt>(t.sn, A, shelfSlope));
}

void BiquadHs::SetupFast(double normFreq, double gainDb, double shelfSlope)
{
  const SinCos t = Fast(normFreq);
  const double A = ShelfGain(gainDb);
  SetupCommon(t.cs, A, ShelfBeta<fastsqrt>(t.sn, A, shelfSlope));
}

void BiquadHs::SetupCommon(double cs, double A, double beta)
{
  const double t = 1 / ((A + 1) - (A - 1) * cs + beta);
  SetStage1(-2 * ((A - 1) - (A + 1) * cs) * t,
            ((A - 1) * cs + beta - (A + 1)) * t,
            A * ((A + 1) + (A - 1) * cs + beta) * t,
            -2 * A * ((A - 1) + (A + 1) * cs) * t,
            A * ((A + 1) + (A - 1) * cs - beta) * t);
}

void BiquadEq::Setup(double normFreq, double gainDb, double bandWidth)
{
  const SinCos t = Exact(normFreq);
  SetupCommon(t.sn, t.cs, PeakAlpha(t.sn, kTwoPi * normFreq, bandWidth), ShelfGain(gainDb));
}

void BiquadEq::SetupQ(double normFreq, double gainDb, double q)
{
  const SinCos t = Exact(normFreq);
  SetupCommon(t.sn, t.cs, t.sn / (2 * q), ShelfGain(gainDb));
}

void BiquadEq::SetupFast(double normFreq, double gainDb, double bandWidth)
{
  const SinCos t = Fast(normFreq);
  SetupCommon(t.sn, t.cs, PeakAlpha(t.sn, kTwoPi * normFreq, bandWidth), ShelfGain(gainDb));
}

void BiquadEq::SetupQFast(double normFreq, double gainDb, double q)
{
  const SinCos t = Fast(normFreq);
  SetupCommon(t.sn, t.cs, t.sn / (2 * q), ShelfGain(gainDb));
}

void BiquadEq::SetupCommon(double, double cs, double alph, double A)
{
  const double t = 1 / (1 + alph / A);
  SetStage1(2 * cs * t, (alph / A - 1) * t, (1 - alph * A) * t, -2 * cs * t, (1 + alph * A) * t);
}

} // namespace Dsp
