#pragma once
// A text style: face, pixel height, colour, style, alignment, rotation and rendering
// quality, plus the font the graphics context made for it (owned by the font cache).

#include "IPlug/IColor.h"

namespace raster
{
class Font;
}

constexpr int FONT_LEN = 32;

struct IText
{
  enum EStyle
  {
    kStyleNormal = 0,
    kStyleBold = 1,
    kStyleItalic = 2
  };
  enum EAlign
  {
    kAlignNear = 0,
    kAlignCenter = 1,
    kAlignFar = 2
  };
  enum EQuality
  {
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3 // the platform's best: drawn antialiased
  };

  char mFont[FONT_LEN];
  int mSize;
  IColor mColor;
  int mStyle;
  int mAlign;
  int mOrientation; // degrees
  int mQuality;
  raster::Font* mCached = nullptr;

  // A null colour or face gives the default; a face longer than FONT_LEN - 1 is cut.
  explicit IText(int size = 11, const IColor* color = nullptr, const char* font = nullptr,
                 int style = kStyleNormal, int align = kAlignCenter, int orientation = 0,
                 int quality = kQualityDefault);
  explicit IText(const IColor* color);
};
