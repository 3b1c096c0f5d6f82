#pragma once
// Clean RMS compressor: one gain from the mid signal's 82.5 ms mean square,
// attack/release smoothing and a hard-knee law on linear amplitudes; optionally 2x.

#include "dsp/Compressor.h"

class VCACompressor : public Compressor<VCACompressor>
{
public:
  VCACompressor() : Compressor(analogue_block::kModeClean, false) {}

  // Everything that follows the rate: the 2x path, the analogue block, the detector's
  // mean-square factor and the time constants, at the processing rate.
  void init(int sampleRate);
  // attackCoef and releaseCoef from attackMs and releaseMs at the processing rate.
  void updateTimeConstants();
  // The gain loop at the processing rate.
  void processComp(double* buffer, int frames);

  // Settings written by the engine.
  double attackMs = 0.0;
  double releaseMs = 0.0;
  double ratio = 1.0;

  double attackCoef = 0.0;
  double releaseCoef = 0.0;
  double rmsCoef = 0.0;
  double meanSquare = 0.0;
};
