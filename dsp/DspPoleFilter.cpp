#include "dsp/DspPoleFilter.h"

#include "dsp/DspAssert.h"
#include "dsp/DspRootFinder.h"

#include <cmath>

namespace Dsp {

void Butter::Design(const Spec& spec)
{
  const int n = spec.order;
  Poles().SetCount(n);
  Zeros().SetCount(n);
  for (int i = 0; i < n; ++i)
  {
    const double theta = (2 * i + 1) * kPi / (2 * n) + kPi / 2;
    // Just inside the unit circle (1 - 2^-53).
    Poles().GetNth(i) = 0.9999999999999999 * Complex(std::cos(theta), std::sin(theta));
    Zeros().GetNth(i) = infinity;
  }
  SetNormal(0, 1);
}

void ChebyI::Design(const Spec& spec)
{
  const int n = spec.order;
  const double r = spec.passbandRippleDb;
  const double e = 1 / std::sqrt(1 / std::exp(r * -0.1 * 2.302585092994046) - 1);
  const double u = std::log(std::sqrt(e * e + 1) + e) / n; // asinh(e) / n
  Poles().SetCount(n);
  Zeros().SetCount(n);
  for (int i = 0; i < n; ++i)
  {
    const double theta = (2 * i + 1 - n) * kPi / (2 * n);
    Poles().GetNth(i) = Complex(-std::sinh(u) * std::cos(theta), std::cosh(u) * std::sin(theta));
    Zeros().GetNth(i) = infinity;
  }
  SetNormal(0, (n & 1) ? 1 : std::pow(10.0, r / -20));
}

namespace {

double Factorial(int n)
{
  double f = 1;
  for (int i = 2; i <= n; ++i) f *= i;
  return f;
}

} // namespace

void Bessel::Design(const Spec& spec)
{
  const int n = spec.order;
  RootFinderSpace<100> solver;
  // Checked before the coefficients are written, not only inside solve.
  DSP_ASSERT(n>=1 && n<=solver.GetMaxDegree());

  // Reverse Bessel polynomial: (2n - k)! / (2^(n - k) k! (n - k)!).
  Complex* a = solver.coef();
  for (int k = 0; k <= n; ++k)
    a[k] = Factorial(2 * n - k) / (std::ldexp(1.0, n - k) * Factorial(k) * Factorial(n - k));

  solver.solve(n, &Poles(), false, false);

  Zeros().SetCount(n);
  const double s = 1 / std::sqrt((2 * n - 1) * 0.6931471805599453);
  for (int i = 0; i < n; ++i)
  {
    Poles().GetNth(i) *= s;
    Zeros().GetNth(i) = infinity;
  }
  SetNormal(0, 1);
}

namespace {

double Warp(const Spec& spec)
{
  return std::tan(spec.cutoffFreq * kTwoPi / spec.sampleRate * 0.5);
}

} // namespace

void LowPass::Transform(const Spec& spec, Roots* digital, const Roots& analog)
{
  const double k = Warp(spec);
  digital->SetCount(analog.GetCount());
  for (int i = 0; i < analog.GetCount(); ++i)
  {
    const Complex& c = analog.GetNth(i);
    if (c == infinity)
    {
      digital->GetNth(i) = Complex(-1, 0);
    }
    else
    {
      const Complex cp = k * c;
      digital->GetNth(i) = (1.0 + cp) / (1.0 - cp);
    }
  }
}

void LowPass::Transform(const Spec& spec, Layout* digital, const Layout& analog)
{
  Transform(spec, &digital->Poles(), analog.Poles());
  Transform(spec, &digital->Zeros(), analog.Zeros());
  digital->SetNormal(analog.GetNormalW(), analog.GetNormalGain());
}

void HighPass::Transform(const Spec& spec, Roots* digital, const Roots& analog)
{
  const double k = Warp(spec);
  digital->SetCount(analog.GetCount());
  for (int i = 0; i < analog.GetCount(); ++i)
  {
    const Complex& c = analog.GetNth(i);
    if (c == infinity)
    {
      digital->GetNth(i) = Complex(1, 0);
    }
    else
    {
      const Complex cp = c / k;
      digital->GetNth(i) = -((1.0 + cp) / (1.0 - cp));
    }
  }
}

void HighPass::Transform(const Spec& spec, Layout* digital, const Layout& analog)
{
  Transform(spec, &digital->Poles(), analog.Poles());
  Transform(spec, &digital->Zeros(), analog.Zeros());
  digital->SetNormal(kPi - analog.GetNormalW(), analog.GetNormalGain());
}

} // namespace Dsp
