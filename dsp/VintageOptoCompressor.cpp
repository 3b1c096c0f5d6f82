#include "dsp/VintageOptoCompressor.h"

#include "dsp/DesignFreqLimit.h"

#include <cmath>

namespace
{
// Single-precision one-pole factor for a time constant of t seconds.
double coef(int rate, double t) { return (double) expf((float) (-1.0 / ((double) rate * t))); }
} // namespace

void VintageOptoCompressor::init(int rate)
{
  initPath(rate);
  const int r = processingRate();
  attackCoef = coef(r, 0.01);
  fastReleaseCoef = coef(r, 0.06);
  slowReleaseCoef = coef(r, 0.6);
  // 1 kHz lies inside every supported band; the limit keeps a rate far below them
  // from asking the fast sine for an angle it does not hold.
  sideChain.SetupFast(LimitDesignFreq(1000.0 / (double) r), 6.0, 0.5);
}

void VintageOptoCompressor::processComp(double* buffer, int frames)
{
  detectorScale = 450.0 * threshold;
  const double d = detectorScale;
  double g = gain, env = envelope, ref = releaseReference, lowest = 1.0;
  bool up = attacking;
  const double att = attackCoef, fast = fastReleaseCoef, slow = slowReleaseCoef;
  const bool offsetOn = analogueOn && isStereo;
  const double offset = rightGainOffset;

  for (int i = 0; i < frames; ++i)
  {
    double* f = buffer + 2 * i;
    const double l = g * f[0];
    const double r = offsetOn ? (g + offset) * f[1] : g * f[1];
    f[0] = l;
    f[1] = r;

    double s = l + r;
    sideChain.ProcessI(1, &s);
    const double x = std::fabs(d * s);

    // The release reference is taken when the level stops rising: the first tenth
    // of the fall releases fast, the rest slowly.
    double k;
    if (x > env)
    {
      k = att;
      up = true;
    }
    else
    {
      if (up) ref = 0.9 * env;
      k = env > ref ? fast : slow;
      up = false;
    }
    env = k * env + (1.0 - k) * x;

    double c = 0.1071000671 * env + env / (0.37011709966 * env * env + 1.1605589854);
    if (c > 1.0) c = 1.0;
    if (c < -1.0) c = -1.0;
    g = 1.0 - c;
    if (g < lowest) lowest = g;
  }

  gain = g;
  envelope = env;
  releaseReference = ref;
  attacking = up;
  minGain = lowest;
}
