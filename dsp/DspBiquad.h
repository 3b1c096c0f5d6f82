#pragma once
// Single-section designs. Each computes its stage from a normalised frequency
// (cycles per sample, 0 < f < 0.5) and one or two shape values:
//   Setup       sine and cosine (and square roots) from the math library;
//   SetupFast   sine and cosine from fastsincos, shelves' roots from fastsqrt;
//   SetupCommon the coefficients from precomputed terms.
// Q-based designs use alpha = sin(w) / (2Q). Shelf and peak gains are in dB.

#include "dsp/DspCascade.h"

namespace Dsp {

class BiquadLp : public Biquad
{
public:
  void Setup(double normFreq, double q);
  void SetupFast(double normFreq, double q);
  void SetupCommon(double sn, double cs, double q);
};

// Gain -1 at the Nyquist frequency: the numerator is the negated low-pass pattern.
class BiquadHp : public Biquad
{
public:
  void Setup(double normFreq, double q);
  void SetupFast(double normFreq, double q);
  void SetupCommon(double sn, double cs, double q);
};

// Band-pass with peak gain Q.
class BiquadBp1 : public Biquad
{
public:
  void Setup(double normFreq, double q);
  void SetupFast(double normFreq, double q);
  void SetupCommon(double sn, double cs, double q);
};

// Band-pass with 0 dB peak.
class BiquadBp2 : public Biquad
{
public:
  void Setup(double normFreq, double q);
  void SetupFast(double normFreq, double q);
  void SetupCommon(double sn, double cs, double q);
};

// Band-stop (notch).
class BiquadBs : public Biquad
{
public:
  void Setup(double normFreq, double q);
  void SetupFast(double normFreq, double q);
  void SetupCommon(double sn, double cs, double q);
};

class BiquadAp : public Biquad
{
public:
  void Setup(double normFreq, double q);
  void SetupFast(double normFreq, double q);
  void SetupCommon(double sn, double cs, double q);
};

// Low shelf: 10^(gainDb/20) at DC, half that in dB at normFreq. beta = 2*sqrt(A)*alpha.
class BiquadLs : public Biquad
{
public:
  void Setup(double normFreq, double gainDb, double shelfSlope);
  void SetupFast(double normFreq, double gainDb, double shelfSlope);
  void SetupCommon(double cs, double A, double beta);
};

// High shelf: 10^(gainDb/20) at the Nyquist frequency, half that in dB at normFreq.
class BiquadHs : public Biquad
{
public:
  void Setup(double normFreq, double gainDb, double shelfSlope);
  void SetupFast(double normFreq, double gainDb, double shelfSlope);
  void SetupCommon(double cs, double A, double beta);
};

// Peak of 10^(gainDb/20) at normFreq, width in octaves or as Q. The numerator is
// the reverse of the usual one: same magnitude, different phase, so at 0 dB it is
// an all-pass rather than the identity.
class BiquadEq : public Biquad
{
public:
  void Setup(double normFreq, double gainDb, double bandWidth);
  void SetupQ(double normFreq, double gainDb, double q);
  void SetupFast(double normFreq, double gainDb, double bandWidth);
  void SetupQFast(double normFreq, double gainDb, double q);
  void SetupCommon(double sn, double cs, double alph, double A); // sn is not read
};

// The designs paired with per-channel history.
template <int C>
class BiquadLowShelf : public BiquadLs, public BiquadFilter<C>
{
};

template <int C>
class BiquadHighShelf : public BiquadHs, public BiquadFilter<C>
{
};

template <int C>
class BiquadPeak : public BiquadEq, public BiquadFilter<C>
{
};

} // namespace Dsp
