#pragma once
// A knob drawn as an antialiased line from the centre outward, at an angle between
// minAngle and maxAngle (radians, 0 up, clockwise) following the value.

#include "IPlug/IColor.h"
#include "IPlug/controls/IKnobControl.h"

#include <cmath>

class IKnobLineControl : public IKnobControl
{
public:
  // An outer radius of 0 reaches half the rectangle's width.
  IKnobLineControl(IPlugBase* plug, const IRECT* rect, int paramIdx, const IColor* color,
                   double innerRadius = 0.0, double outerRadius = 0.0, double minAngle = -0.75 * M_PI,
                   double maxAngle = 0.75 * M_PI, EDirection direction = kVertical, double gearing = 4.0);

  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};
