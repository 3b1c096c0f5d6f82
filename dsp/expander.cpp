#include "dsp/expander.h"

#include <cmath>

void expander::init(int rate)
{
  sampleRate = rate;
  // A one-pole smoother at 12.12 Hz, the ratio in single precision.
  const double p = std::pow(2.718281828459045, -6.283185307179586 * (double) (12.12f / (float) rate));
  msFilter.b0 = 1.0 - p;
  msFilter.b1 = 0.0;
  msFilter.a1 = p;
  updateTimeConstants();
}

void expander::updateTimeConstants()
{
  // The product of rate and seconds is single precision.
  const float rate = (float) sampleRate;
  attackCoef = std::exp(-1.0 / (double) (rate * (attackMs / 1000.0f)));
  releaseCoef = std::exp(-1.0 / (double) (rate * (releaseMs / 1000.0f)));
}

void expander::process(double* buffer, int frames)
{
  double g = gain, env = envelope;
  const double thr = threshold, rat = ratio, att = attackCoef, rel = releaseCoef;
  const double attRest = 1.0 - att, relRest = 1.0 - rel;
  const double b0 = msFilter.b0, b1 = msFilter.b1, a1 = msFilter.a1;
  double x1 = msFilter.xPrev[0], y1 = msFilter.yPrev[0];
  double x1b = msFilter.xPrev[1], y1b = msFilter.yPrev[1];

  for (int i = 0; i < frames; ++i)
  {
    double* f = buffer + 2 * i;
    const double l = f[0], r = f[1];
    f[0] = g * l;
    f[1] = g * r;

    const double mid = (l + r) * 0.5;
    const double x = mid * mid;
    const double ms = b0 * x + b1 * x1 + a1 * y1;
    x1 = x;
    y1 = ms;
    // The idle second channel is fed silence, as the record is for two channels.
    const double msb = b0 * 0.0 + b1 * x1b + a1 * y1b;
    x1b = 0.0;
    y1b = msb;

    const double level = std::sqrt(ms);
    // 1 - k chosen with k rather than computed after it: the same bits, one step
    // shorter on the envelope's recursion.
    const bool rising = level > env;
    env = (rising ? att : rel) * env + (rising ? attRest : relRest) * level;

    double u = thr - env;
    if (u < 0.0) u = 0.0;
    // Threshold and envelope both 0 would be 0/0: nothing lies below threshold 0.
    const double den = u * rat + env;
    g = den > 0.0 ? (u / rat + env) / den : 1.0;
  }

  gain = g;
  envelope = env;
  msFilter.xPrev[0] = x1;
  msFilter.yPrev[0] = y1;
  msFilter.xPrev[1] = x1b;
  msFilter.yPrev[1] = y1b;
}
