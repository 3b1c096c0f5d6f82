#include "engine/Ostrakon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace
{
// Counts the engine's parameter notifications.
class CountingStrip : public Ostrakon
{
public:
  CountingStrip() : Ostrakon(IPlugInstanceInfo()) {}
  void OnParamChange(int idx) override
  {
    Ostrakon::OnParamChange(idx);
    changes.push_back(idx);
  }
  std::vector<int> changes;
};

// Every parameter at a random position, both dynamics types chosen first; the type
// change re-ranges their attack and release.
void Randomise(IPlugBase* plug, std::mt19937& rng)
{
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int type : {kDyn1Type, kDyn2Type})
  {
    plug->GetParam(type)->Set((double) std::uniform_int_distribution<int>(0, 3)(rng));
    plug->OnParamChange(type);
  }
  for (int i = 0; i < kNumParams; ++i)
    if (i != kDyn1Type && i != kDyn2Type) plug->GetParam(i)->SetNormalized(unit(rng));
  plug->OnParamReset();
}

bool IsDiscrete(const IParam* p) { return p->Type() != IParam::kTypeDouble; }
} // namespace

TEST(StripState, ThreeHundredTwentyBytesOfNormalisedValues)
{
  std::unique_ptr<Ostrakon> plug(MakePlug());
  ByteChunk c;
  ASSERT_TRUE(plug->SerializeState(&c));
  ASSERT_EQ(c.Size(), 320);
  for (int i = 0; i < kNumParams; ++i)
  {
    double v = -1.0;
    ASSERT_EQ(c.Get(&v, 8 * i), 8 * (i + 1));
    EXPECT_GE(v, 0.0) << i;
    EXPECT_LE(v, 1.0) << i;
    EXPECT_EQ(v, plug->GetParam(i)->GetNormalized()) << i;
  }
  // "Hi Pass Freq." at its bottom, "Eq On/Off" on, "Input Gain" at 0 dB of -60..30.
  const unsigned char zero[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  const unsigned char one[8] = {0, 0, 0, 0, 0, 0, 0xf0, 0x3f};
  EXPECT_EQ(memcmp(c.GetData() + 8 * kHiPassFreq, zero, 8), 0);
  EXPECT_EQ(memcmp(c.GetData() + 8 * kEqOn, one, 8), 0);
  EXPECT_EQ(memcmp(c.GetData() + 8 * kRevPhase, zero, 8), 0);
  double inputGain = 0.0;
  c.Get(&inputGain, 8 * kInputGain);
  EXPECT_EQ(inputGain, 60.0 / 90.0);

  // The strip declares no presets: every preset road fails and changes nothing.
  EXPECT_EQ(plug->NPresets(), 0);
  EXPECT_FALSE(plug->RestorePreset(0));
  EXPECT_FALSE(plug->RestorePreset("user preset 1"));
  EXPECT_STREQ(plug->GetPresetName(plug->GetCurrentPresetIdx()), "");
  ByteChunk presets;
  EXPECT_TRUE(plug->SerializePresets(&presets));
  EXPECT_EQ(presets.Size(), 0);
}

TEST(StripState, SaveAndRestoreReproducesEveryParameter)
{
  std::mt19937 rng(4242);
  for (int iter = 0; iter < 300; ++iter)
  {
    SCOPED_TRACE(iter);
    std::unique_ptr<Ostrakon> src(MakePlug()), dst(MakePlug());
    Randomise(src.get(), rng);
    Randomise(dst.get(), rng); // the restore must overwrite a different sound
    ByteChunk c;
    ASSERT_TRUE(src->SerializeState(&c));
    ASSERT_EQ(c.Size(), 320);
    ASSERT_EQ(dst->UnserializeState(&c, 0), 320);

    for (int i = 0; i < kNumParams; ++i)
    {
      const IParam* a = src->GetParam(i);
      const IParam* b = dst->GetParam(i);
      if (IsDiscrete(a))
        ASSERT_EQ(b->Value(), a->Value()) << i;
      else
        ASSERT_NEAR(b->GetNormalized(), a->GetNormalized(), 1e-12) << i;
    }
    for (int slot = 0; slot < 2; ++slot)
    {
      if (src->GetParam(slot == 0 ? kDyn1Type : kDyn2Type)->Int() == 2) continue; // OPTO: history
      for (int idx : {slot == 0 ? kDyn1Attack : kDyn2Attack, slot == 0 ? kDyn1Release : kDyn2Release})
      {
        ASSERT_EQ(dst->GetParam(idx)->GetMin(), src->GetParam(idx)->GetMin()) << idx;
        ASSERT_EQ(dst->GetParam(idx)->GetMax(), src->GetParam(idx)->GetMax()) << idx;
        ASSERT_EQ(dst->GetParam(idx)->GetPrecision(), src->GetParam(idx)->GetPrecision()) << idx;
      }
    }
    // The engine followed the restore.
    for (int slot = 0; slot < 3; ++slot)
      ASSERT_EQ(dst->GetRoutingSlot(slot), src->GetRoutingSlot(slot));
    ASSERT_NEAR(dst->GetInputGainFactor(), src->GetInputGainFactor(),
                1e-9 * src->GetInputGainFactor());
    ASSERT_NEAR(dst->GetOutputGainFactor(), src->GetOutputGainFactor(),
                1e-9 * src->GetOutputGainFactor());

    // Saving the restored strip gives the same chunk back, value for value.
    ByteChunk again;
    ASSERT_TRUE(dst->SerializeState(&again));
    for (int i = 0; i < kNumParams; ++i)
    {
      double x = 0.0, y = 0.0;
      c.Get(&x, 8 * i);
      again.Get(&y, 8 * i);
      ASSERT_NEAR(y, x, 1e-12) << i;
    }
  }
}

TEST(StripState, HalfAChunkSetsTheFirstTwentyParameters)
{
  std::unique_ptr<Ostrakon> src(MakePlug());
  for (int i = 0; i < kNumParams; ++i) src->GetParam(i)->SetNormalized(0.8);
  ByteChunk full, half;
  src->SerializeParams(&full);
  half.PutBytes(full.GetData(), 160);

  CountingStrip dst;
  for (int i = 0; i < kNumParams; ++i) dst.GetParam(i)->SetNormalized(0.3);
  std::vector<double> before;
  for (int i = 0; i < kNumParams; ++i) before.push_back(dst.GetParam(i)->GetNormalized());
  EXPECT_EQ(dst.UnserializeParams(&half, 0), -1);
  for (int i = 0; i < 20; ++i)
    EXPECT_NEAR(dst.GetParam(i)->GetNormalized(), src->GetParam(i)->GetNormalized(), 1e-12) << i;
  // Parameter 20 "Dyn. 1 Release", where the data ran out, and all after it keep their
  // positions (a type change re-ranges attack and release but keeps their knobs).
  for (int i = 20; i < kNumParams; ++i) EXPECT_NEAR(dst.GetParam(i)->GetNormalized(), before[i], 1e-12) << i;
  std::vector<int> all;
  for (int i = 0; i < kNumParams; ++i) all.push_back(i);
  EXPECT_EQ(dst.changes, all);

  // A longer chunk is read for its 320 bytes; the rest is ignored.
  ByteChunk longer;
  longer.PutChunk(&full);
  const double junk = 12345.0;
  longer.Put(&junk);
  ASSERT_EQ(longer.Size(), 328);
  dst.changes.clear();
  EXPECT_EQ(dst.UnserializeParams(&longer, 0), 320);
  EXPECT_EQ(dst.changes, all);
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_NEAR(dst.GetParam(i)->GetNormalized(), src->GetParam(i)->GetNormalized(), 1e-12) << i;
}

TEST(StripState, EditorChangesReachTheEngine)
{
  std::unique_ptr<Ostrakon> plug(MakePlug());
  plug->SetParameterFromGUI(kInputGain, 0.5); // -15 dB of -60..30
  EXPECT_DOUBLE_EQ(plug->GetParam(kInputGain)->Value(), -15.0);
  plug->ApplyParamChanges(); // as the next block would
  EXPECT_DOUBLE_EQ(plug->GetInputGainFactor(), std::exp(-15.0 * 0.1151292546497));
  plug->SetParameterFromGUI(kRouting, 1.0);
  plug->ApplyParamChanges();
  EXPECT_EQ(plug->GetRoutingSlot(0), Ostrakon::kStageDyn1);
  EXPECT_EQ(plug->GetRoutingSlot(2), Ostrakon::kStageEq);
  EXPECT_EQ(plug->GetEffectVersion(true), 20002);
  char text[MAX_VERSION_STR_LEN];
  plug->GetEffectVersionStr(text);
  EXPECT_STREQ(text, "v2.0.2");
}
