#pragma once
// Puts a bitmap's pixels on an X window, through cairo's Xlib surface (which uses shared
// memory where the server offers it). Pixels are copied as they are, alpha dropped.

#include "raster/Bitmap.h"

typedef struct _XDisplay Display;

class X11Surface
{
public:
  // visual: the window's Visual*.
  X11Surface(Display* display, unsigned long window, void* visual, int width, int height);
  ~X11Surface();

  X11Surface(const X11Surface&) = delete;
  X11Surface& operator=(const X11Surface&) = delete;

  bool IsValid() const { return mSurface != nullptr; }
  void SetSize(int width, int height);

  // The w x h area of bitmap at (x, y) to the same place in the window.
  void Copy(const raster::Bitmap* bitmap, int x, int y, int w, int h);

private:
  cairo_surface_t* mSurface = nullptr;
};
