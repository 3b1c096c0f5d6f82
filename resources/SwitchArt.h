// Switches and the fader handle: every frame of a bitmap-based control.
#pragma once

#include "resources/ArtCanvas.h"

#include <string>

namespace artwork {

// A top-section toggle (two frames of kToggleW x kToggleH: off, on): a lamp and a name.
void drawToggle(const ArtCanvas& c, const std::string& name, const Colour& lampColour);

// A panel's on/off tab in the panel's top-left corner (two frames of kStateW x kStateH).
void drawStateSwitch(const ArtCanvas& c, const std::string& name, const Colour& accent);

// The routing switch in a panel's top-right corner (three frames of kArrangeW x
// kArrangeH): the three stage orders, top to bottom, as small coloured tags.
void drawArrangeSwitch(const ArtCanvas& c);

// The dynamics type selector (four frames of kTypeW x kTypeH), a column of four
// entries, one per 16-pixel slice; frame i highlights entry i.
void drawTypeSelector(const ArtCanvas& c);

// The fader handle (one frame, kFaderW x kFaderH).
void drawFaderHandle(const ArtCanvas& c);

} // namespace artwork
