// The three backgrounds: the editor's, the EQ panel's and a dynamics panel's. They
// carry every name, heading and scale; the controls draw over them.
#pragma once

#include "resources/ArtCanvas.h"

namespace artwork {

void drawMainBackground(const ArtCanvas& c); // kEditorW x kEditorH
void drawEqBackground(const ArtCanvas& c);   // kEqW x kEqH
void drawDynBackground(const ArtCanvas& c);  // kDynW x kDynH

} // namespace artwork
