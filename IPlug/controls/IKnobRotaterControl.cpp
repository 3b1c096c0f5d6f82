#include "IPlug/controls/IKnobRotaterControl.h"

#include "IPlug/IGraphics.h"

IKnobRotaterControl::IKnobRotaterControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                         double minAngle, double maxAngle, int yOffsetZeroDeg,
                                         EDirection direction, double gearing)
  : IKnobControl(plug, nullptr, paramIdx, direction, gearing), mBitmap(bitmap ? *bitmap : IBitmap()),
    mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffsetZeroDeg)
{
  mRECT = mTargetRECT = IRECT(x, y, x + mBitmap.W, y + mBitmap.H);
}

bool IKnobRotaterControl::Draw(IGraphics* graphics)
{
  const int cx = (mRECT.L + mRECT.R) / 2, cy = (mRECT.T + mRECT.B) / 2;
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedBitmap(&mBitmap, cx, cy, angle, mYOffset, &mBlend);
}
