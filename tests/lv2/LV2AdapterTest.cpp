// The LV2 adapter driven in this process as a host drives it: descriptors, instantiation,
// control ports, blocks of any length, mono and stereo, meters.

#include "tests/lv2/LV2Rig.h"

#include "IPlug/BitmapStorage.h"
#include "IPlug/IGraphics.h"
#include "editor/Ostrakongui.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <future>
#include <limits>
#include <memory>
#include <thread>

namespace
{
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

bool AllFinite(const std::vector<std::vector<float>>& x)
{
  for (const auto& ch : x)
    for (float v : ch)
      if (!std::isfinite(v)) return false;
  return true;
}

// Dyn 1 compressing hard enough to show gain reduction, Dyn 2 an FET after it.
void Compressing(LV2Rig& rig)
{
  rig.Control(kDyn1Thresh) = -30.0f;
  rig.Control(kDyn1Ratio) = 8.0f;
  rig.Control(kDyn2Type) = 1.0f;
  rig.Control(kDyn2Thresh) = -50.0f;
  rig.Control(kLowMidGain) = 6.0f;
}
} // namespace

TEST(LV2Descriptor, BundleOffersStereoAndMonoWithState)
{
  const LV2_Descriptor* stereo = IPlugLV2::Descriptor(0, kOstrakonLV2Bundle);
  const LV2_Descriptor* mono = IPlugLV2::Descriptor(1, kOstrakonLV2Bundle);
  ASSERT_NE(stereo, nullptr);
  ASSERT_NE(mono, nullptr);
  EXPECT_STREQ(stereo->URI, "https://quarro.audio/plugins/ostrakon");
  EXPECT_STREQ(mono->URI, "https://quarro.audio/plugins/ostrakon#mono");
  EXPECT_EQ(IPlugLV2::Descriptor(2, kOstrakonLV2Bundle), nullptr);
  EXPECT_NE(stereo->extension_data(LV2_STATE__interface), nullptr);
  EXPECT_EQ(stereo->extension_data("http://example.org/unknown"), nullptr);
  EXPECT_EQ(stereo->extension_data(nullptr), nullptr);
}

TEST(LV2Instantiate, RefusesRatesTheStripCannotRunAt)
{
  for (double rate : {0.0, -48000.0, 0.5, 7999.0, 768001.0, 1e12, (double) kNaN, (double) kInf, -(double) kInf})
  {
    LV2Rig rig(LV2Rig::kStereo, rate);
    EXPECT_EQ(rig.handle, nullptr) << rate;
  }
  for (double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 768000.0})
  {
    LV2Rig rig(LV2Rig::kStereo, rate);
    ASSERT_NE(rig.handle, nullptr) << rate;
    EXPECT_EQ(rig.Plug().GetSampleRate(), rate);
  }
}

TEST(LV2Instantiate, InitialisesAsAnAudioUnitHostDoes)
{
  LV2Rig rig;
  ASSERT_NE(rig.handle, nullptr);
  Ostrakon& plug = rig.Plug();
  EXPECT_EQ(plug.GetBlockSize(), 8192);
  // The changes reach the engine at the top of the first block; take them now.
  plug.ApplyParamChanges();
  // Every parameter went through OnParamChange: routing 0, unity gains, thresholds at 0 dB.
  EXPECT_EQ(plug.GetRoutingSlot(0), Ostrakon::kStageDyn1);
  EXPECT_EQ(plug.GetRoutingSlot(1), Ostrakon::kStageEq);
  EXPECT_EQ(plug.GetRoutingSlot(2), Ostrakon::kStageDyn2);
  EXPECT_EQ(plug.GetInputGainFactor(), 1.0);
  EXPECT_EQ(plug.VCA(0).threshold, 1.0);
  EXPECT_DOUBLE_EQ(plug.FET(1).threshold, 0.001);
  EXPECT_EQ(plug.VCA(0).sampleRate, 44100);
  // The ports sit at the defaults, so the first block changes no parameter.
  rig.Run(TestProgramme(2, 64), 0, 64);
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(plug.GetParam(i)->Value(), kOstrakonParams[i].defaultValue) << i;
}

