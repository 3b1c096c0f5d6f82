#pragma once
// Text drawn from a bitmap font: a filmstrip with one glyph per frame, frame 1 for the
// space and the following frames for the character codes upward.

#include "IPlug/IBitmap.h"
#include "IPlug/IControl.h"
#include "IPlug/WDL/WDL_String.h"

class IBitmapTextControl : public IControl
{
public:
  IBitmapTextControl(IPlugBase* plug, const IRECT* rect, const IBitmap* font, const char* str = "",
                     const IText* text = nullptr, int charWidth = 6, int charHeight = 12);

  // Replaces the text, and dirties the control only when it changed.
  void SetTextFromPlug(const char* str);
  void ClearTextFromPlug() { SetTextFromPlug(""); }
  const char* GetTextForPlug() const { return mStr.Get(); }

  // One line, centred vertically; see DrawBitmapedText.
  bool Draw(IGraphics* graphics) override;

protected:
  WDL_String mStr;
  int mCharWidth, mCharHeight;
  IBitmap mTextBitmap;
};
