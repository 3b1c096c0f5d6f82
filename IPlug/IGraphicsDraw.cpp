// IGraphics: the drawing primitives offered to controls, on the raster layer.

#include "IPlug/IGraphics.h"

#include "IPlug/IParam.h"
#include "raster/Draw.h"
#include "raster/Font.h"

#include "IPlug/BitmapStorage.h"
#include "IPlug/ScaledBitmapIndex.h"
#include "raster/Bitmap.h"

#include <cmath>
#include <string>
#include <vector>

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

// ----- scale -----

void IGraphics::SetScale(double scale)
{
  mScale = scale == 1.5 || scale == 2.0 ? scale : 1.0;
  if (mDrawBitmap) mDrawBitmap->Resize(DeviceWidth(), DeviceHeight());
  SetAllControlsDirty();
}

int IGraphics::ToDevice(int v) const
{
  return mScale == 1.0 ? v : (int) std::floor((double) v * mScale + 0.5);
}

IRECT IGraphics::ToDevice(const IRECT& r) const
{
  return IRECT(ToDevice(r.L), ToDevice(r.T), ToDevice(r.R), ToDevice(r.B));
}

std::string IGraphics::ScaledName(const char* name, double scale)
{
  std::string file = name ? name : "";
  if (scale == 1.0) return file;
  const char* suffix = scale == 1.5 ? "@1.5x" : scale == 2.0 ? "@2x" : "";
  const size_t dot = file.rfind('.');
  const size_t slash = file.rfind('/');
  file.insert(dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : file.size(), suffix);
  return file;
}

bool IGraphics::BlitScaled(raster::Bitmap* src, const IRECT& dest, int srcX, int srcY, const IChannelBlend* blend)
{
  if (!mDrawBitmap || !src) return false;
  const IRECT clip = ToDevice(mDrawRECT);
  const IRECT r = dest.Intersect(&clip);
  if (r.Empty()) return true;
  return raster::Blit(mDrawBitmap, src, r.L, r.T, srcX + (r.L - dest.L), srcY + (r.T - dest.T), r.W(), r.H(),
                      WeightFor(blend), ModeFor(blend));
}

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
  if (mScale != 1.0 && dest)
    return BlitScaled(ScaledSource(bitmap->mData), ToDevice(*dest), ToDevice(srcX), ToDevice(srcY), blend);
  return BlitClipped(bitmap->mData, dest, srcX, srcY, blend);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend)
{
  if (!bitmap) return false;
  if (mScale != 1.0 && dest)
  {
    // Frames are found in the scaled bitmap itself, whose height is N whole frames.
    raster::Bitmap* src = ScaledSource(bitmap->mData);
    int srcY = 0;
    if (src && bitmap->N > 1 && frame > 1) srcY = (int) ((long long) (frame - 1) * src->Height() / bitmap->N);
    return BlitScaled(src, ToDevice(*dest), 0, srcY, blend);
  }
  int srcY = 0;
  if (bitmap->N > 1 && frame > 1) srcY = TruncToInt((double) (frame - 1) * bitmap->H / bitmap->N + 0.5);
  return DrawBitmap(bitmap, dest, 0, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* blend)
{
  if (!mDrawBitmap || !bitmap || !bitmap->mData) return false;
  raster::Bitmap* src = mScale != 1.0 ? ScaledSource(bitmap->mData) : bitmap->mData;
  if (!src) return false;
  const raster::Rect box{ToDevice(destCtrX) - src->Width() / 2, ToDevice(destCtrY) - src->Height() / 2,
                         src->Width(), src->Height()};
  return raster::RotatedBlit(mDrawBitmap, src, box, angle, 0.0, yOffsetZeroDeg * mScale, WeightFor(blend),
                             ModeFor(blend));
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                                const IChannelBlend* blend)
{
  if (!mDrawBitmap || !base || !mask || !top || !base->mData || !mask->mData || !top->mData) return false;
  raster::Bitmap* b = mScale != 1.0 ? ScaledSource(base->mData) : base->mData;
  raster::Bitmap* m = mScale != 1.0 ? ScaledSource(mask->mData) : mask->mData;
  raster::Bitmap* t = mScale != 1.0 ? ScaledSource(top->mData) : top->mData;
  if (!b || !m || !t) return false;
  if (!mTmpBitmap) mTmpBitmap = new LICE_MemBitmap(0, 0);
  if (!mTmpBitmap->Resize(b->Width(), b->Height())) return false;
  const double rad = angle * M_PI / 180.0;
  raster::Blit(mTmpBitmap, b, 0, 0, 0, 0, b->Width(), b->Height(), 1.0f, raster::Mode::Copy);
  raster::RotatedMask(mTmpBitmap, m, 0, 0, rad);
  raster::RotatedBlit(mTmpBitmap, t, raster::Rect{0, 0, t->Width(), t->Height()}, rad, 0.0, 0.0, 1.0f,
                      raster::Mode::Copy);
  if (mScale != 1.0)
    return BlitScaled(mTmpBitmap, IRECT(ToDevice(x), ToDevice(y), ToDevice(x) + b->Width(), ToDevice(y) + b->Height()),
                      0, 0, blend);
  IRECT dest(x, y, x + base->W, y + base->H);
  return BlitClipped(mTmpBitmap, &dest, 0, 0, blend);
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  return raster::Line(mDrawBitmap, ToDevice(Pixel(x1)), ToDevice(Pixel(y1)), ToDevice(Pixel(x2)),
                      ToDevice(Pixel(y2)), PaintFor(color, blend, antiAlias));
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
  return raster::Line(mDrawBitmap, ToDevice(x1), ToDevice(y), ToDevice(x2), ToDevice(y),
                      PaintFor(color, nullptr, false));
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int y1, int y2)
{
  if (!color) return false;
  return raster::Line(mDrawBitmap, ToDevice(x), ToDevice(y1), ToDevice(x), ToDevice(y2),
                      PaintFor(color, nullptr, false));
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
  const IRECT d = ToDevice(*r);
  return raster::FrameRect(mDrawBitmap, RectOf(&d), PaintFor(color, nullptr, false));
}

bool IGraphics::FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend)
{
  if (!color || !r) return false;
  const IRECT d = ToDevice(*r);
  return raster::FillRect(mDrawBitmap, RectOf(&d), PaintFor(color, blend, false));
}

