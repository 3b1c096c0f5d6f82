#include "engine/OstrakonParams.h"

#include "IPlug/IPlugBase.h"

namespace
{
const char* const kDynTypeTexts[] = {"VCA", "FET", "OPTO", "Expander"};
const char* const kRoutingTexts[] = {"Dyn1 -> Eq -> Dyn2", "Eq -> Dyn1 -> Dyn2",
                                     "Dyn1 -> Dyn2 -> Eq"};

constexpr IParam::EParamType D = IParam::kTypeDouble;
constexpr IParam::EParamType I = IParam::kTypeInt;
constexpr IParam::EParamType E = IParam::kTypeEnum;
constexpr IParam::EParamType B = IParam::kTypeBool;

// The time knobs start in the VCA's ranges, type 0 being the default.
constexpr DynTimeRange kA = kDynTimeRanges[kDynVCA].attack;
constexpr DynTimeRange kR = kDynTimeRanges[kDynVCA].release;
static_assert(kA.step == kOstrakonDoubleStep && kR.step == kOstrakonDoubleStep,
              "the table's double parameters share one step");
} // namespace

// clang-format off
const OstrakonParamSpec kOstrakonParams[kNumParams] = {
  {"Hi Pass Freq.",    D,    20,   20,   200, "Hz", 1.5, false, nullptr, 0},
  {"Low Pass Freq.",   I, 20000, 2000, 20000, "Hz", 1.5, false, nullptr, 0},
  {"Hi Shelf Freq.",   I,  1500, 1500, 15000, "Hz", 1.5, false, nullptr, 0},
  {"Hi Shelf Gain",    D,     0,  -15,    15, "dB", 1.0, false, nullptr, 0},
  {"Low Shelf Freq.",  D,    30,   30,   200, "Hz", 1.5, false, nullptr, 0},
  {"Low Shelf Gain",   D,     0,  -15,    15, "dB", 1.0, false, nullptr, 0},
  {"Low Mid Freq.",    I,   200,  200,  2500, "Hz", 1.5, false, nullptr, 0},
  {"Low Mid Gain",     D,     0,  -15,    15, "dB", 1.0, false, nullptr, 0},
  {"Low Mid Q",        D,   0.5,  0.5,     8, "",   1.0, false, nullptr, 0},
  {"Hi Mid Freq.",     I,   600,  600,  7000, "Hz", 1.5, false, nullptr, 0},
  {"Hi Mid Gain",      D,     0,  -15,    15, "dB", 1.0, false, nullptr, 0},
  {"Hi Mid Q",         D,   0.5,  0.5,     8, "",   1.0, false, nullptr, 0},
  {"Filter Freq.",     I,  1000,   20, 12000, "Hz", 1.5, false, nullptr, 0},
  {"Filter Gain",      D,     0,  -15,    15, "dB", 1.0, false, nullptr, 0},
  {"Filter Q",         D,   0.5,  0.5,     8, "",   1.0, false, nullptr, 0},
  {"Eq On/Off",        B,     1,    0,     1, "",   1.0, false, nullptr, 0},
  {"Eq Input Gain",    D,     0,  -40,    15, "dB", 1.0, true,  nullptr, 0},
  {"Eq Output Gain",   D,     0,  -40,    15, "dB", 1.0, true,  nullptr, 0},
  {"Dyn. 1 Thresh.",   D,     0,  -60,     0, "dB", 2.0, false, nullptr, 0},
  {"Dyn. 1 Attack",    D, kA.defaultValue, kA.minValue, kA.maxValue, "ms", 2.0, false, nullptr, 0},
  {"Dyn. 1 Release",   D, kR.defaultValue, kR.minValue, kR.maxValue, "ms", 2.0, false, nullptr, 0},
  {"Dyn. 1 Ratio",     D,     1,    1,    20, "",   2.0, false, nullptr, 0},
  {"Dyn. 1 On/Off",    B,     1,    0,     1, "",   1.0, false, nullptr, 0},
  {"Dyn. 1 Type",      E,     0,    0,     3, "",   1.0, false, kDynTypeTexts, 4},
  {"Dyn1 Input Gain",  D,     0,  -40,    15, "dB", 1.0, true,  nullptr, 0},
  {"Dyn1 Output Gain", D,     0,  -40,    15, "dB", 1.0, true,  nullptr, 0},
  {"Dyn. 2 Thresh.",   D,     0,  -60,     0, "dB", 2.0, false, nullptr, 0},
  {"Dyn. 2 Attack",    D, kA.defaultValue, kA.minValue, kA.maxValue, "ms", 2.0, false, nullptr, 0},
  {"Dyn. 2 Release",   D, kR.defaultValue, kR.minValue, kR.maxValue, "ms", 2.0, false, nullptr, 0},
  {"Dyn. 2 Ratio",     D,     1,    1,    20, "",   2.0, false, nullptr, 0},
  {"Dyn. 2 On/Off",    B,     1,    0,     1, "",   1.0, false, nullptr, 0},
  {"Dyn. 2 Type",      E,     0,    0,     3, "",   1.0, false, kDynTypeTexts, 4},
  {"Dyn2 Input Gain",  D,     0,  -40,    15, "dB", 1.0, true,  nullptr, 0},
  {"Dyn2 Output Gain", D,     0,  -40,    15, "dB", 1.0, true,  nullptr, 0},
  {"Routing",          E,     0,    0,     2, "",   1.0, false, kRoutingTexts, 3},
  {"Input Gain",       D,     0,  -60,    30, "dB", 1.0, true,  nullptr, 0},
  {"Output Gain",      D,     0,  -60,    30, "dB", 1.0, true,  nullptr, 0},
  {"Analogue On/Off",  B,     1,    0,     1, "",   1.0, false, nullptr, 0},
  {"Rev. Phase",       B,     0,    0,     1, "",   1.0, false, nullptr, 0},
  {"Oversampling",     B,     0,    0,     1, "",   1.0, false, nullptr, 0},
};
// clang-format on

