#pragma once
// Roots of a complex polynomial by Laguerre's method with synthetic deflation.
// The coefficients live in storage provided by RootFinderSpace; coef()[k] is the
// coefficient of x^k.

#include "dsp/DspLayout.h"

namespace Dsp {

class RootFinder
{
public:
  RootFinder(const RootFinder&) = delete;
  RootFinder& operator=(const RootFinder&) = delete;

  int GetMaxDegree() const { return m_maxdegree; }
  Complex* coef() { return m_a; }

  // Writes the degree roots of coef()[0..degree] into roots. polish refines each
  // root once more against the undeflated polynomial; doSort orders them by real part.
  void solve(int degree, Roots* roots, bool polish = false, bool doSort = false);

  // Moves x onto a root of a[0..degree]; iterations receives the last iteration's number.
  void laguerre(int degree, Complex* a, Complex& x, int& iterations);

protected:
  RootFinder() = default;
  ~RootFinder() = default;

  int m_maxdegree = 0;
  Complex* m_a = nullptr;
  Complex* m_ad = nullptr; // deflated working copy
};

template <int N>
class RootFinderSpace : public RootFinder
{
public:
  RootFinderSpace()
  {
    m_maxdegree = N;
    m_a = m_a0;
    m_ad = m_ad0;
  }

private:
  Complex m_a0[N + 1]; // std::complex constructs as zero
  Complex m_ad0[N + 1];
};

} // namespace Dsp
