#include "IPlug/controls/IKnobRotatingMaskControl.h"

#include "IPlug/IGraphics.h"

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPlugBase* plug, int x, int y, int paramIdx,
                                                   const IBitmap* base, const IBitmap* mask,
                                                   const IBitmap* top, double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
  : IKnobControl(plug, nullptr, paramIdx, direction, gearing), mBase(base ? *base : IBitmap()),
    mMask(mask ? *mask : IBitmap()), mTop(top ? *top : IBitmap()), mMinAngle(minAngle), mMaxAngle(maxAngle)
{
  mRECT = mTargetRECT = IRECT(x, y, x + mBase.W, y + mBase.H);
}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}
