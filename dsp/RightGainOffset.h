#pragma once
// A compressor's component tolerance on the right channel's gain, drawn once at
// construction: +-0.005 times a value from 0.01 to 2.00.

#include <cstdlib>

inline double drawRightGainOffset()
{
  const double d = (double) (rand() % 200 + 1) / 100.0;
  return d > 1.0 ? 0.005 * d : -0.005 * d;
}
