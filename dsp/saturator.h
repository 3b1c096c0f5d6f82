#pragma once
// Harmonic generator of the analogue block: a seventh-order polynomial of a
// band-limited copy of the signal, added to the dry signal. The analogue block
// writes the amounts and trims and runs the shaping through these members.

#include "dsp/DspFilter.h"

class saturator
{
public:
  static constexpr int kMaxFrames = 4096;

  saturator() = default;
  virtual ~saturator() = default;

  // Designs the shaping filter and clears the stereo flag; the filter history is kept.
  // The cutoff is a fixed fraction of whatever the rate is, so the rate does not enter.
  void init(int sampleRate);
  virtual void setStereo(bool stereo) { isStereo = stereo; }

  // Adds the harmonics of frames interleaved stereo frames in place, any length; in
  // stereo the copy's channels are scaled by their trims first.
  void process(double* buffer, int frames);

  // The dry sample x plus the harmonics of the filtered copy v, built from v^2 and v^3.
  // Band-limited to 0.064 fs, so even the seventh harmonic stays below Nyquist.
  template <typename T>
  T addHarmonics(T x, T v) const
  {
    const double e = evenAmount;
    const T v2 = v * v;
    const T v3 = v2 * v;
    const T v4 = v2 * v2;
    const T v5 = v2 * v3;
    const T v6 = v3 * v3;
    const T v7 = v4 * v3;
    return x + e / 2 * v2 - 0.33 * v3 + e / 4 * v4 - 0.15 * v5 + e / 8 * v6 - 0.037 * v7;
  }
  // The copy's level offsets in stereo operation.
  double trimGainLeft() const { return 1.0 + 0.01 * trimLeft; }
  double trimGainRight() const { return 1.0 + 0.01 * trimRight; }

  // Settings: weight of the even-order terms, the owner's second amount (no processing
  // reads it) and the per-channel trims in percent.
  double evenAmount = 0.0;
  double secondAmount = 0.0;
  double trimLeft = 0.0;
  double trimRight = 0.0;

  Dsp::ChebyILowPass<4, 2> shapeFilter;
  bool isStereo = false;
  alignas(16) double scratch[2 * kMaxFrames] = {};

private:
  void processPiece(double* buffer, int frames);
};
