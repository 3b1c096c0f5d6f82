#pragma once
// A click area with no picture that toggles its value between 0 and 1.

#include "IPlug/IControl.h"

class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IPlugBase* plug, const IRECT* rect, int paramIdx);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};
