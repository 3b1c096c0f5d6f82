// IGraphics: the drawing primitives offered to controls, on the raster layer.

#include "IPlug/IGraphics.h"

#include "IPlug/IParam.h"
#include "raster/Draw.h"
#include "raster/Font.h"

#include <cmath>

namespace
{
raster::Mode ModeFor(const IChannelBlend* blend)
{
  if (!blend) return raster::Mode::Copy;
  switch (blend->mMethod)
  {
    case IChannelBlend::kBlendOpaque: return raster::Mode::CopyOpaque;
    case IChannelBlend::kBlendAdd: return raster::Mode::Add;
    case IChannelBlend::kBlendColorDodge: return raster::Mode::ColorDodge;
    default: return raster::Mode::Copy;
  }
}

float WeightFor(const IChannelBlend* blend) { return blend ? blend->mWeight : 1.0f; }

raster::Paint PaintFor(const IColor* color, const IChannelBlend* blend, bool antiAlias)
{
  raster::Paint p;
  p.color = color ? color->Packed() : 0;
  p.weight = WeightFor(blend);
  p.mode = ModeFor(blend);
  p.antiAlias = antiAlias;
  return p;
}

raster::Rect RectOf(const IRECT* r) { return raster::Rect{r->L, r->T, r->W(), r->H()}; }

// Float coordinates to pixels, toward zero; NaN and values beyond int give 0 or the
// int range rather than undefined behaviour.
int Pixel(float v) { return TruncToInt((double) v); }
} // namespace

uint32_t* IGraphics::GetBits() { return mDrawBitmap ? mDrawBitmap->Bits() : nullptr; }

bool IGraphics::BlitClipped(raster::Bitmap* src, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend)
{
  if (!mDrawBitmap || !src || !dest) return false;
  const IRECT r = dest->Intersect(&mDrawRECT);
  if (r.Empty()) return true;
  return raster::Blit(mDrawBitmap, src, r.L, r.T, srcX + (r.L - dest->L), srcY + (r.T - dest->T), r.W(),
                      r.H(), WeightFor(blend), ModeFor(blend));
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend)
{
  if (!bitmap) return false;
  return BlitClipped(bitmap->mData, dest, srcX, srcY, blend);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend)
{
  if (!bitmap) return false;
  int srcY = 0;
  if (bitmap->N > 1 && frame > 1) srcY = TruncToInt((double) (frame - 1) * bitmap->H / bitmap->N + 0.5);
  return DrawBitmap(bitmap, dest, 0, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* blend)
{
  if (!mDrawBitmap || !bitmap || !bitmap->mData) return false;
  const raster::Rect box{destCtrX - bitmap->W / 2, destCtrY - bitmap->H / 2, bitmap->W, bitmap->H};
  return raster::RotatedBlit(mDrawBitmap, bitmap->mData, box, angle, 0.0, yOffsetZeroDeg, WeightFor(blend),
                             ModeFor(blend));
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                                const IChannelBlend* blend)
{
  if (!mDrawBitmap || !base || !mask || !top || !base->mData || !mask->mData || !top->mData) return false;
  if (!mTmpBitmap) mTmpBitmap = new LICE_MemBitmap(0, 0);
  if (!mTmpBitmap->Resize(base->W, base->H)) return false;
  const double rad = angle * M_PI / 180.0;
  raster::Blit(mTmpBitmap, base->mData, 0, 0, 0, 0, base->W, base->H, 1.0f, raster::Mode::Copy);
  raster::RotatedMask(mTmpBitmap, mask->mData, 0, 0, rad);
  raster::RotatedBlit(mTmpBitmap, top->mData, raster::Rect{0, 0, top->W, top->H}, rad, 0.0, 0.0, 1.0f,
                      raster::Mode::Copy);
  IRECT dest(x, y, x + base->W, y + base->H);
  return BlitClipped(mTmpBitmap, &dest, 0, 0, blend);
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  return raster::Line(mDrawBitmap, Pixel(x1), Pixel(y1), Pixel(x2), Pixel(y2),
                      PaintFor(color, blend, antiAlias));
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float innerRadius,
                               float outerRadius, const IChannelBlend* blend, bool antiAlias)
{
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + innerRadius * s, cy - innerRadius * c, cx + outerRadius * s,
                  cy - outerRadius * c, blend, antiAlias);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int x1, int x2)
{
  if (!color) return false;
  return raster::Line(mDrawBitmap, x1, y, x2, y, PaintFor(color, nullptr, false));
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int y1, int y2)
{
  if (!color) return false;
  return raster::Line(mDrawBitmap, x, y1, x, y2, PaintFor(color, nullptr, false));
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* r, float y)
{
  if (!r) return false;
  const float f = std::isnan(y) ? 0.0f : (y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y));
  const int row = r->B - 1 - Pixel(f * (float) (r->H() - 1));
  return DrawHorizontalLine(color, row, r->L, r->R - 1);
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* r, float x)
{
  if (!r) return false;
  const float f = std::isnan(x) ? 0.0f : (x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x));
  const int col = r->L + Pixel(f * (float) (r->W() - 1));
  return DrawVerticalLine(color, col, r->T, r->B - 1);
}

bool IGraphics::DrawRect(const IColor* color, IRECT* r)
{
  if (!color || !r) return false;
  return raster::FrameRect(mDrawBitmap, RectOf(r), PaintFor(color, nullptr, false));
}

bool IGraphics::FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend)
{
  if (!color || !r) return false;
  return raster::FillRect(mDrawBitmap, RectOf(r), PaintFor(color, blend, false));
}

bool IGraphics::RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius,
                          bool antiAlias)
{
  if (!color || !r) return false;
  return raster::RoundRect(mDrawBitmap, RectOf(r), cornerRadius, PaintFor(color, blend, antiAlias));
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int n, const IChannelBlend* blend)
{
  if (!color) return false;
  return raster::FillConvexPolygon(mDrawBitmap, x, y, n, PaintFor(color, blend, false));
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend)
{
  int x[3] = {x1, x2, x3}, y[3] = {y1, y2, y3};
  return FillIConvexPolygon(color, x, y, 3, blend);
}

bool IGraphics::DrawCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color) return false;
  return raster::Circle(mDrawBitmap, cx, cy, r, PaintFor(color, blend, antiAlias));
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color) return false;
  return raster::FillCircle(mDrawBitmap, cx, cy, r, PaintFor(color, blend, antiAlias));
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  return raster::Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, PaintFor(color, blend, antiAlias));
}

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  return raster::BlendPoint(mDrawBitmap, x, y, PaintFor(color, blend, antiAlias));
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  if (!mDrawBitmap || !color) return false;
  raster::PutPixel(mDrawBitmap, x, y, color->Packed());
  return true;
}

IColor IGraphics::GetPoint(int x, int y) { return IColor::FromPacked(raster::GetPixel(mDrawBitmap, x, y)); }

bool IGraphics::DrawIText(IText* t, const char* str, IRECT* r)
{
  if (!str || !*str) return true;
  if (!t || !r || !mDrawBitmap) return false;
  raster::Font* font = t->mCached ? t->mCached : CacheFont(t);
  if (!font) return false;
  int flags = raster::kTextNoClip;
  switch (t->mAlign)
  {
    case IText::kAlignNear: flags |= raster::kTextLeft; break;
    case IText::kAlignCenter: flags |= raster::kTextCentre; break;
    default: flags |= raster::kTextRight; break;
  }
  if (t->mColor.A < 255) flags |= raster::kTextUseFgAlpha;
  return font->DrawText(mDrawBitmap, str, RectOf(r), flags, t->mColor.Packed());
}
