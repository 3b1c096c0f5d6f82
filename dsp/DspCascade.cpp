#include "dsp/DspCascade.h"

#include "dsp/DspAssert.h"

#include <cmath>

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

struct Coefficients
{
  double a1, a2, b0, b1, b2;
};

Coefficients Load(const Stage& s)
{
  return {s.a[1], s.a[2], s.b[0], s.b[1], s.b[2]};
}

struct DirectFormI
{
  static double Tick(const Coefficients& k, double* v, double x)
  {
    const double y = k.b1 * v[0] + k.b0 * x + k.b2 * v[1] + k.a1 * v[2] + k.a2 * v[3];
    v[1] = v[0];
    v[0] = x;
    v[3] = v[2];
    v[2] = y;
    return y;
  }
};

struct DirectFormII
{
  static double Tick(const Coefficients& k, double* v, double x)
  {
    const double w = x + k.a1 * v[0] + k.a2 * v[1] + 1e-25;
    const double y = k.b0 * w + k.b1 * v[0] + k.b2 * v[1];
    v[2] = v[1];
    v[1] = v[0];
    v[0] = w;
    return y;
  }
};

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
      for (int s = 0; s < stages; ++s, ++h) x = Form::Tick(Load(stage[s]), h->v, x);
      dest[c] = static_cast<T>(x);
    }
  }
}

// The common shapes: coefficients and history copied to locals so that the
// compiler keeps them in registers (the buffer could alias the members). Same
// per-frame order and arithmetic as RunAny, so the results are bit-identical.
template <class Form, int C, int S, typename T>
void RunFixed(size_t frames, T* dest, std::ptrdiff_t step, const Stage* stage, History* history)
{
  Coefficients k[S];
  for (int s = 0; s < S; ++s) k[s] = Load(stage[s]);
  double v[C][S][4];
  for (int c = 0; c < C; ++c)
    for (int s = 0; s < S; ++s)
      for (int j = 0; j < 4; ++j) v[c][s][j] = history[c * S + s].v[j];

  for (size_t i = 0; i < frames; ++i, dest += step)
  {
    for (int c = 0; c < C; ++c)
    {
      double x = dest[c];
      for (int s = 0; s < S; ++s) x = Form::Tick(k[s], v[c][s], x);
      dest[c] = static_cast<T>(x);
    }
  }

  for (int c = 0; c < C; ++c)
    for (int s = 0; s < S; ++s)
      for (int j = 0; j < 4; ++j) history[c * S + s].v[j] = v[c][s][j];
}

template <class Form, typename T>
void Run(size_t frames, T* dest, int skip, int channels, int stages, const Stage* stage,
         History* history)
{
  if (channels <= 0 || stages <= 0) return;
  const std::ptrdiff_t step = channels + skip;
  switch (channels * 4 + stages)
  {
    case 1 * 4 + 1: return RunFixed<Form, 1, 1>(frames, dest, step, stage, history);
    case 1 * 4 + 2: return RunFixed<Form, 1, 2>(frames, dest, step, stage, history);
    case 1 * 4 + 3: return RunFixed<Form, 1, 3>(frames, dest, step, stage, history);
    case 2 * 4 + 1: return RunFixed<Form, 2, 1>(frames, dest, step, stage, history);
    case 2 * 4 + 2: return RunFixed<Form, 2, 2>(frames, dest, step, stage, history);
    case 2 * 4 + 3: return RunFixed<Form, 2, 3>(frames, dest, step, stage, history);
    default: return RunAny<Form>(frames, dest, step, channels, stages, stage, history);
  }
}

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

template void CascadeFilter::ProcessI<double>(size_t, double*, int);
template void CascadeFilter::ProcessI<float>(size_t, float*, int);
template void CascadeFilter::ProcessII<double>(size_t, double*, int);
template void CascadeFilter::ProcessII<float>(size_t, float*, int);

} // namespace Dsp
