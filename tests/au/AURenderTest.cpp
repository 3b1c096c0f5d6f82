// The render call from the host's side: refusals, input pulls, host buffer lists,
// bypass, chained units, and the same audio as the plug-in base gives directly.

#include "AUHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace
{
int gNotified = 0;
std::vector<AudioUnitRenderActionFlags> gFlags;
OSStatus CountNotify(void*, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                     AudioBufferList*)
{
  ++gNotified;
  gFlags.push_back(*flags);
  return noErr;
}

bool SameBits(const float* a, const float* b, int n) { return memcmp(a, b, (size_t) n * sizeof(float)) == 0; }

struct Rig
{
  explicit Rig(UInt32 channels, UInt32 maxFrames = 256, int length = 1024)
  {
    for (UInt32 c = 0; c < channels; ++c) source.channels.push_back(TestSignal(length, (int) c));
    EXPECT_EQ(host.Prepare(channels, maxFrames, 44100.0, &source), noErr);
    gNotified = 0;
    gFlags.clear();
    EXPECT_EQ(AudioUnitAddRenderNotify(host.unit, CountNotify, nullptr), noErr);
  }
  AUHost host;
  InputSource source;
};
} // namespace

TEST(AURender, BadRequestsAreRefusedBeforeAnything)
{
  Rig rig(2);
  HostBufferList out(2, 257);
  EXPECT_EQ(rig.host.Render(out.List(), 257, 0.0), kAudioUnitErr_InvalidPropertyValue);
  AudioUnitRenderActionFlags flags = 0;
  const AudioTimeStamp noTime = Stamp(0.0, kAudioTimeStampHostTimeValid);
  EXPECT_EQ(AudioUnitRender(rig.host.unit, &flags, &noTime, 0, 256, out.List()),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitRender(rig.host.unit, &flags, nullptr, 0, 256, out.List()),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(rig.host.Render(out.List(), 256, 0.0, 1), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(rig.host.Render(nullptr, 256, 0.0), kAudioUnitErr_InvalidPropertyValue);
  // A host buffer shorter than the block would be written past its end.
  out.Buffer(1).mDataByteSize = 255 * sizeof(float);
  EXPECT_EQ(rig.host.RenderFast(out.List(), 256, 0.0), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(gNotified, 0);
  EXPECT_EQ(rig.source.pulls, 0);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 257; ++i) ASSERT_EQ(out.Own(c)[i], -7.0f);

  out.Buffer(1).mDataByteSize = 256 * sizeof(float);
  EXPECT_EQ(rig.host.Render(out.List(), 256, 0.0), noErr);
  EXPECT_EQ(gFlags, (std::vector<AudioUnitRenderActionFlags>{kAudioUnitRenderAction_PreRender,
                                                             kAudioUnitRenderAction_PostRender}));
  EXPECT_EQ(rig.source.pulls, 1);
}

TEST(AURender, ACallDuringAReconfigurationIsRefusedAndTouchesNothing)
{
  Rig rig(2);
  HostBufferList out(2, 256);
  AudioUnitRenderProc render = nullptr;
  ASSERT_EQ(rig.host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, &render),
            noErr);
  {
    // As while another thread sets the rate or the block size.
    IRenderGate::Reinit hold(rig.host.Plug()->GetRenderGate());
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp ts = Stamp(0.0);
    EXPECT_EQ(render(GetComponentInstanceStorage(rig.host.unit), &flags, &ts, 0, 256, out.List()),
              kAudioUnitErr_CannotDoInCurrentContext);
  }
  EXPECT_EQ(gNotified, 0);
  EXPECT_EQ(rig.source.pulls, 0);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 256; ++i) ASSERT_EQ(out.Own(c)[i], -7.0f);
  EXPECT_EQ(rig.host.RenderFast(out.List(), 256, 0.0), noErr);
  EXPECT_EQ(rig.source.pulls, 1);
}

TEST(AURender, OneSampleTimePullsTheInputOnce)
{
  Rig rig(2);
  HostBufferList out(2, 256);
  ASSERT_EQ(rig.host.RenderFast(out.List(), 256, 0.0), noErr);
  ASSERT_EQ(rig.host.RenderFast(out.List(), 256, 0.0), noErr);
  EXPECT_EQ(rig.source.pulls, 1);
  ASSERT_EQ(rig.host.RenderFast(out.List(), 256, 256.0), noErr);
  EXPECT_EQ(rig.source.pulls, 2);
  // After a reset the same time stamp is new input.
  ASSERT_EQ(AudioUnitReset(rig.host.unit, kAudioUnitScope_Global, 0), noErr);
  ASSERT_EQ(rig.host.RenderFast(out.List(), 256, 256.0), noErr);
  EXPECT_EQ(rig.source.pulls, 3);
}

