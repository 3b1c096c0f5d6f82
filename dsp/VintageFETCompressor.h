#pragma once
// Fast feedback compressor: detects its own output above a fixed floor and maps
// the smoothed level through a fixed rational curve; threshold and ratio only
// scale the detector. Optionally 2x.

#include "dsp/OversampledPath.h"
#include "dsp/RightGainOffset.h"
#include "dsp/analogue_block.h"

class VintageFETCompressor
{
public:
  VintageFETCompressor() = default;
  virtual ~VintageFETCompressor() = default;

  void init(double sampleRate);
  // In place; frames <= 4096 with analogueOn, factor * frames <= 16384 oversampled.
  void process(double* buffer, int frames);
  // The gain loop at the processing rate.
  void processComp(double* buffer, int frames);
  virtual void setStereo(bool stereo) { isStereo = stereo; }

  bool oversampling = false;
  int oversampleFactor = 2;
  double attackCoef = 0.0;
  double releaseCoef = 0.0;
  int sampleRate = 44100;
  double attackMs = (double) 0.02f;
  double releaseMs = 50.0;
  double ratioAmount = 0.0;
  double gain = 1.0;
  double envelope = 0.0;
  double threshold = 0.0;
  bool analogueOn = false;
  bool isStereo = false;
  double rightGainOffset = drawRightGainOffset();
  double minGain = 1.0;
  alignas(16) double upsampleBuffer[OversampledPath::kBufferSamples] = {};
  OversampledPath::UpFilter upFilter;
  OversampledPath::DownFilter downFilter;
  analogue_block analogue;
};
