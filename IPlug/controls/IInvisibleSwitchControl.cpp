#include "IPlug/controls/IInvisibleSwitchControl.h"

IInvisibleSwitchControl::IInvisibleSwitchControl(IPlugBase* plug, const IRECT* rect, int paramIdx)
  : IControl(plug, rect, paramIdx)
{
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  SetValue(GetValue() < 0.5 ? 1.0 : 0.0);
  SetDirty(true);
}
