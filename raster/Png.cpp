#include "raster/Png.h"

#include <png.h>

#include <cstring>
#include <memory>
#include <new>

namespace
{
// 8-bit channels in memory order that read as one 0xAARRGGBB word on this machine.
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr png_uint_32 kWordFormat = PNG_FORMAT_ARGB;
#else
constexpr png_uint_32 kWordFormat = PNG_FORMAT_BGRA;
#endif
} // namespace

LICE_MemBitmap* LICE_LoadPNG(const char* path)
{
  if (!path || !*path) return nullptr;
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  // Reads the signature and header only; libpng reports damage through the return value.
  if (!png_image_begin_read_from_file(&image, path)) return nullptr;
  const long w = image.width, h = image.height;
  if (w <= 0 || h <= 0 || w > raster::kMaxBitmapSide || h > raster::kMaxBitmapSide ||
      w * h > raster::kMaxPngPixels)
  {
    png_image_free(&image);
    return nullptr;
  }
  std::unique_ptr<LICE_MemBitmap> bmp(new LICE_MemBitmap((int) w, (int) h));
  uint32_t* bits = bmp->Bits();
  if (!bits || bmp->Width() != w)
  {
    png_image_free(&image);
    return nullptr;
  }
  image.format = kWordFormat;
  // The row stride is counted in components: four per pixel.
  if (!png_image_finish_read(&image, nullptr, bits, bmp->RowSpan() * 4, nullptr))
  {
    png_image_free(&image);
    return nullptr;
  }
  // libpng gives straight alpha; the bitmaps hold premultiplied colour.
  for (long y = 0; y < h; ++y)
  {
    uint32_t* row = bits + y * bmp->RowSpan();
    for (long x = 0; x < w; ++x)
    {
      const uint32_t p = row[x], a = p >> 24;
      if (a == 255) continue;
      auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
      row[x] = (a << 24) | (pre((p >> 16) & 255) << 16) | (pre((p >> 8) & 255) << 8) | pre(p & 255);
    }
  }
  bmp->MarkDirty();
  return bmp.release();
}

namespace raster
{
namespace
{
// The bitmap's pixels with straight alpha, as PNG keeps them; null when it has none.
std::unique_ptr<uint32_t[]> Straight(const Bitmap* bmp)
{
  if (!bmp || bmp->Width() <= 0 || bmp->Height() <= 0) return nullptr;
  const uint32_t* bits = bmp->Bits();
  if (!bits) return nullptr;
  const int w = bmp->Width(), h = bmp->Height();
  std::unique_ptr<uint32_t[]> straight(new (std::nothrow) uint32_t[(size_t) w * h]);
  if (!straight) return nullptr;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const uint32_t p = bits[(long) y * bmp->RowSpan() + x], a = p >> 24;
      uint32_t out = 0;
      if (a == 255)
        out = p;
      else if (a > 0)
      {
        auto un = [a](uint32_t c) { return (c * 255 + a / 2) / a; };
        out = (a << 24) | (un((p >> 16) & 255) << 16) | (un((p >> 8) & 255) << 8) | un(p & 255);
      }
      straight[(size_t) y * w + x] = out;
    }
  return straight;
}

void Describe(png_image* image, const Bitmap* bmp)
{
  memset(image, 0, sizeof *image);
  image->version = PNG_IMAGE_VERSION;
  image->width = (png_uint_32) bmp->Width();
  image->height = (png_uint_32) bmp->Height();
  image->format = kWordFormat;
}
} // namespace

bool WritePNG(const Bitmap* bmp, const char* path)
{
  if (!path) return false;
  std::unique_ptr<uint32_t[]> straight = Straight(bmp);
  if (!straight) return false;
  png_image image;
  Describe(&image, bmp);
  const int ok = png_image_write_to_file(&image, path, 0, straight.get(), bmp->Width() * 4, nullptr);
  png_image_free(&image);
  return ok != 0;
}

bool EncodePNG(const Bitmap* bmp, std::vector<unsigned char>* out)
{
  if (!out) return false;
  out->clear();
  std::unique_ptr<uint32_t[]> straight = Straight(bmp);
  if (!straight) return false;
  png_image image;
  Describe(&image, bmp);
  // The first call measures, the second writes.
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, straight.get(), bmp->Width() * 4, nullptr) ||
      size == 0)
  {
    png_image_free(&image);
    return false;
  }
  out->resize(size);
  const int ok = png_image_write_to_memory(&image, out->data(), &size, 0, straight.get(), bmp->Width() * 4,
                                           nullptr);
  png_image_free(&image);
  out->resize(ok ? size : 0);
  return ok != 0;
}
} // namespace raster
