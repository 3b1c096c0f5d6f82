#include "IPlug/controls/IBitmapOverlayControl.h"

IBitmapOverlayControl::IBitmapOverlayControl(IPlugBase* plug, int x, int y, int paramIdx,
                                             const IBitmap* bitmap, const IRECT* targetArea)
  : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(targetArea ? *targetArea : IRECT())
{
}

IBitmapOverlayControl::IBitmapOverlayControl(IPlugBase* plug, int x, int y, const IBitmap* bitmap,
                                             const IRECT* targetArea)
  : IBitmapOverlayControl(plug, x, y, -1, bitmap, targetArea)
{
}

bool IBitmapOverlayControl::Draw(IGraphics* graphics)
{
  if (GetValue() < 0.5)
  {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(graphics);
}