TEST(AURender, AFailedPullIsReturnedBeforeProcessing)
{
  Rig rig(1);
  rig.source.result = -1234;
  HostBufferList out(1, 128);
  EXPECT_EQ(rig.host.Render(out.List(), 128, 0.0), -1234);
  EXPECT_EQ(gFlags, std::vector<AudioUnitRenderActionFlags>{kAudioUnitRenderAction_PreRender});
  for (int i = 0; i < 128; ++i) ASSERT_EQ(out.Own(0)[i], -7.0f);
  rig.source.result = noErr;
  EXPECT_EQ(rig.host.Render(out.List(), 128, 0.0), noErr);
}

TEST(AURender, NullOutputPointersAreGivenScratchHoldingTheAudio)
{
  Rig withBuffers(2), withNulls(2);
  HostBufferList own(2, 200), nulls(2, 200, true);
  ASSERT_EQ(withBuffers.host.RenderFast(own.List(), 200, 0.0), noErr);
  ASSERT_EQ(withNulls.host.RenderFast(nulls.List(), 200, 0.0), noErr);
  for (int c = 0; c < 2; ++c)
  {
    ASSERT_NE(nulls.Data(c), nullptr);
    EXPECT_EQ(nulls.Buffer(c).mDataByteSize, 200 * sizeof(float));
    EXPECT_TRUE(SameBits(nulls.Data(c), own.Own(c), 200)) << c;
  }
  EXPECT_NE(nulls.Data(0), nulls.Data(1));
}

TEST(AURender, BuffersBeyondTheBusAreLeftAlone)
{
  Rig rig(2);
  HostBufferList three(3, 256), nulls(3, 256, true);
  ASSERT_EQ(rig.host.RenderFast(three.List(), 256, 0.0), noErr);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(three.Own(2)[i], -7.0f);
  EXPECT_NE(three.Own(0)[100], -7.0f);
  ASSERT_EQ(rig.host.RenderFast(nulls.List(), 256, 256.0), noErr);
  EXPECT_NE(nulls.Data(1), nullptr);
  EXPECT_EQ(nulls.Data(2), nullptr);
}

TEST(AURender, BypassPassesTheInputAndSkipsTheEngine)
{
  Rig rig(2);
  ASSERT_EQ(rig.host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 1), noErr);
  HostBufferList out(2, 256);
  ASSERT_EQ(rig.host.RenderFast(out.List(), 256, 0.0), noErr);
  for (int c = 0; c < 2; ++c) EXPECT_TRUE(SameBits(out.Own(c), rig.source.channels[(size_t) c].data(), 256));
  EXPECT_EQ(rig.host.Strip()->GetPeak(Ostrakon::kMeterInL), 0.0);

  ASSERT_EQ(rig.host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 0), noErr);
  ASSERT_EQ(rig.host.RenderFast(out.List(), 256, 256.0), noErr);
  EXPECT_GT(rig.host.Strip()->GetPeak(Ostrakon::kMeterInL), 0.0);
}

TEST(AURender, NoNonFiniteSampleLeavesTheUnitBypassedOrNot)
{
  Rig rig(2);
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float>& left = rig.source.channels[0];
  left[3] = std::numeric_limits<float>::quiet_NaN();
  left[4] = inf;
  left[5] = -inf;
  // Absurd but finite, through every gain of the strip at its top.
  for (int i = 300; i < 400; ++i) left[(size_t) i] = i % 2 ? 3.4e38f : -3.4e38f;
  for (AudioUnitParameterID p : {kInputGain, kOutputGain}) ASSERT_EQ(rig.host.SetParam(p, 30.0f), noErr);
  ASSERT_EQ(rig.host.SetParam(kAnalogueOn, 0.0f), noErr);

  ASSERT_EQ(rig.host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 1), noErr);
  HostBufferList out(2, 256);
  ASSERT_EQ(rig.host.RenderFast(out.List(), 256, 0.0), noErr);
  // Bypassed, only what is not a number leaves as silence.
  for (int i = 0; i < 256; ++i)
    ASSERT_EQ(out.Own(0)[i], i >= 3 && i <= 5 ? 0.0f : left[(size_t) i]) << i;
  EXPECT_TRUE(SameBits(out.Own(1), rig.source.channels[1].data(), 256));

  ASSERT_EQ(rig.host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 0), noErr);
  for (double t : {0.0, 256.0, 512.0, 768.0})
  {
    ASSERT_EQ(rig.host.RenderFast(out.List(), 256, t), noErr);
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < 256; ++i) ASSERT_TRUE(std::isfinite(out.Own(c)[i])) << t + i;
  }
}

