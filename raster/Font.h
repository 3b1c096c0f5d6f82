#pragma once
// A font for drawing text into bitmaps: a face found through fontconfig (so a requested
// family that is not installed resolves to its closest match, "Arial" to a metric-
// compatible free face) rendered by cairo at a pixel height.

#include "raster/Bitmap.h"
#include "raster/Paint.h"

typedef struct _cairo_scaled_font cairo_scaled_font_t;

namespace raster
{

enum class FontQuality
{
  Default,
  NonAntialiased,
  Antialiased
};

// What a font is made from.
struct FontDescription
{
  int height = 11;    // pixels: the em size the face is scaled to
  int escapement = 0; // text direction, tenths of a degree counter-clockwise
  int weight = 400;   // 400 regular, 700 bold
  bool italic = false;
  FontQuality quality = FontQuality::Default;
  char face[64] = "Arial";
};

// DrawText flags: one horizontal alignment, plus options.
enum TextFlags
{
  kTextLeft = 0,
  kTextCentre = 1,
  kTextRight = 2,
  kTextAlignMask = 3,
  kTextNoClip = 4,    // may draw outside the rectangle
  kTextUseFgAlpha = 8 // the text colour's alpha is the text's opacity; else opaque
};

class Font
{
public:
  Font() = default;
  ~Font();

  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Makes the font, replacing what it held; false (and the font unusable) when
  // fontconfig or cairo cannot make it.
  bool SetNative(const FontDescription& desc);
  bool IsValid() const { return mScaled != nullptr; }

  // Ascent plus descent, rounded to whole pixels; 0 when not valid.
  int LineHeight() const { return mLineHeight; }
  // The advance of text in pixels.
  double TextWidth(const char* text) const;

  // Draws one line of text in color (0xAARRGGBB) with its top at r's top, aligned
  // within r by flags. The colour goes with each call rather than with the font, which
  // editors on different threads may share. Bytes that are not UTF-8 are read as
  // Latin-1, and a text longer than kMaxTextBytes is cut.
  bool DrawText(Bitmap* dst, const char* text, Rect r, int flags, uint32_t color);

  // What fontconfig chose for the requested face.
  const char* Family() const { return mFamily; }
  const char* File() const { return mFile; }
  const FontDescription& Description() const { return mDesc; }

  static constexpr int kMaxTextBytes = 1023;

private:
  void Release();

  FontDescription mDesc;
  cairo_scaled_font_t* mScaled = nullptr;
  int mLineHeight = 0;
  double mAscent = 0.0;
  char mFamily[128] = "";
  char mFile[512] = "";
};

} // namespace raster
