#pragma once
// Slow programme-dependent feedback compressor: a +6 dB 1 kHz shelf in the side
// chain, 10 ms attack and a two-stage 60 ms / 600 ms release, a fixed rational
// gain curve scaled by the threshold only. Optionally 2x.

#include "dsp/OversampledPath.h"
#include "dsp/RightGainOffset.h"
#include "dsp/analogue_block.h"

class VintageOptoCompressor
{
public:
  VintageOptoCompressor() = default;
  virtual ~VintageOptoCompressor() = default;

  void init(double sampleRate);
  // In place; frames <= 4096 with analogueOn, factor * frames <= 16384 oversampled.
  void process(double* buffer, int frames);
  // The gain loop at the processing rate.
  void processComp(double* buffer, int frames);
  virtual void setStereo(bool stereo) { isStereo = stereo; }

  // The three time constants and the side-chain shelf for a processing rate.
  void setRate(int rate);

  bool oversampling = false;
  int oversampleFactor = 2;
  int sampleRate = 44100;
  double gain = 1.0;
  double attackCoef = 0.0;
  double fastReleaseCoef = 0.0;
  double slowReleaseCoef = 0.0;
  double envelope = 0.0;
  double releaseReference = 0.0;
  bool attacking = false;
  double threshold = 0.0;
  double rightGainOffset = drawRightGainOffset();
  double minGain = 1.0;
  bool analogueOn = false;
  bool isStereo = false;
  Dsp::BiquadHighShelf<1> sideChain;
  double detectorScale = 0.0;
  alignas(16) double upsampleBuffer[OversampledPath::kBufferSamples] = {};
  OversampledPath::UpFilter upFilter;
  OversampledPath::DownFilter downFilter;
  analogue_block analogue;
};
