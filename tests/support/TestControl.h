#pragma once
// A control that only holds a value and draws nothing: what tests of the plug-in and
// the engine attach where the editor's meters and knobs will be.

#include "IPlug/IControl.h"

struct TestControl : IControl
{
  explicit TestControl(IPlugBase* plug, int paramIdx = -1) : IControl(plug, nullptr, paramIdx) {}
  bool Draw(IGraphics*) override { return true; }
};
