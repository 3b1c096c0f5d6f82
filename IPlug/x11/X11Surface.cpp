#include "IPlug/x11/X11Surface.h"

#include <X11/Xlib.h>
#include <cairo-xlib.h>
#include <cairo.h>

X11Surface::X11Surface(Display* display, unsigned long window, void* visual, int width, int height)
{
  cairo_surface_t* s = cairo_xlib_surface_create(display, window, (Visual*) visual, width, height);
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS)
    mSurface = s;
  else
    cairo_surface_destroy(s);
}

X11Surface::~X11Surface()
{
  if (mSurface)
  {
    cairo_surface_finish(mSurface);
    cairo_surface_destroy(mSurface);
  }
}

void X11Surface::SetSize(int width, int height)
{
  if (mSurface) cairo_xlib_surface_set_size(mSurface, width, height);
}

void X11Surface::Copy(const raster::Bitmap* bitmap, int x, int y, int w, int h)
{
  if (!mSurface || !bitmap || !bitmap->Surface() || w <= 0 || h <= 0) return;
  cairo_t* cr = cairo_create(mSurface);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, bitmap->Surface(), 0, 0);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(mSurface);
}
