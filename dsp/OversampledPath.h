#pragma once
// What the three compressors share around their own gain loop: the analogue block
// in front, the denormal offset, and the optional 2x path (zero-stuffing, Bessel
// anti-imaging and anti-aliasing low-passes, decimation).

#include "dsp/DspFilter.h"
#include "dsp/StereoFrame.h"

namespace OversampledPath
{
// Upsampling memory: 16384 stereo frames at the raised rate.
constexpr int kBufferSamples = 32768;

using UpFilter = Dsp::BesselLowPass<6, 2>;
using DownFilter = Dsp::BesselLowPass<4, 2>;

// Both low-passes at 20 kHz of the raised rate, from identity stages.
inline void design(UpFilter& up, DownFilter& down, int sampleRate, int factor)
{
  up.Reset();
  down.Reset();
  Dsp::Spec spec;
  spec.sampleRate = 1.0;
  // The raised rate in double: the same value as the int product wherever that fits.
  spec.cutoffFreq = 20000.0 / ((double) factor * (double) sampleRate);
  spec.order = 6;
  up.Setup(spec);
  spec.order = 4;
  down.Setup(spec);
}

// Runs a compressor C (fields analogueOn, isStereo, analogue, oversampling,
// oversampleFactor, upsampleBuffer, upFilter, downFilter; processComp) over a block.
template <class C>
void process(C& c, double* buffer, int frames)
{
  if (c.analogueOn)
  {
    c.analogue.isStereo = c.isStereo;
    c.analogue.process(buffer, frames);
  }
  const StereoFrame tiny = Splat(1e-24);
  for (int i = 0; i < frames; ++i) StoreFrame(LoadFrame(buffer + 2 * i) + tiny, buffer + 2 * i);

  if (!c.oversampling)
  {
    c.processComp(buffer, frames);
    return;
  }

  const int n = c.oversampleFactor;
  const double scale = (double) n;
  double* up = c.upsampleBuffer;
  for (int i = 0; i < frames; ++i)
  {
    double* f = up + 2 * n * i;
    f[0] = scale * buffer[2 * i];
    f[1] = scale * buffer[2 * i + 1];
    for (int j = 2; j < 2 * n; ++j) f[j] = 0.0;
  }
  c.upFilter.ProcessI((size_t) (n * frames), up);
  c.processComp(up, n * frames);
  c.downFilter.ProcessI((size_t) (n * frames), up);
  for (int i = 0; i < frames; ++i)
  {
    buffer[2 * i] = up[2 * n * i];
    buffer[2 * i + 1] = up[2 * n * i + 1];
  }
}
} // namespace OversampledPath
