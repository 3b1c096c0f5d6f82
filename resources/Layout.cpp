#include "resources/Layout.h"

#include <algorithm>
#include <cmath>

namespace artwork::layout {

double normalised(const Scale& s, double v) {
  double x = (std::clamp(v, s.min, s.max) - s.min) / (s.max - s.min);
  return std::pow(x, 1.0 / s.shape);
}

double Scale::angleOf(double v) const { return -135.0 + 270.0 * normalised(*this, v); }

namespace {

Scale freq(double lo, double hi, std::vector<double> ticks, std::vector<double> majors,
           std::string loText, std::string hiText) {
  return {lo, hi, 1.5, std::move(ticks), std::move(majors), std::move(loText), std::move(hiText)};
}

Scale gain15() {
  return {-15, 15, 1, {-15, -10, -5, 0, 5, 10, 15}, {-15, 0, 15}, "-15", "+15"};
}

Scale q() { return {0.5, 8, 1, {0.5, 1, 2, 3, 4, 5, 6, 7, 8}, {0.5, 8}, "0.5", "8"}; }

// Attack and release change their range with the dynamics type, so their scale is
// evenly divided and carries no numbers.
Scale timeScale() {
  std::vector<double> t;
  for (int i = 0; i <= 10; ++i)
    t.push_back(i / 10.0);
  return {0, 1, 1, t, {0, 1}, "", ""};
}

Scale ioGain() {
  return {-60, 30, 1, {-60, -50, -40, -30, -20, -10, 0, 10, 20, 30}, {-60, 0, 30}, "-60", "+30"};
}

} // namespace

const std::vector<KnobSpot>& topKnobs() {
  static const std::vector<KnobSpot> k = {
      {kInputKnob, KnobKind::IoGain, "", LabelAt::Above, ioGain(), 0, "dB", false},
      {kOutputKnob, KnobKind::IoGain, "", LabelAt::Above, ioGain(), 0, "dB", false},
  };
  return k;
}

const std::vector<KnobSpot>& eqKnobs() {
  static const std::vector<KnobSpot> k = {
      {{8, 79}, KnobKind::Pos, "FREQ", LabelAt::Above,
       freq(20, 200, {20, 30, 50, 70, 100, 150, 200}, {20, 50, 100, 200}, "20", "200"), 20, "Hz", false},
      {{61, 79}, KnobKind::Pos, "FREQ", LabelAt::Above,
       freq(30, 200, {30, 40, 50, 70, 100, 150, 200}, {30, 50, 100, 200}, "30", "200"), 30, "Hz", false},
      {{61, 137}, KnobKind::Mid, "GAIN", LabelAt::Left, gain15(), 0, "dB", false},
      {{139, 79}, KnobKind::Pos, "FREQ", LabelAt::Left,
       freq(200, 2500, {200, 300, 500, 700, 1000, 1500, 2000, 2500}, {200, 500, 1000, 2500}, "200", "2.5k"),
       200, "Hz", true},
      {{115, 24}, KnobKind::Mid, "GAIN", LabelAt::Above, gain15(), 0, "dB", false},
      {{165, 24}, KnobKind::Pos, "Q", LabelAt::Above, q(), 0.5, "", false},
      {{192, 160}, KnobKind::Pos, "FREQ", LabelAt::Above,
       freq(20, 12000, {20, 100, 500, 1000, 2000, 5000, 10000, 12000}, {20, 1000, 5000, 12000}, "20", "12k"),
       1000, "Hz", true},
      {{140, 160}, KnobKind::Mid, "GAIN", LabelAt::Above, gain15(), 0, "dB", false},
      {{246, 160}, KnobKind::Pos, "Q", LabelAt::Above, q(), 0.5, "", false},
      {{246, 79}, KnobKind::Pos, "FREQ", LabelAt::Left,
       freq(600, 7000, {600, 1000, 2000, 3000, 4000, 5000, 7000}, {600, 1000, 3000, 7000}, "600", "7k"),
       600, "Hz", true},
      {{221, 24}, KnobKind::Mid, "GAIN", LabelAt::Above, gain15(), 0, "dB", false},
      {{271, 24}, KnobKind::Pos, "Q", LabelAt::Above, q(), 0.5, "", false},
      {{325, 79}, KnobKind::Pos, "FREQ", LabelAt::Above,
       freq(1500, 15000, {1500, 2000, 3000, 5000, 7000, 10000, 15000}, {1500, 5000, 15000}, "1.5k", "15k"),
       1500, "Hz", true},
      {{325, 137}, KnobKind::Mid, "GAIN", LabelAt::Right, gain15(), 0, "dB", false},
      {{376, 79}, KnobKind::Pos, "FREQ", LabelAt::Above,
       freq(2000, 20000, {2000, 3000, 5000, 7000, 10000, 15000, 20000}, {2000, 5000, 10000, 20000}, "2k",
            "20k"),
       20000, "Hz", true},
  };
  return k;
}

const std::vector<KnobSpot>& dynKnobs() {
  static const std::vector<KnobSpot> k = {
      {{42, 63}, KnobKind::Neg, "THRESHOLD", LabelAt::Above,
       {-60, 0, 2, {-60, -50, -40, -30, -20, -10, 0}, {-60, -30, 0}, "-60", "0"}, 0, "dB", false},
      {{102, 63}, KnobKind::Pos, "RATIO", LabelAt::Above,
       {1, 20, 2, {1, 2, 3, 4, 6, 10, 15, 20}, {1, 4, 20}, "1", "20"}, 1, "", false},
      {{162, 63}, KnobKind::Pos, "ATTACK", LabelAt::Above, timeScale(), 0, "ms", false},
      {{222, 63}, KnobKind::Pos, "RELEASE", LabelAt::Above, timeScale(), 0, "ms", false},
  };
  return k;
}

const std::vector<Heading>& eqHeadings() {
  static const std::vector<Heading> h = {
      {"HI PASS", 31.5, 64, 0, 0},
      {"LO SHELF", 84.5, 64, 0, 0},
      {"LO MID", 163.5, 10, 117, 210},
      {"HI MID", 269.5, 10, 223, 316},
      {"HI SHELF", 348.5, 64, 0, 0},
      {"LO PASS", 399.5, 64, 0, 0},
      {"FILTER", 216.5, 143, 142, 291},
  };
  return h;
}

} // namespace artwork::layout
