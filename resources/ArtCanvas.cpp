#include "resources/ArtCanvas.h"

#include <cmath>
#include <stdexcept>

namespace artwork {

ArtCanvas::ArtCanvas(const Typefaces& faces, int width, int height, double scale)
    : mFaces(faces), mWidth(width), mHeight(height), mScale(scale) {
  if (width <= 0 || height <= 0 || !(scale >= 1.0) || scale > 4.0)
    throw std::runtime_error("bad canvas size");
  // A fractional scale rounds a size up; every frame of a filmstrip is an even number of
  // logical pixels high, so frames still start on whole pixels at 1.5x.
  mSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, deviceSize(width, scale),
                                        deviceSize(height, scale));
  mCr = cairo_create(mSurface);
  cairo_scale(mCr, scale, scale);
  FontFace::applyOptions(mCr);
}

ArtCanvas::~ArtCanvas() {
  cairo_destroy(mCr);
  cairo_surface_destroy(mSurface);
}

void ArtCanvas::setSource(const Colour& c) const { cairo_set_source_rgba(mCr, c.r, c.g, c.b, c.a); }

void ArtCanvas::fillRect(double x, double y, double w, double h, const Colour& c) const {
  setSource(c);
  cairo_rectangle(mCr, x, y, w, h);
  cairo_fill(mCr);
}

void ArtCanvas::strokeRect(double x, double y, double w, double h, const Colour& c) const {
  // Four bands of one logical pixel, so the outline is crisp at any scale.
  fillRect(x, y, w, 1, c);
  fillRect(x, y + h - 1, w, 1, c);
  fillRect(x, y + 1, 1, h - 2, c);
  fillRect(x + w - 1, y + 1, 1, h - 2, c);
}

void ArtCanvas::roundRectPath(double x, double y, double w, double h, double r) const {
  const double d = M_PI / 180.0;
  cairo_new_sub_path(mCr);
  cairo_arc(mCr, x + w - r, y + r, r, -90 * d, 0);
  cairo_arc(mCr, x + w - r, y + h - r, r, 0, 90 * d);
  cairo_arc(mCr, x + r, y + h - r, r, 90 * d, 180 * d);
  cairo_arc(mCr, x + r, y + r, r, 180 * d, 270 * d);
  cairo_close_path(mCr);
}

void ArtCanvas::fillRoundRect(double x, double y, double w, double h, double r, const Colour& c) const {
  setSource(c);
  roundRectPath(x, y, w, h, r);
  cairo_fill(mCr);
}

void ArtCanvas::fillCircle(double cx, double cy, double r, const Colour& c) const {
  setSource(c);
  cairo_new_sub_path(mCr);
  cairo_arc(mCr, cx, cy, r, 0, 2 * M_PI);
  cairo_fill(mCr);
}

void ArtCanvas::selectType(const Type& t) const {
  cairo_set_font_face(mCr, t.bold ? mFaces.bold().face() : mFaces.regular().face());
  cairo_set_font_size(mCr, t.size);
}

double ArtCanvas::textWidth(const std::string& s, const Type& t) const {
  selectType(t);
  double w = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    char one[2] = {s[i], 0};
    cairo_text_extents_t e;
    cairo_text_extents(mCr, one, &e);
    w += e.x_advance + (i + 1 < s.size() ? t.tracking : 0);
  }
  return w;
}

void ArtCanvas::text(const std::string& s, double x, double y, const Type& t, const Colour& c,
                     Align align) const {
  if (!mMarkings)
    return;
  double w = textWidth(s, t);
  if (align == Align::Centre)
    x -= w / 2;
  else if (align == Align::Right)
    x -= w;
  // Snap the start and the baseline to device pixels: unhinted glyphs stay sharp
  // only where their outlines meet the grid the same way on every build.
  x = std::round(x * mScale) / mScale;
  y = std::round(y * mScale) / mScale;
  selectType(t);
  setSource(c);
  for (char ch : s) {
    char one[2] = {ch, 0};
    // Each glyph starts on a device pixel, so equal letters look equal.
    cairo_move_to(mCr, std::round(x * mScale) / mScale, y);
    cairo_show_text(mCr, one);
    cairo_text_extents_t e;
    cairo_text_extents(mCr, one, &e);
    x += e.x_advance + t.tracking;
  }
}

void ArtCanvas::lamp(double cx, double cy, double r, const Colour& colour, bool on) const {
  if (on) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r * 2.4);
    cairo_pattern_add_color_stop_rgba(glow, 0, colour.r, colour.g, colour.b, 0.55);
    cairo_pattern_add_color_stop_rgba(glow, 1, colour.r, colour.g, colour.b, 0.0);
    cairo_set_source(mCr, glow);
    cairo_arc(mCr, cx, cy, r * 2.4, 0, 2 * M_PI);
    cairo_fill(mCr);
    cairo_pattern_destroy(glow);
    fillCircle(cx, cy, r, colour);
    fillCircle(cx - r * 0.25, cy - r * 0.25, r * 0.45, colour.mix(Colour::rgb(0xffffff), 0.6));
  } else {
    fillCircle(cx, cy, r + 0.5, Colour::rgb(0x050607));
    fillCircle(cx, cy, r - 0.5, colour.mix(Colour::rgb(0x1a1c20), 0.82));
  }
}

void ArtCanvas::writePng(const std::string& path) const {
  cairo_surface_flush(mSurface);
  if (cairo_surface_write_to_png(mSurface, path.c_str()) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot write " + path);
}

} // namespace artwork
