#include "dsp/DspCascade.h"

#include "dsp/DspAssert.h"

#include <cmath>
#include <utility>

namespace Dsp {

void Cascade::SetStageCount(int n)
{
  DSP_ASSERT(n>=1 && n<=m_stageMax);
  m_stageCount = n;
}

void Cascade::SetStage1(double a1, double a2, double b0, double b1, double b2)
{
  DSP_ASSERT(m_stageMax>=1);
  Stage& s = m_stage[0];
  s.a[1] = a1;
  s.a[2] = a2;
  s.b[0] = b0;
  s.b[1] = b1;
  s.b[2] = b2;
}

void Cascade::Reset()
{
  for (int i = 0; i < m_stageCount; ++i) m_stage[i].Reset();
}

void Cascade::Scale(double s)
{
  if (m_stageCount < 1) return;
  Stage& st = m_stage[0];
  st.b[0] *= s;
  st.b[1] *= s;
  st.b[2] *= s;
}

Complex Cascade::Response(double w) const
{
  const Complex czn1(std::cos(w), -std::sin(w)); // e^-jw
  const Complex czn2 = czn1 * czn1;              // e^-2jw
  Complex num(1);
  Complex den(1);
  for (int i = 0; i < m_stageCount; ++i)
  {
    const Stage& s = m_stage[i];
    num *= s.b[0] + s.b[1] * czn1 + s.b[2] * czn2;
    den *= 1.0 - s.a[1] * czn1 - s.a[2] * czn2;
  }
  return num / den;
}

double ResponseFunctor::operator()(double w) const
{
  return -std::abs(m_cascade->Response(w));
}

void CascadeFilter::SetHistory(int channels, History* history, int stagesPerChannel)
{
  m_channelCount = channels;
  m_history = history;
  m_historyStages = stagesPerChannel;
}

void CascadeFilter::Clear()
{
  for (int i = 0; i < m_channelCount * m_historyStages; ++i)
    for (double& v : m_history[i].v) v = 0;
}

namespace {

using History = CascadeFilter::History;

// The value of one sample position across C channels: a double for one channel; for
// two, a two-lane vector so that left and right share each operation. A lane does
// exactly the scalar arithmetic (no fused multiply-add), so results are identical.
template <int C>
struct Lanes;

template <>
struct Lanes<1>
{
  using V = double;
  static V Splat(double a) { return a; }
  static V Pack(const double* x) { return x[0]; }
  static void Unpack(V v, double* x) { x[0] = v; }
};

#if defined(__GNUC__)
template <>
struct Lanes<2>
{
  typedef double V __attribute__((vector_size(16)));
  static V Splat(double a) { return V{a, a}; }
  static V Pack(const double* x) { return V{x[0], x[1]}; }
  static void Unpack(V v, double* x)
  {
    x[0] = v[0];
    x[1] = v[1];
  }
};
#endif

template <typename V>
struct Coefficients
{
  V a1, a2, b0, b1, b2;
};

template <int C>
Coefficients<typename Lanes<C>::V> Load(const Stage& s)
{
  using L = Lanes<C>;
  return {L::Splat(s.a[1]), L::Splat(s.a[2]), L::Splat(s.b[0]), L::Splat(s.b[1]),
          L::Splat(s.b[2])};
}

struct DirectFormI
{
  template <typename V>
  static V Tick(const Coefficients<V>& k, V& x1, V& x2, V& y1, V& y2, V x, V)
  {
    const V y = k.b1 * x1 + k.b0 * x + k.b2 * x2 + k.a1 * y1 + k.a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

struct DirectFormII
{
  template <typename V>
  static V Tick(const Coefficients<V>& k, V& w1, V& w2, V& w3, V&, V x, V offset)
  {
    const V w = x + k.a1 * w1 + k.a2 * w2 + offset;
    const V y = k.b0 * w + k.b1 * w1 + k.b2 * w2;
    w3 = w2;
    w2 = w1;
    w1 = w;
    return y;
  }
};

// Keeps a silent Direct Form II recursion out of subnormal numbers.
constexpr double kOffset = 1e-25;

// Any channel and stage count, straight from the members.
template <class Form, typename T>
void RunAny(size_t frames, T* dest, std::ptrdiff_t step, int channels, int stages,
            const Stage* stage, History* history)
{
  for (size_t i = 0; i < frames; ++i, dest += step)
  {
    History* h = history;
    for (int c = 0; c < channels; ++c)
    {
      double x = dest[c];
      for (int s = 0; s < stages; ++s, ++h)
        x = Form::Tick(Load<1>(stage[s]), h->v[0], h->v[1], h->v[2], h->v[3], x, kOffset);
      dest[c] = static_cast<T>(x);
    }
  }
}

// The common shapes: coefficients and history copied to locals so that the
// compiler keeps them in registers (the buffer could alias the members), and the
// channels of a frame processed side by side. Each channel still passes its stages
// in order on every frame, so the results are bit-identical to RunAny.
template <class Form, int C, int S, typename T>
void RunFixed(size_t frames, T* dest, std::ptrdiff_t step, const Stage* stage, History* history)
{
  using L = Lanes<C>;
  using V = typename L::V;
  Coefficients<V> k[S];
  V v[S][4];
  for (int s = 0; s < S; ++s)
  {
    k[s] = Load<C>(stage[s]);
    for (int j = 0; j < 4; ++j)
    {
      double lanes[C];
      for (int c = 0; c < C; ++c) lanes[c] = history[c * S + s].v[j];
      v[s][j] = L::Pack(lanes);
    }
  }
  const V offset = L::Splat(kOffset);

  for (size_t i = 0; i < frames; ++i, dest += step)
  {
    double in[C];
#pragma GCC unroll 8
    for (int c = 0; c < C; ++c) in[c] = dest[c];
    V x = L::Pack(in);
#pragma GCC unroll 8
    for (int s = 0; s < S; ++s) x = Form::Tick(k[s], v[s][0], v[s][1], v[s][2], v[s][3], x, offset);
    double out[C];
    L::Unpack(x, out);
#pragma GCC unroll 8
    for (int c = 0; c < C; ++c) dest[c] = static_cast<T>(out[c]);
  }

  for (int s = 0; s < S; ++s)
    for (int j = 0; j < 4; ++j)
    {
      double lanes[C];
      L::Unpack(v[s][j], lanes);
      for (int c = 0; c < C; ++c) history[c * S + s].v[j] = lanes[c];
    }
}

template <class Form, typename T>
void Run(size_t frames, T* dest, int skip, int channels, int stages, const Stage* stage,
         History* history)
{
  if (channels <= 0 || stages <= 0) return;
  const std::ptrdiff_t step = channels + skip;
  if (channels == 1 && stages <= 3)
  {
    if (stages == 1) return RunFixed<Form, 1, 1>(frames, dest, step, stage, history);
    if (stages == 2) return RunFixed<Form, 1, 2>(frames, dest, step, stage, history);
    return RunFixed<Form, 1, 3>(frames, dest, step, stage, history);
  }
#if defined(__GNUC__)
  if (channels == 2 && stages <= 3)
  {
    if (stages == 1) return RunFixed<Form, 2, 1>(frames, dest, step, stage, history);
    if (stages == 2) return RunFixed<Form, 2, 2>(frames, dest, step, stage, history);
    return RunFixed<Form, 2, 3>(frames, dest, step, stage, history);
  }
#endif
  RunAny<Form>(frames, dest, step, channels, stages, stage, history);
}

#if defined(__GNUC__)
// A few consecutive stages of a chain with their state in registers. The third
// history word only records the second of the previous frame, so it is kept up to
// date on the last frame alone, out of the recursion.
template <int S>
void RunChain(size_t frames, double* dest, const Coefficients<Lanes<2>::V>* kIn,
              Lanes<2>::V (*vIn)[4], const bool* negate)
{
  using L = Lanes<2>;
  using V = L::V;
  if (frames == 0) return;
  Coefficients<V> k[S];
  V w1[S], w2[S], w3[S];
  bool neg[S];
  for (int s = 0; s < S; ++s)
  {
    k[s] = kIn[s];
    w1[s] = vIn[s][0];
    w2[s] = vIn[s][1];
    w3[s] = vIn[s][2];
    neg[s] = negate[s];
  }
  const V offset = L::Splat(kOffset);
  auto tick = [&](double* f) {
    V x = L::Pack(f);
#pragma GCC unroll 8
    for (int s = 0; s < S; ++s)
    {
      // The Direct Form II step, as in DirectFormII::Tick.
      const V w = x + k[s].a1 * w1[s] + k[s].a2 * w2[s] + offset;
      x = k[s].b0 * w + k[s].b1 * w1[s] + k[s].b2 * w2[s];
      w2[s] = w1[s];
      w1[s] = w;
      if (neg[s]) x = -x;
    }
    L::Unpack(x, f);
  };
  for (size_t i = 0; i + 1 < frames; ++i, dest += 2) tick(dest);
  for (int s = 0; s < S; ++s) w3[s] = w2[s];
  tick(dest);
  for (int s = 0; s < S; ++s)
  {
    vIn[s][0] = w1[s];
    vIn[s][1] = w2[s];
    vIn[s][2] = w3[s];
  }
}

// Stages per pass over the block: as many as keep their state in registers.
constexpr int kChainGroup = 3;
#endif

} // namespace

template <typename T>
void CascadeFilter::ProcessI(size_t frames, T* dest, int skip)
{
  DSP_ASSERT(m_channelCount<=0 || m_stageCount<=m_historyStages);
  Run<DirectFormI>(frames, dest, skip, m_channelCount, m_stageCount, m_stage, m_history);
}

template <typename T>
void CascadeFilter::ProcessII(size_t frames, T* dest, int skip)
{
  DSP_ASSERT(m_channelCount<=0 || m_stageCount<=m_historyStages);
  Run<DirectFormII>(frames, dest, skip, m_channelCount, m_stageCount, m_stage, m_history);
}

void CascadeChain::Add(CascadeFilter* filter, bool negateAfter)
{
  DSP_ASSERT(filter->m_channelCount==2 && m_count<kMaxStages);
  m_filter[m_count] = filter;
  m_negate[m_count] = negateAfter;
  ++m_count;
}

int CascadeChain::GetStageCount() const
{
  int n = 0;
  for (int f = 0; f < m_count; ++f) n += m_filter[f]->m_stageCount;
  return n;
}

void CascadeChain::ProcessII(size_t frames, double* dest)
{
  const int total = GetStageCount();
  DSP_ASSERT(total<=kMaxStages);
  if (total == 0) return;
#if defined(__GNUC__)
  using L = Lanes<2>;
  Coefficients<L::V> k[kMaxStages];
  L::V v[kMaxStages][4];
  bool negate[kMaxStages] = {};
  int g = 0;
  for (int f = 0; f < m_count; ++f)
  {
    const CascadeFilter& c = *m_filter[f];
    const int n = c.m_stageCount;
    DSP_ASSERT(n<=c.m_historyStages);
    for (int s = 0; s < n; ++s, ++g)
    {
      k[g] = Load<2>(c.m_stage[s]);
      for (int j = 0; j < 4; ++j) v[g][j] = L::V{c.m_history[s].v[j], c.m_history[n + s].v[j]};
    }
    if (n > 0) negate[g - 1] = m_negate[f];
  }
  // Passes of a few stages each: the stages of one pass overlap their recursions, and
  // each sample still meets every stage in order.
  for (int start = 0; start < total; start += kChainGroup)
  {
    const int n = total - start < kChainGroup ? total - start : kChainGroup;
    if (n == 4) RunChain<4>(frames, dest, k + start, v + start, negate + start);
    else if (n == 3) RunChain<3>(frames, dest, k + start, v + start, negate + start);
    else if (n == 2) RunChain<2>(frames, dest, k + start, v + start, negate + start);
    else RunChain<1>(frames, dest, k + start, v + start, negate + start);
  }
  g = 0;
  for (int f = 0; f < m_count; ++f)
  {
    CascadeFilter& c = *m_filter[f];
    const int n = c.m_stageCount;
    for (int s = 0; s < n; ++s, ++g)
      for (int j = 0; j < 4; ++j)
      {
        c.m_history[s].v[j] = v[g][j][0];
        c.m_history[n + s].v[j] = v[g][j][1];
      }
  }
#else
  for (int f = 0; f < m_count; ++f)
  {
    m_filter[f]->ProcessII(frames, dest);
    if (m_negate[f])
      for (size_t i = 0; i < 2 * frames; ++i) dest[i] = -dest[i];
  }
#endif
}

template void CascadeFilter::ProcessI<double>(size_t, double*, int);
template void CascadeFilter::ProcessI<float>(size_t, float*, int);
template void CascadeFilter::ProcessII<double>(size_t, double*, int);
template void CascadeFilter::ProcessII<float>(size_t, float*, int);

} // namespace Dsp
