#include "resources/ContactSheet.h"

#include "resources/ArtworkSet.h"
#include "resources/Layout.h"
#include "resources/Palette.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <stdexcept>

namespace artwork {

using namespace layout;

namespace {

class Bitmaps {
public:
  Bitmaps(const std::string& dir, double scale) : mScale(scale) {
    for (const BitmapSpec& b : artworkSet()) {
      cairo_surface_t* s = cairo_image_surface_create_from_png((dir + "/" + b.file).c_str());
      if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        throw std::runtime_error("cannot read " + dir + "/" + b.file);
      }
      mMap[b.file] = {s, &b};
    }
  }
  ~Bitmaps() {
    for (auto& e : mMap)
      cairo_surface_destroy(e.second.surface);
  }

  // Frame i (0-based) of a bitmap with its corner at (x, y), at the given opacity.
  void draw(const ArtCanvas& c, const std::string& file, int frame, double x, double y,
            double alpha = 1.0) const {
    const Entry& e = mMap.at(file);
    cairo_t* cr = c.cr();
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1.0 / mScale, 1.0 / mScale);
    cairo_rectangle(cr, 0, 0, e.spec->frameW * mScale, e.spec->frameH * mScale);
    cairo_clip(cr);
    cairo_set_source_surface(cr, e.surface, 0, -frame * e.spec->frameH * mScale);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
  }

  // The frame a control shows for normalised value v.
  int frameFor(const std::string& file, double v) const {
    int n = mMap.at(file).spec->frames;
    return std::clamp(int((n - 1) * v + 0.5), 0, n - 1);
  }

private:
  struct Entry {
    cairo_surface_t* surface;
    const BitmapSpec* spec;
  };
  double mScale;
  std::map<std::string, Entry> mMap;
};

// The run-time peak meter's colour and height for a smoothed level.
void peakMeter(const ArtCanvas& c, double x, double y, double w, double h, double level, double alpha) {
  auto ch = [](double v) { return std::clamp(int(255 * std::clamp(v, 0.0, 1.0)), 0, 255) / 255.0; };
  double blue = level < 1.0 ? 1.0 : ch(1 - level / 1.99526);
  double green = level < 1.99526 ? 1.0 : ch(1 - level / 5.94802);
  int lh = std::min(int(h), int(std::floor(level * h * 1.001001001001001)));
  c.fillRect(x, y + h - lh, w, lh, Colour{1.0, green, blue, alpha});
}

void gainReduction(const ArtCanvas& c, double x, double y, int decibels) {
  const Rect& g = kGainReduction;
  const int seg = (g.w - kGainReductionSegments) / kGainReductionSegments;
  for (int j = 0; j * (seg + 1) < g.w; ++j)
    c.fillRect(x + g.x + j * (seg + 1), y + g.y, seg, g.h,
               decibels >= kGainReductionSegments - j ? Colour::rgb(0xffffff) : palette::grUnlit);
}

std::string captionText(const KnobSpot& k, double v) {
  char buf[48];
  if (k.label == "ATTACK")
    v = 1 + 29 * v * v;
  else if (k.label == "RELEASE")
    v = 100 + 3900 * v * v;
  if (k.whole)
    std::snprintf(buf, sizeof buf, "%d %s", int(v), k.unit.c_str());
  else
    std::snprintf(buf, sizeof buf, "%.1f %s", v, k.unit.c_str());
  return buf;
}

const char* knobFile(KnobKind k) {
  switch (k) {
  case KnobKind::Pos: return "knob-pos.png";
  case KnobKind::Neg: return "knob-neg.png";
  case KnobKind::Mid: return "knob-mid.png";
  case KnobKind::IoGain: return "knob-iogain3.png";
  }
  return "knob-pos.png";
}

void knob(const ArtCanvas& c, const Bitmaps& art, const KnobSpot& k, double v, double ox, double oy,
          double alpha) {
  const std::string file = knobFile(k.kind);
  double x = ox + k.at.x, y = oy + k.at.y;
  art.draw(c, file, art.frameFor(file, normalised(k.scale, v)), x, y, alpha);
  // The caption: "Arial" 10 in (180, 180, 180), centred over (5, 42)-(42, 50),
  // drawn from the top of that box.
  c.text(captionText(k, v), x + kCaption.x + kCaption.w / 2.0, y + kCaption.y + 9, Type{false, 10, 0},
         palette::caption.withAlpha(alpha), Align::Centre);
}

} // namespace

