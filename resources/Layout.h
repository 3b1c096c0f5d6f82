// Where the editor puts its panels and controls, in logical pixels, and the sizes the
// artwork gives them. The backgrounds are drawn around these places, and the tests
// check the bitmaps against them.
#pragma once

#include <string>
#include <vector>

namespace artwork::layout {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  int right() const { return x + w; }
  int bottom() const { return y + h; }
  bool overlaps(const Rect& o) const {
    return x < o.right() && o.x < right() && y < o.bottom() && o.y < bottom();
  }
  bool inside(const Rect& o) const {
    return x >= o.x && y >= o.y && right() <= o.right() && bottom() <= o.bottom();
  }
};

struct Point {
  int x = 0, y = 0;
};

// Editor and panels. The panels stack without gaps from kPanelTop to kPanelBottom.
inline constexpr int kEditorW = 460, kEditorH = 640;
inline constexpr int kPanelX = 15, kPanelTop = 102, kPanelBottom = 605;
inline constexpr int kEqW = 430, kEqH = 233;
inline constexpr int kDynW = 430, kDynH = 135;

// Panel tops for each routing value: dynamics 1, EQ, dynamics 2.
struct PanelTops {
  int dyn1, eq, dyn2;
};
inline constexpr PanelTops kRoutingTops[3] = {{102, 237, 470}, {335, 102, 470}, {102, 372, 237}};

// Knob: the filmstrip frame sits at the knob's corner; its value caption is drawn by
// the editor from (5, 42) to (42, 50), centred, and the text is allowed to run wider
// and lower than that box, so a readout well frames the whole band it can reach.
inline constexpr int kKnobW = 47, kKnobH = 42, kKnobFrames = 128;
inline constexpr double kKnobCx = 23.5, kKnobCy = 20.5;
inline constexpr int kFootprintW = 42, kFootprintH = 50;
inline constexpr Rect kCaption{5, 42, 37, 8};
inline constexpr Rect kReadout{1, 42, 45, 12}; // inside its one-pixel bevel

// Bitmap-based controls (per frame).
inline constexpr int kToggleW = 112, kToggleH = 16;   // analogue, phase, oversampling
inline constexpr int kStateW = 92, kStateH = 20;      // panel on/off
inline constexpr int kArrangeW = 20, kArrangeH = 22;  // routing
inline constexpr int kTypeW = 81, kTypeH = 64;        // dynamics type, four slices of 16
inline constexpr int kFaderW = 9, kFaderH = 7;        // fader handle
inline constexpr int kFaderTravel = 51;

// Top section.
inline constexpr Point kTopMeters[4] = {{32, 32}, {43, 32}, {413, 32}, {424, 32}};
inline constexpr int kTopMeterW = 5, kTopMeterH = 54;
inline constexpr Point kInputKnob{55, 33}, kOutputKnob{361, 33};
inline constexpr int kToggleX = 130;
inline constexpr int kToggleY[3] = {27, 47, 67}; // analogue, phase, oversampling
inline constexpr Rect kVersion{280, 613, 60, 20};

// Panel contents, relative to the panel's corner.
inline constexpr int kPanelMeterW = 3, kPanelMeterH = 51;
inline constexpr Point kStateAt{0, 0};
inline constexpr Point kArrangeAt{410, 0};
inline constexpr Point kEqMeters[4] = {{8, 150}, {20, 150}, {408, 150}, {420, 150}};
inline constexpr Point kEqFaders[2] = {{11, 150}, {411, 150}};
inline constexpr Point kDynMeters[4] = {{8, 52}, {20, 52}, {408, 52}, {420, 52}};
inline constexpr Point kDynFaders[2] = {{11, 52}, {411, 52}};
inline constexpr Point kTypeAt{314, 49};
inline constexpr Rect kGainReduction{272, 13, 120, 10};
inline constexpr int kGainReductionSegments = 30;

// What a knob's scale shows: the parameter's range and shape (the knob turns with the
// normalised value ((v - min) / (max - min))^(1 / shape)), tick values, the values
// whose ticks are long, and the texts at either end.
struct Scale {
  double min = 0, max = 1, shape = 1;
  std::vector<double> ticks;
  std::vector<double> majors;
  std::string lo, hi;
  double angleOf(double v) const; // degrees, 0 up, clockwise, -135 .. 135
};

enum class KnobKind { Pos, Neg, Mid, IoGain };

// Where a knob's name goes: above its frame, or beside it at its centre height.
enum class LabelAt { Above, Left, Right };

struct KnobSpot {
  Point at;
  KnobKind kind;
  std::string label;
  LabelAt labelAt;
  Scale scale;
  double defaultValue; // real units, for the contact sheet
  std::string unit;    // the parameter's label, shown after the value
  bool whole;          // an int parameter (no decimals)
};

// A band heading: text centred at x with its baseline at y and a hairline rule
// under it from ruleL to ruleR (no rule when they are equal).
struct Heading {
  std::string text;
  double x, y, ruleL, ruleR;
};

const std::vector<KnobSpot>& topKnobs();   // input, output
const std::vector<KnobSpot>& eqKnobs();    // the panel's 15, in creation order
const std::vector<KnobSpot>& dynKnobs();   // threshold, ratio, attack, release
const std::vector<Heading>& eqHeadings();

// The normalised value of v on a scale (the knob's frame is trunc(127 t + 0.5)).
double normalised(const Scale& s, double v);

} // namespace artwork::layout
