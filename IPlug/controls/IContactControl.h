#pragma once
// A momentary switch: a press acts as a switch press, the release returns the value to 0.

#include "IPlug/controls/ISwitchControl.h"

class IContactControl : public ISwitchControl
{
public:
  using ISwitchControl::ISwitchControl;

  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};
