#include "IPlug/controls/IKnobMultiControl.h"

#include "IPlug/IGraphics.h"
#include "IPlug/controls/IBitmapControl.h"

IKnobMultiControl::IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                     EDirection direction, double gearing)
  : IKnobControl(plug, nullptr, paramIdx, direction, gearing), mBitmap(bitmap ? *bitmap : IBitmap())
{
  mRECT = mTargetRECT = IRECT(x, y, &mBitmap);
}

bool IKnobMultiControl::Draw(IGraphics* graphics)
{
  return graphics->DrawBitmap(&mBitmap, &mRECT, IBitmapControl::FrameForValue(GetValue(), mBitmap.N),
                              &mBlend);
}
