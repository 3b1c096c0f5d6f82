#pragma once
// How a drawing operation lays its colour or its source onto a bitmap: the blend mode,
// the weight (0..1, the opacity of the source's contribution) and, for shapes, the
// colour and whether edges are antialiased.

#include <cstdint>

namespace raster
{

enum class Mode
{
  Copy,       // source over destination, honouring the source's alpha
  CopyOpaque, // source over destination as if the source were opaque
  Add,        // source added to destination, honouring the source's alpha
  ColorDodge  // colour dodge, honouring the source's alpha
};

struct Paint
{
  uint32_t color = 0xFF000000; // 0xAARRGGBB, not premultiplied
  float weight = 1.0f;
  Mode mode = Mode::Copy;
  bool antiAlias = false;
};

struct Rect
{
  int x = 0, y = 0, w = 0, h = 0;
};

} // namespace raster
