#include "IPlug/controls/IKnobControl.h"

IKnobControl::IKnobControl(IPlugBase* plug, const IRECT* rect, int paramIdx, EDirection direction,
                           double gearing)
  : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
  double gearing = mGearing;
  if (mod && (mod->C || mod->S)) gearing *= 10.0;
  // A knob with no extent along its direction cannot be dragged (0 / 0 would be NaN).
  const int extent = mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
  if (extent != 0)
    SetValue(GetValue() + (double) (mDirection == kVertical ? dY : dX) / (double) extent / gearing);
  SetDirty(true);
}