// Every instance makes its editor, with no window, from the artwork in the bundle: a
// session with a strip on every track makes many, and they share one decoded set.
TEST(LV2Instantiate, ManyInstancesEachWithItsEditorShareTheArtwork)
{
  std::vector<std::unique_ptr<LV2Rig>> tracks;
  tracks.emplace_back(new LV2Rig);
  const int cached = BitmapStorage::Instance().Size();
  for (int i = 0; i < 47; ++i) tracks.emplace_back(new LV2Rig(i % 2 ? LV2Rig::kMono : LV2Rig::kStereo));
  EXPECT_EQ(BitmapStorage::Instance().Size(), cached);
  const auto programme = TestProgramme(2, 256);
  for (auto& t : tracks)
  {
    ASSERT_NE(t->handle, nullptr);
    EXPECT_EQ(t->Plug().GetGUI()->GetNControls(), 115);
    t->Control(kRouting) = 2.0f;
    t->Control(kEqOn) = 0.0f;
    t->Run(programme, 0, 256);
    EXPECT_TRUE(AllFinite(t->out));
    EXPECT_GT(t->Meter(0), 0.1f);
    EXPECT_EQ(t->Plug().GetEditor()->Eq()->Background()->GetRECT()->T, 372);
  }
}

TEST(LV2Instantiate, MaximumBlockFromTheHostOptions)
{
  EXPECT_EQ(LV2Rig(LV2Rig::kStereo, 48000.0, 1024).Plug().GetBlockSize(), 1024);
  EXPECT_EQ(LV2Rig(LV2Rig::kStereo, 48000.0, 0).Plug().GetBlockSize(), IPlugLV2::kDefaultMaxBlock);
  EXPECT_EQ(LV2Rig(LV2Rig::kStereo, 48000.0, 1 << 24).Plug().GetBlockSize(), IPlugLV2::kLargestMaxBlock);
  // Without features (lv2apply passes none) the plug-in still runs.
  LV2Rig bare(LV2Rig::kStereo, 48000.0, 0, false);
  ASSERT_NE(bare.handle, nullptr);
  bare.Run(TestProgramme(2, 100), 0, 100);
  EXPECT_TRUE(AllFinite(bare.out));
}

TEST(LV2Controls, ChangedPortsTakeTheHostAutomationRoad)
{
  LV2Rig rig;
  Ostrakon& plug = rig.Plug();
  const auto x = TestProgramme(2, 16);

  rig.Control(kInputGain) = 6.0f;
  rig.Run(x, 0, 16);
  EXPECT_EQ(plug.GetParam(kInputGain)->Value(), 6.0);
  EXPECT_EQ(plug.GetInputGainFactor(), plug.GetParam(kInputGain)->DBToAmp());

  // Clamped into range, as SetParamProc clamps.
  rig.Control(kInputGain) = 100.0f;
  rig.Run(x, 0, 16);
  EXPECT_EQ(plug.GetParam(kInputGain)->Value(), 30.0);
  rig.Control(kInputGain) = -kInf;
  rig.Run(x, 0, 16);
  EXPECT_EQ(plug.GetParam(kInputGain)->Value(), -60.0);

  // A NaN is ignored; the next real value applies again.
  rig.Control(kInputGain) = kNaN;
  rig.Run(x, 0, 16);
  EXPECT_EQ(plug.GetParam(kInputGain)->Value(), -60.0);
  rig.Control(kInputGain) = -12.5f;
  rig.Run(x, 0, 16);
  EXPECT_EQ(plug.GetParam(kInputGain)->Value(), -12.5);

  // Lists and switches take their values as the Audio Unit takes them.
  rig.Control(kRouting) = 2.0f;
  rig.Control(kDyn1Type) = 3.0f;
  rig.Control(kRevPhase) = 1.0f;
  rig.Control(kHiShelfFreq) = 5000.0f;
  rig.Run(x, 0, 16);
  EXPECT_EQ(plug.GetRoutingSlot(0), Ostrakon::kStageDyn1);
  EXPECT_EQ(plug.GetRoutingSlot(1), Ostrakon::kStageDyn2);
  EXPECT_EQ(plug.GetRoutingSlot(2), Ostrakon::kStageEq);
  EXPECT_EQ(plug.GetParam(kDyn1Type)->Int(), 3);
  EXPECT_TRUE(plug.GetParam(kRevPhase)->Bool());
  EXPECT_EQ(plug.GetParam(kHiShelfFreq)->Value(), 5000.0);
}

