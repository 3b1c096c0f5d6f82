// Cost of one strip block, per frame, as a host drives it with its defaults.

#include "engine/Ostrakon.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

static void BM_ProcessDoubleReplacing(benchmark::State& state)
{
  const int frames = (int) state.range(0);
  std::unique_ptr<Ostrakon> plug(MakePlug());
  plug->SetSampleRate(48000.0);
  plug->SetBlockSize(frames);
  plug->Reset();
  for (int i = 0; i < kNumParams; ++i) plug->OnParamChange(i);

  std::vector<double> l(frames), r(frames), ol(frames), orr(frames);
  for (int i = 0; i < frames; ++i)
  {
    l[i] = 0.5 * std::sin(0.031 * i);
    r[i] = 0.5 * std::sin(0.017 * i);
  }
  double* ins[] = {l.data(), r.data()};
  double* outs[] = {ol.data(), orr.data()};
  for (auto _ : state)
  {
    plug->ProcessDoubleReplacing(ins, outs, frames);
    benchmark::DoNotOptimize(ol.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
  // Shown as seconds per frame with an SI prefix (e.g. "2.8ns").
  state.counters["per_frame"] = benchmark::Counter((double) state.iterations() * frames,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProcessDoubleReplacing)->Arg(512);

BENCHMARK_MAIN();
