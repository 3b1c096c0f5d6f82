#pragma once
// A handle bitmap sliding along a track of len pixels: upward (vertical) or rightward
// (horizontal) raises the value. A press or drag puts the handle's centre under the
// pointer; a right press prompts for the value.

#include "IPlug/IBitmap.h"
#include "IPlug/IControl.h"

class IFaderControl : public IControl
{
public:
  IFaderControl(IPlugBase* plug, int x, int y, int len, int paramIdx, const IBitmap* handle,
                EDirection direction = kVertical);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  // Where the handle is drawn for value v, or for the current value when v < 0.
  IRECT GetHandleRECT(double v = -1.0) const;
  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }
  EDirection GetDirection() const { return mDirection; }

protected:
  void SnapToMouse(int x, int y);

  int mLen;
  int mHandleHeadroom; // the handle's extent along the track
  EDirection mDirection;
  IBitmap mBitmap;
};
