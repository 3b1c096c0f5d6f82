#include "IPlug/x11/X11Surface.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>

namespace
{
int ByteOrderOfThisMachine()
{
  const uint32_t one = 1;
  return *(const unsigned char*) &one ? LSBFirst : MSBFirst;
}

// An 8-bit channel scaled into a visual's mask.
unsigned long Channel(unsigned int value, unsigned long mask)
{
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  int bits = 0;
  while ((mask >> (shift + bits)) & 1) ++bits;
  const unsigned long scaled = bits >= 8 ? (unsigned long) value << (bits - 8) : value >> (8 - bits);
  return (scaled << shift) & mask;
}
} // namespace

X11Surface::X11Surface(Display* display, unsigned long window, void* visual, int depth)
  : mDisplay(display), mWindow(window), mVisual(visual), mDepth(depth)
{
  Visual* v = (Visual*) visual;
  mGC = XCreateGC(display, window, 0, nullptr);
  mTrueColour = v && (v->c_class == TrueColor || v->c_class == DirectColor);
  if (!mTrueColour || v->red_mask != 0xFF0000 || v->green_mask != 0xFF00 || v->blue_mask != 0xFF) return;
  // The server must also keep such a depth in 32 bits a pixel.
  int n = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &n);
  for (int i = 0; i < n; ++i)
    if (formats[i].depth == depth && formats[i].bits_per_pixel == 32) mDirect = true;
  if (formats) XFree(formats);
}

X11Surface::~X11Surface()
{
  if (mGC) XFreeGC(mDisplay, mGC);
}

void X11Surface::Copy(const raster::Bitmap* bitmap, int x, int y, int w, int h)
{
  if (!bitmap || !mGC) return;
  const int l = std::max(x, 0), t = std::max(y, 0);
  const int r = std::min(x + w, bitmap->Width()), b = std::min(y + h, bitmap->Height());
  if (r <= l || b <= t) return;
  if (!mDirect)
  {
    CopyConverted(bitmap, l, t, r - l, b - t);
    return;
  }
  const uint32_t* bits = bitmap->Bits();
  if (!bits) return;
  XImage* image = XCreateImage(mDisplay, (Visual*) mVisual, (unsigned) mDepth, ZPixmap, 0, (char*) bits,
                               (unsigned) bitmap->Width(), (unsigned) bitmap->Height(), 32,
                               bitmap->RowSpan() * 4);
  if (!image) return;
  image->byte_order = ByteOrderOfThisMachine(); // Xlib swaps for a server of the other order
  XPutImage(mDisplay, mWindow, mGC, image, l, t, l, t, (unsigned) (r - l), (unsigned) (b - t));
  image->data = nullptr; // the bitmap's, not Xlib's to free
  XDestroyImage(image);
}

void X11Surface::CopyConverted(const raster::Bitmap* bitmap, int x, int y, int w, int h)
{
  if (!mTrueColour) return; // colour-mapped screens are not served
  const uint32_t* bits = bitmap->Bits();
  if (!bits) return;
  Visual* v = (Visual*) mVisual;
  XImage* image = XCreateImage(mDisplay, v, (unsigned) mDepth, ZPixmap, 0, nullptr, (unsigned) w, (unsigned) h, 32, 0);
  if (!image) return;
  image->data = (char*) malloc((size_t) image->bytes_per_line * (size_t) h);
  if (!image->data)
  {
    XDestroyImage(image);
    return;
  }
  for (int j = 0; j < h; ++j)
  {
    const uint32_t* row = bits + (size_t) (y + j) * (size_t) bitmap->RowSpan() + x;
    for (int i = 0; i < w; ++i)
    {
      const uint32_t p = row[i];
      XPutPixel(image, i, j,
                Channel((p >> 16) & 255, v->red_mask) | Channel((p >> 8) & 255, v->green_mask) |
                    Channel(p & 255, v->blue_mask));
    }
  }
  XPutImage(mDisplay, mWindow, mGC, image, 0, 0, x, y, (unsigned) w, (unsigned) h);
  XDestroyImage(image); // frees the pixels too
}
