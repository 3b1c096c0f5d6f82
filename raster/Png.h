#pragma once
// PNG files in and out, through libpng.

#include "raster/Bitmap.h"

#include <vector>

namespace raster
{
// Images with more pixels than this are refused before any memory is taken for them.
constexpr long kMaxPngPixels = 1L << 24;

// Writes the bitmap as an 8-bit RGBA PNG; false when the file cannot be written.
bool WritePNG(const Bitmap* bmp, const char* path);
// The same PNG file's bytes, into out; false (out empty) when the bitmap is empty.
bool EncodePNG(const Bitmap* bmp, std::vector<unsigned char>* out);
} // namespace raster

// Decodes a PNG file of any colour type and depth into a new 32-bit bitmap owned by the
// caller. Null when the file is missing, unreadable, not a PNG, damaged or truncated, or
// wider or taller than raster::kMaxBitmapSide or larger than raster::kMaxPngPixels.
LICE_MemBitmap* LICE_LoadPNG(const char* path);
