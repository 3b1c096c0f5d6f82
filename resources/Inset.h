// A recessed well: a flat fill with a dark upper and a light lower edge, one pixel
// each, drawn inside the given rectangle's one-pixel border.
#pragma once

#include "resources/ArtCanvas.h"

namespace artwork {

// Fills (x, y, w, h) with fill and draws the bevel on the ring just outside it.
void drawInset(const ArtCanvas& c, double x, double y, double w, double h, const Colour& fill);

} // namespace artwork
