#include "IPlug/controls/IContactControl.h"

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  SetValue(0.0);
  SetDirty(true);
}
