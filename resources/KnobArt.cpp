#include "resources/KnobArt.h"

#include "resources/Inset.h"
#include "resources/Palette.h"

#include <cmath>

namespace artwork {

using layout::KnobKind;

namespace {

constexpr double kRingR = 15.0, kRingWidth = 2.5;
constexpr double kCapR = 12.0;
constexpr double kTickIn = 18.0, kTickOut = 20.0, kMajorOut = 21.0;

double rad(double degFromUp) { return (degFromUp - 90.0) * M_PI / 180.0; }

void arc(cairo_t* cr, double cx, double cy, double r, double fromDeg, double toDeg) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, rad(fromDeg), rad(toDeg));
}

} // namespace

double knobOriginAngle(KnobKind kind) {
  switch (kind) {
  case KnobKind::Pos: return -135.0;
  case KnobKind::Neg: return 135.0;
  case KnobKind::Mid: return 0.0;
  case KnobKind::IoGain: return -135.0 + 270.0 * (60.0 / 90.0);
  }
  return -135.0;
}

Colour knobAccent(KnobKind kind) {
  switch (kind) {
  case KnobKind::Pos: return palette::eqAccent;
  case KnobKind::Neg: return palette::dynAccent;
  case KnobKind::Mid: return palette::gainAccent;
  case KnobKind::IoGain: return palette::ioAccent;
  }
  return palette::eqAccent;
}

void drawKnobFrame(const ArtCanvas& c, KnobKind kind, double t) {
  cairo_t* cr = c.cr();
  const double cx = layout::kKnobCx, cy = layout::kKnobCy;
  const double angle = -135.0 + 270.0 * t;
  const double origin = knobOriginAngle(kind);
  const Colour accent = knobAccent(kind);

  // Value ring: a dark groove over the whole travel, lit from the origin to the value.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_width(cr, kRingWidth + 0.5);
  c.setSource(palette::track);
  arc(cr, cx, cy, kRingR, -135.0, 135.0);
  cairo_stroke(cr);
  double from = std::min(origin, angle), to = std::max(origin, angle);
  if (to - from > 0.01) {
    // The whole ring, cut to a wedge from the origin to the value: the ring's outline
    // is the same in every frame, so the lit part only ever grows with the turn.
    cairo_save(cr);
    cairo_move_to(cr, cx, cy);
    cairo_arc(cr, cx, cy, 2 * kRingR, rad(from), rad(to));
    cairo_close_path(cr);
    cairo_clip(cr);
    cairo_set_line_width(cr, kRingWidth);
    c.setSource(accent);
    arc(cr, cx, cy, kRingR, -135.0, 135.0);
    cairo_stroke(cr);
    cairo_restore(cr);
  }

  // Cap: a soft shadow, a body lit from above, a dark rim and a slightly dished face.
  c.fillCircle(cx, cy + 1.0, kCapR + 0.8, Colour::rgb(0x000000, 0.55));
  cairo_pattern_t* body = cairo_pattern_create_linear(0, cy - kCapR, 0, cy + kCapR);
  cairo_pattern_add_color_stop_rgb(body, 0, palette::capHigh.r, palette::capHigh.g, palette::capHigh.b);
  cairo_pattern_add_color_stop_rgb(body, 1, palette::capLow.r, palette::capLow.g, palette::capLow.b);
  cairo_set_source(cr, body);
  cairo_arc(cr, cx, cy, kCapR, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(body);

  cairo_pattern_t* face = cairo_pattern_create_linear(0, cy - kCapR, 0, cy + kCapR);
  Colour faceTop = palette::capLow.mix(palette::capHigh, 0.35);
  Colour faceBottom = palette::capLow.mix(palette::capHigh, 0.6);
  cairo_pattern_add_color_stop_rgb(face, 0, faceTop.r, faceTop.g, faceTop.b);
  cairo_pattern_add_color_stop_rgb(face, 1, faceBottom.r, faceBottom.g, faceBottom.b);
  cairo_set_source(cr, face);
  cairo_arc(cr, cx, cy, kCapR - 2.0, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(face);

  cairo_set_line_width(cr, 1.0);
  c.setSource(palette::capEdge);
  cairo_arc(cr, cx, cy, kCapR - 0.5, 0, 2 * M_PI);
  cairo_stroke(cr);

  // Pointer.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 2.0);
  c.setSource(palette::pointer);
  double s = std::sin(angle * M_PI / 180.0), k = -std::cos(angle * M_PI / 180.0);
  cairo_move_to(cr, cx + s * 3.5, cy + k * 3.5);
  cairo_line_to(cr, cx + s * (kCapR - 1.8), cy + k * (kCapR - 1.8));
  cairo_stroke(cr);
}

void drawKnobFilmstrip(const ArtCanvas& c, KnobKind kind) {
  for (int i = 0; i < layout::kKnobFrames; ++i) {
    cairo_save(c.cr());
    cairo_translate(c.cr(), 0, i * layout::kKnobH);
    cairo_rectangle(c.cr(), 0, 0, layout::kKnobW, layout::kKnobH);
    cairo_clip(c.cr());
    drawKnobFrame(c, kind, i / double(layout::kKnobFrames - 1));
    cairo_restore(c.cr());
  }
}

void drawKnobScale(const ArtCanvas& c, const layout::KnobSpot& k, double x, double y) {
  cairo_t* cr = c.cr();
  const double cx = x + layout::kKnobCx, cy = y + layout::kKnobCy;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  for (double v : c.markings() ? k.scale.ticks : std::vector<double>{}) {
    // An end with a number needs no tick: the number marks it.
    if ((v == k.scale.min && !k.scale.lo.empty()) || (v == k.scale.max && !k.scale.hi.empty()))
      continue;
    bool major = false;
    for (double m : k.scale.majors)
      major = major || std::fabs(m - v) < 1e-9;
    double a = k.scale.angleOf(v) * M_PI / 180.0;
    double s = std::sin(a), co = -std::cos(a);
    double out = major ? kMajorOut : kTickOut;
    cairo_set_line_width(cr, major ? 1.2 : 1.0);
    c.setSource(major ? palette::tickMajor : palette::tick);
    cairo_move_to(cr, cx + s * kTickIn, cy + co * kTickIn);
    cairo_line_to(cr, cx + s * out, cy + co * out);
    cairo_stroke(cr);
  }
  const Type scaleType{false, 7, 0};
  c.text(k.scale.lo, cx - 11.0, cy + 19.0, scaleType, palette::scaleText, Align::Right);
  c.text(k.scale.hi, cx + 11.0, cy + 19.0, scaleType, palette::scaleText, Align::Left);

  if (k.label.empty())
    return;
  const Type nameType{true, 7.5, 0.7};
  switch (k.labelAt) {
  case layout::LabelAt::Above:
    c.text(k.label, cx, y - 3.0, nameType, palette::label, Align::Centre);
    break;
  case layout::LabelAt::Left:
    c.text(k.label, x - 3.0, cy + 3.0, nameType, palette::label, Align::Right);
    break;
  case layout::LabelAt::Right:
    c.text(k.label, x + layout::kKnobW + 3.0, cy + 3.0, nameType, palette::label, Align::Left);
    break;
  }
}

void drawReadout(const ArtCanvas& c, double x, double y) {
  const layout::Rect& r = layout::kReadout;
  drawInset(c, x + r.x, y + r.y, r.w, r.h, palette::well);
}

} // namespace artwork
