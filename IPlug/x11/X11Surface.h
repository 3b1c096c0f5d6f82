#pragma once
// Puts a bitmap's pixels on an X window with XPutImage. Where the window's visual keeps
// red, green and blue where a bitmap pixel keeps them (the usual 24- and 32-bit
// visuals), the bitmap's own memory goes to the server; other true-colour visuals get
// each pixel converted. Pixels go as they are, premultiplied; a 24-bit window drops the
// alpha.

#include "raster/Bitmap.h"

typedef struct _XDisplay Display;
typedef struct _XGC* GC;

class X11Surface
{
public:
  // visual: the window's Visual*; depth: its depth.
  X11Surface(Display* display, unsigned long window, void* visual, int depth);
  ~X11Surface();

  X11Surface(const X11Surface&) = delete;
  X11Surface& operator=(const X11Surface&) = delete;

  // The w x h area of bitmap at (x, y) to the same place in the window, cut to the
  // bitmap.
  void Copy(const raster::Bitmap* bitmap, int x, int y, int w, int h);

  // Whether the bitmap's memory is sent as it is.
  bool Direct() const { return mDirect; }

private:
  void CopyConverted(const raster::Bitmap* bitmap, int x, int y, int w, int h);

  Display* mDisplay;
  unsigned long mWindow;
  void* mVisual;
  int mDepth;
  GC mGC = nullptr;
  bool mDirect = false;
  bool mTrueColour = false;
};
