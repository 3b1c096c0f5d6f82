#include "raster/Font.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <cstring>

// Under LeakSanitizer: fontconfig 2.14 loses one 288-byte block while parsing its
// configuration files on first use (a three-line program calling FcConfigSubstitute
// shows it). It is the library's, once per process; this file is linked wherever fonts
// are made, so the suppression comes with it; quietly, since the command-line tools'
// tests expect an empty stderr.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace raster
{
namespace
{
void CopyText(char* dst, const char* src, size_t size) { snprintf(dst, size, "%s", src ? src : ""); }

// Valid UTF-8 passes; any other byte is taken as Latin-1. Cut at a character boundary
// so that out (outSize bytes) always ends in a NUL.
void ToUtf8(const char* in, char* out, size_t outSize)
{
  size_t o = 0;
  const unsigned char* p = (const unsigned char*) in;
  while (*p)
  {
    int len = 0;
    if (p[0] < 0x80)
      len = 1;
    else if (p[0] >= 0xC2 && p[0] <= 0xDF)
      len = 2;
    else if (p[0] >= 0xE0 && p[0] <= 0xEF)
      len = 3;
    else if (p[0] >= 0xF0 && p[0] <= 0xF4)
      len = 4;
    bool valid = len > 0;
    for (int i = 1; valid && i < len; ++i) valid = (p[i] & 0xC0) == 0x80;
    if (valid && len == 3)
    {
      const unsigned c = ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6);
      valid = c >= 0x800 && (c < 0xD800 || c > 0xDFFF);
    }
    if (valid && len == 4)
    {
      const unsigned c = ((p[0] & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12);
      valid = c >= 0x10000 && c <= 0x10FFFF;
    }
    if (valid)
    {
      if (o + len >= outSize) break;
      memcpy(out + o, p, len);
      o += len;
      p += len;
    }
    else
    {
      if (o + 2 >= outSize) break;
      out[o++] = (char) (0xC0 | (p[0] >> 6));
      out[o++] = (char) (0x80 | (p[0] & 0x3F));
      ++p;
    }
  }
  out[o] = 0;
}

cairo_antialias_t AntialiasFor(FontQuality q)
{
  switch (q)
  {
    case FontQuality::NonAntialiased: return CAIRO_ANTIALIAS_NONE;
    case FontQuality::Antialiased: return CAIRO_ANTIALIAS_GRAY;
    default: return CAIRO_ANTIALIAS_DEFAULT;
  }
}
} // namespace

Font::~Font() { Release(); }

void Font::Release()
{
  if (mScaled) cairo_scaled_font_destroy(mScaled);
  mScaled = nullptr;
  mLineHeight = 0;
  mAscent = 0.0;
  mFamily[0] = mFile[0] = 0;
}

bool Font::SetNative(const FontDescription& desc)
{
  Release();
  mDesc = desc;
  mDesc.face[sizeof mDesc.face - 1] = 0;
  if (desc.height <= 0) return false;

  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*) mDesc.face);
  FcPatternAddInteger(pattern, FC_WEIGHT, desc.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, desc.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, desc.height);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;

  FcChar8* s = nullptr;
  if (FcPatternGetString(match, FC_FAMILY, 0, &s) == FcResultMatch)
    CopyText(mFamily, (const char*) s, sizeof mFamily);
  if (FcPatternGetString(match, FC_FILE, 0, &s) == FcResultMatch)
    CopyText(mFile, (const char*) s, sizeof mFile);

  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match); // the face keeps its own reference
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS)
  {
    cairo_font_face_destroy(face);
    Release();
    return false;
  }

  cairo_matrix_t fontMatrix, ctm;
  cairo_matrix_init_scale(&fontMatrix, desc.height, desc.height);
  cairo_matrix_init_identity(&ctm);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, AntialiasFor(desc.quality));
  cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &fontMatrix, &ctm, options);
  if (cairo_scaled_font_status(scaled) == CAIRO_STATUS_SUCCESS)
  {
    // The line height is the upright one, whatever the text direction.
    cairo_font_extents_t e;
    cairo_scaled_font_extents(scaled, &e);
    mLineHeight = (int) std::lround(e.ascent + e.descent);
    mAscent = e.ascent;
    if (desc.escapement != 0)
    {
      cairo_matrix_t rot;
      cairo_matrix_init_rotate(&rot, -desc.escapement * M_PI / 1800.0);
      cairo_matrix_multiply(&fontMatrix, &fontMatrix, &rot);
      cairo_scaled_font_destroy(scaled);
      scaled = cairo_scaled_font_create(face, &fontMatrix, &ctm, options);
    }
  }
  cairo_font_options_destroy(options);
  cairo_font_face_destroy(face);
  if (cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS)
  {
    cairo_scaled_font_destroy(scaled);
    Release();
    return false;
  }
  mScaled = scaled;
  return true;
}

double Font::TextWidth(const char* text) const
{
  if (!mScaled || !text) return 0.0;
  char utf8[kMaxTextBytes + 1];
  ToUtf8(text, utf8, sizeof utf8);
  cairo_text_extents_t e;
  cairo_scaled_font_text_extents(mScaled, utf8, &e);
  return e.x_advance;
}

bool Font::DrawText(Bitmap* dst, const char* text, Rect r, int flags, uint32_t color)
{
  cairo_t* cr = dst ? dst->Context() : nullptr;
  if (!cr || !mScaled) return false;
  if (!text || !*text) return true;
  char utf8[kMaxTextBytes + 1];
  ToUtf8(text, utf8, sizeof utf8);

  cairo_text_extents_t te;
  cairo_scaled_font_text_extents(mScaled, utf8, &te);

  double x = r.x;
  switch (flags & kTextAlignMask)
  {
    case kTextLeft: break;
    case kTextCentre: x = r.x + std::floor((r.w - te.x_advance) * 0.5); break;
    default: x = r.x + r.w - te.x_advance; break;
  }
  const double y = r.y + std::round(mAscent);
  const double a = (flags & kTextUseFgAlpha) ? ((color >> 24) & 255) / 255.0 : 1.0;

  cairo_save(cr);
  if (!(flags & kTextNoClip))
  {
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    cairo_clip(cr);
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_set_source_rgba(cr, ((color >> 16) & 255) / 255.0, ((color >> 8) & 255) / 255.0,
                        (color & 255) / 255.0, a);
  cairo_set_scaled_font(cr, mScaled);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, utf8);
  cairo_restore(cr);
  return true;
}

} // namespace raster
