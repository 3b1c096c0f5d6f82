#pragma once
// Drawing into a bitmap: blits (plain, scaled, rotated), lines, rectangles, polygons,
// circles, arcs and single pixels. Integer coordinates name pixels: pixel (x, y) covers
// x..x+1, y..y+1, and lines and outlines run through pixel centres. Every operation
// clips to the destination and returns false only when it cannot draw at all (an empty
// destination or source).

#include "raster/Bitmap.h"
#include "raster/Paint.h"

namespace raster
{

// Copies the w x h area of src at (srcX, srcY) to (dstX, dstY). Parts outside src are
// transparent and leave the destination alone.
bool Blit(Bitmap* dst, Bitmap* src, int dstX, int dstY, int srcX, int srcY, int w, int h, float weight,
          Mode mode);

// The src area stretched over the dst area with bilinear filtering.
bool ScaledBlit(Bitmap* dst, Bitmap* src, Rect dstArea, Rect srcArea, float weight, Mode mode);

// The whole of src drawn into box (which it fills at angle 0), rotated clockwise by
// angle radians about the box's centre moved by (pivotDx, pivotDy), bilinear, and cut to
// the box.
bool RotatedBlit(Bitmap* dst, Bitmap* src, Rect box, double angle, double pivotDx, double pivotDy,
                 float weight, Mode mode);

// Multiplies dst's pixels at (dstX, dstY) by the alpha of src rotated clockwise by angle
// radians about its own centre, bilinear: what src leaves transparent becomes transparent.
bool RotatedMask(Bitmap* dst, Bitmap* src, int dstX, int dstY, double angle);

// A one-pixel line between the pixels (x1, y1) and (x2, y2), both included.
bool Line(Bitmap* dst, double x1, double y1, double x2, double y2, const Paint& paint);
bool FillRect(Bitmap* dst, Rect r, const Paint& paint);
// The outline of r: its outermost pixels.
bool FrameRect(Bitmap* dst, Rect r, const Paint& paint);
bool RoundRect(Bitmap* dst, Rect r, double radius, const Paint& paint);
// Vertices are pixel centres.
bool FillConvexPolygon(Bitmap* dst, const int* x, const int* y, int n, const Paint& paint);
bool Circle(Bitmap* dst, double cx, double cy, double r, const Paint& paint);
bool FillCircle(Bitmap* dst, double cx, double cy, double r, const Paint& paint);
// Angles in radians, 0 pointing up, growing clockwise.
bool Arc(Bitmap* dst, double cx, double cy, double r, double minAngle, double maxAngle, const Paint& paint);
// One point blended in; antialiased, a fractional position spreads over its neighbours.
bool BlendPoint(Bitmap* dst, double x, double y, const Paint& paint);

// Direct pixel access, not premultiplied: 0xAARRGGBB. Reading outside gives 0; writing
// outside does nothing.
uint32_t GetPixel(const Bitmap* bmp, int x, int y);
void PutPixel(Bitmap* bmp, int x, int y, uint32_t argb);

} // namespace raster
