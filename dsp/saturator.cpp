#include "dsp/saturator.h"

void saturator::init(int, double even, double second, double trimL, double trimR)
{
  // The cutoff is a fraction of whatever the rate is, so the rate does not enter.
  Dsp::Spec spec;
  spec.order = 4;
  spec.sampleRate = 1.0;
  spec.cutoffFreq = 0.064;
  spec.passbandRippleDb = 0.5;
  shapeFilter.Reset();
  shapeFilter.Setup(spec);
  evenAmount = even;
  secondAmount = second;
  trimLeft = trimL;
  trimRight = trimR;
  isStereo = false;
}

void saturator::shape(double* buffer, int frames, bool stereo)
{
  // The copy holds kMaxFrames; a longer block is shaped piece by piece, which the
  // filter's carried history makes identical to one pass.
  while (frames > kMaxFrames)
  {
    shapePiece(buffer, kMaxFrames, stereo);
    buffer += 2 * kMaxFrames;
    frames -= kMaxFrames;
  }
  if (frames > 0) shapePiece(buffer, frames, stereo);
}

void saturator::shapePiece(double* buffer, int frames, bool stereo)
{
  const int n = 2 * frames;
  for (int i = 0; i < n; ++i) scratch[i] = buffer[i];
  shapeFilter.ProcessI((size_t) frames, scratch);

  if (stereo)
  {
    const double gl = 1.0 + 0.01 * trimLeft, gr = 1.0 + 0.01 * trimRight;
    for (int i = 0; i < n; i += 2)
    {
      scratch[i] *= gl;
      scratch[i + 1] *= gr;
    }
  }

  // Band-limited to 0.064 fs, so even the seventh harmonic stays below Nyquist.
  const double e = evenAmount;
  const double e2 = e / 2, e4 = e / 4, e8 = e / 8;
  for (int i = 0; i < n; ++i)
  {
    const double v = scratch[i];
    const double v2 = v * v;
    const double v3 = v2 * v;
    const double v4 = v2 * v2;
    const double v5 = v2 * v3;
    const double v6 = v3 * v3;
    const double v7 = v4 * v3;
    buffer[i] = buffer[i] + e2 * v2 - 0.33 * v3 + e4 * v4 - 0.15 * v5 + e8 * v6 - 0.037 * v7;
  }
}