TEST(LV2Controls, OnlyPortsThatChangedApply)
{
  LV2Rig rig;
  Ostrakon& plug = rig.Plug();
  const auto x = TestProgramme(2, 16);
  rig.Control(kOutputGain) = -6.0f;
  rig.Run(x, 0, 16);
  // Another road (a state restore) sets the parameter; the unchanged port leaves it.
  plug.GetParam(kOutputGain)->Set(3.0);
  plug.OnParamChange(kOutputGain);
  rig.Run(x, 0, 16);
  EXPECT_EQ(plug.GetParam(kOutputGain)->Value(), 3.0);
  rig.Control(kOutputGain) = -6.0f; // written again with the same value: no change
  rig.Run(x, 0, 16);
  EXPECT_EQ(plug.GetParam(kOutputGain)->Value(), 3.0);
  rig.Control(kOutputGain) = -7.0f;
  rig.Run(x, 0, 16);
  EXPECT_EQ(plug.GetParam(kOutputGain)->Value(), -7.0);
}

// The attack and release ports keep the range the parameters have with a VCA; their value
// is the knob position, so automation recorded with one type means the same knob position
// with another, and the order in which type and time arrive does not matter.
TEST(LV2Controls, AttackAndReleasePortsHoldTheKnobPosition)
{
  const auto x = TestProgramme(2, 16);
  LV2Rig typeFirst, timeFirst;
  typeFirst.Control(kDyn1Type) = 1.0f;
  typeFirst.Run(x, 0, 16);
  typeFirst.Control(kDyn1Attack) = 8.25f; // t = 0.5 on the VCA scale: 1 + 29 * 0.5^2
  typeFirst.Control(kDyn1Release) = 100.0f + 3900.0f * 0.25f;
  typeFirst.Run(x, 0, 16);

  timeFirst.Control(kDyn1Attack) = 8.25f;
  timeFirst.Control(kDyn1Release) = 100.0f + 3900.0f * 0.25f;
  timeFirst.Run(x, 0, 16);
  timeFirst.Control(kDyn1Type) = 1.0f;
  timeFirst.Run(x, 0, 16);

  for (LV2Rig* rig : {&typeFirst, &timeFirst})
  {
    Ostrakon& plug = rig->Plug();
    EXPECT_DOUBLE_EQ(plug.GetParam(kDyn1Attack)->Value(), 0.02 + 0.78 * 0.25); // the FET's 0.215 ms
    EXPECT_DOUBLE_EQ(plug.GetParam(kDyn1Release)->Value(), 50.0 + 1150.0 * 0.25);
    EXPECT_DOUBLE_EQ(plug.GetParam(kDyn1Attack)->GetNormalized(), 0.5);
    EXPECT_EQ(plug.VCA(0).attackMs, 15.5);
    EXPECT_DOUBLE_EQ(plug.FET(0).attackMs, (0.5 * 0.78 + 0.02) * 1.5);
    EXPECT_EQ(plug.Expander(0).releaseMs, 950.0f * 0.5f + 50.0f);
  }
  EXPECT_EQ(typeFirst.Plug().GetParam(kDyn1Attack)->Value(), timeFirst.Plug().GetParam(kDyn1Attack)->Value());

  // Back to the VCA, the knob shows the port's own value again.
  typeFirst.Control(kDyn1Type) = 0.0f;
  typeFirst.Run(x, 0, 16);
  EXPECT_DOUBLE_EQ(typeFirst.Plug().GetParam(kDyn1Attack)->Value(), 8.25);
  // At the ends of the port's range, the ends of whatever range the type gives.
  typeFirst.Control(kDyn1Type) = 3.0f;
  typeFirst.Control(kDyn1Release) = 4000.0f;
  typeFirst.Run(x, 0, 16);
  EXPECT_EQ(typeFirst.Plug().GetParam(kDyn1Release)->Value(), 1000.0);
  typeFirst.Control(kDyn1Release) = -5.0f;
  typeFirst.Run(x, 0, 16);
  EXPECT_EQ(typeFirst.Plug().GetParam(kDyn1Release)->Value(), 50.0);
}

