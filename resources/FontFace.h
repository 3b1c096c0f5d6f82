// A pinned font face for the artwork: found through fontconfig by exact family and
// style, loaded with FreeType, and rendered unhinted so every machine gets the same
// glyph pixels.
#pragma once

#include <cairo.h>
#include <string>

namespace artwork {

class FontFace {
public:
  // Throws std::runtime_error when fontconfig has no face of exactly this family and
  // style: a substitute would silently change the artwork.
  FontFace(const std::string& family, const std::string& style);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  cairo_font_face_t* face() const { return mFace; }
  const std::string& file() const { return mFile; }

  // Glyph options every text draw uses: greyscale antialiasing, no hinting, no
  // hint-rounded metrics, no subpixel order.
  static void applyOptions(cairo_t* cr);

private:
  cairo_font_face_t* mFace = nullptr;
  std::string mFile;
};

} // namespace artwork
