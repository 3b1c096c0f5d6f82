#pragma once
// A knob drawn as one bitmap rotated to an angle between minAngle and maxAngle (radians,
// clockwise) following the value, about a centre moved down by yOffsetZeroDeg pixels.

#include "IPlug/IBitmap.h"
#include "IPlug/controls/IKnobControl.h"

#include <cmath>

class IKnobRotaterControl : public IKnobControl
{
public:
  IKnobRotaterControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                      double minAngle = -0.75 * M_PI, double maxAngle = 0.75 * M_PI, int yOffsetZeroDeg = 0,
                      EDirection direction = kVertical, double gearing = 4.0);

  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};
