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
  if (mBlend.mWeight >= 1.0f) return graphics->DrawIText(&mText, mStr.Get(), &mRECT);
  // A greyed text fades like a greyed bitmap: its opacity times the blend's weight.
  IText faded = mText;
  const float w = mBlend.mWeight > 0.0f ? mBlend.mWeight : 0.0f;
  faded.mColor.A = (int) (mText.mColor.A * w + 0.5f);
  const bool drawn = graphics->DrawIText(&faded, mStr.Get(), &mRECT);
  mText.mCached = faded.mCached; // the font made for the copy serves the original too
  return drawn;
}
