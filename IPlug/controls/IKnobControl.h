#pragma once
// The drag behaviour of every knob: dragging up (vertical) or right (horizontal) by
// gearing times the control's size sweeps the whole range; with control or shift held
// the gearing is ten times finer. Subclasses draw.

#include "IPlug/IControl.h"

class IKnobControl : public IControl
{
public:
  IKnobControl(IPlugBase* plug, const IRECT* rect, int paramIdx, EDirection direction = kVertical,
               double gearing = 4.0);

  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;

  EDirection GetDirection() const { return mDirection; }
  double GetGearing() const { return mGearing; }

protected:
  EDirection mDirection;
  double mGearing;
};
