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
  // The harmonics' copy holds kMaxFrames; a longer block runs piece by piece, which the
  // carried filter and DC-blocker histories make identical to one pass.
  for (; frames > 0; buffer += 2 * kMaxFrames, frames -= kMaxFrames)
    processPiece(buffer, frames < kMaxFrames ? frames : kMaxFrames);
}

// The stages in signal order: offset, harmonics of the band-limited copy, hard limit,
// DC blocker, noise. Each sample passes them in that order with the arithmetic
// written out per stage; the passes are only fused where no stage looks ahead.
void analogue_block::processPiece(double* buffer, int frames)
{
  const int n = 2 * frames;
  double* copy = sat.scratch;
  for (int i = 0; i < n; ++i)
  {
    const double x = buffer[i] + 1e-24;
    buffer[i] = x;
    copy[i] = x;
  }
  sat.shapeFilter.ProcessI((size_t) frames, copy);

  const bool stereo = isStereo;
  const double gl = sat.trimGainLeft(), gr = sat.trimGainRight();
  const double b0 = dcBlocker.b0, b1 = dcBlocker.b1, a1 = dcBlocker.a1;
  double xl = dcBlocker.xPrev[0], yl = dcBlocker.yPrev[0];
  double xr = dcBlocker.xPrev[1], yr = dcBlocker.yPrev[1];
  uint32_t s0 = noiseState[0], s1 = noiseState[1];
  const double scale = noiseScale;
  auto clip = [](double x) { return x >= 1.0 ? 1.0 : (x <= -1.0 ? -1.0 : x); };
  for (int i = 0; i < frames; ++i)
  {
    double* f = buffer + 2 * i;
    const double vl = stereo ? copy[2 * i] * gl : copy[2 * i];
    const double vr = stereo ? copy[2 * i + 1] * gr : copy[2 * i + 1];
    const double inL = clip(sat.addHarmonics(f[0], vl));
    const double inR = clip(sat.addHarmonics(f[1], vr));

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
