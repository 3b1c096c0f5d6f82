#pragma once
// Harmonic generator of the analogue block: a seventh-order polynomial of a
// band-limited copy of the signal, added to the dry signal. The analogue block
// runs the shaping through these members.

#include "dsp/DspFilter.h"

class saturator
{
public:
  static constexpr int kMaxFrames = 4096;

  saturator() = default;
  virtual ~saturator() = default;

  // second is kept for the owner's reference and changes no processing.
  void init(int sampleRate, double even, double second, double trimL, double trimR);
  virtual void setStereo(bool stereo) { isStereo = stereo; }

  // Adds the harmonics of frames interleaved stereo frames in place; stereo scales
  // the copy's channels by their trims.
  void shape(double* buffer, int frames, bool stereo);

  Dsp::ChebyILowPass<4, 2> shapeFilter;
  double evenAmount = 0.0;
  double secondAmount = 0.0;
  double trimLeft = 0.0;
  double trimRight = 0.0;
  bool isStereo = false;
  alignas(16) double scratch[2 * kMaxFrames] = {};

private:
  void shapePiece(double* buffer, int frames, bool stereo);
};
