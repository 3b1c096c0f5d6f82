// Cost of one strip block per stereo frame at 48 kHz, block 512, in four settings,
// beside a plain hand-written biquad loop so each figure also reads as a ratio; and the
// cost of the block that takes an oversampling switch. The strip feeds its own editor's
// meters every block; the .../bare runs give it an empty graphics context instead, so
// the difference is what the editor costs the audio thread.

#include "dsp/AnalogueClock.h"
#include "IPlug/IGraphicsHeadless.h"
#include "editor/Ostrakongui.h"
#include "engine/Ostrakon.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{
constexpr int kFrames = 512;
constexpr double kRate = 48000.0;

enum Config
{
  kDefaults,
  kEverything,
  kEqOnly,
  kAutomated // everything, and a parameter changed before every block
};

void Apply(Ostrakon& plug, int idx, double value)
{
  plug.GetParam(idx)->Set(value);
  plug.OnParamChange(idx);
}

void Configure(Ostrakon& plug, Config config)
{
  if (config == kDefaults) return;
  if (config == kAutomated) config = kEverything;
  // Every band at a non-zero gain, the high-pass and low-pass on.
  const struct
  {
    int idx;
    double value;
  } eq[] = {{kHiPassFreq, 60}, {kLowPassFreq, 15000}, {kHiShelfGain, 3},  {kLowShelfGain, 2},
            {kLowMidGain, -4}, {kHiMidGain, 3},       {kFilterGain, 5},   {kFilterQ, 2}};
  for (const auto& s : eq) Apply(plug, s.idx, s.value);
  if (config == kEqOnly)
  {
    Apply(plug, kAnalogueOn, 0);
    Apply(plug, kDyn1On, 0);
    Apply(plug, kDyn2On, 0);
    return;
  }
  Apply(plug, kDyn1Type, 0); // VCA
  Apply(plug, kDyn1Thresh, -30);
  Apply(plug, kDyn1Ratio, 4);
  Apply(plug, kDyn2Type, 1); // FET
  Apply(plug, kDyn2Thresh, -50);
  Apply(plug, kDyn2Ratio, 6);
  Apply(plug, kOversampling, 1);
  Apply(plug, kAnalogueOn, 1);
}

