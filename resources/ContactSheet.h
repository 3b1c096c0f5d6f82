// A mock of the whole editor composed from the written bitmaps at their places, with
// the values, captions and meters the editor would draw at run time, for judging the
// artwork as a whole.
#pragma once

#include "resources/ArtCanvas.h"

#include <string>

namespace artwork {

struct SheetState {
  int routing = 0;
  // Knobs turned, signal on the meters, dynamics 2 switched off with the opto type:
  // a working session rather than the defaults.
  bool busy = false;
};

// Reads the bitmaps from artDir (written at the canvas's scale) and composes the
// editor into the canvas (kEditorW x kEditorH).
void drawContactSheet(const ArtCanvas& c, const std::string& artDir, const SheetState& s);

} // namespace artwork
