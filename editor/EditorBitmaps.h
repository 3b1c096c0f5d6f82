#pragma once
// The editor's sixteen bitmaps: resource id, file name among the plug-in's resources, and
// the frame count the controls use.

#include "IPlug/IGraphics.h"

struct EditorBitmap
{
  int id;
  const char* name;
  int frames;
};

constexpr EditorBitmap kMainBackground{100, "main_bg_2.png", 1};
constexpr EditorBitmap kDynBackground{101, "dyn_bg_2.png", 1};
constexpr EditorBitmap kEqBackground{102, "eq_bg.png", 1};
constexpr EditorBitmap kArrangeSwitch{103, "arrange_20x22_2.png", 3};
constexpr EditorBitmap kDynTypeSwitch{104, "dyn_type-all_81x67.png", 4};
constexpr EditorBitmap kFaderHandle{105, "faderknob_10x7.png", 1};
constexpr EditorBitmap kKnobPos{106, "knob-pos.png", 128};
constexpr EditorBitmap kKnobNeg{107, "knob-neg.png", 128};
constexpr EditorBitmap kKnobMid{108, "knob-mid.png", 128};
constexpr EditorBitmap kKnobIoGain{109, "knob-iogain3.png", 128};
constexpr EditorBitmap kAnalogueSwitch{110, "analogemulation115x7_2.png", 2};
constexpr EditorBitmap kOversamplingSwitch{111, "oversampling_94x7_2.png", 2};
constexpr EditorBitmap kPhaseSwitch{112, "phaseinvert_88x7_2.png", 2};
constexpr EditorBitmap kDyn1State{113, "dyn1_state_92x20_2.png", 2};
constexpr EditorBitmap kDyn2State{114, "dyn2_state_92x20_2.png", 2};
constexpr EditorBitmap kEqState{115, "eq_state_92x20_2.png", 2};

constexpr EditorBitmap kEditorBitmaps[] = {
  kMainBackground, kDynBackground,  kEqBackground,   kArrangeSwitch,      kDynTypeSwitch, kFaderHandle,
  kKnobPos,        kKnobNeg,        kKnobMid,        kKnobIoGain,         kAnalogueSwitch, kOversamplingSwitch,
  kPhaseSwitch,    kDyn1State,      kDyn2State,      kEqState,
};

// The bitmap from the process-wide cache (decoded there on first use), with its frames.
// The cache's lock is taken: never on the audio thread.
inline IBitmap LoadEditorBitmap(IGraphics* graphics, const EditorBitmap& b)
{
  return graphics->LoadIBitmap(b.id, b.name, b.frames);
}
