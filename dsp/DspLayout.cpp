#include "dsp/DspLayout.h"

#include "dsp/DspAssert.h"

#include <cmath>

namespace Dsp {

void Roots::SetCount(int n)
{
  DSP_ASSERT(n>=1 && n<=m_rootMax);
  m_rootCount = n;
}

Complex& Roots::GetNth(int i)
{
  DSP_ASSERT(i>=0 && i<m_rootCount);
  return m_root[i];
}

const Complex& Roots::GetNth(int i) const
{
  DSP_ASSERT(i>=0 && i<m_rootCount);
  return m_root[i];
}

namespace {

// The middle pole of an odd Butterworth prototype comes out of cos/sin with an
// imaginary part of about 1e-16; it is a real pole.
bool IsReal(const Complex& c)
{
  return std::fabs(c.imag()) < 1e-6 || c.imag() == 0;
}

double SquaredMagnitude(const Complex& c)
{
  return c.real() * c.real() + c.imag() * c.imag();
}

// A conjugate pole pair: the denominator (1 - c z^-1)(1 - conj(c) z^-1).
void BuildA(Stage* stages, int index, const Complex& c)
{
  DSP_ASSERT(index>=0);
  Stage* s = stages + index;
  DSP_ASSERT(s->a[1]==0 && s->a[2]==0);
  s->a[1] = 2 * c.real();
  s->a[2] = -SquaredMagnitude(c);
}

// A conjugate zero pair, written as the reverse polynomial |c|^2 - 2Re(c) z^-1 + z^-2.
void BuildB(Stage* stages, int index, const Complex& c)
{
  DSP_ASSERT(index>=0);
  Stage* s = stages + index;
  s->b[0] = SquaredMagnitude(c);
  s->b[1] = -2 * c.real();
  s->b[2] = 1;
}

} // namespace

void Layout::Realize(Cascade* cascade) const
{
  const int s1 = (m_poles.GetCount() + 1) / 2;
  const int s2 = (m_zeros.GetCount() + 1) / 2;
  DSP_ASSERT(s1==s2);
  cascade->SetStageCount(s1);
  cascade->Reset();

  Stage* const stages = cascade->Stages();
  Stage* const s0 = stages;
  const int count = s1;

  int na = 0;
  for (int i = 0; i < m_poles.GetCount(); ++i)
  {
    const Complex& c = m_poles.GetNth(i);
    if (IsReal(c))
    {
      const double r = c.real();
      const double a1 = s0->a[1];
      s0->a[2] = -a1 * r;
      s0->a[1] = a1 + r;
      const int top = count - 1 - na;
      if (s0->a[2] != 0 && top >= 1)
      {
        stages[top].a[1] = s0->a[1];
        stages[top].a[2] = s0->a[2];
        s0->a[1] = 0;
        s0->a[2] = 0;
        ++na;
      }
    }
    else if (c.imag() > 0)
    {
      BuildA(stages, count - 1 - na, c);
      ++na;
    }
  }

  int nb = 0;
  for (int i = 0; i < m_zeros.GetCount(); ++i)
  {
    const Complex& c = m_zeros.GetNth(i);
    if (IsReal(c))
    {
      // Multiply by (-r + z^-1).
      const double r = c.real();
      const double b0 = s0->b[0];
      const double b1 = s0->b[1];
      s0->b[0] = -r * b0;
      s0->b[1] = b0 - r * b1;
      s0->b[2] = b1;
      const int top = count - 1 - nb;
      if (s0->b[2] != 0 && top >= 1)
      {
        for (int j = 0; j < 3; ++j) stages[top].b[j] = s0->b[j];
        s0->b[0] = 1;
        s0->b[1] = 0;
        s0->b[2] = 0;
        ++nb;
      }
    }
    else if (c.imag() > 0)
    {
      BuildB(stages, count - 1 - nb, c);
      ++nb;
    }
  }

  cascade->Scale(m_normalGain / std::abs(cascade->Response(m_normalW)));
}

} // namespace Dsp
