#pragma once
// Fast feedback compressor: detects its own output above a fixed floor and maps
// the smoothed level through a fixed rational curve; threshold and ratio only
// scale the detector. Optionally 2x.

#include "dsp/Compressor.h"

class VintageFETCompressor : public Compressor<VintageFETCompressor>
{
public:
  VintageFETCompressor() : Compressor(analogue_block::kModeFet, true) {}

  // Everything that follows the rate: the 2x path, the analogue block and the time
  // constants, at the processing rate.
  void init(int sampleRate);
  // attackCoef and releaseCoef from attackMs and releaseMs at the processing rate.
  void updateTimeConstants();
  // The gain loop at the processing rate.
  void processComp(double* buffer, int frames);

  // Settings written by the engine.
  double attackMs = (double) 0.02f;
  double releaseMs = 50.0;
  double ratioAmount = 0.0; // the ratio knob's position, 0 to 1

  double attackCoef = 0.0;
  double releaseCoef = 0.0;
};
