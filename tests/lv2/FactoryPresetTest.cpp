// The bundle's factory presets do what their names say. The demo's drums, bass and chords
// are rendered by ostrakon render --preset through each preset, and again with its
// compressor switched off (the EQ alone); both are measured in level, in bands (below
// 60 Hz, around 1 kHz, around 3.5 kHz, above 10 kHz) and in how far the loud moments
// stand above the typical ones (compression narrows it; a slow attack keeps the
// transients' share). A 100 Hz sine shows how much colour the analogue stages add.

#include "engine/OstrakonPresets.h"
#include "tests/lv2/LV2Tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace
{
const std::string kBundle = OSTRAKON_LV2_BUNDLE_DIR;
constexpr double kPi = 3.14159265358979323846;

// A second-order section of the cookbook designs, run over one channel.
struct Biquad
{
  double b0, b1, b2, a1, a2;

  static Biquad LowPass(double f, double rate, double q)
  {
    const double w = 2 * kPi * f / rate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    return {(1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
  }
  static Biquad HighPass(double f, double rate, double q)
  {
    const double w = 2 * kPi * f / rate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    return {(1 + c) / 2 / a0, -(1 + c) / a0, (1 + c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
  }
  // Band-pass with 0 dB at the centre, an octave wide.
  static Biquad BandPass(double f, double rate)
  {
    const double w = 2 * kPi * f / rate, s = std::sin(w), c = std::cos(w);
    const double alpha = s * std::sinh(std::log(2.0) / 2 * 1.0 * w / s), a0 = 1 + alpha;
    return {alpha / a0, 0.0, -alpha / a0, -2 * c / a0, (1 - alpha) / a0};
  }

  std::vector<double> Run(const std::vector<double>& x) const
  {
    std::vector<double> y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t i = 0; i < x.size(); ++i)
    {
      y[i] = b0 * x[i] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
      x2 = x1;
      x1 = x[i];
      y2 = y1;
      y1 = y[i];
    }
    return y;
  }
};

double Db(double v) { return 20 * std::log10(std::fmax(v, 1e-12)); }

double Rms(const std::vector<double>& x)
{
  double s = 0;
  for (double v : x) s += v * v;
  return std::sqrt(s / (double) std::max<size_t>(x.size(), 1));
}

struct Measures
{
  double rms, crest, low, mid, presence, air; // dB
  double spread; // dB between the loud (95th percentile) and the typical 10 ms of the file
};

double Spread(const std::vector<double>& interleaved, int rate)
{
  const size_t window = 2 * (size_t) rate / 100;
  std::vector<double> levels;
  for (size_t at = 0; at + window <= interleaved.size(); at += window)
  {
    const double level = Db(Rms(std::vector<double>(interleaved.begin() + (long) at,
                                                    interleaved.begin() + (long) (at + window))));
    if (level > -80) levels.push_back(level);
  }
  if (levels.empty()) return 0;
  std::sort(levels.begin(), levels.end());
  return levels[levels.size() * 95 / 100] - levels[levels.size() / 2];
}

// Both channels end to end.
Measures Measure(const Audio& a)
{
  std::vector<double> x(a.samples.begin(), a.samples.end());
  std::vector<double> ch[2];
  for (size_t i = 0; i < x.size(); ++i) ch[i % 2].push_back(x[i]);
  auto band = [&](std::vector<Biquad> filters) {
    double s = 0;
    for (auto& c : ch)
    {
      std::vector<double> y = c;
      for (const Biquad& f : filters) y = f.Run(y);
      const double r = Rms(y);
      s += r * r;
    }
    return Db(std::sqrt(s / 2));
  };
  double peak = 0;
  for (double v : x) peak = std::fmax(peak, std::fabs(v));
  const double rate = a.rate;
  Measures m;
  m.rms = Db(Rms(x));
  m.crest = Db(peak) - m.rms;
  m.spread = Spread(x, rate);
  m.low = band({Biquad::LowPass(60, rate, 0.5412), Biquad::LowPass(60, rate, 1.3066)});
  m.mid = band({Biquad::BandPass(1000, rate)});
  m.presence = band({Biquad::BandPass(3500, rate)});
  m.air = band({Biquad::HighPass(10000, rate, 0.5412), Biquad::HighPass(10000, rate, 1.3066)});
  return m;
}

// The energy of a 100 Hz sine's harmonics (200 Hz to 1 kHz) relative to its fundamental,
// in dB, over the second half of the file (the compressors settled).
double HarmonicsDb(const Audio& a)
{
  std::vector<double> left;
  for (size_t i = 0; i < a.samples.size(); i += 2) left.push_back(a.samples[i]);
  left.erase(left.begin(), left.begin() + (long) left.size() / 2);
  auto tone = [&](double f) {
    double re = 0, im = 0;
    for (size_t i = 0; i < left.size(); ++i)
    {
      re += left[i] * std::cos(2 * kPi * f * (double) i / a.rate);
      im += left[i] * std::sin(2 * kPi * f * (double) i / a.rate);
    }
    return (re * re + im * im);
  };
  double harmonics = 0;
  for (int k = 2; k <= 10; ++k) harmonics += tone(100.0 * k);
  return 10 * std::log10(std::fmax(harmonics, 1e-30) / tone(100.0));
}

class FactoryPresets : public CliTest
{
protected:
  void SetUp() override
  {
    CliTest::SetUp();
    const CliResult demo = RunCli({"demo", Path("demo")});
    ASSERT_EQ(demo.status, 0) << demo.err;
    // Two bars of the demo: kick, snare, hats, bass and chords.
    Audio demoIn = ReadAudio(Path("demo/input.wav"));
    ASSERT_EQ(demoIn.rate, 48000);
    demoIn.samples.resize((size_t) 2 * 4 * 48000);
    WriteAudio(Path("in.wav"), demoIn);
    in = Measure(ReadAudio(Path("in.wav")));
    Audio sine;
    sine.samples.resize((size_t) 2 * 48000);
    for (size_t i = 0; i < sine.samples.size(); ++i)
      sine.samples[i] = (float) (0.25 * std::sin(2 * kPi * 100.0 * (double) (i / 2) / 48000.0));
    WriteAudio(Path("sine.wav"), sine);
  }

  Audio Render(const std::string& in, const std::string& out, const std::vector<std::string>& extra)
  {
    std::vector<std::string> args = {"render", Path(in), Path(out), "--analogue-time", "1767225600"};
    args.insert(args.end(), extra.begin(), extra.end());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return ReadAudio(Path(out));
  }

  // The demo through a preset, and with its first dynamics slot switched off.
  struct Result
  {
    Measures full, eq;
    double gainReduction; // dB the compressor takes off on average, its make-up gain aside
  };
  Result Run(const char* label, double makeUpDb)
  {
    const IPlugLV2Preset* p = Find(label);
    EXPECT_NE(p, nullptr) << label;
    if (!p) return {};
    const std::string preset = kBundle + "/" + p->file;
    Result r;
    r.full = Measure(Render("in.wav", std::string(label) + ".wav", {"--preset", preset}));
    r.eq = Measure(Render("in.wav", std::string(label) + "-eq.wav", {"--preset", preset, "--set", "Dyn. 1 On/Off=off"}));
    r.gainReduction = r.eq.rms - (r.full.rms - makeUpDb);
    const Measures& m = r.full;
    printf("%-18s level %+5.1f dB  crest %+5.1f dB  <60 Hz %+5.1f  1 kHz %+5.1f  3.5 kHz %+5.1f  >10 kHz %+5.1f"
           " spread %4.1f dB (EQ alone: %4.1f, crest %+5.1f, bands %+5.1f %+5.1f %+5.1f %+5.1f)  gain reduction %4.1f dB\n",
           label, m.rms - in.rms, m.crest - in.crest, m.low - in.low, m.mid - in.mid, m.presence - in.presence,
           m.air - in.air, m.spread, r.eq.spread, r.eq.crest - in.crest, r.eq.low - in.low, r.eq.mid - in.mid, r.eq.presence - in.presence,
           r.eq.air - in.air, r.gainReduction);
    return r;
  }

  static const IPlugLV2Preset* Find(const char* label)
  {
    for (const IPlugLV2Preset& p : kOstrakonFactoryPresets)
      if (!strcmp(p.label, label)) return &p;
    return nullptr;
  }

  Measures in;
};
} // namespace

TEST_F(FactoryPresets, AVocalStripClearsTheLowEndLiftsPresenceAndAirAndLevels)
{
  const Result r = Run("Vocal Strip", 6);
  EXPECT_LT(r.eq.low - in.low, -10);
  EXPECT_GT((r.eq.presence - in.presence) - (r.eq.mid - in.mid), 2);
  EXPECT_GT((r.eq.air - in.air) - (r.eq.mid - in.mid), 1);
  EXPECT_LT(r.full.spread, r.eq.spread - 2);
  EXPECT_GT(r.gainReduction, 3);
}

TEST_F(FactoryPresets, ADrumBusGlueTakesACoupleOfDecibelsAndLetsTheTransientsThrough)
{
  const Result r = Run("Drum Bus Glue", 2);
  EXPECT_GT(r.gainReduction, 1);
  EXPECT_LT(r.gainReduction, 4);
  EXPECT_GT(r.full.spread, r.eq.spread - 1);
  EXPECT_GT(r.full.crest, r.eq.crest - 1);
  EXPECT_NEAR(r.full.low - r.full.mid, r.eq.low - r.eq.mid, 1); // the balance kept
}

TEST_F(FactoryPresets, AMixBusColourAddsHarmonicsATouchOfTopAndLittleCompression)
{
  const Result r = Run("Mix Bus Colour", 0.5);
  EXPECT_GT((r.eq.presence - in.presence) - (r.eq.mid - in.mid), 0.5);
  EXPECT_GT((r.eq.air - in.air) - (r.eq.mid - in.mid), 0.25);
  EXPECT_LT(r.gainReduction, 2.5);
  EXPECT_GT(r.full.spread, r.eq.spread - 1);
  const std::string preset = kBundle + "/" + Find("Mix Bus Colour")->file;
  const double coloured = HarmonicsDb(Render("sine.wav", "colour.wav", {"--preset", preset}));
  const double clean =
      HarmonicsDb(Render("sine.wav", "clean.wav", {"--preset", preset, "--set", "Analogue On/Off=off"}));
  printf("Mix Bus Colour     harmonics of a 100 Hz sine %.1f dB, %.1f dB with the analogue stages off\n", coloured,
         clean);
  EXPECT_GT(coloured, clean + 20);
}

TEST_F(FactoryPresets, ADeBoomHighPassRemovesTheLowEndAndLeavesTheRest)
{
  const Result r = Run("De-Boom High-Pass", 0);
  EXPECT_LT(r.full.low - in.low, -10);
  EXPECT_NEAR(r.full.mid, in.mid, 1);
  EXPECT_NEAR(r.full.presence, in.presence, 1);
  EXPECT_NEAR(r.full.air, in.air, 1);
}

TEST_F(FactoryPresets, AHeavySquashFlattensTheLoudMoments)
{
  const Result r = Run("Heavy Squash", 12);
  EXPECT_GT(r.gainReduction, 8);
  EXPECT_LT(r.full.spread, r.eq.spread - 2.5);
}
