#pragma once
// A knob drawn as one frame of a filmstrip chosen by its value.

#include "IPlug/IBitmap.h"
#include "IPlug/controls/IKnobControl.h"

class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                    EDirection direction = kVertical, double gearing = 4.0);

  bool Draw(IGraphics* graphics) override;

  IBitmap* GetBitmap() { return &mBitmap; }

protected:
  IBitmap mBitmap;
};