void drawContactSheet(const ArtCanvas& c, const std::string& artDir, const SheetState& s) {
  const Bitmaps art(artDir, c.scale());
  const bool busy = s.busy;
  const PanelTops tops = kRoutingTops[std::clamp(s.routing, 0, 2)];
  const int routingFrame = std::clamp(s.routing, 0, 2);

  art.draw(c, "main_bg_2.png", 0, 0, 0);
  c.text("v2.0.2", kVersion.x + kVersion.w / 2.0, kVersion.y + 9, Type{false, 10, 0}, Colour::rgb(0xffffff),
         Align::Centre);
  const double inLevels[2] = {busy ? 0.82 : 0, busy ? 0.77 : 0};
  const double outLevels[2] = {busy ? 1.3 : 0, busy ? 1.2 : 0};
  for (int i = 0; i < 4; ++i)
    peakMeter(c, kTopMeters[i].x, kTopMeters[i].y, kTopMeterW, kTopMeterH, i < 2 ? inLevels[i] : outLevels[i - 2],
              1.0);
  knob(c, art, topKnobs()[0], busy ? 3.0 : 0.0, 0, 0, 1);
  knob(c, art, topKnobs()[1], busy ? -1.5 : 0.0, 0, 0, 1);
  art.draw(c, "analogemulation115x7_2.png", 1, kToggleX, kToggleY[0]);
  art.draw(c, "phaseinvert_88x7_2.png", busy ? 1 : 0, kToggleX, kToggleY[1]);
  art.draw(c, "oversampling_94x7_2.png", 0, kToggleX, kToggleY[2]);

  const double faderZero = 40.0 / 55.0;
  auto fader = [&](double x, double y, double v, double alpha) {
    art.draw(c, "faderknob_10x7.png", 0, x, y + std::trunc((kFaderTravel - kFaderH) * (1 - v)), alpha);
  };

  // EQ panel.
  {
    const double ox = kPanelX, oy = tops.eq;
    art.draw(c, "eq_bg.png", 0, ox, oy);
    for (int i = 0; i < 4; ++i)
      peakMeter(c, ox + kEqMeters[i].x, oy + kEqMeters[i].y, kPanelMeterW, kPanelMeterH, busy ? 0.6 + 0.05 * i : 0,
                1);
    art.draw(c, "eq_state_92x20_2.png", 1, ox, oy);
    art.draw(c, "arrange_20x22_2.png", routingFrame, ox + kArrangeAt.x, oy + kArrangeAt.y);
    const double busyValues[15] = {80, 100, 3, 400, -4, 1.5, 5000, -6, 4, 3000, 2.5, 1.2, 8000, 2, 18000};
    for (size_t i = 0; i < eqKnobs().size(); ++i)
      knob(c, art, eqKnobs()[i], busy ? busyValues[i] : eqKnobs()[i].defaultValue, ox, oy, 1);
    fader(ox + kEqFaders[0].x, oy + kEqFaders[0].y, busy ? 0.8 : faderZero, 1);
    fader(ox + kEqFaders[1].x, oy + kEqFaders[1].y, faderZero, 1);
  }

  // Dynamics panels.
  for (int p = 0; p < 2; ++p) {
    const double ox = kPanelX, oy = p == 0 ? tops.dyn1 : tops.dyn2;
    const bool off = busy && p == 1;
    const double a = off ? 0.25 : 1.0;
    art.draw(c, "dyn_bg_2.png", 0, ox, oy, a);
    for (int i = 0; i < 4; ++i)
      peakMeter(c, ox + kDynMeters[i].x, oy + kDynMeters[i].y, kPanelMeterW, kPanelMeterH,
                busy && !off ? 0.7 - 0.1 * (i / 2) : 0, off ? 0 : 1);
    art.draw(c, p == 0 ? "dyn1_state_92x20_2.png" : "dyn2_state_92x20_2.png", off ? 0 : 1, ox, oy);
    const int type = busy ? (p == 0 ? 1 : 2) : 0;
    art.draw(c, "dyn_type-all_81x67.png", type, ox + kTypeAt.x, oy + kTypeAt.y, a);
    fader(ox + kDynFaders[0].x, oy + kDynFaders[0].y, faderZero, a);
    fader(ox + kDynFaders[1].x, oy + kDynFaders[1].y, busy && p == 0 ? 0.8 : faderZero, a);
    gainReduction(c, ox, oy, busy && p == 0 ? 5 : 0);
    art.draw(c, "arrange_20x22_2.png", routingFrame, ox + kArrangeAt.x, oy + kArrangeAt.y);
    const double busyValues[4] = {-24, 4, 0.3, 0.5};
    for (size_t i = 0; i < dynKnobs().size(); ++i) {
      const bool optoGrey = busy && p == 1 && i > 0;
      knob(c, art, dynKnobs()[i], busy ? busyValues[i] : dynKnobs()[i].defaultValue, ox, oy,
           off || optoGrey ? 0.25 : 1.0);
    }
  }
}

} // namespace artwork
