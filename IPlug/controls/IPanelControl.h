#pragma once
// A rectangle filled with one colour.

#include "IPlug/IColor.h"
#include "IPlug/IControl.h"

class IPanelControl : public IControl
{
public:
  IPanelControl(IPlugBase* plug, const IRECT* rect, const IColor* color);
  bool Draw(IGraphics* graphics) override;

private:
  IColor mColor;
};
