#pragma once
// A decoded bitmap as the controls see it: the raster bitmap (owned by the bitmap cache,
// never by the IBitmap), its full width and height, and its frame count. N frames lie
// stacked vertically, each W x H/N pixels, frame 1 at the top.

namespace raster
{
class Bitmap;
}

struct IBitmap
{
  raster::Bitmap* mData = nullptr;
  int W = 0, H = 0, N = 1;

  IBitmap() = default;
  IBitmap(raster::Bitmap* data, int w, int h, int n = 1) : mData(data), W(w), H(h), N(n < 1 ? 1 : n) {}

  int FrameHeight() const { return N > 1 ? H / N : H; }
};
