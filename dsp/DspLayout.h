#pragma once
// Pole/zero descriptions of a filter and their realisation as a cascade of
// second-order stages. Storage for the roots comes from LayoutSpace.

#include "dsp/DspCascade.h"

namespace Dsp {

// A bounded set of complex roots over storage it does not own.
class Roots
{
public:
  Roots() = default;
  Roots(const Roots&) = delete;
  Roots& operator=(const Roots&) = delete;

  // For the space classes: rootMax roots at storage.
  void SetStorage(Complex* storage, int rootMax)
  {
    m_root = storage;
    m_rootMax = rootMax;
    m_rootCount = 0;
  }

  int GetCount() const { return m_rootCount; }
  void SetCount(int n);
  Complex& GetNth(int i);
  const Complex& GetNth(int i) const;

private:
  int m_rootMax = 0;
  Complex* m_root = nullptr;
  int m_rootCount = 0;
};

// Poles, zeros, and the frequency (radians per sample, 0 to pi) at which the
// realised gain is normalised to normalGain.
class Layout
{
public:
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;

  Roots& Poles() { return m_poles; }
  const Roots& Poles() const { return m_poles; }
  Roots& Zeros() { return m_zeros; }
  const Roots& Zeros() const { return m_zeros; }

  double GetNormalW() const { return m_normalW; }
  double GetNormalGain() const { return m_normalGain; }
  void SetNormal(double normalW, double normalGain)
  {
    m_normalW = normalW;
    m_normalGain = normalGain;
  }

  // Writes (poles + 1) / 2 stages: real roots collect in stage 0 until it holds two,
  // then move to the highest free stage; each conjugate pair takes the highest free
  // stage. Finally stage 0's numerator is scaled to the wanted gain at normalW.
  void Realize(Cascade* cascade) const;

protected:
  Layout() = default;
  ~Layout() = default;

private:
  Roots m_poles;
  Roots m_zeros;
  double m_normalW = 0;
  double m_normalGain = 1;
};

template <int N>
class LayoutSpace : public virtual Layout
{
public:
  LayoutSpace()
  {
    Poles().SetStorage(m_poles, N);
    Zeros().SetStorage(m_zeros, N);
  }

private:
  Complex m_poles[N];
  Complex m_zeros[N];
};

} // namespace Dsp