bool IGraphics::RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius,
                          bool antiAlias)
{
  if (!color || !r) return false;
  const IRECT d = ToDevice(*r);
  return raster::RoundRect(mDrawBitmap, RectOf(&d), ToDevice(cornerRadius), PaintFor(color, blend, antiAlias));
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int n, const IChannelBlend* blend)
{
  if (!color) return false;
  if (mScale == 1.0 || !x || !y || n <= 0) return raster::FillConvexPolygon(mDrawBitmap, x, y, n, PaintFor(color, blend, false));
  std::vector<int> dx(x, x + n), dy(y, y + n);
  for (int i = 0; i < n; ++i)
  {
    dx[(size_t) i] = ToDevice(dx[(size_t) i]);
    dy[(size_t) i] = ToDevice(dy[(size_t) i]);
  }
  return raster::FillConvexPolygon(mDrawBitmap, dx.data(), dy.data(), n, PaintFor(color, blend, false));
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
  return raster::Circle(mDrawBitmap, ToDevice(cx), ToDevice(cy), (float) (r * mScale), PaintFor(color, blend, antiAlias));
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color) return false;
  return raster::FillCircle(mDrawBitmap, ToDevice(cx), ToDevice(cy), (float) (r * mScale),
                            PaintFor(color, blend, antiAlias));
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  const float s = (float) mScale;
  return raster::Arc(mDrawBitmap, cx * s, cy * s, r * s, minAngle, maxAngle, PaintFor(color, blend, antiAlias));
}

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  const float s = (float) mScale;
  return raster::BlendPoint(mDrawBitmap, x * s, y * s, PaintFor(color, blend, antiAlias));
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  if (!mDrawBitmap || !color) return false;
  raster::PutPixel(mDrawBitmap, ToDevice(x), ToDevice(y), color->Packed());
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  return IColor::FromPacked(raster::GetPixel(mDrawBitmap, ToDevice(x), ToDevice(y)));
}

bool IGraphics::DrawIText(IText* t, const char* str, IRECT* r)
{
  if (!str || !*str) return true;
  if (!t || !r || !mDrawBitmap) return false;
  // At a scale, the same style at the scaled size: a font of its own in the shared cache.
  IText scaled = *t;
  if (mScale != 1.0)
  {
    scaled.mSize = (int) std::floor(t->mSize * mScale + 0.5);
    scaled.mCached = nullptr;
  }
  raster::Font* font = mScale != 1.0 ? CacheFont(&scaled) : t->mCached ? t->mCached : CacheFont(t);
  if (!font) return false;
  int flags = raster::kTextNoClip;
  switch (t->mAlign)
  {
    case IText::kAlignNear: flags |= raster::kTextLeft; break;
    case IText::kAlignCenter: flags |= raster::kTextCentre; break;
    default: flags |= raster::kTextRight; break;
  }
  if (t->mColor.A < 255) flags |= raster::kTextUseFgAlpha;
  const IRECT d = ToDevice(*r);
  return font->DrawText(mDrawBitmap, str, RectOf(&d), flags, t->mColor.Packed());
}

raster::Bitmap* IGraphics::ScaledSource(raster::Bitmap* base)
{
  if (!base) return nullptr;
  ScaledBitmapIndex& index = ScaledBitmapIndex::Instance();
  if (raster::Bitmap* found = index.Find(base, mScale)) return found;
  // The artwork drawn at the scale, when it is there and its size fits: N frames of the
  // 1x height, each scaled and rounded up.
  const int w = (int) std::ceil(base->Width() * mScale - 1e-9), h = (int) std::ceil(base->Height() * mScale - 1e-9);
  raster::Bitmap* scaled = nullptr;
  const std::string name = index.NameOf(base);
  if (!name.empty()) scaled = OSLoadBitmap(-1, ScaledName(name.c_str(), mScale).c_str());
  if (scaled && (std::abs(scaled->Width() - w) > 1 || std::abs(scaled->Height() - h) > 1))
  {
    delete scaled;
    scaled = nullptr;
  }
  if (!scaled)
  {
    LICE_MemBitmap* stretched = new LICE_MemBitmap(w, h);
    raster::ScaledBlit(stretched, base, raster::Rect{0, 0, w, h}, raster::Rect{0, 0, base->Width(), base->Height()},
                       1.0f, raster::Mode::Copy);
    scaled = stretched;
  }
  BitmapStorage::Instance().Add(scaled, -1);
  index.Add(base, mScale, scaled);
  return scaled;
}
