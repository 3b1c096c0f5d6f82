#include "resources/PanelArt.h"

#include "resources/Inset.h"
#include "resources/KnobArt.h"
#include "resources/Layout.h"
#include "resources/Palette.h"

#include <cmath>

namespace artwork {

using namespace layout;

namespace {

const Type kHeading{true, 7.5, 0.8};
const Type kName{true, 7.5, 0.7};
const Type kSmall{false, 7, 0};

void verticalGradient(const ArtCanvas& c, double x, double y, double w, double h, const Colour& top,
                      const Colour& bottom) {
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
  cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(g, 1, bottom.r, bottom.g, bottom.b);
  cairo_set_source(c.cr(), g);
  cairo_rectangle(c.cr(), x, y, w, h);
  cairo_fill(c.cr());
  cairo_pattern_destroy(g);
}

// A panel's face: edges that separate it from its neighbours in the stack, and a
// highlight along its top.
void drawPanelFace(const ArtCanvas& c, int w, int h) {
  c.fillRect(0, 0, w, h, palette::edgeDark);
  verticalGradient(c, 1, 1, w - 2, h - 2, palette::panelFace, palette::panelFaceLow);
  c.fillRect(1, 1, w - 2, 1, palette::edgeLight);
}

void drawHeading(const ArtCanvas& c, const Heading& hd, const Colour& accent) {
  c.text(hd.text, hd.x, hd.y, kHeading, accent, Align::Centre);
  if (hd.ruleR > hd.ruleL) {
    double tw = c.textWidth(hd.text, kHeading);
    double l = std::round(hd.x - tw / 2 - 4), r = std::round(hd.x + tw / 2 + 4);
    double y = hd.y - 3;
    c.markRect(hd.ruleL, y, l - hd.ruleL, 1, palette::rule);
    c.markRect(r, y, hd.ruleR - r, 1, palette::rule);
  }
}

// Peak meters on either side of a gain fader's track, in one well, with the fader's
// scale marks outside it: +15 dB, 0 dB (long) and -40 dB, at the handle's centre.
void drawMeterGroup(const ArtCanvas& c, const Point* meters, const Point& fader, const std::string& name,
                    bool marksLeft) {
  const int top = meters[0].y;
  const int l = meters[0].x, r = meters[1].x + kPanelMeterW;
  drawInset(c, l, top, r - l, kPanelMeterH + 2, palette::slot);
  c.fillRect(fader.x + kFaderW / 2, top + 3, 1, kPanelMeterH - 6, Colour::rgb(0x2a2f36));
  c.text(name, (l + r) / 2.0, top - 4, kName, palette::label, Align::Centre);
  const int travel = kFaderTravel - kFaderH;
  const double values[3] = {1.0, 40.0 / 55.0, 0.0};
  for (double v : values) {
    double y = top + std::trunc(travel * (1 - v)) + kFaderH / 2;
    bool zero = v != 1.0 && v != 0.0;
    double len = zero ? 4 : 2;
    double x = marksLeft ? l - 2 - len : r + 2;
    c.markRect(x, y, len, 1, zero ? palette::tickMajor : palette::tick);
  }
}

// Peak-meter marks for the top meters: the bar is full at -18 dBFS and linear below,
// so -24 dBFS is at half height and -30 dBFS at a quarter.
void drawTopMeterScale(const ArtCanvas& c, int meterL, int meterR, bool left) {
  const int top = kTopMeters[0].y, h = kTopMeterH, bottom = top + h;
  drawInset(c, meterL, top, meterR - meterL, h + 2, palette::slot);
  const double levels[3] = {1.0, 0.5, 0.25};
  const char* names[3] = {"-18", "-24", "-30"};
  for (int i = 0; i < 3; ++i) {
    double y = bottom - std::floor(levels[i] * h * 1.001001001001001);
    double x = left ? meterL - 5 : meterR + 2;
    c.markRect(x, y, 3, 1, i == 0 ? palette::tickMajor : palette::tick);
    c.text(names[i], left ? x - 2 : x + 5, y + 3, kSmall, palette::scaleText, left ? Align::Right : Align::Left);
  }
}

void drawKnobs(const ArtCanvas& c, const std::vector<KnobSpot>& knobs, double ox, double oy) {
  for (const KnobSpot& k : knobs) {
    drawKnobScale(c, k, ox + k.at.x, oy + k.at.y);
    drawReadout(c, ox + k.at.x, oy + k.at.y);
  }
}

// "ORDER" under the routing switch.
void drawArrangeName(const ArtCanvas& c) {
  c.text("ORDER", kArrangeAt.x + kArrangeW / 2.0 - 1, kArrangeH + 8, Type{true, 6, 0.5}, palette::labelDim,
         Align::Centre);
}

} // namespace

void drawMainBackground(const ArtCanvas& c) {
  verticalGradient(c, 0, 0, kEditorW, kPanelTop, palette::topFace, palette::topFaceLow);
  verticalGradient(c, 0, kPanelTop, kEditorW, kEditorH - kPanelTop, palette::topFaceLow, palette::topFace);
  c.fillRect(0, 0, kEditorW, 1, palette::edgeLight);
  // The bay the panels stack in; what shows through a greyed panel.
  drawInset(c, kPanelX, kPanelTop, kEqW, kPanelBottom - kPanelTop, palette::recess);

  // Input and output.
  const Type group{true, 8, 1.4};
  c.text("INPUT", 67, 22, group, palette::ioAccent, Align::Centre);
  c.text("OUTPUT", 395, 22, group, palette::ioAccent, Align::Centre);
  drawTopMeterScale(c, kTopMeters[0].x, kTopMeters[1].x + kTopMeterW, true);
  drawTopMeterScale(c, kTopMeters[2].x, kTopMeters[3].x + kTopMeterW, false);
  drawKnobs(c, topKnobs(), 0, 0);

  // Name plate.
  const double cx = 300;
  c.text("OSTRAKON", cx, 52, Type{true, 14, 2.2}, palette::labelBright, Align::Centre);
  c.text("CHANNEL STRIP", cx, 66, Type{true, 6.5, 2.0}, palette::labelDim, Align::Centre);
  c.markRect(cx - 38, 57, 76, 1, palette::rule);

  // Footer, left of the version the editor prints.
  c.text("QUARRO", kPanelX, 622, Type{true, 7.5, 1.6}, palette::labelDim);
  c.text("OSTRAKON", kVersion.x - 6, 622, Type{true, 7.5, 1.6}, palette::labelDim, Align::Right);
}

void drawEqBackground(const ArtCanvas& c) {
  drawPanelFace(c, kEqW, kEqH);
  for (const Heading& h : eqHeadings())
    drawHeading(c, h, palette::eqAccent);
  drawKnobs(c, eqKnobs(), 0, 0);
  drawMeterGroup(c, &kEqMeters[0], kEqFaders[0], "IN", true);
  drawMeterGroup(c, &kEqMeters[2], kEqFaders[1], "OUT", false);
  drawArrangeName(c);
}

void drawDynBackground(const ArtCanvas& c) {
  drawPanelFace(c, kDynW, kDynH);
  drawKnobs(c, dynKnobs(), 0, 0);
  drawMeterGroup(c, &kDynMeters[0], kDynFaders[0], "IN", true);
  drawMeterGroup(c, &kDynMeters[2], kDynFaders[1], "OUT", false);
  drawArrangeName(c);

  // Type selector heading.
  c.text("TYPE", kTypeAt.x + kTypeW / 2.0, kTypeAt.y - 4, kName, palette::label, Align::Centre);

  // Gain-reduction meter: a dark well whose colour shows between the segments, and a
  // decibel scale under it. Segment j (from the left) lights at 30 - j dB.
  const Rect& g = kGainReduction;
  drawInset(c, g.x, g.y, g.w, g.h, palette::slot);
  c.text("GAIN REDUCTION", g.x - 6, g.y + 8, kName, palette::label, Align::Right);
  const int pitch = (g.w - kGainReductionSegments) / kGainReductionSegments + 1;
  const int marks[] = {30, 20, 10, 6, 3, 1};
  for (int db : marks) {
    int j = kGainReductionSegments - db;
    double x = g.x + j * pitch + (pitch - 1) / 2.0;
    c.markRect(std::floor(x), g.bottom() + 2, 1, 2, palette::tick);
    c.text(std::to_string(db), x + 0.5, g.bottom() + 11, kSmall, palette::scaleText, Align::Centre);
  }
}

} // namespace artwork
