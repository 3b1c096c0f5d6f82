#pragma once
// A line of text drawn in the control's style, faded by its blend weight when greyed; no
// parameter.

#include "IPlug/IControl.h"
#include "IPlug/WDL/WDL_String.h"

class ITextControl : public IControl
{
public:
  ITextControl(IPlugBase* plug, const IRECT* rect, const IText* text, const char* str = "");

  // Replaces the text, and dirties the control only when it changed.
  void SetTextFromPlug(const char* str);
  void ClearTextFromPlug() { SetTextFromPlug(""); }
  const char* GetTextForPlug() const { return mStr.Get(); }

  bool Draw(IGraphics* graphics) override;

protected:
  WDL_String mStr;
};
