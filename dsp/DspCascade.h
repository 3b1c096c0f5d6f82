#pragma once
// The run-time core of the filter kit: second-order stages, cascades of them, and
// their in-place processing over interleaved multi-channel buffers.
//
// A concrete filter derives from a design class (which owns the stages through a
// CascadeSpace) and a filter class (which owns the per-channel history). Cascade
// is a virtual base of both, so the two sides share one cascade.

#include "dsp/DspMath.h"

#include <cstddef>

namespace Dsp {

// One second-order section. a[1] and a[2] hold the denominator with its signs
// flipped, so y = b0*x + b1*x1 + b2*x2 + a1*y1 + a2*y2. a[0] is never used.
struct Stage
{
  double a[3];
  double b[3];

  void Reset()
  {
    a[1] = a[2] = 0;
    b[0] = 1;
    b[1] = b[2] = 0;
  }
};

// A cascade's description: a stage count and stages whose storage belongs to a
// CascadeSpace. Copying is refused: the stage pointer points into the owner.
class Cascade
{
public:
  Cascade() = default;
  Cascade(const Cascade&) = delete;
  Cascade& operator=(const Cascade&) = delete;

  int GetStageCount() const { return m_stageCount; }
  Stage* Stages() { return m_stage; }
  const Stage* Stages() const { return m_stage; }

  void SetStageCount(int n);
  void SetStage1(double a1, double a2, double b0, double b1, double b2);
  // Every stage in use becomes the identity stage; history is not touched.
  void Reset();
  // Gain normalisation: multiplies only the first stage's numerator.
  void Scale(double s);
  // Frequency response at w radians per sample; 1 with no stages.
  Complex Response(double w) const;

protected:
  ~Cascade() = default;

  int m_stageCount = 0;
  int m_stageMax = 0;
  Stage* m_stage = nullptr;
};

// Inline storage for N stages, all identity stages until a design writes them.
template <int N>
class CascadeSpace : public virtual Cascade
{
public:
  CascadeSpace()
  {
    m_stage = m_stages;
    m_stageMax = N;
    for (Stage& s : m_stages) s.Reset();
  }

private:
  Stage m_stages[N] = {};
};

// Negated magnitude of a cascade's response, for a minimiser.
class ResponseFunctor
{
public:
  explicit ResponseFunctor(const Cascade* cascade) : m_cascade(cascade) {}
  double operator()(double w) const;

private:
  const Cascade* m_cascade;
};

// The processing side of a cascade: history per channel and stage, and the two
// direct forms. Buffers are interleaved, processed in place; after each frame the
// pointer advances by the channel count plus skip. Coefficients and history stay
// double whatever the sample type.
class CascadeFilter : public virtual Cascade
{
public:
  // Direct Form I: x1, x2, y1, y2. Direct Form II: w1, w2, w3 (w3 is never read).
  struct History
  {
    double v[4];
  };

  int GetChannelCount() const { return m_channelCount; }

  // Zeroes the history of every channel and stage.
  void Clear();

  // No offset: used where the signal never sits in silence long (detectors, side chains).
  template <typename T>
  void ProcessI(size_t frames, T* dest, int skip = 0);

  // Adds 1e-25 inside every stage so that a silent recursion never goes subnormal.
  template <typename T>
  void ProcessII(size_t frames, T* dest, int skip = 0);

protected:
  CascadeFilter() = default;
  ~CascadeFilter() = default;

  // history holds channels x stagesPerChannel records, all stages of channel 0 first.
  void SetHistory(int channels, History* history, int stagesPerChannel);

private:
  friend class CascadeChain;
  int m_channelCount = 0;
  History* m_history = nullptr;
  int m_historyStages = 0;
};

// History for C channels of a single-section filter.
template <int C>
class BiquadFilter : public CascadeFilter
{
public:
  BiquadFilter() { SetHistory(C, m_histories, 1); }

private:
  History m_histories[C] = {};
};

// One stage in use; the base of the single-section designs.
class Biquad : public CascadeSpace<1>
{
public:
  Biquad() { SetStageCount(1); }
};

// Several stereo cascades run one after another over a block in a single pass, frame
// by frame: each sample still meets every stage in the same order with the same
// arithmetic as in separate ProcessII passes, so the output is bit-identical, but
// the stages' recursions overlap instead of each walking the whole block.
class CascadeChain
{
public:
  static constexpr int kMaxStages = 12;

  void Clear() { m_count = 0; }
  // A two-channel filter to run next; negateAfter flips the sign of its output.
  void Add(CascadeFilter* filter, bool negateAfter = false);
  int GetStageCount() const;
  // Direct Form II over interleaved stereo frames, in place.
  void ProcessII(size_t frames, double* dest);

private:
  CascadeFilter* m_filter[kMaxStages] = {};
  bool m_negate[kMaxStages] = {};
  int m_count = 0;
};

} // namespace Dsp
