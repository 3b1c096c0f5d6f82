#include "dsp/VintageFETCompressor.h"

#include <cmath>

void VintageFETCompressor::init(int rate)
{
  initPath(rate);
  updateTimeConstants();
}

void VintageFETCompressor::updateTimeConstants()
{
  attackCoef = timeConstant(attackMs);
  releaseCoef = timeConstant(releaseMs);
}

void VintageFETCompressor::processComp(double* buffer, int frames)
{
  const double d = threshold * ratioAmount * 400.0;
  double g = gain, env = envelope, lowest = 1.0;
  const double att = attackCoef, rel = releaseCoef;
  const double attRest = 1.0 - att, relRest = 1.0 - rel;
  const bool offsetOn = analogueOn && isStereo;
  const double offset = rightGainOffset;

  for (int i = 0; i < frames; ++i)
  {
    double* f = buffer + 2 * i;
    const double l = g * f[0];
    const double r = offsetOn ? (g + offset) * f[1] : g * f[1];
    f[0] = l;
    f[1] = r;

    // Feedback detection on the output; below the floor counts as silence.
    double x = std::fabs((l + r) * d);
    if (x < 0.0562341) x = 0.0;
    // 1 - k chosen with k rather than computed after it: the same bits, one step
    // shorter on the envelope's recursion.
    const bool rising = x > env;
    env = (rising ? att : rel) * env + (rising ? attRest : relRest) * x;

    const double y = 2.0 * env * env;
    double s = 0.1071000671 * y + y / (0.37011709966 * y * y + 1.1605589854);
    if (s > 1.0) s = 1.0;
    if (s < -1.0) s = -1.0;
    g = 1.0 - s;
    if (g < lowest) lowest = g;
  }

  gain = g;
  envelope = env;
  minGain = lowest;
}
