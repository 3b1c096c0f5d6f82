#pragma once
// A switch shown only while its value is at least 0.5; below that it draws nothing and
// takes the mouse over a target area instead of its own rectangle. The hit area follows
// the value when the control is drawn.

#include "IPlug/controls/ISwitchControl.h"

class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                        const IRECT* targetArea);
  IBitmapOverlayControl(IPlugBase* plug, int x, int y, const IBitmap* bitmap, const IRECT* targetArea);

  bool Draw(IGraphics* graphics) override;

protected:
  IRECT mTargetArea;
};
