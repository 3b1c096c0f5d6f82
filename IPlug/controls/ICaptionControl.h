#pragma once
// Text showing a parameter's present value in its own units or display text, optionally
// followed by a space and its unit label. A left or right press, or a double click,
// prompts for a new value.

#include "IPlug/controls/ITextControl.h"

class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IPlugBase* plug, const IRECT* rect, int paramIdx, const IText* text,
                  bool showParamLabel = true);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  // Formats the parameter afresh on every draw, whatever the control's own value.
  bool Draw(IGraphics* graphics) override;

protected:
  bool mShowParamLabel;
};
