#include "IPlug/controls/IBitmapControl.h"

#include "IPlug/IGraphics.h"

IBitmapControl::IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
  : IControl(plug, nullptr, paramIdx, blendMethod), mBitmap(bitmap ? *bitmap : IBitmap())
{
  mRECT = mTargetRECT = IRECT(x, y, &mBitmap);
}

IBitmapControl::IBitmapControl(IPlugBase* plug, int x, int y, const IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
  : IBitmapControl(plug, x, y, -1, bitmap, blendMethod)
{
}

int IBitmapControl::FrameForValue(double value, int nFrames)
{
  if (nFrames <= 1) return 1;
  const double f = (nFrames - 1) * value + 0.5;
  if (!(f >= 1.0)) return 1; // NaN and values below the first step
  if (f >= nFrames) return nFrames;
  return (int) f + 1 > nFrames ? nFrames : (int) f + 1;
}

bool IBitmapControl::Draw(IGraphics* graphics)
{
  return graphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(GetValue(), mBitmap.N), &mBlend);
}
