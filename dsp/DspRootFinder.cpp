#include "dsp/DspRootFinder.h"

#include "dsp/DspAssert.h"

#include <algorithm>
#include <cmath>

namespace Dsp {

void RootFinder::solve(int degree, Roots* roots, bool polish, bool doSort)
{
  DSP_ASSERT(degree<=m_maxdegree);

  for (int j = 0; j <= degree; ++j) m_ad[j] = m_a[j];
  roots->SetCount(degree);

  for (int j = degree - 1; j >= 0; --j)
  {
    Complex x(0, 0);
    int its;
    laguerre(j + 1, m_ad, x, its);
    if (std::fabs(x.imag()) <= 2e-14 * std::fabs(x.real())) x.imag(0);
    roots->GetNth(j) = x;

    Complex b = m_ad[j + 1];
    for (int jj = j; jj >= 0; --jj)
    {
      const Complex c = m_ad[jj];
      m_ad[jj] = b;
      b = x * b + c;
    }
  }

  if (polish)
  {
    for (int j = 0; j < degree; ++j)
    {
      int its;
      laguerre(degree, m_a, roots->GetNth(j), its);
    }
  }

  if (doSort)
  {
    for (int j = 1; j < degree; ++j)
    {
      const Complex x = roots->GetNth(j);
      int i = j - 1;
      for (; i >= 0 && roots->GetNth(i).real() > x.real(); --i)
        roots->GetNth(i + 1) = roots->GetNth(i);
      roots->GetNth(i + 1) = x;
    }
  }
}

void RootFinder::laguerre(int degree, Complex* a, Complex& x, int& iterations)
{
  // Fractional steps every 10th iteration break limit cycles.
  static const double frac[] = {0.0, 0.5, 0.25, 0.75, 0.13, 0.38, 0.62, 0.88, 1.0};
  const int stepsBetweenBreaks = 10;
  const int maxIterations = 80;
  const double m = degree;

  for (int it = 1; it <= maxIterations; ++it)
  {
    iterations = it;

    // Value b, derivative d and half the second derivative f, with a rounding bound.
    Complex b = a[degree];
    double err = std::abs(b);
    Complex d(0, 0);
    Complex f(0, 0);
    const double abx = std::abs(x);
    for (int j = degree - 1; j >= 0; --j)
    {
      f = x * f + d;
      d = x * d + b;
      b = x * b + a[j];
      err = std::abs(b) + abx * err;
    }
    err *= 2.220446049250313e-16;
    if (std::abs(b) <= err) return;

    const Complex g = d / b;
    const Complex g2 = g * g;
    const Complex h = g2 - 2.0 * f / b;
    const Complex sq = std::sqrt((m - 1) * (m * h - g2));
    Complex gp = g + sq;
    const Complex gm = g - sq;
    const double abp = std::abs(gp);
    const double abm = std::abs(gm);
    if (abp < abm) gp = gm;
    const Complex dx = std::max(abp, abm) > 0
                         ? m / gp
                         : (1 + abx) * Complex(std::cos(double(it)), std::sin(double(it)));
    const Complex x1 = x - dx;
    if (x == x1) return;
    if (it % stepsBetweenBreaks != 0)
      x = x1;
    else
      x -= frac[it / stepsBetweenBreaks] * dx;
  }
  FatalError("no convergence in 80 iterations", __func__, "dsp/DspFilter");
}

} // namespace Dsp
