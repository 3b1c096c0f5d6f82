#include "dsp/saturator.h"

void saturator::init(int)
{
  Dsp::Spec spec;
  spec.order = 4;
  spec.sampleRate = 1.0;
  spec.cutoffFreq = 0.064;
  spec.passbandRippleDb = 0.5;
  shapeFilter.Reset();
  shapeFilter.Setup(spec);
  isStereo = false;
}

void saturator::process(double* buffer, int frames)
{
  // The copy holds kMaxFrames; a longer block is shaped piece by piece, which the
  // filter's carried history makes identical to one pass.
  while (frames > kMaxFrames)
  {
    processPiece(buffer, kMaxFrames);
    buffer += 2 * kMaxFrames;
    frames -= kMaxFrames;
  }
  if (frames > 0) processPiece(buffer, frames);
}

void saturator::processPiece(double* buffer, int frames)
{
  const int n = 2 * frames;
  for (int i = 0; i < n; ++i) scratch[i] = buffer[i];
  shapeFilter.ProcessI((size_t) frames, scratch);

  if (isStereo)
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
