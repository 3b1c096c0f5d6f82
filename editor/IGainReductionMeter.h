#pragma once
// A row of one-decibel segments showing a dynamics stage's gain reduction: the engine
// posts the linear gain the stage applies (1.0 = none) once per block, the meter smooths
// it per repaint (fast while the gain falls, 200 ms while it recovers) and lights one
// segment per whole decibel of reduction, from the right edge leftward.

#include "IPlug/IControl.h"

#include <atomic>

class IGainReductionMeter : public IControl
{
public:
  static constexpr int kTableSize = 1024;

  IGainReductionMeter(IPlugBase* plug, int x, int y, int w, int h, int segments,
                      IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendNormal);

  bool Draw(IGraphics* graphics) override;
  // A greyed meter fades out completely, as the peak meters of its panel do: a stage that
  // is off has no reduction to show. Its smoothing keeps running.
  void GrayOut(bool gray) override;
  // Per-repaint coefficients from the frame rate: 1 ms attack, 200 ms release.
  virtual void SetUp();

  int GetFrameRate() const { return mFrameRate; }
  int GetSegments() const { return mSegments; }
  double GetSmoothed() const { return mSmoothed; }
  double GetAttack() const { return mAttack; }
  double GetRelease() const { return mRelease; }
  int GetAlpha() const { return mAlpha.load(std::memory_order_relaxed); }
  // Whole decibels of reduction the last draw showed (0..segments).
  int GetLitSegments() const { return mLit; }
  // log10(i / 1024); entry 0 is minus infinity.
  double GetDecibelEntry(int i) const { return i >= 0 && i < kTableSize ? mDecibels[i] : 0.0; }

  static const IColor kLit, kUnlit;

private:
  int mFrameRate = 0;
  int mSegments;
  // Starts at no reduction: a meter that has seen no audio must not claim any.
  double mSmoothed = 1.0;
  double mAttack = 0.0;
  double mRelease = 0.0;
  // Written by whichever thread changes the stage's on/off parameter.
  std::atomic<int> mAlpha{255};
  double mDecibels[kTableSize];
  int mLit = 0;
};
