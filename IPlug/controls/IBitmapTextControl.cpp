#include "IPlug/controls/IBitmapTextControl.h"

#include "IPlug/IBitmapMonoText.h"

#include <cstring>

IBitmapTextControl::IBitmapTextControl(IPlugBase* plug, const IRECT* rect, const IBitmap* font,
                                       const char* str, const IText* text, int charWidth, int charHeight)
  : IControl(plug, rect), mStr(str ? str : ""), mCharWidth(charWidth), mCharHeight(charHeight),
    mTextBitmap(font ? *font : IBitmap())
{
  if (text) mText = *text;
}

void IBitmapTextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (strcmp(mStr.Get(), str) != 0)
  {
    mStr.Set(str);
    SetDirty(false);
  }
}

bool IBitmapTextControl::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() == 0) return true;
  return DrawBitmapedText(graphics, &mTextBitmap, &mRECT, &mText, &mBlend, mStr.Get(), true, false,
                          mCharWidth, mCharHeight);
}
