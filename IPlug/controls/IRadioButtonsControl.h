#pragma once
// A column (vertical) or row (horizontal) of buttons, each one frame in size, spread
// evenly over the rectangle. The selected button shows frame 2, the others frame 1; a
// press on button i sets the value i / (n - 1).

#include "IPlug/IBitmap.h"
#include "IPlug/IControl.h"
#include "IPlug/WDL/WDL_TypedBuf.h"

class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IPlugBase* plug, const IRECT* rect, int paramIdx, int nButtons, const IBitmap* bitmap,
                       EDirection direction = kVertical);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  int GetNButtons() const { return mButtons.GetSize(); }
  IRECT GetButtonRECT(int i) const; // empty outside the list
  int GetSelected() const;

protected:
  WDL_TypedBuf<IRECT> mButtons;
  IBitmap mBitmap;
};
