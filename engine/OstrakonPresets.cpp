#include "engine/OstrakonPresets.h"

#include "engine/OstrakonParams.h"

namespace
{
// Values in real units, switches and lists by index, set in this order on the defaults
// (a slot's type before its attack and release, whose ranges follow it).
constexpr double kOff = 0.0, kOn = 1.0;
constexpr double kRouteEqFirst = 1.0; // "Eq -> Dyn1 -> Dyn2"

// Presence and air over a cleared low end, then an opto levelling the phrase.
const IPlugLV2PresetValue kVocalStrip[] = {
  {kRouting, kRouteEqFirst},
  {kHiPassFreq, 90},
  {kLowMidFreq, 300}, {kLowMidGain, -2.5}, {kLowMidQ, 1.0},
  {kHiMidFreq, 3500}, {kHiMidGain, 3.5}, {kHiMidQ, 1.2},
  {kHiShelfFreq, 10000}, {kHiShelfGain, 3},
  {kDyn1Type, kDynOpto}, {kDyn1Thresh, -40}, {kDyn1OutputGain, 6},
  {kDyn2On, kOff},
};

// A slow-attack VCA holding the kit together by a couple of decibels, the transients through.
const IPlugLV2PresetValue kDrumBusGlue[] = {
  {kDyn1Type, kDynVCA}, {kDyn1Thresh, -35}, {kDyn1Ratio, 2}, {kDyn1Attack, 10}, {kDyn1Release, 200},
  {kDyn1OutputGain, 2},
  {kDyn2On, kOff},
};

// The analogue stages driven a little, a touch of top and low end and a barely moving VCA.
const IPlugLV2PresetValue kMixBusColour[] = {
  {kInputGain, 3}, {kOutputGain, -3},
  {kHiShelfFreq, 10000}, {kHiShelfGain, 2.5},
  {kLowShelfFreq, 40}, {kLowShelfGain, 1},
  {kDyn1Type, kDynVCA}, {kDyn1Thresh, -30}, {kDyn1Ratio, 1.5}, {kDyn1Attack, 30}, {kDyn1Release, 400},
  {kDyn1OutputGain, 0.5},
  {kDyn2On, kOff},
  {kAnalogueOn, kOn},
};

// Rumble and boom below the music gone; nothing else touched.
const IPlugLV2PresetValue kDeBoom[] = {
  {kHiPassFreq, 100},
  {kLowShelfFreq, 200}, {kLowShelfGain, -1.5},
  {kDyn1On, kOff}, {kDyn2On, kOff},
};

// An FET worked hard and fast, for blending under the dry track (a parallel bus).
const IPlugLV2PresetValue kHeavySquash[] = {
  {kDyn1Type, kDynFET}, {kDyn1Thresh, -40}, {kDyn1Ratio, 20}, {kDyn1Attack, 0.1}, {kDyn1Release, 100},
  {kDyn1OutputGain, 12},
  {kDyn2On, kOff},
};

#define VALUES(v) v, (int) (sizeof v / sizeof v[0])
} // namespace

// Unbounded here, so that a count other than the header's fails to compile.
const IPlugLV2Preset kOstrakonFactoryPresets[] = {
  {"https://quarro.audio/plugins/ostrakon/presets#vocal-strip", "presets/vocal-strip.ttl", "Vocal Strip",
   "Low end cleared, presence and air lifted, an opto levelling the phrase.", VALUES(kVocalStrip)},
  {"https://quarro.audio/plugins/ostrakon/presets#drum-bus-glue", "presets/drum-bus-glue.ttl", "Drum Bus Glue",
   "A slow-attack VCA taking a couple of decibels off the kit, the transients through.", VALUES(kDrumBusGlue)},
  {"https://quarro.audio/plugins/ostrakon/presets#mix-bus-colour", "presets/mix-bus-colour.ttl", "Mix Bus Colour",
   "The analogue stages driven a little, a touch of top and low end, a barely moving VCA.", VALUES(kMixBusColour)},
  {"https://quarro.audio/plugins/ostrakon/presets#de-boom", "presets/de-boom.ttl", "De-Boom High-Pass",
   "Rumble and boom below 100 Hz gone; the music above untouched.", VALUES(kDeBoom)},
  {"https://quarro.audio/plugins/ostrakon/presets#heavy-squash", "presets/heavy-squash.ttl", "Heavy Squash",
   "An FET worked hard and fast, to blend under the dry track on a parallel bus.", VALUES(kHeavySquash)},
};
