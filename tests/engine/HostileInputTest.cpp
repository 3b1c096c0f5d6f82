// Whatever the input and the settings, the strip hands its host finite single-precision
// samples, and absurd input no more poisons it than a NaN does.

#include "engine/Ostrakon.h"

#include "tests/engine/StripHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace
{
const double kFloatMax = std::numeric_limits<float>::max();

std::vector<double> Sine(int n, double amplitude, double step)
{
  std::vector<double> v((size_t) n);
  for (int i = 0; i < n; ++i) v[(size_t) i] = amplitude * std::sin(step * i);
  return v;
}

// Every parameter at its minimum, its maximum or somewhere between.
void Extremes(StripHarness& h, std::mt19937& rng)
{
  for (int p = 0; p < kNumParams; ++p)
  {
    const unsigned pick = rng() % 3;
    h.plug->GetParam(p)->SetNormalized(pick == 0 ? 0.0 : pick == 1 ? 1.0 : (rng() % 1001) / 1000.0);
    h.plug->OnParamChange(p);
  }
}

// Every sample survives the host's narrowing to float.
::testing::AssertionResult FloatFinite(const std::vector<double>& v)
{
  for (size_t i = 0; i < v.size(); ++i)
    if (!std::isfinite((float) v[i])) return ::testing::AssertionFailure() << "sample " << i << " is " << v[i];
  return ::testing::AssertionSuccess();
}
} // namespace

TEST(HostileInput, AbsurdInputIsHeldAtTheCeilingAndTheStripRecoversAsFromANaN)
{
  // As found: 1e37 with +30 dB of input and output gain and the analogue stages off.
  StripHarness absurd, nan;
  for (StripHarness* h : {&absurd, &nan})
  {
    h->Set(kAnalogueOn, 0.0);
    h->Set(kInputGain, 30.0);
    h->Set(kOutputGain, 30.0);
  }
  std::vector<double> ol, orr, nl, nr;
  absurd.Run(std::vector<double>(512, 1e37), std::vector<double>(512, -3.4e38), ol, orr, 512);
  EXPECT_TRUE(FloatFinite(ol));
  EXPECT_TRUE(FloatFinite(orr));
  EXPECT_EQ(absurd.plug->GetPeak(Ostrakon::kMeterInL), Ostrakon::kInputCeiling);
  EXPECT_LE(absurd.plug->GetPeak(Ostrakon::kMeterOutL), kFloatMax);
  nan.Run(std::vector<double>(512, std::nan("")), std::vector<double>(512, -INFINITY), nl, nr, 512);

  // Then the same music into both: the absurd burst is forgotten as soon as the NaN is.
  const std::vector<double> music = Sine(44100, 0.05, 0.03);
  absurd.Run(music, music, ol, orr, 512);
  nan.Run(music, music, nl, nr, 512);
  EXPECT_TRUE(FloatFinite(ol));
  for (size_t i = 4410; i < music.size(); ++i)
  {
    ASSERT_NEAR(ol[i], nl[i], 1e-9 * std::fabs(nl[i]) + 1e-12) << i;
    ASSERT_NEAR(orr[i], nr[i], 1e-9 * std::fabs(nr[i]) + 1e-12) << i;
  }
}

TEST(HostileInput, EveryOutputSampleIsFiniteWhateverTheSettingsAndRate)
{
  std::mt19937 rng(411);
  const double inf = std::numeric_limits<double>::infinity();
  for (int rate : {8000, 32000, 44100, 192000})
    for (int k = 0; k < 12; ++k)
    {
      SCOPED_TRACE(testing::Message() << rate << " Hz, setting " << k);
      StripHarness h;
      h.plug->SetSampleRate(rate);
      h.plug->Reset();
      Extremes(h, rng);
      std::vector<double> l = Sine(3 * 512, 0.5, 0.07), r = Sine(3 * 512, 0.5, 0.11), ol, orr;
      for (int i = 512; i < 1024; ++i)
      {
        l[(size_t) i] = i % 2 ? kFloatMax : -kFloatMax;
        r[(size_t) i] = i % 7 == 0 ? inf : i % 5 == 0 ? std::nan("") : 1e30;
      }
      h.Run(l, r, ol, orr, 512);
      ASSERT_TRUE(FloatFinite(ol));
      ASSERT_TRUE(FloatFinite(orr));
    }
}

TEST(HostileInput, NoStageOverflowsAtTheInputCeiling)
{
  // The ceiling is low enough that the stages themselves stay finite (the output guard
  // is not what keeps them so), at every setting, in every order.
  std::mt19937 rng(412);
  for (int k = 0; k < 40; ++k)
  {
    SCOPED_TRACE(k);
    StripHarness h;
    Extremes(h, rng);
    std::vector<double> buffer(2 * 1024);
    for (int block = 0; block < 8; ++block)
    {
      for (size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = (i / 2 + (size_t) block) % 3 == 0 ? -Ostrakon::kInputCeiling : Ostrakon::kInputCeiling;
      for (int slot = 0; slot < 3; ++slot)
      {
        const int stage = h.plug->GetRoutingSlot(slot);
        if (stage == Ostrakon::kStageEq)
          h.plug->processEq(buffer.data(), 1024);
        else
          h.plug->processDyn(buffer.data(), 1024, stage - 1);
      }
      for (double& x : buffer) x *= h.plug->GetOutputGainFactor();
      ASSERT_TRUE(FloatFinite(buffer)) << "block " << block;
    }
  }
}
