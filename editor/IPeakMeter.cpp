#include "editor/IPeakMeter.h"

#include "IPlug/IGraphics.h"

#include <cmath>

namespace
{
// 255 times x, truncated, within 0..255.
int Channel(double x)
{
  const double c = x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
  const int v = (int) (255.0 * c);
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// A level's height in pixels, 0..h.
int Height(double level, int h)
{
  const double px = std::floor(level * h * 1.001001001001001);
  if (!(px > 0.0)) return 0;
  return px >= h ? h : (int) px;
}
} // namespace

IPeakMeter::IPeakMeter(IPlugBase* plug, int x, int y, int w, int h, IChannelBlend::EBlendMethod blend)
  : IControl(plug, nullptr, -1, blend)
{
  mRECT = IRECT(x, y, x + w, y + h);
  mTargetRECT = IRECT();
}

void IPeakMeter::SetUp()
{
  const double f = mFrameRate;
  mAttack = std::exp(-1.0 / (0.075 * f));
  mRelease = std::exp(-1.0 / (1.7 * f));
}

void IPeakMeter::GrayOut(bool gray)
{
  mVisibility.store(gray ? 0.0 : 1.0, std::memory_order_relaxed);
  SetDirty(false);
}

bool IPeakMeter::Draw(IGraphics* graphics)
{
  if (mFrameRate == 0)
  {
    mFrameRate = graphics->FPS();
    SetUp();
  }

  double v = GetValue();
  if (v < 0.001)
  {
    SetValue(0.0);
    v = 0.0;
  }
  mLevel = v * kScale * (1.0 - mAttack) + mAttack * mLevel;
  if (mHold > mLevel)
  {
    mHold = mHold * mRelease + (1.0 - mRelease) * mLevel;
    mHoldFade = mRelease * mHoldFade + (1.0 - mRelease) * mLevel;
  }
  else
  {
    mHold = mLevel;
    if (mLevel > 0.0) mHoldFade = 1.0;
  }

  const int blue = mLevel < kYellowFrom ? 255 : Channel(1.0 - mLevel / kRedFrom);
  const int green = mLevel < kRedFrom ? 255 : Channel(1.0 - mLevel / kRedAt);
  const int a = (int) (mVisibility.load(std::memory_order_relaxed) * 255.0);
  const int holdA = (int) (a * mHoldFade);

  const int h = mRECT.H();
  const int holdH = Height(mHold, h), levelH = Height(mLevel, h);
  // The hold line is two pixels with its top at the hold height: at zero it lies just
  // under the bar.
  const IColor holdColor(holdA, 255, green, blue), levelColor(a, 255, green, blue);
  IRECT hold(mRECT.L, mRECT.B - holdH, mRECT.R, mRECT.B + 2 - holdH);
  IRECT bar(mRECT.L, mRECT.B - levelH, mRECT.R, mRECT.B);
  if (!graphics->FillIRect(&holdColor, &hold)) return false;
  if (!graphics->FillIRect(&levelColor, &bar)) return false;
  SetDirty(false);
  return true;
}
