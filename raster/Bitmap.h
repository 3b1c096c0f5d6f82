#pragma once
// 32-bit ARGB bitmaps held in cairo image surfaces. A pixel is one uint32_t in the
// machine's byte order, 0xAARRGGBB, with the colour premultiplied by alpha (cairo's
// format); rows lie RowSpan() pixels apart.

#include <cstdint>

typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;

namespace raster
{

// The largest width or height a bitmap takes (cairo's own limit).
constexpr int kMaxBitmapSide = 32767;

class Bitmap
{
public:
  virtual ~Bitmap();

  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int RowSpan() const { return mRowSpan; } // in pixels

  // New size, every pixel transparent. False (and size 0 x 0) when a side is negative or
  // above kMaxBitmapSide, or memory is short.
  bool Resize(int w, int h);

  // Pixel memory, null while the bitmap is empty. After writing through it, call
  // MarkDirty so that cairo sees the change.
  uint32_t* Bits();
  const uint32_t* Bits() const;
  void MarkDirty();

  // For the drawing functions: the surface, a drawing context kept with the bitmap for
  // drawing into it (callers save and restore its state), and the same pixels seen as
  // opaque, for blits that ignore the source's alpha. All null while the bitmap is
  // empty. Reading a bitmap as a source touches nothing in it.
  cairo_surface_t* Surface() const { return mSurface; }
  cairo_t* Context();
  cairo_surface_t* OpaqueView() const;

protected:
  Bitmap(int w, int h);

private:
  void Release();

  int mWidth = 0;
  int mHeight = 0;
  int mRowSpan = 0;
  cairo_surface_t* mSurface = nullptr;
  cairo_surface_t* mOpaqueView = nullptr;
  cairo_t* mContext = nullptr;
};

} // namespace raster

// A bitmap in memory: loaded images, scaled and cropped copies, work bitmaps.
class LICE_MemBitmap : public raster::Bitmap
{
public:
  explicit LICE_MemBitmap(int w = 0, int h = 0) : Bitmap(w, h) {}
};

// A bitmap the platform can put on screen: the editor's off-screen surface. Its rows are
// packed (RowSpan() == Width()), so a windowing layer can hand the memory over as it is.
class LICE_SysBitmap : public raster::Bitmap
{
public:
  explicit LICE_SysBitmap(int w = 0, int h = 0) : Bitmap(w, h) {}
};