TEST(LV2Blocks, EveryLengthIsSafe)
{
  for (auto which : {LV2Rig::kStereo, LV2Rig::kMono})
  {
    LV2Rig rig(which);
    const int nCh = rig.ports.nChannels;
    Compressing(rig);
    const auto x = TestProgramme(nCh, 8192);
    for (int n : {1, 7, 512, 8192, 0, 7, 1})
    {
      rig.Run(x, 0, n);
      EXPECT_TRUE(AllFinite(rig.out)) << n;
      EXPECT_EQ(rig.Latency(), 0.0f);
    }
    // A block of 0 frames reads 0 on the peak meters.
    EXPECT_EQ(rig.Meter(0), 0.0f);
    EXPECT_EQ(rig.Meter(nCh == 2 ? 2 : 1), 0.0f);
  }
}

TEST(LV2Blocks, LongerThanTheMaximumRunsInPieces)
{
  LV2Rig whole(LV2Rig::kStereo, 48000.0, 256), pieces(LV2Rig::kStereo, 48000.0, 256);
  Compressing(whole);
  Compressing(pieces);
  const auto x = TestProgramme(2, 1000, 48000.0);
  whole.Run(x, 0, 1000);
  std::vector<std::vector<float>> joined(2);
  std::vector<float> highest(18, 0.0f), lowest(18, 1.0f);
  for (int done = 0; done < 1000; done += 256)
  {
    const int n = 1000 - done < 256 ? 1000 - done : 256;
    pieces.Run(x, done, n);
    for (int c = 0; c < 2; ++c) joined[c].insert(joined[c].end(), pieces.out[c].begin(), pieces.out[c].end());
    for (int m = 0; m < 18; ++m)
    {
      highest[m] = std::max(highest[m], pieces.Meter(m));
      lowest[m] = std::min(lowest[m], pieces.Meter(m));
    }
  }
  EXPECT_EQ(whole.out, joined);
  // The long block meters as one: the highest peak and the deepest gain reduction.
  for (int m = 0; m < 16; ++m) EXPECT_EQ(whole.Meter(m), highest[m]) << m;
  EXPECT_EQ(whole.Meter(16), lowest[16]);
  EXPECT_EQ(whole.Meter(17), lowest[17]);
  EXPECT_LT(whole.Meter(16), 0.95f);
}

TEST(LV2Audio, MonoIsTheStereoStripWithASilentRightInput)
{
  LV2Rig mono(LV2Rig::kMono), stereo(LV2Rig::kStereo);
  Compressing(mono);
  Compressing(stereo);
  const auto x = TestProgramme(1, 3000);
  const std::vector<std::vector<float>> leftOnly = {x[0], std::vector<float>(3000, 0.0f)};
  const auto m = mono.RunAll(x, 512);
  const auto s = stereo.RunAll(leftOnly, 512);
  EXPECT_EQ(m[0], s[0]);
  EXPECT_EQ(mono.Meter(0), stereo.Meter(0));  // input peak
  EXPECT_EQ(mono.Meter(8), stereo.Meter(16)); // Dyn 1 gain reduction
}