TEST(AURender, ChainedUnitsPullThroughTheFastEntry)
{
  Rig upstream(2);
  ASSERT_EQ(upstream.host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 1), noErr);
  AUHost downstream;
  ASSERT_EQ(downstream.Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, (UInt32) 256),
            noErr);
  ASSERT_EQ(downstream.SetFormat(kAudioUnitScope_Output, 2), noErr);
  const AudioUnitConnection connection = {upstream.host.unit, 0, 0};
  ASSERT_EQ(downstream.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, connection), noErr);
  EXPECT_EQ(downstream.Channels(kAudioUnitScope_Input), 2u); // taken over from the source
  ASSERT_EQ(AudioUnitInitialize(downstream.unit), noErr);
  ASSERT_EQ(downstream.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 1), noErr);

  HostBufferList out(2, 256);
  ASSERT_EQ(downstream.RenderFast(out.List(), 256, 0.0), noErr);
  EXPECT_EQ(upstream.source.pulls, 1);
  for (int c = 0; c < 2; ++c)
    EXPECT_TRUE(SameBits(out.Own(c), upstream.source.channels[(size_t) c].data(), 256));

  const AudioUnitConnection none = {nullptr, 0, 0};
  ASSERT_EQ(downstream.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, none), noErr);
  ASSERT_EQ(downstream.RenderFast(out.List(), 256, 256.0), noErr);
  EXPECT_EQ(upstream.source.pulls, 1);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(out.Own(0)[i], 0.0f);
  const AudioUnitConnection wrongBus = {upstream.host.unit, 0, 1};
  EXPECT_EQ(downstream.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, wrongBus),
            kAudioUnitErr_InvalidProperty);
}

namespace
{
// The strip driven through the base's float entry, as the command-line renderer does.
std::vector<std::vector<float>> RenderThroughBase(const std::vector<std::vector<float>>& in, int block,
                                                  const std::vector<std::pair<int, float>>& settings)
{
  srand(1);
  AnalogueClock::SetFixed(1700000000);
  std::unique_ptr<Ostrakon> plug(MakePlug());
  const int nCh = (int) in.size(), n = (int) in[0].size();
  plug->SetSampleRate(44100.0);
  plug->Reset();
  plug->SetBlockSize(block);
  plug->Reset();
  {
    IMutexLock lock(plug.get());
    for (int i = 0; i < kNumParams; ++i) plug->OnParamChange(i);
    plug->OnActivate(true);
    for (const auto& s : settings)
    {
      plug->GetParam(s.first)->Set(s.second);
      plug->OnParamChange(s.first);
    }
  }
  std::vector<std::vector<float>> out((size_t) nCh, std::vector<float>((size_t) n));
  for (int done = 0; done < n; done += block)
  {
    float* ins[2] = {};
    float* outs[2] = {};
    for (int c = 0; c < nCh; ++c)
    {
      ins[c] = const_cast<float*>(in[(size_t) c].data()) + done;
      outs[c] = out[(size_t) c].data() + done;
    }
    plug->SetInputChannelConnections(0, nCh, true);
    plug->SetInputChannelConnections(nCh, 2 - nCh, false);
    plug->AttachInputBuffers(0, 2, ins, block);
    plug->SetOutputChannelConnections(0, nCh, true);
    plug->SetOutputChannelConnections(nCh, 2 - nCh, false);
    plug->AttachOutputBuffers(0, 2, outs);
    plug->ProcessBuffers(0.0f, block);
  }
  return out;
}
} // namespace

class AURenderIdentity : public ::testing::TestWithParam<UInt32>
{
};

TEST_P(AURenderIdentity, MatchesTheBaseEntryBitForBit)
{
  const UInt32 nCh = GetParam();
  const int block = 512, n = 8 * block;
  const std::vector<std::pair<int, float>> settings = {
    {kLowMidGain, 6.0f},  {kHiShelfGain, -3.5f}, {kDyn1Type, 1.0f},     {kDyn1Thresh, -24.0f},
    {kDyn1Ratio, 4.0f},   {kDyn2Type, 2.0f},     {kDyn2Thresh, -12.0f}, {kRouting, 2.0f},
    {kInputGain, 3.0f},   {kOutputGain, -2.0f},  {kOversampling, 1.0f},
  };

  Rig rig(nCh, block, n);
  for (const auto& s : settings) ASSERT_EQ(rig.host.SetParam(s.first, s.second), noErr);
  HostBufferList out((int) nCh, n);
  for (int done = 0; done < n; done += block)
  {
    HostBufferList slice((int) nCh, block);
    ASSERT_EQ(rig.host.RenderFast(slice.List(), block, done), noErr);
    for (UInt32 c = 0; c < nCh; ++c)
      memcpy(out.Own((int) c) + done, slice.Own((int) c), block * sizeof(float));
  }

  const std::vector<std::vector<float>> expected = RenderThroughBase(rig.source.channels, block, settings);
  for (UInt32 c = 0; c < nCh; ++c)
  {
    EXPECT_TRUE(SameBits(out.Own((int) c), expected[c].data(), n)) << "channel " << c;
    EXPECT_GT(std::fabs(out.Own((int) c)[n - 1] - rig.source.channels[c][(size_t) n - 1]), 0.0f);
  }
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, AURenderIdentity, ::testing::Values(1u, 2u));
