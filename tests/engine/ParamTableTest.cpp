#include "engine/Ostrakon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
struct Row
{
  const char* name;
  const char* kind;
  double def, lo, hi;
  const char* label;
  double shape;
  const char* shown; // default value as the host shows it
};

// The strip's parameters as the host sees them.
const Row kRows[kNumParams] = {
  {"Hi Pass Freq.", "double", 20, 20, 200, "Hz", 1.5, "20.0"},
  {"Low Pass Freq.", "int", 20000, 2000, 20000, "Hz", 1.5, "20000"},
  {"Hi Shelf Freq.", "int", 1500, 1500, 15000, "Hz", 1.5, "1500"},
  {"Hi Shelf Gain", "double", 0, -15, 15, "dB", 1, "0.0"},
  {"Low Shelf Freq.", "double", 30, 30, 200, "Hz", 1.5, "30.0"},
  {"Low Shelf Gain", "double", 0, -15, 15, "dB", 1, "0.0"},
  {"Low Mid Freq.", "int", 200, 200, 2500, "Hz", 1.5, "200"},
  {"Low Mid Gain", "double", 0, -15, 15, "dB", 1, "0.0"},
  {"Low Mid Q", "double", 0.5, 0.5, 8, "", 1, "0.5"},
  {"Hi Mid Freq.", "int", 600, 600, 7000, "Hz", 1.5, "600"},
  {"Hi Mid Gain", "double", 0, -15, 15, "dB", 1, "0.0"},
  {"Hi Mid Q", "double", 0.5, 0.5, 8, "", 1, "0.5"},
  {"Filter Freq.", "int", 1000, 20, 12000, "Hz", 1.5, "1000"},
  {"Filter Gain", "double", 0, -15, 15, "dB", 1, "0.0"},
  {"Filter Q", "double", 0.5, 0.5, 8, "", 1, "0.5"},
  {"Eq On/Off", "bool", 1, 0, 1, "", 1, "on"},
  {"Eq Input Gain", "double", 0, -40, 15, "dB", 1, "0.0"},
  {"Eq Output Gain", "double", 0, -40, 15, "dB", 1, "0.0"},
  {"Dyn. 1 Thresh.", "double", 0, -60, 0, "dB", 2, "0.0"},
  {"Dyn. 1 Attack", "double", 1, 1, 30, "ms", 2, "1.0"},
  {"Dyn. 1 Release", "double", 100, 100, 4000, "ms", 2, "100.0"},
  {"Dyn. 1 Ratio", "double", 1, 1, 20, "", 2, "1.0"},
  {"Dyn. 1 On/Off", "bool", 1, 0, 1, "", 1, "on"},
  {"Dyn. 1 Type", "enum", 0, 0, 3, "", 1, "VCA"},
  {"Dyn1 Input Gain", "double", 0, -40, 15, "dB", 1, "0.0"},
  {"Dyn1 Output Gain", "double", 0, -40, 15, "dB", 1, "0.0"},
  {"Dyn. 2 Thresh.", "double", 0, -60, 0, "dB", 2, "0.0"},
  {"Dyn. 2 Attack", "double", 1, 1, 30, "ms", 2, "1.0"},
  {"Dyn. 2 Release", "double", 100, 100, 4000, "ms", 2, "100.0"},
  {"Dyn. 2 Ratio", "double", 1, 1, 20, "", 2, "1.0"},
  {"Dyn. 2 On/Off", "bool", 1, 0, 1, "", 1, "on"},
  {"Dyn. 2 Type", "enum", 0, 0, 3, "", 1, "VCA"},
  {"Dyn2 Input Gain", "double", 0, -40, 15, "dB", 1, "0.0"},
  {"Dyn2 Output Gain", "double", 0, -40, 15, "dB", 1, "0.0"},
  {"Routing", "enum", 0, 0, 2, "", 1, "Dyn1 -> Eq -> Dyn2"},
  {"Input Gain", "double", 0, -60, 30, "dB", 1, "0.0"},
  {"Output Gain", "double", 0, -60, 30, "dB", 1, "0.0"},
  {"Analogue On/Off", "bool", 1, 0, 1, "", 1, "on"},
  {"Rev. Phase", "bool", 0, 0, 1, "", 1, "off"},
  {"Oversampling", "bool", 0, 0, 1, "", 1, "off"},
};

std::string KindName(IParam::EParamType t)
{
  switch (t)
  {
    case IParam::kTypeBool: return "bool";
    case IParam::kTypeInt: return "int";
    case IParam::kTypeEnum: return "enum";
    case IParam::kTypeDouble: return "double";
    default: return "none";
  }
}

std::string Shown(const IParam* p, double v, bool texts = true)
{
  char buf[MAX_PARAM_DISPLAY_LEN];
  p->GetDisplayForHost(v, false, buf, texts);
  return buf;
}
} // namespace

TEST(ParamTable, EveryRowAsTheHostSeesIt)
{
  std::unique_ptr<Ostrakon> plug(MakePlug());
  ASSERT_EQ(plug->NParams(), kNumParams);
  for (int i = 0; i < kNumParams; ++i)
  {
    SCOPED_TRACE(i);
    const IParam* p = plug->GetParam(i);
    const Row& r = kRows[i];
    EXPECT_STREQ(p->GetNameForHost(), r.name);
    EXPECT_EQ(KindName(p->Type()), r.kind);
    EXPECT_EQ(p->GetDefault(), r.def);
    EXPECT_EQ(p->Value(), r.def);
    EXPECT_EQ(p->GetMin(), r.lo);
    EXPECT_EQ(p->GetMax(), r.hi);
    EXPECT_STREQ(p->GetLabel(), r.label);
    EXPECT_EQ(p->GetShape(), r.shape);
    EXPECT_EQ(p->GetStep(), p->Type() == IParam::kTypeDouble ? 0.1 : 1.0);
    EXPECT_EQ(p->GetPrecision(), p->Type() == IParam::kTypeDouble ? 1 : 0);
    EXPECT_EQ(Shown(p, p->GetDefault()), r.shown);
  }
}

