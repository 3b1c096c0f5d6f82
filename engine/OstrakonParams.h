#pragma once
// The strip's parameter table: the one list from which the plug-in, its host
// adapters, the command-line tools and the tests all take names, ranges and texts.

#include "IPlug/IParam.h"

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

// Step of every double parameter at construction.
constexpr double kOstrakonDoubleStep = 0.1;

// Applies one row of the table to a parameter record.
void InitOstrakonParam(IParam* param, const OstrakonParamSpec& spec);
