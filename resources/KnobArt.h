// Knobs: the 128-frame filmstrips, and the scale and readout that a background draws
// around each knob.
#pragma once

#include "resources/ArtCanvas.h"
#include "resources/Layout.h"

namespace artwork {

// Where the lit arc starts: the minimum, the maximum, the centre, or 0 dB of the
// -60..+30 dB gain range.
double knobOriginAngle(layout::KnobKind kind);
Colour knobAccent(layout::KnobKind kind);

// One frame at normalised position t (0..1), drawn with its corner at the origin.
void drawKnobFrame(const ArtCanvas& c, layout::KnobKind kind, double t);

// All frames stacked top to bottom; the canvas is kKnobW x kKnobH * kKnobFrames.
void drawKnobFilmstrip(const ArtCanvas& c, layout::KnobKind kind);

// The knob's ticks, end texts and name, for a knob whose corner is at (x, y). The
// ticks and end texts lie in the filmstrip's transparent margin, never under the
// cap, the ring or the value caption.
void drawKnobScale(const ArtCanvas& c, const layout::KnobSpot& k, double x, double y);

// The inset readout the value caption is drawn into.
void drawReadout(const ArtCanvas& c, double x, double y);

} // namespace artwork
