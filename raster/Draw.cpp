#include "raster/Draw.h"

#include <cairo.h>

#include <cmath>

namespace raster
{
namespace
{
cairo_operator_t OperatorFor(Mode mode)
{
  switch (mode)
  {
    case Mode::Add: return CAIRO_OPERATOR_ADD;
    case Mode::ColorDodge: return CAIRO_OPERATOR_COLOR_DODGE;
    default: return CAIRO_OPERATOR_OVER;
  }
}

// The weight as cairo's paint opacity; NaN and negatives paint nothing.
double Opacity(float weight)
{
  if (!(weight > 0.0f)) return 0.0;
  return weight >= 1.0f ? 1.0 : (double) weight;
}

void PaintWeighted(cairo_t* cr, float weight)
{
  const double o = Opacity(weight);
  if (o >= 1.0)
    cairo_paint(cr);
  else if (o > 0.0)
    cairo_paint_with_alpha(cr, o);
}

// Saves the context and sets the paint's operator, colour (with the weight folded into
// its alpha) and antialiasing; the caller builds a path, draws and restores.
cairo_t* BeginShape(Bitmap* dst, const Paint& paint)
{
  cairo_t* cr = dst ? dst->Context() : nullptr;
  if (!cr) return nullptr;
  cairo_save(cr);
  cairo_set_operator(cr, OperatorFor(paint.mode));
  const double a = paint.mode == Mode::CopyOpaque ? 1.0 : ((paint.color >> 24) & 255) / 255.0;
  cairo_set_source_rgba(cr, ((paint.color >> 16) & 255) / 255.0, ((paint.color >> 8) & 255) / 255.0,
                        (paint.color & 255) / 255.0, a * Opacity(paint.weight));
  cairo_set_antialias(cr, paint.antiAlias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  cairo_new_path(cr);
  return cr;
}

bool Stroke(cairo_t* cr)
{
  cairo_stroke(cr);
  cairo_restore(cr);
  return true;
}

bool Fill(cairo_t* cr)
{
  cairo_fill(cr);
  cairo_restore(cr);
  return true;
}

cairo_surface_t* SourceFor(Bitmap* src, Mode mode)
{
  if (!src) return nullptr;
  return mode == Mode::CopyOpaque ? src->OpaqueView() : src->Surface();
}
} // namespace

bool Blit(Bitmap* dst, Bitmap* src, int dstX, int dstY, int srcX, int srcY, int w, int h, float weight,
          Mode mode)
{
  cairo_t* cr = dst ? dst->Context() : nullptr;
  cairo_surface_t* s = SourceFor(src, mode);
  if (!cr || !s) return false;
  if (w <= 0 || h <= 0) return true;
  cairo_save(cr);
  cairo_set_operator(cr, OperatorFor(mode));
  cairo_rectangle(cr, dstX, dstY, w, h);
  cairo_clip(cr);
  cairo_set_source_surface(cr, s, (double) dstX - srcX, (double) dstY - srcY);
  PaintWeighted(cr, weight);
  cairo_restore(cr);
  return true;
}

bool ScaledBlit(Bitmap* dst, Bitmap* src, Rect dstArea, Rect srcArea, float weight, Mode mode)
{
  cairo_t* cr = dst ? dst->Context() : nullptr;
  cairo_surface_t* s = SourceFor(src, mode);
  if (!cr || !s) return false;
  if (dstArea.w <= 0 || dstArea.h <= 0 || srcArea.w <= 0 || srcArea.h <= 0) return true;
  // A sub-surface lets the filter clamp at the area's own edges rather than blend in
  // its neighbours or transparency.
  cairo_surface_t* sub = cairo_surface_create_for_rectangle(s, srcArea.x, srcArea.y, srcArea.w, srcArea.h);
  cairo_save(cr);
  cairo_set_operator(cr, OperatorFor(mode));
  cairo_rectangle(cr, dstArea.x, dstArea.y, dstArea.w, dstArea.h);
  cairo_clip(cr);
  cairo_translate(cr, dstArea.x, dstArea.y);
  cairo_scale(cr, (double) dstArea.w / srcArea.w, (double) dstArea.h / srcArea.h);
  cairo_set_source_surface(cr, sub, 0.0, 0.0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  PaintWeighted(cr, weight);
  cairo_restore(cr);
  cairo_surface_destroy(sub);
  return true;
}

bool RotatedBlit(Bitmap* dst, Bitmap* src, Rect box, double angle, double pivotDx, double pivotDy,
                 float weight, Mode mode)
{
  cairo_t* cr = dst ? dst->Context() : nullptr;
  cairo_surface_t* s = SourceFor(src, mode);
  if (!cr || !s) return false;
  if (box.w <= 0 || box.h <= 0 || !std::isfinite(angle)) return true;
  const double cx = box.x + box.w * 0.5 + pivotDx;
  const double cy = box.y + box.h * 0.5 + pivotDy;
  cairo_save(cr);
  cairo_set_operator(cr, OperatorFor(mode));
  cairo_rectangle(cr, box.x, box.y, box.w, box.h);
  cairo_clip(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, angle);
  cairo_translate(cr, box.x - cx, box.y - cy);
  cairo_scale(cr, (double) box.w / src->Width(), (double) box.h / src->Height());
  cairo_set_source_surface(cr, s, 0.0, 0.0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  PaintWeighted(cr, weight);
  cairo_restore(cr);
  return true;
}

bool RotatedMask(Bitmap* dst, Bitmap* src, int dstX, int dstY, double angle)
{
  cairo_t* cr = dst ? dst->Context() : nullptr;
  cairo_surface_t* s = src ? src->Surface() : nullptr;
  if (!cr || !s) return false;
  if (!std::isfinite(angle)) return true;
  const double cx = dstX + src->Width() * 0.5;
  const double cy = dstY + src->Height() * 0.5;
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_DEST_IN);
  cairo_rectangle(cr, dstX, dstY, src->Width(), src->Height());
  cairo_clip(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, angle);
  cairo_translate(cr, dstX - cx, dstY - cy);
  cairo_set_source_surface(cr, s, 0.0, 0.0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_paint(cr);
  cairo_restore(cr);
  return true;
}

bool Line(Bitmap* dst, double x1, double y1, double x2, double y2, const Paint& paint)
{
  cairo_t* cr = BeginShape(dst, paint);
  if (!cr) return false;
  // Square caps reach half a pixel past each centre, so both end pixels are covered and
  // a line of length 0 is a single pixel.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  cairo_move_to(cr, x1 + 0.5, y1 + 0.5);
  cairo_line_to(cr, x2 + 0.5, y2 + 0.5);
  return Stroke(cr);
}

bool FillRect(Bitmap* dst, Rect r, const Paint& paint)
{
  cairo_t* cr = BeginShape(dst, paint);
  if (!cr) return false;
  if (r.w > 0 && r.h > 0) cairo_rectangle(cr, r.x, r.y, r.w, r.h);
  return Fill(cr);
}

bool FrameRect(Bitmap* dst, Rect r, const Paint& paint)
{
  cairo_t* cr = BeginShape(dst, paint);
  if (!cr) return false;
  if (r.w > 0 && r.h > 0)
  {
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    if (r.w > 2 && r.h > 2) cairo_rectangle(cr, r.x + 1, r.y + 1, r.w - 2, r.h - 2);
  }
  return Fill(cr);
}

bool RoundRect(Bitmap* dst, Rect r, double radius, const Paint& paint)
{
  cairo_t* cr = BeginShape(dst, paint);
  if (!cr) return false;
  if (r.w > 0 && r.h > 0)
  {
    const double x0 = r.x + 0.5, y0 = r.y + 0.5, x1 = r.x + r.w - 0.5, y1 = r.y + r.h - 0.5;
    const double limit = 0.5 * std::fmin(x1 - x0, y1 - y0);
    const double rr = !(radius > 0.0) ? 0.0 : (radius > limit ? limit : radius);
    const double q = M_PI / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x1 - rr, y0 + rr, rr, -q, 0.0);
    cairo_arc(cr, x1 - rr, y1 - rr, rr, 0.0, q);
    cairo_arc(cr, x0 + rr, y1 - rr, rr, q, 2 * q);
    cairo_arc(cr, x0 + rr, y0 + rr, rr, 2 * q, 3 * q);
    cairo_close_path(cr);
  }
  return Stroke(cr);
}

bool FillConvexPolygon(Bitmap* dst, const int* x, const int* y, int n, const Paint& paint)
{
  cairo_t* cr = BeginShape(dst, paint);
  if (!cr) return false;
  if (x && y && n >= 3)
  {
    cairo_move_to(cr, x[0] + 0.5, y[0] + 0.5);
    for (int i = 1; i < n; ++i) cairo_line_to(cr, x[i] + 0.5, y[i] + 0.5);
    cairo_close_path(cr);
  }
  return Fill(cr);
}

bool Circle(Bitmap* dst, double cx, double cy, double r, const Paint& paint)
{
  cairo_t* cr = BeginShape(dst, paint);
  if (!cr) return false;
  if (r > 0.0) cairo_arc(cr, cx + 0.5, cy + 0.5, r, 0.0, 2 * M_PI);
  return Stroke(cr);
}

bool FillCircle(Bitmap* dst, double cx, double cy, double r, const Paint& paint)
{
  cairo_t* cr = BeginShape(dst, paint);
  if (!cr) return false;
  if (r > 0.0) cairo_arc(cr, cx + 0.5, cy + 0.5, r, 0.0, 2 * M_PI);
  return Fill(cr);
}

bool Arc(Bitmap* dst, double cx, double cy, double r, double minAngle, double maxAngle, const Paint& paint)
{
  cairo_t* cr = BeginShape(dst, paint);
  if (!cr) return false;
  if (r > 0.0 && std::isfinite(minAngle) && std::isfinite(maxAngle))
    cairo_arc(cr, cx + 0.5, cy + 0.5, r, minAngle - M_PI / 2, maxAngle - M_PI / 2);
  return Stroke(cr);
}

bool BlendPoint(Bitmap* dst, double x, double y, const Paint& paint)
{
  cairo_t* cr = BeginShape(dst, paint);
  if (!cr) return false;
  if (paint.antiAlias)
    cairo_rectangle(cr, x, y, 1.0, 1.0);
  else
    cairo_rectangle(cr, std::floor(x), std::floor(y), 1.0, 1.0);
  return Fill(cr);
}

uint32_t GetPixel(const Bitmap* bmp, int x, int y)
{
  if (!bmp || x < 0 || y < 0 || x >= bmp->Width() || y >= bmp->Height()) return 0;
  const uint32_t* bits = bmp->Bits();
  if (!bits) return 0;
  const uint32_t p = bits[(long) y * bmp->RowSpan() + x];
  const uint32_t a = p >> 24;
  if (a == 0) return 0;
  if (a == 255) return p;
  auto un = [a](uint32_t c) { return (c * 255 + a / 2) / a; };
  return (a << 24) | (un((p >> 16) & 255) << 16) | (un((p >> 8) & 255) << 8) | un(p & 255);
}

void PutPixel(Bitmap* bmp, int x, int y, uint32_t argb)
{
  if (!bmp || x < 0 || y < 0 || x >= bmp->Width() || y >= bmp->Height()) return;
  uint32_t* bits = bmp->Bits();
  if (!bits) return;
  const uint32_t a = argb >> 24;
  auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
  bits[(long) y * bmp->RowSpan() + x] =
      (a << 24) | (pre((argb >> 16) & 255) << 16) | (pre((argb >> 8) & 255) << 8) | pre(argb & 255);
  bmp->MarkDirty();
}

} // namespace raster
