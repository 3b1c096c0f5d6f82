// The editor's colours: a dark slate theme with one accent per kind of control.
#pragma once

#include "resources/Colour.h"

namespace artwork::palette {

// Surfaces, darkest first.
inline constexpr Colour recess = Colour::rgb(0x0d0f12);     // behind the panels
inline constexpr Colour slot = Colour::rgb(0x07080a);       // meter and fader wells
inline constexpr Colour well = Colour::rgb(0x131519);       // value readouts
inline constexpr Colour wellEdge = Colour::rgb(0x2a2f36);
inline constexpr Colour topFace = Colour::rgb(0x1b1e23);    // top section
inline constexpr Colour topFaceLow = Colour::rgb(0x15171b);
inline constexpr Colour panelFace = Colour::rgb(0x21252b);
inline constexpr Colour panelFaceLow = Colour::rgb(0x1c1f24);
inline constexpr Colour tabFace = Colour::rgb(0x181b1f);
inline constexpr Colour edgeDark = Colour::rgb(0x08090b);
inline constexpr Colour edgeLight = Colour::rgb(0x30363e);
inline constexpr Colour rule = Colour::rgb(0x353b44);

// Text.
inline constexpr Colour label = Colour::rgb(0x9ba4ae);
inline constexpr Colour labelDim = Colour::rgb(0x6b737d);
inline constexpr Colour labelBright = Colour::rgb(0xdde2e8);
inline constexpr Colour caption = Colour::rgb(0xb4b4b4); // what the editor draws values in

// Scales.
inline constexpr Colour tick = Colour::rgb(0x4c545e);
inline constexpr Colour tickMajor = Colour::rgb(0x858e99);
inline constexpr Colour scaleText = Colour::rgb(0x737c87);

// Accents: EQ and its frequency-like knobs blue, dynamics coral, gains amber,
// input and output green, switched-on lamps warm.
inline constexpr Colour eqAccent = Colour::rgb(0x5ab6e4);
inline constexpr Colour dynAccent = Colour::rgb(0xea8560);
inline constexpr Colour gainAccent = Colour::rgb(0xe5b85c);
inline constexpr Colour ioAccent = Colour::rgb(0x8ed3a0);
inline constexpr Colour lamp = Colour::rgb(0xf0b44c);

// Knob cap.
inline constexpr Colour capHigh = Colour::rgb(0x555c66);
inline constexpr Colour capLow = Colour::rgb(0x2a2e35);
inline constexpr Colour capEdge = Colour::rgb(0x0b0c0f);
inline constexpr Colour pointer = Colour::rgb(0xf2f4f6);
inline constexpr Colour track = Colour::rgb(0x0b0c0e);

// What the run-time meters draw, for the contact sheet.
inline constexpr Colour grUnlit = Colour::rgb(0x232730);

} // namespace artwork::palette
