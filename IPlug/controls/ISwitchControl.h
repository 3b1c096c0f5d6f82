#pragma once
// A filmstrip that changes its value on a click. In step mode each click moves to the
// next frame and wraps after the last (two frames: a toggle); in slice mode the click's
// position picks the frame, the control cut into one slice per frame, top to bottom
// (vertical) or left to right (horizontal). A double click acts like a press.

#include "IPlug/controls/IBitmapControl.h"

class ISwitchControl : public IBitmapControl
{
public:
  enum EClickMode
  {
    kVerticalSlices = 0,
    kHorizontalSlices = 1,
    kStep = 2 // any value other than the two above steps
  };

  ISwitchControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap, int clickMode = kStep,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNormal);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;

protected:
  int mClickMode;
};
