// A cairo image surface in logical editor pixels: everything is drawn at 1x
// coordinates and the surface is scale times larger, so a 2x set has the same layout
// in twice the pixels (1.5x: one and a half, sizes rounded up).
#pragma once

#include "resources/Colour.h"
#include "resources/Typefaces.h"

#include <cairo.h>
#include <cmath>
#include <string>

namespace artwork {

enum class Align { Left, Centre, Right };

// How a piece of text is set: face, size in logical pixels, extra space after each
// character (letter-spacing for small capitals).
struct Type {
  bool bold = false;
  double size = 8;
  double tracking = 0;
};

class ArtCanvas {
public:
  ArtCanvas(const Typefaces& faces, int width, int height, double scale);
  ~ArtCanvas();
  ArtCanvas(const ArtCanvas&) = delete;
  ArtCanvas& operator=(const ArtCanvas&) = delete;

  cairo_t* cr() const { return mCr; }
  cairo_surface_t* surface() const { return mSurface; }
  int width() const { return mWidth; }
  int height() const { return mHeight; }
  double scale() const { return mScale; }
  // A length in logical pixels as whole pixels at the scale, rounded up.
  static int deviceSize(int logical, double scale) { return int(std::ceil(logical * scale - 1e-9)); }

  void setSource(const Colour& c) const;
  void fillRect(double x, double y, double w, double h, const Colour& c) const;
  // A one-pixel outline lying inside (x, y, w, h).
  void strokeRect(double x, double y, double w, double h, const Colour& c) const;
  void roundRectPath(double x, double y, double w, double h, double r) const;
  void fillRoundRect(double x, double y, double w, double h, double r, const Colour& c) const;
  void fillCircle(double cx, double cy, double r, const Colour& c) const;

  // Markings are the texts, ticks and rules printed on a surface. A canvas drawn
  // without them shows what lies under them, so the two can be told apart.
  void setMarkings(bool on) { mMarkings = on; }
  bool markings() const { return mMarkings; }
  // A filled rectangle that is a marking (a tick or a rule).
  void markRect(double x, double y, double w, double h, const Colour& c) const {
    if (mMarkings)
      fillRect(x, y, w, h, c);
  }

  // Text with its baseline at y, snapped to the device pixel grid; a marking.
  void text(const std::string& s, double x, double y, const Type& t, const Colour& c,
            Align align = Align::Left) const;
  double textWidth(const std::string& s, const Type& t) const;

  // Lamp: a round indicator, dark when off, glowing in colour when on.
  void lamp(double cx, double cy, double r, const Colour& colour, bool on) const;

  void writePng(const std::string& path) const; // throws std::runtime_error

private:
  void selectType(const Type& t) const;

  const Typefaces& mFaces;
  int mWidth, mHeight;
  double mScale;
  bool mMarkings = true;
  cairo_surface_t* mSurface = nullptr;
  cairo_t* mCr = nullptr;
};

} // namespace artwork
