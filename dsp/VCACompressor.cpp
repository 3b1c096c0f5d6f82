#include "dsp/VCACompressor.h"

#include <cmath>

void VCACompressor::init(int rate)
{
  initPath(rate);
  rmsCoef = std::exp(-1.0 / (0.0825 * processingRate()));
  updateTimeConstants();
}

void VCACompressor::updateTimeConstants()
{
  attackCoef = timeConstant(attackMs);
  releaseCoef = timeConstant(releaseMs);
}

void VCACompressor::processComp(double* buffer, int frames)
{
  double g = gain, env = envelope, ms = meanSquare, lowest = 1.0;
  const double rc = rmsCoef, att = attackCoef, rel = releaseCoef, thr = threshold, rat = ratio;
  const double attRest = 1.0 - att, relRest = 1.0 - rel;
  const bool offsetOn = analogueOn && isStereo;
  const double offset = rightGainOffset;

  for (int i = 0; i < frames; ++i)
  {
    double* f = buffer + 2 * i;
    const double l = f[0], r = f[1];
    f[0] = g * l;
    f[1] = offsetOn ? (g + offset) * r : g * r;

    // The detector hears the input; the gain it yields applies from the next frame.
    const double m = std::fabs((l + r) * 0.5);
    ms = rc * ms + (1.0 - rc) * m * m;
    const double level = std::sqrt(ms);
    // 1 - k chosen with k rather than computed after it: the same bits, one step
    // shorter on the envelope's recursion.
    const bool rising = level > env;
    env = (rising ? att : rel) * env + (rising ? attRest : relRest) * level;

    double e = env - thr;
    if (e <= 0.0) e = 0.0;
    // A silent detector at threshold 0 (before the engine has written one) would
    // be 0/0 and leave the gain NaN for good; nothing is above threshold, so 1.
    const double level0 = thr + e;
    g = level0 > 0.0 ? (e / rat + thr) / level0 : 1.0;
    if (g < lowest) lowest = g;
  }

  gain = g;
  envelope = env;
  meanSquare = ms;
  minGain = lowest;
}
