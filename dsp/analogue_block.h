#pragma once
// Analogue colour: band-limited harmonics, a hard limit at full scale, a 10 Hz
// DC blocker and a noise floor near -140 dBFS. Two component tolerances, drawn
// anew for every set-up, set a small left/right level offset of the harmonics in
// stereo.

#include "dsp/saturator.h"

#include <cstdint>

class analogue_block
{
public:
  static constexpr int kMaxFrames = saturator::kMaxFrames;

  // The colour of each owner: the even harmonics' weight and which tolerance trims
  // which channel.
  enum EMode
  {
    kModeClean = 0, // the EQ and the VCA compressor
    kModeFet = 1,   // tolerances swapped
    kModeOpto = 2
  };

  // One draw of the two component tolerances.
  struct Tolerances
  {
    double first = 0.0;
    double second = 0.0;
  };

  struct DcBlocker
  {
    double b0 = 0.0, b1 = 0.0, a1 = 0.0;
    double xPrev[2] = {0.0, 0.0};
    double yPrev[2] = {0.0, 0.0};
  };

  // flag is kept for the owner's reference and changes no processing.
  explicit analogue_block(int mode = kModeClean, bool flag = false) : mode(mode), flag(flag) {}
  virtual ~analogue_block() = default;

  // Two tolerances from 0.01 to 5.00 in steps of 0.01, from the C library's generator
  // reseeded with the analogue clock's seconds, so every draw within one second gives
  // the same pair. The generator takes a process-wide lock: not for the audio thread.
  static Tolerances drawTolerances();
  void setTolerances(Tolerances t)
  {
    tolerance1 = t.first;
    tolerance2 = t.second;
  }

  // The DC blocker for the rate and the saturator for the mode with the tolerances set
  // last; the histories are kept. Draws nothing, so the audio thread may call it.
  void init(int sampleRate);
  // frames interleaved stereo frames, in place; any length (the shaping runs in
  // pieces of kMaxFrames).
  void process(double* buffer, int frames);
  virtual void setStereo(bool stereo) { isStereo = stereo; }

  int mode;
  bool flag;
  int sampleRate = 44100;
  DcBlocker dcBlocker;
  double tolerance1 = 0.0;
  double tolerance2 = 0.0;
  uint32_t noiseState[2] = {0x67452301u, 0xefcdab89u};
  double noiseScale = 4.656612873077393e-10; // 2^-31
  bool isStereo = false;
  saturator sat;

private:
  void processPiece(double* buffer, int frames);
};