void PerFrame(benchmark::State& state)
{
  // Shown as seconds per stereo frame with an SI prefix (e.g. "28ns").
  state.SetItemsProcessed(state.iterations() * kFrames);
  state.counters["per_frame"] = benchmark::Counter((double) state.iterations() * kFrames,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Strip(benchmark::State& state)
{
  srand(1);
  AnalogueClock::SetFixed(1767225600);
  std::unique_ptr<Ostrakon> plug(MakePlug());
  if (state.range(1)) plug->AttachGraphics(new IGraphicsHeadless(plug.get(), 460, 640)); // no controls
  plug->SetSampleRate(kRate);
  plug->Reset();
  plug->SetBlockSize(kFrames);
  plug->Reset();
  for (int i = 0; i < kNumParams; ++i) plug->OnParamChange(i);
  Configure(*plug, (Config) state.range(0));

  // A loud programme, computed up front, so the compressors keep working and the
  // timing holds only the strip.
  constexpr int kBlocks = 94; // about one second
  std::vector<double> l(kBlocks * kFrames), r(kBlocks * kFrames), ol(kFrames), orr(kFrames);
  for (int i = 0; i < kBlocks * kFrames; ++i)
  {
    const double t = i / kRate;
    l[i] = 0.7 * std::sin(2 * M_PI * 220 * t) + 0.2 * std::sin(2 * M_PI * 3100 * t);
    r[i] = 0.6 * std::sin(2 * M_PI * 330 * t) + 0.2 * std::sin(2 * M_PI * 5100 * t);
  }
  double* outs[] = {ol.data(), orr.data()};
  int block = 0;
  // What a host's automation moves: a band, a threshold, a time, a gain.
  const int automated[] = {kLowMidGain, kDyn1Thresh, kDyn2Attack, kOutputGain};
  for (auto _ : state)
  {
    if (state.range(0) == kAutomated)
    {
      IParam* p = plug->GetParam(automated[block % 4]);
      p->SetNormalized(0.3 + 0.4 * (block % 2));
      plug->OnParamChange(automated[block % 4]);
    }
    double* ins[] = {l.data() + block * kFrames, r.data() + block * kFrames};
    block = block + 1 == kBlocks ? 0 : block + 1;
    plug->ProcessDoubleReplacing(ins, outs, kFrames);
    benchmark::DoNotOptimize(ol.data());
    benchmark::ClobberMemory();
  }
  PerFrame(state);
}
BENCHMARK(BM_Strip)->Args({kDefaults, 0})->Name("Strip/defaults");
BENCHMARK(BM_Strip)->Args({kEverything, 0})->Name("Strip/everything");
BENCHMARK(BM_Strip)->Args({kEqOnly, 0})->Name("Strip/eq_only");
BENCHMARK(BM_Strip)->Args({kAutomated, 0})->Name("Strip/automated");
BENCHMARK(BM_Strip)->Args({kDefaults, 1})->Name("Strip/defaults/bare");
BENCHMARK(BM_Strip)->Args({kEverything, 1})->Name("Strip/everything/bare");
BENCHMARK(BM_Strip)->Args({kEqOnly, 1})->Name("Strip/eq_only/bare");
BENCHMARK(BM_Strip)->Args({kAutomated, 1})->Name("Strip/automated/bare");

// The block that takes an oversampling switch: the six compressors set themselves up
// again on the audio thread (the switch's tolerance draws, made by the changing thread,
// are timed too). Time per block.
void BM_OversamplingSwitch(benchmark::State& state)
{
  srand(1);
  AnalogueClock::SetFixed(1767225600);
  std::unique_ptr<Ostrakon> plug(MakePlug());
  plug->SetSampleRate(kRate);
  plug->SetBlockSize(kFrames);
  plug->Reset();
  for (int i = 0; i < kNumParams; ++i) plug->OnParamChange(i);
  Configure(*plug, kEverything);
  std::vector<double> l(kFrames), r(kFrames), ol(kFrames), orr(kFrames);
  for (int i = 0; i < kFrames; ++i) l[i] = r[i] = 0.5 * std::sin(0.05 * i);
  double* ins[] = {l.data(), r.data()};
  double* outs[] = {ol.data(), orr.data()};
  bool on = false;
  for (auto _ : state)
  {
    plug->GetParam(kOversampling)->Set(on ? 1.0 : 0.0);
    plug->OnParamChange(kOversampling);
    plug->ProcessDoubleReplacing(ins, outs, kFrames);
    on = !on;
    benchmark::DoNotOptimize(ol.data());
  }
}
BENCHMARK(BM_OversamplingSwitch)->Name("Strip/oversampling_switch");

// What a block costs the audio thread in its editor when every stage runs: the posts to
// the 4 strip, 4 EQ and 8 dynamics peak meters, the two gain-reduction readings posted
// by each dynamics stage, and every control marked dirty. Time per block.
void BM_EditorFeed(benchmark::State& state)
{
  std::unique_ptr<Ostrakon> plug(MakePlug());
  IGraphics* g = plug->GetGUI();
  const Ostrakongui* gui = plug->GetEditor();
  std::vector<int> posts;
  for (int s = 0; s < 2; ++s)
  {
    for (int i = 0; i < 4; ++i) posts.push_back(gui->Dyn(s)->MeterIdx()[i]);
    for (int r = 0; r < 2; ++r) posts.push_back(gui->Dyn(r)->GainReductionIdx());
  }
  for (int i = 0; i < 4; ++i) posts.push_back(gui->Eq()->MeterIdx()[i]);
  for (int i = 0; i < 4; ++i) posts.push_back(gui->MeterIdx(i));
  double v = 0.0;
  for (auto _ : state)
  {
    v = v > 0.9 ? 0.0 : v + 0.01;
    for (int idx : posts) g->SetControlFromPlug(idx, v);
    g->SetAllControlsDirty();
    benchmark::ClobberMemory();
  }
  state.counters["posts"] = (double) posts.size();
}
BENCHMARK(BM_EditorFeed)->Name("Strip/editor_feed");

// The yardstick: one Direct Form II biquad over a stereo interleaved block.
void BM_PlainBiquad(benchmark::State& state)
{
  std::vector<double> buf(2 * kFrames);
  for (int i = 0; i < 2 * kFrames; ++i) buf[i] = std::sin(0.01 * i);
  const double b0 = 0.2, b1 = 0.4, b2 = 0.2, a1 = 0.6, a2 = -0.25;
  double w1[2] = {}, w2[2] = {};
  for (auto _ : state)
  {
    for (int c = 0; c < 2; ++c)
    {
      double s1 = w1[c], s2 = w2[c];
      for (int i = 0; i < kFrames; ++i)
      {
        double& x = buf[2 * i + c];
        const double w = x + a1 * s1 + a2 * s2 + 1e-25;
        x = b0 * w + b1 * s1 + b2 * s2;
        s2 = s1;
        s1 = w;
      }
      w1[c] = s1;
      w2[c] = s2;
    }
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
  PerFrame(state);
}
BENCHMARK(BM_PlainBiquad)->Name("PlainBiquad/stereo");
} // namespace

BENCHMARK_MAIN();
