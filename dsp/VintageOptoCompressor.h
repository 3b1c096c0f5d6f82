#pragma once
// Slow programme-dependent feedback compressor: a +6 dB 1 kHz shelf in the side
// chain, 10 ms attack and a two-stage 60 ms / 600 ms release, a fixed rational
// gain curve scaled by the threshold only. Optionally 2x.

#include "dsp/Compressor.h"

class VintageOptoCompressor : public Compressor<VintageOptoCompressor>
{
public:
  VintageOptoCompressor() : Compressor(analogue_block::kModeOpto, true) {}

  // Everything that follows the rate: the 2x path, the analogue block, the three fixed
  // time constants and the side-chain shelf, at the processing rate.
  void init(int sampleRate);
  // The gain loop at the processing rate.
  void processComp(double* buffer, int frames);

  double attackCoef = 0.0;
  double fastReleaseCoef = 0.0;
  double slowReleaseCoef = 0.0;
  double releaseReference = 0.0;
  bool attacking = false;
  Dsp::BiquadHighShelf<1> sideChain;
  double detectorScale = 0.0;
};
