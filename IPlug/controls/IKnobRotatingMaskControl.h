#pragma once
// A knob composed of a fixed base, a mask and a top bitmap, mask and top rotated to an
// angle between minAngle and maxAngle (degrees, clockwise) following the value.

#include "IPlug/IBitmap.h"
#include "IPlug/controls/IKnobControl.h"

class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* base,
                           const IBitmap* mask, const IBitmap* top, double minAngle = -135.0,
                           double maxAngle = 135.0, EDirection direction = kVertical, double gearing = 4.0);

  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};
