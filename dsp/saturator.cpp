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
    const double gl = trimGainLeft(), gr = trimGainRight();
    for (int i = 0; i < n; i += 2)
    {
      scratch[i] *= gl;
      scratch[i + 1] *= gr;
    }
  }
  for (int i = 0; i < n; ++i) buffer[i] = addHarmonics(buffer[i], scratch[i]);
}
