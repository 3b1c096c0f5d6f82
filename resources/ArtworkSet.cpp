#include "resources/ArtworkSet.h"

#include "resources/KnobArt.h"
#include "resources/Layout.h"
#include "resources/Palette.h"
#include "resources/PanelArt.h"
#include "resources/SwitchArt.h"

namespace artwork {

using namespace layout;

const std::vector<BitmapSpec>& artworkSet() {
  auto knob = [](KnobKind k) { return [k](const ArtCanvas& c) { drawKnobFilmstrip(c, k); }; };
  auto toggle = [](const char* name, Colour lampColour) {
    return [=](const ArtCanvas& c) { drawToggle(c, name, lampColour); };
  };
  auto state = [](const char* name, Colour accent) {
    return [=](const ArtCanvas& c) { drawStateSwitch(c, name, accent); };
  };
  static const std::vector<BitmapSpec> set = {
      {100, "main_bg_2.png", 1, kEditorW, kEditorH, drawMainBackground},
      {101, "dyn_bg_2.png", 1, kDynW, kDynH, drawDynBackground},
      {102, "eq_bg.png", 1, kEqW, kEqH, drawEqBackground},
      {103, "arrange_20x22_2.png", 3, kArrangeW, kArrangeH, drawArrangeSwitch},
      {104, "dyn_type-all_81x67.png", 4, kTypeW, kTypeH, drawTypeSelector},
      {105, "faderknob_10x7.png", 1, kFaderW, kFaderH, drawFaderHandle},
      {106, "knob-pos.png", kKnobFrames, kKnobW, kKnobH, knob(KnobKind::Pos)},
      {107, "knob-neg.png", kKnobFrames, kKnobW, kKnobH, knob(KnobKind::Neg)},
      {108, "knob-mid.png", kKnobFrames, kKnobW, kKnobH, knob(KnobKind::Mid)},
      {109, "knob-iogain3.png", kKnobFrames, kKnobW, kKnobH, knob(KnobKind::IoGain)},
      {110, "analogemulation115x7_2.png", 2, kToggleW, kToggleH, toggle("ANALOGUE", palette::lamp)},
      {111, "oversampling_94x7_2.png", 2, kToggleW, kToggleH, toggle("OVERSAMPLING 2x", palette::lamp)},
      {112, "phaseinvert_88x7_2.png", 2, kToggleW, kToggleH, toggle("PHASE INVERT", palette::lamp)},
      {113, "dyn1_state_92x20_2.png", 2, kStateW, kStateH, state("DYNAMICS 1", palette::dynAccent)},
      {114, "dyn2_state_92x20_2.png", 2, kStateW, kStateH, state("DYNAMICS 2", palette::dynAccent)},
      {115, "eq_state_92x20_2.png", 2, kStateW, kStateH, state("EQUALISER", palette::eqAccent)},
  };
  return set;
}

void writeArtwork(const Typefaces& faces, const std::string& dir, double scale, const std::string& suffix) {
  for (const BitmapSpec& b : artworkSet()) {
    ArtCanvas c(faces, b.frameW, b.frameH * b.frames, scale);
    b.draw(c);
    std::string file = b.file;
    file.insert(file.size() - 4, suffix); // before ".png"
    c.writePng(dir + "/" + file);
  }
}

} // namespace artwork
