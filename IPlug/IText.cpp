#include "IPlug/IText.h"

#include <cstdio>

IText::IText(int size, const IColor* color, const char* font, int style, int align, int orientation,
             int quality)
  : mSize(size), mColor(color ? *color : DEFAULT_TEXT_COLOR), mStyle(style), mAlign(align),
    mOrientation(orientation), mQuality(quality)
{
  snprintf(mFont, sizeof mFont, "%s", font ? font : "Arial");
}

IText::IText(const IColor* color) : IText(11, color) {}
