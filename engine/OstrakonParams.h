#pragma once
// The strip's parameter table: the one list from which the plug-in, its host
// adapters, the command-line tools and the tests all take names, ranges and texts.

#include "IPlug/IParam.h"

class IPlugBase;

enum EParams
{
  kHiPassFreq = 0,
  kLowPassFreq,
  kHiShelfFreq,
  kHiShelfGain,
  kLowShelfFreq,
  kLowShelfGain,
  kLowMidFreq,
  kLowMidGain,
  kLowMidQ,
  kHiMidFreq,
  kHiMidGain,
  kHiMidQ,
  kFilterFreq,
  kFilterGain,
  kFilterQ,
  kEqOn,
  kEqInputGain,
  kEqOutputGain,
  kDyn1Thresh,
  kDyn1Attack,
  kDyn1Release,
  kDyn1Ratio,
  kDyn1On,
  kDyn1Type,
  kDyn1InputGain,
  kDyn1OutputGain,
  kDyn2Thresh,
  kDyn2Attack,
  kDyn2Release,
  kDyn2Ratio,
  kDyn2On,
  kDyn2Type,
  kDyn2InputGain,
  kDyn2OutputGain,
  kRouting,
  kInputGain,
  kOutputGain,
  kAnalogueOn,
  kRevPhase,
  kOversampling,
  kNumParams
};

struct OstrakonParamSpec
{
  const char* name;
  IParam::EParamType kind;
  double defaultValue;
  double minValue;
  double maxValue;
  const char* label;
  double shape;
  bool explicitShape; // SetShape is called even though the shape is 1
  const char* const* texts; // enum display texts in value order, or null
  int nTexts;
};

extern const OstrakonParamSpec kOstrakonParams[kNumParams];

// The values of "Dyn. 1 Type" and "Dyn. 2 Type".
enum EDynType
{
  kDynVCA = 0,
  kDynFET,
  kDynOpto,
  kDynExpander,
  kNumDynTypes
};

// A time knob's range: the InitDouble arguments its parameter takes for a type.
struct DynTimeRange
{
  double defaultValue, minValue, maxValue, step;
};

struct DynTimeRanges
{
  bool ranged; // false: the type keeps the ranges the knobs last had
  DynTimeRange attack, release;
};

// The attack and release knobs' ranges per dynamics type, in milliseconds. A type
// change re-initialises the slot's two parameters with them (the knobs keep their
// positions), and the module laws map a knob's position across its type's range.
// clang-format off
constexpr DynTimeRanges kDynTimeRanges[kNumDynTypes] = {
  /* VCA */      {true, {1.0, 1.0, 30.0, 0.1},     {100.0, 100.0, 4000.0, 0.1}},
  /* FET */      {true, {0.02, 0.02, 0.8, 0.01},   {50.0, 50.0, 1200.0, 0.1}},
  // Unchanged: the opto type's time constants are fixed and it reads neither knob.
  /* OPTO */     {false, {},                        {}},
  /* Expander */ {true, {1.0, 1.0, 30.0, 0.1},     {50.0, 50.0, 1000.0, 0.1}},
};
// clang-format on

// Step of every double parameter at construction.
constexpr double kOstrakonDoubleStep = 0.1;

// Applies one row of the table to a parameter record.
void InitOstrakonParam(IParam* param, const OstrakonParamSpec& spec);

// After a change of dynamics slot 0 or 1's type: its attack and release parameters take
// the type's ranges (a type without its own keeps the last ones) and keep their knob
// positions.
void FollowDynType(IPlugBase* plug, int slot);