void InitOstrakonParam(IParam* param, const OstrakonParamSpec& spec)
{
  switch (spec.kind)
  {
    case IParam::kTypeDouble:
      param->InitDouble(spec.name, spec.defaultValue, spec.minValue, spec.maxValue,
                        kOstrakonDoubleStep, spec.label);
      break;
    case IParam::kTypeInt:
      param->InitInt(spec.name, (int) spec.defaultValue, (int) spec.minValue, (int) spec.maxValue,
                     spec.label);
      break;
    case IParam::kTypeEnum:
      param->InitEnum(spec.name, (int) spec.defaultValue, spec.nTexts);
      break;
    case IParam::kTypeBool:
      param->InitBool(spec.name, spec.defaultValue != 0.0, spec.label);
      break;
    case IParam::kTypeNone:
      break;
  }
  if (spec.shape != 1.0 || spec.explicitShape) param->SetShape(spec.shape);
  for (int i = 0; i < spec.nTexts; ++i) param->SetDisplayText((double) i, spec.texts[i]);
}

void FollowDynType(IPlugBase* plug, int slot)
{
  if (slot != 0 && slot != 1) return;
  const int attackIdx = slot == 0 ? kDyn1Attack : kDyn2Attack;
  const int releaseIdx = slot == 0 ? kDyn1Release : kDyn2Release;
  IParam* attack = plug->GetParam(attackIdx);
  IParam* release = plug->GetParam(releaseIdx);
  const double tA = attack->GetNormalized(), tR = release->GetNormalized();
  const int type = plug->GetParam(slot == 0 ? kDyn1Type : kDyn2Type)->Int();
  if (type >= 0 && type < kNumDynTypes && kDynTimeRanges[type].ranged)
  {
    const DynTimeRange& a = kDynTimeRanges[type].attack;
    const DynTimeRange& r = kDynTimeRanges[type].release;
    // From the table, not GetNameForHost: InitDouble would copy the name onto itself.
    attack->InitDouble(kOstrakonParams[attackIdx].name, a.defaultValue, a.minValue, a.maxValue, a.step, "ms");
    release->InitDouble(kOstrakonParams[releaseIdx].name, r.defaultValue, r.minValue, r.maxValue, r.step, "ms");
  }
  attack->SetNormalized(tA);
  release->SetNormalized(tR);
}
