#pragma once
// Clean RMS compressor: one gain from the mid signal's 82.5 ms mean square,
// attack/release smoothing and a hard-knee law on linear amplitudes; optionally 2x.

#include "dsp/OversampledPath.h"
#include "dsp/RightGainOffset.h"
#include "dsp/analogue_block.h"

class VCACompressor
{
public:
  VCACompressor() = default;
  virtual ~VCACompressor() = default;

  void init(int sampleRate);
  // In place; frames <= 4096 with analogueOn, factor * frames <= 16384 oversampled.
  void process(double* buffer, int frames);
  virtual void setStereo(bool stereo) { isStereo = stereo; }

  // The gain loop at the processing rate.
  void processComp(double* buffer, int frames);

  double attackCoef = 0.0;
  double releaseCoef = 0.0;
  double attackMs = 0.0;
  double releaseMs = 0.0;
  double ratio = 1.0;
  double threshold = 0.0;
  double gain = 1.0;
  double envelope = 0.0;
  double meanSquare = 0.0;
  double rmsCoef = 0.0;
  int sampleRate = 44100;
  bool analogueOn = false;
  bool isStereo = false;
  double rightGainOffset = drawRightGainOffset();
  double minGain = 1.0;
  bool oversampling = false;
  int oversampleFactor = 2;
  alignas(16) double upsampleBuffer[OversampledPath::kBufferSamples] = {};
  OversampledPath::UpFilter upFilter;
  OversampledPath::DownFilter downFilter;
  analogue_block analogue;
};