TEST(LV2Audio, InputMayBeTheOutputBuffer)
{
  LV2Rig apart, inPlace;
  Compressing(apart);
  Compressing(inPlace);
  const auto x = TestProgramme(2, 512);
  apart.Run(x, 0, 512);
  std::vector<std::vector<float>> buf = x;
  for (int c = 0; c < 2; ++c)
  {
    inPlace.descriptor->connect_port(inPlace.handle, inPlace.ports.AudioIn(c), buf[c].data());
    inPlace.descriptor->connect_port(inPlace.handle, inPlace.ports.AudioOut(c), buf[c].data());
  }
  inPlace.descriptor->run(inPlace.handle, 512);
  EXPECT_EQ(buf, apart.out);
}

TEST(LV2Audio, UnconnectedAudioPortsReadSilenceAndAreNotWritten)
{
  LV2Rig rig;
  ASSERT_NE(rig.handle, nullptr);
  std::vector<float> outL(64, 7.0f);
  rig.descriptor->connect_port(rig.handle, rig.ports.AudioOut(0), outL.data());
  rig.descriptor->run(rig.handle, 64); // inputs and the right output never connected
  for (float v : outL) EXPECT_LT(std::fabs(v), 1e-6f);
}

TEST(LV2Meters, PortsShowTheEngineReadings)
{
  LV2Rig rig;
  Compressing(rig);
  rig.Control(kEqInputGain) = -6.0f;
  const auto x = TestProgramme(2, 4096);
  rig.Run(x, 0, 4096);
  const Ostrakon& plug = rig.Plug();
  const Ostrakon::EPeakMeter order[] = {Ostrakon::kMeterInL, Ostrakon::kMeterInR, Ostrakon::kMeterOutL,
                                        Ostrakon::kMeterOutR};
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(rig.Meter(i), (float) plug.GetPeak(order[i]));
    EXPECT_EQ(rig.Meter(4 + i), (float) plug.GetEqPeak(order[i]));
    EXPECT_EQ(rig.Meter(8 + i), (float) plug.GetDynPeak(0, order[i]));
    EXPECT_EQ(rig.Meter(12 + i), (float) plug.GetDynPeak(1, order[i]));
  }
  float peak = 0.0f;
  for (float v : x[0]) peak = std::max(peak, v);
  EXPECT_EQ(rig.Meter(0), peak);
  // The EQ follows Dyn 1 (routing 0) behind its -6 dB input gain; both peaks are rounded to float.
  EXPECT_NEAR(rig.Meter(4) / rig.Meter(10), std::pow(10.0, -6.0 / 20.0), 1e-6);
  EXPECT_LT(rig.Meter(16), 0.9f);
  EXPECT_GT(rig.Meter(16), 0.0f);
  EXPECT_EQ(rig.Meter(17), (float) plug.GetGainReduction(1));

  // A stage switched off shows no peaks and no gain reduction.
  rig.Control(kEqOn) = 0.0f;
  rig.Control(kDyn1On) = 0.0f;
  rig.Run(x, 0, 512);
  for (int m = 4; m < 12; ++m) EXPECT_EQ(rig.Meter(m), 0.0f) << m;
  EXPECT_EQ(rig.Meter(16), 1.0f);
}

// Another thread holding the plug-in's lock (as a state restore or an editor would) does
// not hold up run, parameter changes included.
TEST(LV2Blocks, RunTakesNoPlugInLock)
{
  LV2Rig rig;
  std::promise<void> locked, release;
  std::thread holder([&] {
    rig.Plug().GetMutex()->Lock();
    locked.set_value();
    release.get_future().wait();
    rig.Plug().GetMutex()->Unlock();
  });
  locked.get_future().wait();
  const auto x = TestProgramme(2, 256);
  auto run = std::async(std::launch::async, [&] {
    for (int i = 0; i < 10; ++i)
    {
      rig.Control(kDyn1Type) = (float) (i % 4);
      rig.Control(kOversampling) = (float) (i % 2);
      rig.Run(x, 0, 256);
    }
  });
  const bool finished = run.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  release.set_value();
  holder.join();
  run.wait();
  EXPECT_TRUE(finished) << "run waited for the plug-in lock";
}
