#include "IPlug/controls/IKnobLineControl.h"

#include "IPlug/IGraphics.h"

IKnobLineControl::IKnobLineControl(IPlugBase* plug, const IRECT* rect, int paramIdx, const IColor* color,
                                   double innerRadius, double outerRadius, double minAngle, double maxAngle,
                                   EDirection direction, double gearing)
  : IKnobControl(plug, rect, paramIdx, direction, gearing), mColor(color ? *color : COLOR_BLACK),
    mMinAngle((float) minAngle), mMaxAngle((float) maxAngle), mInnerRadius((float) innerRadius),
    mOuterRadius((float) outerRadius)
{
  if (mOuterRadius == 0.0f) mOuterRadius = 0.5f * (float) mRECT.W();
  mBlend = IChannelBlend(IChannelBlend::kBlendOpaque, 1.0f);
}

bool IKnobLineControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return graphics->DrawRadialLine(&mColor, mRECT.MW(), mRECT.MH(), (float) angle, mInnerRadius, mOuterRadius,
                                  &mBlend, true);
}
