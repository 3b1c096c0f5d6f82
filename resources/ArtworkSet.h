// The editor's sixteen bitmaps: their file names, frame counts and frame sizes, and
// the drawing of each.
#pragma once

#include "resources/ArtCanvas.h"

#include <functional>
#include <string>
#include <vector>

namespace artwork {

struct BitmapSpec {
  int id;
  std::string file;
  int frames;
  int frameW, frameH; // logical pixels; the file is frameW x frameH * frames times the scale
  std::function<void(const ArtCanvas&)> draw;
};

const std::vector<BitmapSpec>& artworkSet();

// Draws every bitmap at the scale and writes it into dir (which must exist), the suffix
// put before ".png" ("@2x": "knob-pos@2x.png").
void writeArtwork(const Typefaces& faces, const std::string& dir, double scale, const std::string& suffix = "");

} // namespace artwork
