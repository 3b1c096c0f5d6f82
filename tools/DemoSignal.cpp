#include "tools/DemoSignal.h"

#include <cmath>
#include <cstdint>

namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr double kBeat = 0.5; // seconds, at 120 beats per minute
constexpr double kBar = 4 * kBeat;

// xorshift32: white noise in [-1, 1) that every platform reproduces bit for bit.
class Noise
{
public:
  double Next()
  {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return (double) (int32_t) mState / 2147483648.0;
  }

private:
  uint32_t mState = 0x4f535452u;
};

struct Mix
{
  std::vector<double> left, right;
  int sampleRate;

  // Adds voice(tau) from time start on for duration seconds, with the given pan gains.
  template <class Voice>
  void Add(double start, double duration, double gainL, double gainR, Voice voice)
  {
    const long long n = (long long) left.size();
    const long long first = std::llround(start * sampleRate);
    const long long count = std::llround(duration * sampleRate);
    for (long long i = 0; i < count && first + i < n; ++i)
    {
      const double v = voice((double) i / sampleRate);
      left[(size_t) (first + i)] += gainL * v;
      right[(size_t) (first + i)] += gainR * v;
    }
  }
};

void AddDrums(Mix& mix, double seconds, Noise& noise)
{
  const int nBars = (int) std::ceil(seconds / kBar);
  for (int bar = 0; bar < nBars; ++bar)
  {
    const double t0 = bar * kBar;
    // Kick: a sine falling from 135 Hz to 45 Hz (the phase is the integral of the
    // frequency), with a short noise click.
    auto kick = [&noise](double tau) {
      const double phase = kTwoPi * (45.0 * tau + 90.0 * 0.03 * (1.0 - std::exp(-tau / 0.03)));
      return std::sin(phase) * std::exp(-tau / 0.18) + 0.3 * noise.Next() * std::exp(-tau / 0.002);
    };
    mix.Add(t0, 0.45, 1.0, 1.0, kick);
    mix.Add(t0 + 2 * kBeat, 0.45, 1.0, 1.0, kick);
    if (bar % 2 == 1) mix.Add(t0 + 3.5 * kBeat, 0.45, 0.8, 0.8, kick);

    // Snare: a noise burst over a 185 Hz body, a little right of centre.
    auto snare = [&noise](double tau) {
      return 0.5 * noise.Next() * std::exp(-tau / 0.06) +
             0.5 * std::sin(kTwoPi * 185.0 * tau) * std::exp(-tau / 0.05);
    };
    mix.Add(t0 + kBeat, 0.3, 0.55, 0.7, snare);
    mix.Add(t0 + 3 * kBeat, 0.3, 0.55, 0.7, snare);

    // Hi-hat on every eighth: differenced noise (a crude high-pass), left of centre,
    // the off-beats accented.
    for (int eighth = 0; eighth < 8; ++eighth)
    {
      double last = 0.0;
      auto hat = [&noise, &last](double tau) {
        const double x = noise.Next();
        const double y = 0.5 * (x - last);
        last = x;
        return y * std::exp(-tau / 0.015);
      };
      const double gain = eighth % 2 ? 0.35 : 0.22;
      mix.Add(t0 + eighth * kBeat / 2, 0.08, gain, 0.6 * gain, hat);
    }
  }
}

// A band-limited sawtooth from its first eight harmonics.
double Saw(double freq, double tau)
{
  double s = 0.0;
  for (int k = 1; k <= 8; ++k) s += std::sin(kTwoPi * k * freq * tau) / k;
  return s;
}

void AddHarmony(Mix& mix, double seconds)
{
  // Am, F, C, G, then round again: bass root in octave 1 or 2, chord around A3.
  static const double kRoots[] = {55.0, 43.654, 65.406, 48.999};
  static const double kChords[][3] = {{220.0, 261.626, 329.628},
                                      {174.614, 220.0, 261.626},
                                      {195.998, 261.626, 329.628},
                                      {195.998, 246.942, 293.665}};
  const int nBars = (int) std::ceil(seconds / kBar);
  for (int bar = 0; bar < nBars; ++bar)
  {
    const double t0 = bar * kBar;
    const int chord = bar % 4;

    const double root = kRoots[chord];
    auto bass = [root](double tau) {
      const double env = std::fmin(tau / 0.005, 1.0) * std::exp(-tau / 0.35);
      return env * (std::sin(kTwoPi * root * tau) + 0.25 * std::sin(kTwoPi * 2 * root * tau));
    };
    for (int beat = 0; beat < 4; ++beat) mix.Add(t0 + beat * kBeat, 0.45, 0.6, 0.6, bass);

    // Each voice is detuned a little apart in the two channels, for width.
    for (double f : kChords[chord])
    {
      auto env = [](double tau) {
        return std::fmin(tau / 0.03, 1.0) * std::fmin((kBar - tau) / 0.2, 1.0);
      };
      mix.Add(t0, kBar, 0.07, 0.0, [f, env](double tau) { return env(tau) * Saw(f * 0.998, tau); });
      mix.Add(t0, kBar, 0.0, 0.07, [f, env](double tau) { return env(tau) * Saw(f * 1.002, tau); });
    }
  }
}
} // namespace

std::vector<float> SynthesiseDemoSignal(int sampleRate, double seconds)
{
  const size_t nFrames = (size_t) std::llround(seconds * sampleRate);
  Mix mix{std::vector<double>(nFrames, 0.0), std::vector<double>(nFrames, 0.0), sampleRate};
  Noise noise;
  AddDrums(mix, seconds, noise);
  AddHarmony(mix, seconds);

  // Short fades, so neither end clicks; then the peak to -6 dBFS.
  const double fadeIn = 0.005 * sampleRate, fadeOut = 0.05 * sampleRate;
  double peak = 0.0;
  for (size_t i = 0; i < nFrames; ++i)
  {
    const double g = std::fmin(std::fmin((double) i / fadeIn, (double) (nFrames - 1 - i) / fadeOut), 1.0);
    mix.left[i] *= g;
    mix.right[i] *= g;
    peak = std::fmax(peak, std::fmax(std::fabs(mix.left[i]), std::fabs(mix.right[i])));
  }
  const double scale = peak > 0.0 ? 0.5 / peak : 0.0;
  std::vector<float> frames(2 * nFrames);
  for (size_t i = 0; i < nFrames; ++i)
  {
    frames[2 * i] = (float) (mix.left[i] * scale);
    frames[2 * i + 1] = (float) (mix.right[i] * scale);
  }
  return frames;
}
