#pragma once
// Analogue colour: band-limited harmonics, a hard limit at full scale, a 10 Hz
// DC blocker and a noise floor near -140 dBFS. Each init draws two component
// tolerances that set a small left/right level offset of the harmonics in stereo.

#include "dsp/saturator.h"

#include <cstdint>

class analogue_block
{
public:
  static constexpr int kMaxFrames = saturator::kMaxFrames;

  struct DcBlocker
  {
    double b0 = 0.0, b1 = 0.0, a1 = 0.0;
    double xPrev[2] = {0.0, 0.0};
    double yPrev[2] = {0.0, 0.0};
  };

  analogue_block() = default;
  virtual ~analogue_block() = default;

  // mode 0: EQ and VCA colour; 1: FET (tolerances swapped); 2: opto. flag is kept
  // for the owners' reference and changes no processing.
  void init(int sampleRate, bool flag, int mode);
  // frames interleaved stereo frames, in place; any length (the shaping runs in
  // pieces of kMaxFrames).
  void process(double* buffer, int frames);
  virtual void setStereo(bool stereo) { isStereo = stereo; }

  int sampleRate = 44100;
  DcBlocker dcBlocker;
  double tolerance1 = 0.0;
  double tolerance2 = 0.0;
  uint32_t noiseState[2] = {0x67452301u, 0xefcdab89u};
  double noiseScale = 4.656612873077393e-10; // 2^-31
  bool isStereo = false;
  bool flag = false;
  saturator sat;

private:
  void processPiece(double* buffer, int frames);
};
