#include "IPlug/controls/ITextControl.h"

#include "IPlug/IGraphics.h"

#include <cstring>

ITextControl::ITextControl(IPlugBase* plug, const IRECT* rect, const IText* text, const char* str)
  : IControl(plug, rect), mStr(str ? str : "")
{
  if (text) mText = *text;
}

void ITextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (strcmp(mStr.Get(), str) != 0)
  {
    mStr.Set(str);
    SetDirty(false);
  }
}

bool ITextControl::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() == 0) return true;
  return graphics->DrawIText(&mText, mStr.Get(), &mRECT);
}
