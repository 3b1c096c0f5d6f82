#include "dsp/analogue_block.h"

#include "dsp/AnalogueClock.h"

#include <cmath>
#include <cstdlib>

void analogue_block::init(int rate, bool flagArg, int mode)
{
  isStereo = false;
  flag = flagArg;
  const double r = (double) (10.0f / (float) rate);
  const double p = std::exp(-2.0 * 3.141592653589793 * r);

  // Every block initialised within the same second draws the same tolerances.
  srand((unsigned) AnalogueClock::Now());
  tolerance1 = (double) (rand() % 500 + 1) / 100.0;
  tolerance2 = (double) (rand() % 500 + 1) / 100.0;

  sampleRate = rate;
  dcBlocker.b0 = (1.0 + p) / 2.0;
  dcBlocker.b1 = -(1.0 + p) / 2.0;
  dcBlocker.a1 = p;

  switch (mode)
  {
    case 0: sat.init(rate, 0.005, 0.0, tolerance1, tolerance2); break;
    case 1: sat.init(rate, 0.5, 0.0, tolerance2, tolerance1); break;
    case 2: sat.init(rate, 0.5, 1.0, tolerance1, tolerance2); break;
    default: break;
  }
}

void analogue_block::process(double* buffer, int frames)
{
  if (frames <= 0) return;
  const int n = 2 * frames;
  for (int i = 0; i < n; ++i) buffer[i] += 1e-24;

  sat.shape(buffer, frames, isStereo);

  for (int i = 0; i < n; ++i)
  {
    if (buffer[i] >= 1.0)
      buffer[i] = 1.0;
    else if (buffer[i] <= -1.0)
      buffer[i] = -1.0;
  }

  const double b0 = dcBlocker.b0, b1 = dcBlocker.b1, a1 = dcBlocker.a1;
  double xl = dcBlocker.xPrev[0], yl = dcBlocker.yPrev[0];
  double xr = dcBlocker.xPrev[1], yr = dcBlocker.yPrev[1];
  uint32_t s0 = noiseState[0], s1 = noiseState[1];
  const double scale = noiseScale;
  for (int i = 0; i < frames; ++i)
  {
    double* f = buffer + 2 * i;
    const double inL = f[0], inR = f[1];
    const double outL = b0 * inL + b1 * xl + a1 * yl;
    xl = inL;
    yl = outL;
    const double outR = b0 * inR + b1 * xr + a1 * yr;
    xr = inR;
    yr = outR;

    const int32_t w = (int32_t) s1;
    s0 ^= s1;
    s1 += s0;
    const double noise = (double) w * scale * 1e-7;
    f[0] = outL + noise;
    f[1] = outR + noise;
  }
  dcBlocker.xPrev[0] = xl;
  dcBlocker.yPrev[0] = yl;
  dcBlocker.xPrev[1] = xr;
  dcBlocker.yPrev[1] = yr;
  noiseState[0] = s0;
  noiseState[1] = s1;
}
