#pragma once
// Downward expander: the mid signal's mean square through a 12.12 Hz one-pole,
// its root smoothed with attack and release, attenuates below the threshold.
// A plain record: the engine writes the settings, init and updateTimeConstants
// derive what follows from them.

struct expander
{
  // Two-channel one-pole for the detector; only the first channel carries signal.
  struct OnePole
  {
    double b0 = 0.0, b1 = 0.0, a1 = 0.0;
    double xPrev[2] = {0.0, 0.0};
    double yPrev[2] = {0.0, 0.0};
  };

  double threshold = 1.0;
  double gain = 1.0;
  double ratio = 1.0;
  double releaseCoef = 0.0;
  double attackCoef = 0.0;
  double envelope = 0.0;
  OnePole msFilter;
  int sampleRate = 44100;
  float attackMs = 1.0f;
  float releaseMs = 100.0f;

  // The detector's one-pole and the time constants for a sample rate; the detector's
  // history is kept.
  void init(int sampleRate);
  // attackCoef and releaseCoef from attackMs and releaseMs at the sample rate.
  void updateTimeConstants();
  // Expands interleaved stereo frames in place.
  void process(double* buffer, int frames);
};
