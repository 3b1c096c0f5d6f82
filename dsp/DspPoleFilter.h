#pragma once
// Multi-section filters designed from pole/zero prototypes: an analogue prototype
// places poles and zeros in the s-plane, a transform maps them to the z-plane by
// the bilinear transform, and Layout::Realize turns them into stages.

#include "dsp/DspLayout.h"

namespace Dsp {

// A design request. sampleRate and cutoffFreq share a unit (the modules pass a
// rate of 1.0 with a normalised cutoff); the ripple is read by ChebyI only.
struct Spec
{
  int order = 0;
  double sampleRate = 0;
  double cutoffFreq = 0;
  double passbandRippleDb = 0;
};

// An analogue prototype: Design fills the layout with s-plane roots.
class Prototype : public virtual Layout
{
public:
  virtual ~Prototype() = default;
  virtual void Design(const Spec& spec) = 0;
};

// Poles on the unit circle, all zeros at infinity; gain 1 at DC.
class Butter : public Prototype
{
public:
  void Design(const Spec& spec) override;
};

// Equiripple passband of passbandRippleDb; gain 10^(-ripple/20) at DC for even orders.
class ChebyI : public Prototype
{
public:
  void Design(const Spec& spec) override;
};

// Roots of the reverse Bessel polynomial, scaled by 1/sqrt((2n-1) ln 2); gain 1 at DC.
class Bessel : public Prototype
{
public:
  void Design(const Spec& spec) override;
};

// Bilinear transforms with the cutoff pre-warped: k = tan(pi * cutoff / rate).
struct LowPass
{
  static void Transform(const Spec& spec, Layout* digital, const Layout& analog);
  static void Transform(const Spec& spec, Roots* digital, const Roots& analog);
};

// Maps the prototype's DC onto the Nyquist frequency. Each zero at infinity lands
// at z = 1 and is realised as (-1 + z^-1): an odd order has gain -1 in its passband.
struct HighPass
{
  static void Transform(const Spec& spec, Layout* digital, const Layout& analog);
  static void Transform(const Spec& spec, Roots* digital, const Roots& analog);
};

// A cascade filter whose own layout is the digital design.
class PoleFilter : public CascadeFilter, public virtual Layout
{
public:
  virtual ~PoleFilter() = default;
  // Redesigns the stages; the history is kept, so the change takes effect at the next sample.
  virtual void Setup(const Spec& spec) = 0;
};

// Prototype D, transform T, orders up to N, C interleaved channels.
template <class D, class T, int N, int C>
class PoleFilterSpace : public PoleFilter, public LayoutSpace<N>, public CascadeSpace<N>
{
public:
  PoleFilterSpace() { this->SetHistory(C, m_histories, kStages); }

  void Setup(const Spec& spec) override
  {
    m_design.Design(spec);
    T::Transform(spec, this, m_design);
    this->Realize(this);
  }

private:
  static constexpr int kStages = (N + 1) / 2;

  // A prototype with its own storage: the analogue layout.
  template <class P, int M>
  class PrototypeSpace : public P, public LayoutSpace<M>
  {
  };

  PrototypeSpace<D, N> m_design;
  History m_histories[C * kStages] = {};
};

template <int N, int C>
class ButterLowPass : public PoleFilterSpace<Butter, LowPass, N, C>
{
};

template <int N, int C>
class ButterHighPass : public PoleFilterSpace<Butter, HighPass, N, C>
{
};

template <int N, int C>
class ChebyILowPass : public PoleFilterSpace<ChebyI, LowPass, N, C>
{
};

template <int N, int C>
class BesselLowPass : public PoleFilterSpace<Bessel, LowPass, N, C>
{
};

} // namespace Dsp
