#include "IPlug/controls/IPanelControl.h"

#include "IPlug/IGraphics.h"

IPanelControl::IPanelControl(IPlugBase* plug, const IRECT* rect, const IColor* color)
  : IControl(plug, rect), mColor(color ? *color : COLOR_BLACK)
{
}

bool IPanelControl::Draw(IGraphics* graphics) { return graphics->FillIRect(&mColor, &mRECT, &mBlend); }
