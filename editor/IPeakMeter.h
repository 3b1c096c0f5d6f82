#pragma once
// A vertical level bar with a decaying peak-hold line. The engine posts a linear sample
// peak (1.0 = full scale) through IGraphics::SetControlFromPlug once per block; the bar
// smooths it per repaint, so its time constants follow the editor's frame rate. The bar
// reaches full height 18 dB below full scale and turns from white through yellow to
// red above that.

#include "IPlug/IControl.h"

#include <atomic>

class IPeakMeter : public IControl
{
public:
  // Takes no mouse until moved: its hit rectangle starts empty.
  IPeakMeter(IPlugBase* plug, int x, int y, int w, int h,
             IChannelBlend::EBlendMethod blend = IChannelBlend::kBlendNormal);

  bool Draw(IGraphics* graphics) override;
  // A greyed meter is drawn fully transparent; its filters keep running.
  void GrayOut(bool gray) override;
  // Per-repaint coefficients from the frame rate: 75 ms for the bar, 1.7 s for the hold.
  virtual void SetUp();

  int GetFrameRate() const { return mFrameRate; }
  double GetHold() const { return mHold; }
  double GetLevel() const { return mLevel; }
  double GetRelease() const { return mRelease; }
  double GetAttack() const { return mAttack; }
  double GetHoldFade() const { return mHoldFade; }
  double GetVisibility() const { return mVisibility.load(std::memory_order_relaxed); }

  // +18 dB: the level at which the bar is full.
  static constexpr double kScale = 7.94328;
  // Levels (after kScale) where the bar starts to lose blue (0 dB) and green (+6 dB),
  // and where green is gone (+15.5 dB).
  static constexpr double kYellowFrom = 1.0, kRedFrom = 1.99526, kRedAt = 5.94802;

private:
  int mFrameRate = 0;
  double mHold = 0.0;
  double mLevel = 0.0;
  double mRelease = 0.0;
  double mAttack = 0.0;
  double mHoldFade = 0.0;
  // Written by whichever thread changes the stage's on/off parameter.
  std::atomic<double> mVisibility{1.0};
};
