#include "resources/FontFace.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>

namespace artwork {
namespace {

// One FreeType library for the process; each face keeps a reference so the library
// outlives every face cairo still holds.
struct FtLib {
  FT_Library lib = nullptr;
  int refs = 0;
};
FtLib gFt;

void releaseFace(void* p) {
  FT_Done_Face(static_cast<FT_Face>(p));
  if (--gFt.refs == 0) {
    FT_Done_FreeType(gFt.lib);
    gFt.lib = nullptr;
  }
}

const cairo_user_data_key_t kFaceKey{};

std::string matchFile(const std::string& family, const std::string& style) {
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pat, FC_STYLE, reinterpret_cast<const FcChar8*>(style.c_str()));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  FcPatternDestroy(pat);
  std::string file;
  bool exact = false;
  if (match) {
    FcChar8* fam = nullptr;
    FcChar8* sty = nullptr;
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch &&
        FcPatternGetString(match, FC_STYLE, 0, &sty) == FcResultMatch &&
        FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
      exact = family == reinterpret_cast<const char*>(fam) &&
              style == reinterpret_cast<const char*>(sty);
      file = reinterpret_cast<const char*>(path);
    }
    FcPatternDestroy(match);
  }
  if (!exact)
    throw std::runtime_error("font \"" + family + " " + style +
                             "\" not found by fontconfig (install fonts-liberation2)");
  return file;
}

} // namespace

FontFace::FontFace(const std::string& family, const std::string& style)
    : mFile(matchFile(family, style)) {
  if (!gFt.lib && FT_Init_FreeType(&gFt.lib) != 0)
    throw std::runtime_error("FreeType cannot start");
  FT_Face ft = nullptr;
  if (FT_New_Face(gFt.lib, mFile.c_str(), 0, &ft) != 0) {
    if (gFt.refs == 0) {
      FT_Done_FreeType(gFt.lib);
      gFt.lib = nullptr;
    }
    throw std::runtime_error("cannot load font file " + mFile);
  }
  ++gFt.refs;
  mFace = cairo_ft_font_face_create_for_ft_face(ft, FT_LOAD_NO_HINTING | FT_LOAD_NO_AUTOHINT);
  if (cairo_font_face_set_user_data(mFace, &kFaceKey, ft, releaseFace) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(mFace);
    releaseFace(ft);
    throw std::runtime_error("cairo cannot hold font " + mFile);
  }
}

FontFace::~FontFace() { cairo_font_face_destroy(mFace); }

void FontFace::applyOptions(cairo_t* cr) {
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_subpixel_order(o, CAIRO_SUBPIXEL_ORDER_DEFAULT);
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, o);
  cairo_font_options_destroy(o);
}

} // namespace artwork
