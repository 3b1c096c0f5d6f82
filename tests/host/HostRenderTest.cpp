// Rendering through the host library: refusals, one pull per sample time, buffers the
// unit lends, bypass, and two units chained through the fast render entry.

#include "HostRig.h"

#include <atomic>

namespace
{
int gNotified = 0;
OSStatus CountNotify(void*, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                     AudioBufferList*)
{
  gNotified += *flags == kAudioUnitRenderAction_PreRender ? 1 : 100;
  return noErr;
}
} // namespace

TEST(HostRender, OneFrameOverTheMaximumIsRefusedBeforeAnything)
{
  AUHostUnit unit;
  OpenStrip(unit);
  SignalSource source(2, 1024);
  PrepareStrip(unit, 2, 256, &source);
  UInt32 maxFrames = 0;
  ASSERT_EQ(unit.GetMaximumFrames(&maxFrames), noErr);
  ASSERT_EQ(maxFrames, 256u);
  gNotified = 0;
  // Kept twice: one pre- and one post-render call each.
  ASSERT_EQ(unit.AddRenderNotify(CountNotify, nullptr), noErr);
  ASSERT_EQ(unit.AddRenderNotify(CountNotify, nullptr), noErr);

  Block out(2, 257);
  EXPECT_EQ(unit.Render(out.list, 257, 0.0), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(gNotified, 0);
  EXPECT_EQ(source.pulls, 0);
  for (const std::vector<float>& ch : out.data)
    for (float x : ch) ASSERT_EQ(x, -7.0f);

  ASSERT_EQ(unit.Render(out.list, 256, 0.0), noErr);
  EXPECT_EQ(gNotified, 202);
  EXPECT_EQ(out.data[0][256], -7.0f);
  // Removal names the procedure; one of the two goes.
  ASSERT_EQ(unit.RemoveRenderNotify(CountNotify, &source), noErr);
  ASSERT_EQ(unit.Render(out.list, 256, 256.0), noErr);
  EXPECT_EQ(gNotified, 303);
}

TEST(HostRender, OneSampleTimePullsTheInputOnce)
{
  AUHostUnit unit;
  OpenStrip(unit);
  SignalSource source(2, 1024);
  PrepareStrip(unit, 2, 256, &source);
  Block a(2, 256), b(2, 256);
  ASSERT_EQ(unit.Render(a.list, 256, 0.0), noErr);
  ASSERT_EQ(unit.Render(b.list, 256, 0.0), noErr);
  EXPECT_EQ(source.pulls, 1);
  ASSERT_EQ(unit.Render(b.list, 256, 256.0), noErr);
  EXPECT_EQ(source.pulls, 2);
}

TEST(HostRender, NullOutputPointersAreLentTheUnitsScratchAndBypassPassesTheInput)
{
  AUHostUnit own, lent;
  OpenStrip(own);
  OpenStrip(lent);
  SignalSource source(2, 1024);
  PrepareStrip(own, 2, 300, &source);
  PrepareStrip(lent, 2, 300, &source);
  Block out(2, 300);
  AUBufferList nulls(2);
  nulls.SetNull(300);
  ASSERT_EQ(own.Render(out.list, 300, 0.0), noErr);
  ASSERT_EQ(lent.Render(nulls, 300, 0.0), noErr);
  ASSERT_NE(nulls.Data(0), nullptr);
  EXPECT_NE(nulls.Data(0), nulls.Data(1));
  for (int c = 0; c < 2; ++c) EXPECT_TRUE(SameBits(nulls.Data(c), out.data[(size_t) c].data(), 300)) << c;

  ASSERT_EQ(own.SetBypass(true), noErr);
  ASSERT_EQ(own.Render(out.list, 300, 300.0), noErr);
  for (int c = 0; c < 2; ++c)
    EXPECT_TRUE(SameBits(out.data[(size_t) c].data(), source.channels[(size_t) c].data() + 300, 300)) << c;
}

namespace
{
std::atomic<int> gRenderSelects{0};

// The strip behind entries that count the render calls reaching them, one of which
// offers no fast-dispatch address.
ComponentResult CountingEntry(ComponentParameters* params, void* storage)
{
  if (params->what == kAudioUnitRenderSelect) ++gRenderSelects;
  return Ostrakon_Entry(params, storage);
}

ComponentResult NoFastDispatchEntry(ComponentParameters* params, void* storage)
{
  if (params->what == kAudioUnitGetPropertySelect || params->what == kAudioUnitGetPropertyInfoSelect)
  {
    AudioUnitPropertyID id = 0;
    memcpy(&id, (unsigned char*) params + offsetof(ComponentParameters, params) + sizeof(long), sizeof id);
    if (id == kAudioUnitProperty_FastDispatch) return kAudioUnitErr_InvalidProperty;
  }
  return CountingEntry(params, storage);
}

const AUComponent& Counting(bool fast)
{
  static const AUComponent withFast = AUComponent::Register(
      {kAudioUnitType_Effect, 0x436e7431, (OSType) kOstrakonMfrID, 0, 0}, CountingEntry, "counting");
  static const AUComponent withoutFast = AUComponent::Register(
      {kAudioUnitType_Effect, 0x436e7432, (OSType) kOstrakonMfrID, 0, 0}, NoFastDispatchEntry, "no fast");
  return fast ? withFast : withoutFast;
}

// Settings that make either unit change the sound.
void Colour(AUHostUnit& unit, float gain)
{
  ASSERT_EQ(unit.SetParameter(kLowMidGain, gain), noErr);
  ASSERT_EQ(unit.SetParameter(kDyn1Type, 1.0f), noErr);
  ASSERT_EQ(unit.SetParameter(kDyn1Thresh, -30.0f), noErr);
}

// The downstream unit's input, pulled by the host from the upstream unit itself.
struct HostPull
{
  AUHostUnit* upstream;
  static OSStatus Pull(void* ref, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32,
                       UInt32 nFrames, AudioBufferList* io)
  {
    return ((HostPull*) ref)->upstream->Render(io, nFrames, ts->mSampleTime);
  }
};

constexpr UInt32 kBlock = 256;
constexpr int kBlocks = 4;

std::vector<std::vector<float>> RenderChain(AUHostUnit& downstream)
{
  std::vector<std::vector<float>> out(2);
  for (int k = 0; k < kBlocks; ++k)
  {
    Block block(2, kBlock);
    EXPECT_EQ(downstream.Render(block.list, kBlock, k * kBlock), noErr);
    for (int c = 0; c < 2; ++c)
      out[(size_t) c].insert(out[(size_t) c].end(), block.data[(size_t) c].begin(),
                             block.data[(size_t) c].end());
  }
  return out;
}
} // namespace

TEST(HostRender, ChainedUnitsPullThroughTheFastRenderEntry)
{
  SignalSource source(2, kBlocks * kBlock);

  // The reference: the host pulls the first unit for the second.
  AUHostUnit up0, down0;
  OpenStrip(up0);
  OpenStrip(down0);
  PrepareStrip(up0, 2, kBlock, &source);
  Colour(up0, 6.0f);
  HostPull pull = {&up0};
  ASSERT_EQ(down0.Configure(44100.0, kBlock, 2), noErr);
  ASSERT_EQ(down0.SetInputCallback(HostPull::Pull, &pull), noErr);
  ASSERT_EQ(down0.Initialize(), noErr);
  Colour(down0, -4.0f);
  const std::vector<std::vector<float>> expected = RenderChain(down0);
  ASSERT_EQ(source.pulls, kBlocks);

  for (bool fast : {true, false})
  {
    SCOPED_TRACE(fast ? "fast render entry" : "through the entry");
    source.pulls = 0;
    gRenderSelects = 0;
    AUHostUnit up, down;
    OpenStrip(up, Counting(fast));
    OpenStrip(down);
    PrepareStrip(up, 2, kBlock, &source);
    Colour(up, 6.0f);
    ASSERT_EQ(down.SetMaximumFrames(kBlock), noErr);
    ASSERT_EQ(down.SetStreamFormat(kAudioUnitScope_Output, 2, 44100.0), noErr);
    ASSERT_EQ(down.ConnectInput(up), noErr);
    AudioStreamBasicDescription f;
    ASSERT_EQ(down.GetStreamFormat(kAudioUnitScope_Input, &f), noErr);
    EXPECT_EQ(f.mChannelsPerFrame, 2u); // taken over from the first unit
    ASSERT_EQ(down.Initialize(), noErr);
    Colour(down, -4.0f);

    const std::vector<std::vector<float>> out = RenderChain(down);
    EXPECT_EQ(source.pulls, kBlocks);
    // Through the fast entry the first unit's component entry never sees a render.
    EXPECT_EQ(gRenderSelects.load(), fast ? 0 : kBlocks);
    for (int c = 0; c < 2; ++c)
      EXPECT_TRUE(SameBits(out[(size_t) c].data(), expected[(size_t) c].data(), kBlocks * kBlock)) << c;

    ASSERT_EQ(down.DisconnectInput(), noErr);
    Block block(2, kBlock);
    ASSERT_EQ(down.Render(block.list, kBlock, kBlocks * kBlock), noErr);
    EXPECT_EQ(source.pulls, kBlocks);
  }
}
