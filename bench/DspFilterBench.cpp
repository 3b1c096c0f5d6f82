// Cascade processing against a plain hand-written loop: stereo interleaved blocks
// through 1, 2 and 3 stages in both direct forms. The counter "per_stage_sample" is
// the time per stage per channel-sample; kit and plain loop should be within 1.25x.
//
// All stages are all-passes, so the block can be filtered in place again and again
// without its level drifting towards zero (subnormals would distort the timing).

#include "dsp/DspFilter.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr size_t kFrames = 512;

const double kAllPassFreqs[] = {0.01, 0.07, 0.23};

std::vector<double> Noise()
{
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> uni(-1, 1);
  std::vector<double> v(2 * kFrames);
  for (double& x : v) x = uni(rng);
  return v;
}

void MakeAllPasses(Dsp::Stage* stages, int count)
{
  for (int s = 0; s < count; ++s)
  {
    Dsp::BiquadAp ap;
    ap.Setup(kAllPassFreqs[s], 0.8);
    stages[s] = ap.Stages()[0];
  }
}

struct DirectFormII
{
  static void Run(Dsp::CascadeFilter& f, double* buffer) { f.ProcessII(kFrames, buffer); }
};

struct DirectFormI
{
  static void Run(Dsp::CascadeFilter& f, double* buffer) { f.ProcessI(kFrames, buffer); }
};

template <int S>
struct FilterWithStages;
template <>
struct FilterWithStages<1>
{
  using Type = Dsp::BiquadPeak<2>;
  static void Design(Type& f) { f.SetupQ(0.1, 3, 1); }
};
template <>
struct FilterWithStages<2>
{
  using Type = Dsp::ButterHighPass<3, 2>;
  static void Design(Type& f) { f.Setup({3, 1.0, 0.01, 0}); }
};
template <>
struct FilterWithStages<3>
{
  using Type = Dsp::BesselLowPass<6, 2>;
  static void Design(Type& f) { f.Setup({6, 1.0, 0.2, 0}); }
};

void SetCounter(benchmark::State& state, int stages)
{
  state.counters["per_stage_sample"] = benchmark::Counter(
    double(2 * kFrames * stages),
    benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <class Form, int S>
void BM_Kit(benchmark::State& state)
{
  typename FilterWithStages<S>::Type filter;
  FilterWithStages<S>::Design(filter);
  MakeAllPasses(filter.Stages(), S);
  std::vector<double> buffer = Noise();
  for (auto _ : state)
  {
    Form::Run(filter, buffer.data());
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  SetCounter(state, S);
}

// What one would write by hand for a fixed stereo cascade.
template <int S>
void PlainII(double* buffer, size_t frames, const Dsp::Stage* stages, double (&z)[2][S][2])
{
  double a1[S], a2[S], b0[S], b1[S], b2[S], zl1[S], zl2[S], zr1[S], zr2[S];
  for (int s = 0; s < S; ++s)
  {
    a1[s] = stages[s].a[1];
    a2[s] = stages[s].a[2];
    b0[s] = stages[s].b[0];
    b1[s] = stages[s].b[1];
    b2[s] = stages[s].b[2];
    zl1[s] = z[0][s][0];
    zl2[s] = z[0][s][1];
    zr1[s] = z[1][s][0];
    zr2[s] = z[1][s][1];
  }
  for (size_t i = 0; i < frames; ++i)
  {
    double l = buffer[2 * i];
    double r = buffer[2 * i + 1];
    for (int s = 0; s < S; ++s)
    {
      const double wl = l + a1[s] * zl1[s] + a2[s] * zl2[s] + 1e-25;
      l = b0[s] * wl + b1[s] * zl1[s] + b2[s] * zl2[s];
      zl2[s] = zl1[s];
      zl1[s] = wl;
      const double wr = r + a1[s] * zr1[s] + a2[s] * zr2[s] + 1e-25;
      r = b0[s] * wr + b1[s] * zr1[s] + b2[s] * zr2[s];
      zr2[s] = zr1[s];
      zr1[s] = wr;
    }
    buffer[2 * i] = l;
    buffer[2 * i + 1] = r;
  }
  for (int s = 0; s < S; ++s)
  {
    z[0][s][0] = zl1[s];
    z[0][s][1] = zl2[s];
    z[1][s][0] = zr1[s];
    z[1][s][1] = zr2[s];
  }
}

template <int S>
void PlainI(double* buffer, size_t frames, const Dsp::Stage* stages, double (&z)[2][S][4])
{
  double a1[S], a2[S], b0[S], b1[S], b2[S], h[2][S][4];
  for (int s = 0; s < S; ++s)
  {
    a1[s] = stages[s].a[1];
    a2[s] = stages[s].a[2];
    b0[s] = stages[s].b[0];
    b1[s] = stages[s].b[1];
    b2[s] = stages[s].b[2];
    for (int c = 0; c < 2; ++c)
      for (int j = 0; j < 4; ++j) h[c][s][j] = z[c][s][j];
  }
  for (size_t i = 0; i < frames; ++i)
  {
    for (int c = 0; c < 2; ++c)
    {
      double x = buffer[2 * i + c];
      for (int s = 0; s < S; ++s)
      {
        double* v = h[c][s];
        const double y = b1[s] * v[0] + b0[s] * x + b2[s] * v[1] + a1[s] * v[2] + a2[s] * v[3];
        v[1] = v[0];
        v[0] = x;
        v[3] = v[2];
        v[2] = y;
        x = y;
      }
      buffer[2 * i + c] = x;
    }
  }
  for (int s = 0; s < S; ++s)
    for (int c = 0; c < 2; ++c)
      for (int j = 0; j < 4; ++j) z[c][s][j] = h[c][s][j];
}

template <int S>
void BM_PlainII(benchmark::State& state)
{
  Dsp::Stage stages[S];
  MakeAllPasses(stages, S);
  double z[2][S][2] = {};
  std::vector<double> buffer = Noise();
  for (auto _ : state)
  {
    PlainII<S>(buffer.data(), kFrames, stages, z);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  SetCounter(state, S);
}

template <int S>
void BM_PlainI(benchmark::State& state)
{
  Dsp::Stage stages[S];
  MakeAllPasses(stages, S);
  double z[2][S][4] = {};
  std::vector<double> buffer = Noise();
  for (auto _ : state)
  {
    PlainI<S>(buffer.data(), kFrames, stages, z);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  SetCounter(state, S);
}

BENCHMARK_TEMPLATE(BM_PlainII, 1);
BENCHMARK_TEMPLATE(BM_Kit, DirectFormII, 1);
BENCHMARK_TEMPLATE(BM_PlainII, 2);
BENCHMARK_TEMPLATE(BM_Kit, DirectFormII, 2);
BENCHMARK_TEMPLATE(BM_PlainII, 3);
BENCHMARK_TEMPLATE(BM_Kit, DirectFormII, 3);
BENCHMARK_TEMPLATE(BM_PlainI, 1);
BENCHMARK_TEMPLATE(BM_Kit, DirectFormI, 1);
BENCHMARK_TEMPLATE(BM_PlainI, 2);
BENCHMARK_TEMPLATE(BM_Kit, DirectFormI, 2);
BENCHMARK_TEMPLATE(BM_PlainI, 3);
BENCHMARK_TEMPLATE(BM_Kit, DirectFormI, 3);

} // namespace

BENCHMARK_MAIN();
