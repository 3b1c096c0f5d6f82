#pragma once
// Numeric basics of the filter kit: complex roots, constants, and the two cheap
// approximations (sine/cosine, square root) behind the "fast" biquad designs.

#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>

namespace Dsp {

using Complex = std::complex<double>;

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kTwoPi = 6.283185307179586;

// A zero at infinity (every zero of an all-pole prototype) is stored as (+inf, 0).
inline constexpr Complex infinity(std::numeric_limits<double>::infinity(), 0.0);

namespace detail {

// Parabolic sine on [-pi, pi] with one refinement step; error below 0.1 %.
inline double ParabolicSine(double x)
{
  const double k = x < 0 ? 0.405284735 : -0.405284735;
  const double s = 1.27323954 * x + k * x * x;
  const double p = s < 0 ? -(s * s) : s * s; // s*|s|
  return s + 0.225 * (p - s);
}

} // namespace detail

// Sine and cosine of x. One wrap only: callers pass 2*pi*f with 0 <= f <= 0.5.
inline void fastsincos(double x, double* sn, double* cs)
{
  if (x < -kPi)
    x += kTwoPi;
  else if (x > kPi)
    x -= kTwoPi;
  *sn = detail::ParabolicSine(x);

  double xc = x + kHalfPi;
  if (xc > kPi) xc -= kTwoPi;
  *cs = detail::ParabolicSine(xc);
}

// Square root by halving the exponent in the bit pattern. Exact at powers of 4,
// never low, at most 6.07 % high (at 2 it gives 1.5). Positive x only.
inline double fastsqrt(double x)
{
  std::int64_t i;
  std::memcpy(&i, &x, sizeof i);
  i = (i >> 1) + 0x1ff8000000000000;
  std::memcpy(&x, &i, sizeof x);
  return x;
}

} // namespace Dsp
