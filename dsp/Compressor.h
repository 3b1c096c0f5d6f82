#pragma once
// What the three compressors share: their common settings and gain state, the
// analogue block in front, the denormal offset and the optional 2x path
// (zero-stuffing, Bessel anti-imaging and anti-aliasing low-passes, decimation)
// around the gain loop of the compressor type, Loop::processComp.

#include "dsp/DesignFreqLimit.h"
#include "dsp/DspFilter.h"
#include "dsp/RightGainOffset.h"
#include "dsp/StereoFrame.h"
#include "dsp/analogue_block.h"

#include <cmath>

template <class Loop>
class Compressor
{
public:
  // Upsampling memory: 16384 stereo frames at the raised rate.
  static constexpr int kUpsampleSamples = 32768;

  using UpFilter = Dsp::BesselLowPass<6, 2>;
  using DownFilter = Dsp::BesselLowPass<4, 2>;

  virtual ~Compressor() = default;

  // In place, interleaved stereo, any length; the buffer may be the caller's output.
  void process(double* buffer, int frames);
  virtual void setStereo(bool stereo) { isStereo = stereo; }

  // The rate the gain loop runs at: the sample rate, times the factor while oversampling.
  int processingRate() const { return oversampling ? sampleRate * oversampleFactor : sampleRate; }

  // Settings written by the engine.
  bool analogueOn = false;
  bool oversampling = false; // switches the path at once; init follows with the rates
  double threshold = 0.0;    // linear

  int sampleRate = 44100;
  int oversampleFactor = 2;
  bool isStereo = false;
  double gain = 1.0; // applied to the next frame
  double envelope = 0.0;
  double minGain = 1.0; // the smallest gain of the last block: the meter's reading
  // Applied to the right channel's gain only when analogueOn and isStereo.
  double rightGainOffset = drawRightGainOffset();
  alignas(16) double upsampleBuffer[kUpsampleSamples] = {};
  UpFilter upFilter;
  DownFilter downFilter;
  analogue_block analogue;

protected:
  Compressor(int colour, bool flag) : analogue(colour, flag) {}

  // The shared half of init: the rate, both low-passes (from identity stages; their
  // histories are kept), and the analogue block at the processing rate with the
  // tolerances it holds.
  void initPath(int rate);
  // The 2x path's low-passes guard the band of the rate the strip runs at: at 20 kHz
  // from 44.1 kHz up, and below it at the same fraction of the rate (the 44.1 kHz
  // design), so that zero-stuffing's images above the band's top are removed before the
  // gain loop and again before decimation folds them back onto the band. Normalised to
  // the raised rate.
  double besselCutoff() const;
  // The one-pole factor e^(-1 / (rate * t)) of a time in milliseconds at the
  // processing rate.
  double timeConstant(double ms) const { return std::exp(-1.0 / (ms / 1000.0 * processingRate())); }

private:
  void processOversampled(double* buffer, int frames);
};

template <class Loop>
void Compressor<Loop>::initPath(int rate)
{
  sampleRate = rate;
  oversampleFactor = 2;
  upFilter.Reset();
  downFilter.Reset();
  Dsp::Spec spec;
  spec.sampleRate = 1.0;
  spec.cutoffFreq = besselCutoff();
  spec.order = 6;
  upFilter.Setup(spec);
  spec.order = 4;
  downFilter.Setup(spec);
  analogue.init(processingRate());
}

template <class Loop>
double Compressor<Loop>::besselCutoff() const
{
  // The raised rate in double: the same value as the int product wherever that fits.
  const double fixed = 20000.0 / ((double) oversampleFactor * (double) sampleRate);
  // The band's top at the raised rate; halving is exact, so at 44.1 kHz both are one value.
  const double top = kMaxDesignFreq / (double) oversampleFactor;
  return fixed <= top ? fixed : top;
}

template <class Loop>
void Compressor<Loop>::process(double* buffer, int frames)
{
  if (analogueOn)
  {
    analogue.isStereo = isStereo;
    analogue.process(buffer, frames);
  }
  const StereoFrame tiny = Splat(1e-24);
  for (int i = 0; i < frames; ++i) StoreFrame(LoadFrame(buffer + 2 * i) + tiny, buffer + 2 * i);

  if (!oversampling)
  {
    static_cast<Loop*>(this)->processComp(buffer, frames);
    return;
  }
  // The upsampling memory bounds a piece; the filters' histories and the gain state
  // carry over, so pieces sound as one pass. A block of 0 frames still runs the loop
  // once, which reports no reduction.
  const int most = kUpsampleSamples / (2 * oversampleFactor);
  double lowest = 1.0;
  int done = 0;
  do
  {
    const int n = frames - done < most ? frames - done : most;
    processOversampled(buffer + 2 * done, n);
    if (minGain < lowest) lowest = minGain;
    done += n;
  } while (done < frames);
  minGain = lowest;
}

template <class Loop>
void Compressor<Loop>::processOversampled(double* buffer, int frames)
{
  const int n = oversampleFactor;
  const double scale = (double) n;
  double* up = upsampleBuffer;
  for (int i = 0; i < frames; ++i)
  {
    double* f = up + 2 * n * i;
    f[0] = scale * buffer[2 * i];
    f[1] = scale * buffer[2 * i + 1];
    for (int j = 2; j < 2 * n; ++j) f[j] = 0.0;
  }
  upFilter.ProcessI((size_t) (n * frames), up);
  static_cast<Loop*>(this)->processComp(up, n * frames);
  downFilter.ProcessI((size_t) (n * frames), up);
  for (int i = 0; i < frames; ++i)
  {
    buffer[2 * i] = up[2 * n * i];
    buffer[2 * i + 1] = up[2 * n * i + 1];
  }
}