TEST(ParamTable, TimeKnobRangesPerDynamicsType)
{
  struct Expected
  {
    bool ranged;
    double attack[4], release[4]; // default, minimum, maximum, step
  };
  const Expected expected[kNumDynTypes] = {
    {true, {1, 1, 30, 0.1}, {100, 100, 4000, 0.1}},      // VCA
    {true, {0.02, 0.02, 0.8, 0.01}, {50, 50, 1200, 0.1}}, // FET
    {false, {}, {}},                                     // OPTO: unchanged
    {true, {1, 1, 30, 0.1}, {50, 50, 1000, 0.1}},        // Expander
  };
  for (int type = 0; type < kNumDynTypes; ++type)
  {
    const DynTimeRanges& r = kDynTimeRanges[type];
    const Expected& e = expected[type];
    ASSERT_EQ(r.ranged, e.ranged) << type;
    if (!r.ranged) continue;
    const DynTimeRange* got[2] = {&r.attack, &r.release};
    const double* want[2] = {e.attack, e.release};
    for (int k = 0; k < 2; ++k)
    {
      EXPECT_EQ(got[k]->defaultValue, want[k][0]) << type;
      EXPECT_EQ(got[k]->minValue, want[k][1]) << type;
      EXPECT_EQ(got[k]->maxValue, want[k][2]) << type;
      EXPECT_EQ(got[k]->step, want[k][3]) << type;
    }
  }
  // The knobs start in the ranges of the default type, VCA.
  for (int idx : {kDyn1Attack, kDyn2Attack})
    EXPECT_EQ(kOstrakonParams[idx].maxValue, kDynTimeRanges[kDynVCA].attack.maxValue);
  for (int idx : {kDyn1Release, kDyn2Release})
    EXPECT_EQ(kOstrakonParams[idx].minValue, kDynTimeRanges[kDynVCA].release.minValue);
}

TEST(ParamTable, DisplayTextsOfSwitchesAndChoices)
{
  std::unique_ptr<Ostrakon> plug(MakePlug());
  for (int idx : {kDyn1Type, kDyn2Type})
  {
    const IParam* p = plug->GetParam(idx);
    ASSERT_EQ(p->GetNDisplayTexts(), 4);
    EXPECT_EQ(Shown(p, 0), "VCA");
    EXPECT_EQ(Shown(p, 1), "FET");
    EXPECT_EQ(Shown(p, 2), "OPTO");
    EXPECT_EQ(Shown(p, 3), "Expander");
    int v = -1;
    EXPECT_TRUE(p->MapDisplayText("Expander", &v));
    EXPECT_EQ(v, 3);
  }
  const IParam* routing = plug->GetParam(kRouting);
  ASSERT_EQ(routing->GetNDisplayTexts(), 3);
  EXPECT_EQ(Shown(routing, 0), "Dyn1 -> Eq -> Dyn2");
  EXPECT_EQ(Shown(routing, 1), "Eq -> Dyn1 -> Dyn2");
  EXPECT_EQ(Shown(routing, 2), "Dyn1 -> Dyn2 -> Eq");

  for (int i = 0; i < kNumParams; ++i)
  {
    const IParam* p = plug->GetParam(i);
    if (p->Type() != IParam::kTypeBool) continue;
    SCOPED_TRACE(i);
    EXPECT_EQ(Shown(p, 0), "off");
    EXPECT_EQ(Shown(p, 1), "on");
    EXPECT_STREQ(p->GetLabelForHost(), "");
  }
  // A labelled parameter shows its label; a number without texts shows one decimal.
  EXPECT_STREQ(plug->GetParam(kInputGain)->GetLabelForHost(), "dB");
  EXPECT_EQ(Shown(plug->GetParam(kInputGain), -12.34), "-12.3");
  EXPECT_EQ(Shown(plug->GetParam(kLowPassFreq), 2500.9), "2500");
}

TEST(ParamTable, IdentityAndLayout)
{
  std::unique_ptr<Ostrakon> plug(MakePlug());
  EXPECT_STREQ(plug->GetEffectName(), "Quarro Ostrakon");
  EXPECT_STREQ(plug->GetProductName(), "");
  EXPECT_STREQ(plug->GetMfrName(), "Quarro");
  EXPECT_EQ(plug->GetEffectVersion(), 0x20002);
  EXPECT_EQ(plug->GetUniqueID(), 0x56787137); // 'Vxq7'
  EXPECT_EQ(plug->GetMfrID(), 0x5172726f);    // 'Qrro'
  EXPECT_EQ(plug->GetLatency(), 0);
  EXPECT_EQ(plug->NPresets(), 0);
  EXPECT_FALSE(plug->DoesStateChunks());
  EXPECT_FALSE(plug->IsInst());
  EXPECT_EQ(plug->NInChannels(), 2);
  EXPECT_EQ(plug->NOutChannels(), 2);
  EXPECT_TRUE(plug->LegalIO(1, 1));
  EXPECT_TRUE(plug->LegalIO(2, 2));
  EXPECT_FALSE(plug->LegalIO(1, 2));
}
