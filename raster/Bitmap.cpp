#include "raster/Bitmap.h"

#include <cairo.h>

namespace raster
{

Bitmap::Bitmap(int w, int h) { Resize(w, h); }

Bitmap::~Bitmap() { Release(); }

void Bitmap::Release()
{
  if (mContext) cairo_destroy(mContext);
  if (mOpaqueView) cairo_surface_destroy(mOpaqueView);
  if (mSurface) cairo_surface_destroy(mSurface);
  mContext = nullptr;
  mOpaqueView = nullptr;
  mSurface = nullptr;
  mWidth = mHeight = mRowSpan = 0;
}

bool Bitmap::Resize(int w, int h)
{
  Release();
  if (w < 0 || h < 0 || w > kMaxBitmapSide || h > kMaxBitmapSide) return false;
  if (w == 0 || h == 0)
  {
    mWidth = w;
    mHeight = h;
    return true;
  }
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS)
  {
    cairo_surface_destroy(s);
    return false;
  }
  // Made now rather than on first use: a cached bitmap is a blit source for every
  // editor in the process, whichever thread draws them.
  cairo_surface_t* v = cairo_image_surface_create_for_data(
      cairo_image_surface_get_data(s), CAIRO_FORMAT_RGB24, w, h, cairo_image_surface_get_stride(s));
  if (cairo_surface_status(v) != CAIRO_STATUS_SUCCESS)
  {
    cairo_surface_destroy(v);
    cairo_surface_destroy(s);
    return false;
  }
  mSurface = s; // cairo clears a new image surface
  mOpaqueView = v;
  mWidth = w;
  mHeight = h;
  mRowSpan = cairo_image_surface_get_stride(s) / 4;
  return true;
}

uint32_t* Bitmap::Bits()
{
  if (!mSurface) return nullptr;
  cairo_surface_flush(mSurface);
  return (uint32_t*) cairo_image_surface_get_data(mSurface);
}

const uint32_t* Bitmap::Bits() const
{
  if (!mSurface) return nullptr;
  cairo_surface_flush(mSurface);
  return (const uint32_t*) cairo_image_surface_get_data(mSurface);
}

void Bitmap::MarkDirty()
{
  if (mSurface) cairo_surface_mark_dirty(mSurface);
}

cairo_t* Bitmap::Context()
{
  if (!mSurface) return nullptr;
  if (mContext && cairo_status(mContext) != CAIRO_STATUS_SUCCESS)
  {
    cairo_destroy(mContext); // a context in error draws nothing more; start afresh
    mContext = nullptr;
  }
  if (!mContext) mContext = cairo_create(mSurface);
  return mContext;
}

cairo_surface_t* Bitmap::OpaqueView() const { return mOpaqueView; }

} // namespace raster
