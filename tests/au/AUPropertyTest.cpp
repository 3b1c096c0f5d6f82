// The component entry and its properties, asked the way a host asks them.

#include "AUHost.h"
#include "TestPlug.h"

#include "IPlug/SampleRates.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

TEST(AUEntry, CanDoVersionAndUnknownSelectors)
{
  AUHost host;
  for (SInt16 s : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17})
    EXPECT_EQ(ComponentFunctionImplemented(host.unit, s), 1) << s;
  // 18 is handled (below) but not announced.
  for (SInt16 s : {0, 8, 12, 13, 18, 19, 257, -1})
    EXPECT_EQ(ComponentFunctionImplemented(host.unit, s), 0) << s;
  EXPECT_EQ(GetComponentVersion(host.unit), 0x20002);
  EXPECT_EQ(CallSelector(host.unit, kMusicDeviceSysExSelect, (const UInt8*) nullptr, (UInt32) 0),
            badComponentSelector);
  EXPECT_EQ(CallSelector(host.unit, 999), badComponentSelector);
  EXPECT_EQ(CallSelector(host.unit, kMusicDevicePrepareInstrumentSelect, (UInt32) 0), noErr);
}

TEST(AUEntry, InitialiseRefusesAnIllegalLayout)
{
  AUHost host;
  // Before initialising each side is judged alone, so both formats are taken...
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Input, 1), noErr);
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Output, 2), noErr);
  // ...and the pair is refused when the unit starts.
  EXPECT_EQ(AudioUnitInitialize(host.unit), badComponentSelector);
  EXPECT_FALSE(host.Plug()->IsActive());
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Output, 1), noErr);
  EXPECT_EQ(AudioUnitInitialize(host.unit), noErr);
  EXPECT_TRUE(host.Plug()->IsActive());
  EXPECT_EQ(AudioUnitUninitialize(host.unit), noErr);
  EXPECT_FALSE(host.Plug()->IsActive());
}

TEST(AUEntry, InitialiseAppliesEveryParameterThenActivates)
{
  AUHost host(TestPlugComponent());
  TestPlug* plug = static_cast<TestPlug*>(host.Plug());
  ASSERT_EQ(AudioUnitInitialize(host.unit), noErr);
  EXPECT_EQ(plug->changes, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(plug->activations, (std::vector<bool>{true}));
}

TEST(AUProperty, ParameterListAndInfo)
{
  CFLeakCheck leaks;
  AUHost host;
  UInt32 size = 0;
  Boolean writable = true;
  ASSERT_EQ(AudioUnitGetPropertyInfo(host.unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                     &size, &writable),
            noErr);
  EXPECT_EQ(size, 160u);
  EXPECT_FALSE(writable);
  std::vector<AudioUnitParameterID> ids(40, 99);
  EXPECT_EQ(AudioUnitGetProperty(host.unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                 ids.data(), &size),
            noErr);
  for (UInt32 i = 0; i < 40; ++i) EXPECT_EQ(ids[i], i);
  EXPECT_EQ(AudioUnitGetPropertyInfo(host.unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Input, 0,
                                     &size, nullptr),
            noErr);
  EXPECT_EQ(size, 0u);

  struct Expect
  {
    int id;
    const char* name;
    AudioUnitParameterUnit unit;
    const char* unitName;
    float min, max;
  };
  const Expect rows[] = {
    {kHiPassFreq, "Hi Pass Freq.", kAudioUnitParameterUnit_CustomUnit, "Hz", 20.0f, 200.0f},
    {kLowPassFreq, "Low Pass Freq.", kAudioUnitParameterUnit_Indexed, nullptr, 2000.0f, 20000.0f},
    {kLowMidQ, "Low Mid Q", kAudioUnitParameterUnit_Generic, nullptr, 0.5f, 8.0f},
    {kEqOn, "Eq On/Off", kAudioUnitParameterUnit_Boolean, nullptr, 0.0f, 1.0f},
    {kDyn1Type, "Dyn. 1 Type", kAudioUnitParameterUnit_Indexed, nullptr, 0.0f, 3.0f},
    {kInputGain, "Input Gain", kAudioUnitParameterUnit_CustomUnit, "dB", -60.0f, 30.0f},
  };
  ASSERT_EQ(host.SetParam(kInputGain, 4.5f), noErr);
  for (const Expect& e : rows)
  {
    AudioUnitParameterInfo info;
    memset(&info, 0xAB, sizeof info);
    ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, e.id, &info), noErr)
        << e.name;
    EXPECT_EQ(info.flags, 0xC8000010u);
    EXPECT_STREQ(info.name, e.name);
    EXPECT_EQ(CFText(info.cfNameString), e.name);
    EXPECT_EQ(info.unit, e.unit) << e.name;
    EXPECT_EQ(info.clumpID, 0u);
    if (e.unitName)
      EXPECT_EQ(CFText(info.unitName), e.unitName);
    else
      EXPECT_EQ(info.unitName, nullptr);
    EXPECT_EQ(info.minValue, e.min);
    EXPECT_EQ(info.maxValue, e.max);
    // The default is the current value, not the declared one.
    EXPECT_EQ(info.defaultValue, host.Param(e.id));
    CFRelease(info.cfNameString);
    if (info.unitName) CFRelease(info.unitName);
  }
  AudioUnitParameterInfo info;
  EXPECT_EQ(host.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Input, 0, &info),
            kAudioUnitErr_InvalidProperty);
}

TEST(AUProperty, ParametersOutsideTheListAreInvalidEverywhere)
{
  CFLeakCheck leaks;
  AUHost host;
  for (AudioUnitParameterID id : {40u, 1000u, 0x80000000u, 0xFFFFFFFFu})
  {
    AudioUnitParameterInfo info;
    UInt32 size = 0;
    EXPECT_EQ(AudioUnitGetPropertyInfo(host.unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global,
                                       id, &size, nullptr),
              kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(host.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info),
              kAudioUnitErr_InvalidParameter);
    CFArrayRef texts = nullptr;
    EXPECT_EQ(host.Get(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, &texts),
              kAudioUnitErr_InvalidParameter);
    const AudioUnitParameterValue one = 1.0f;
    AudioUnitParameterStringFromValue sfv = {id, &one, nullptr};
    EXPECT_EQ(host.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &sfv),
              kAudioUnitErr_InvalidParameter);
    AudioUnitParameterIDName idName = {id, -1, nullptr};
    EXPECT_EQ(host.Get(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, &idName),
              kAudioUnitErr_InvalidParameter);
    AudioUnitParameterValueFromString vfs = {id, CFSTR("1"), 0.0f};
    EXPECT_EQ(host.Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, &vfs),
              kAudioUnitErr_InvalidParameter);
    AudioUnitParameterValue v = 0.0f;
    EXPECT_EQ(AudioUnitGetParameter(host.unit, id, kAudioUnitScope_Global, 0, &v),
              kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(host.SetParam(id, 1.0f), kAudioUnitErr_InvalidParameter);
    AudioUnitParameterEvent e;
    memset(&e, 0, sizeof e);
    e.parameter = id;
    e.eventType = kParameterEvent_Immediate;
    EXPECT_EQ(AudioUnitScheduleParameters(host.unit, &e, 1), kAudioUnitErr_InvalidParameter);
  }
}

TEST(AUProperty, ShortBuffersAreRefusedUntouched)
{
  CFLeakCheck leaks;
  AUHost host;
  struct Case
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    UInt32 size;
  };
  const Case cases[] = {
    {kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 8},
    {kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 8},
    {kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 160},
    {kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, 104},
    {kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, 8},
    {kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 40},
    {kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 8},
    {kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 4},
    {kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 8},
    {kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 16},
    {kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 16},
    {kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 24},
  };
  for (const Case& c : cases)
  {
    const AudioUnitElement element = c.id == kAudioUnitProperty_FastDispatch ? kAudioUnitRenderSelect : 0;
    UInt32 size = 0;
    ASSERT_EQ(AudioUnitGetPropertyInfo(host.unit, c.id, c.scope, element, &size, nullptr), noErr) << c.id;
    EXPECT_EQ(size, c.size) << c.id;
    unsigned char buf[256];
    memset(buf, 0x5A, sizeof buf);
    size = c.size - 1;
    EXPECT_EQ(AudioUnitGetProperty(host.unit, c.id, c.scope, element, buf, &size),
              kAudioUnitErr_InvalidPropertyValue)
        << c.id;
    for (unsigned char b : buf) ASSERT_EQ(b, 0x5A) << c.id;
    // A host that passes no size has no room.
    EXPECT_EQ(AudioUnitGetProperty(host.unit, c.id, c.scope, element, buf, nullptr),
              kAudioUnitErr_InvalidPropertyValue);
  }

  // Set: short data is refused before the listeners hear of it, and nothing changes.
  static int heard;
  heard = 0;
  auto listener = [](void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) { ++heard; };
  const Float64 rate = 96000.0;
  ASSERT_EQ(AudioUnitAddPropertyListener(host.unit, kAudioUnitProperty_SampleRate, listener, nullptr), noErr);
  EXPECT_EQ(host.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate, 4),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(
      AudioUnitSetProperty(host.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, nullptr, 8),
      kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(heard, 0);
  EXPECT_EQ(host.Strip()->GetSampleRate(), 44100.0);
  AudioStreamBasicDescription f;
  memset(&f, 0, sizeof f);
  EXPECT_EQ(host.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, f, 39),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 1, 2),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_FALSE(host.Plug()->IsBypassed());
  const AURenderCallbackStruct cb = {InputSource::Callback, nullptr};
  EXPECT_EQ(host.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb, 15),
            kAudioUnitErr_InvalidPropertyValue);
  // A rate that would divide by zero is no rate.
  EXPECT_EQ(host.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, (Float64) 0.0),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(host.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate), noErr);
  EXPECT_EQ(heard, 2); // the refused zero rate was well-formed, so the listener heard it too
  EXPECT_EQ(host.Strip()->GetSampleRate(), 96000.0);
}

TEST(AUProperty, StreamFormatRepliesAndScopes)
{
  AUHost host;
  AudioStreamBasicDescription f;
  ASSERT_EQ(host.Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f), noErr);
  EXPECT_EQ(f.mSampleRate, 44100.0);
  EXPECT_EQ(f.mFormatID, kAudioFormatLinearPCM);
  EXPECT_EQ(f.mFormatFlags, 41u);
  EXPECT_EQ(f.mBytesPerPacket, 4u);
  EXPECT_EQ(f.mFramesPerPacket, 1u);
  EXPECT_EQ(f.mBytesPerFrame, 4u);
  EXPECT_EQ(f.mBitsPerChannel, 32u);
  EXPECT_EQ(f.mChannelsPerFrame, 2u); // the plug-in's channels until the host says
  EXPECT_EQ(host.Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 1, &f),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(host.Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Group, 0, &f),
            kAudioUnitErr_InvalidProperty);

  // The global scope is output bus 0.
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Global, 1, 48000.0), noErr);
  EXPECT_EQ(host.Channels(kAudioUnitScope_Output), 1u);
  EXPECT_EQ(host.Channels(kAudioUnitScope_Global), 1u);
  EXPECT_EQ(host.Strip()->GetSampleRate(), 48000.0);
  // A rate announced only with the format still re-derives the coefficients.
  EXPECT_EQ(host.Strip()->Eq().sampleRate, 48000);
  EXPECT_EQ(host.Strip()->VCA(0).sampleRate, 48000);

  // Neither a channel count the strip lacks nor a foreign format is taken.
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Output, 3), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(host.Channels(kAudioUnitScope_Output), 0u);
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Output, 0x80000001u), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(host.Channels(kAudioUnitScope_Output), 0u);
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Output, 2), noErr);
  EXPECT_EQ(host.Channels(kAudioUnitScope_Output), 2u);
}

TEST(AUProperty, RatesOutsideTheSupportedRangeAreRefusedWhereTheyEnter)
{
  AUHost host;
  const double inf = std::numeric_limits<double>::infinity();
  for (double rate : {7999.999, 768000.001, 1.0, 2130802432.0, -48000.0, inf, std::nan("")})
  {
    SCOPED_TRACE(rate);
    EXPECT_EQ(host.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, (Float64) rate),
              kAudioUnitErr_InvalidPropertyValue);
    // In a stream format: the format is refused like any other, the rate kept.
    EXPECT_EQ(host.SetFormat(kAudioUnitScope_Output, 2, rate), kAudioUnitErr_InvalidProperty);
    EXPECT_EQ(host.Channels(kAudioUnitScope_Output), 0u);
    EXPECT_EQ(host.Strip()->GetSampleRate(), 44100.0);
    EXPECT_EQ(host.Strip()->Eq().sampleRate, 44100);
  }
  for (double rate : {kMinSampleRate, kMaxSampleRate})
  {
    EXPECT_EQ(host.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, (Float64) rate), noErr);
    EXPECT_EQ(host.Strip()->VCA(1).sampleRate, (int) rate);
    EXPECT_EQ(host.SetFormat(kAudioUnitScope_Input, 2, 44100.0), noErr);
    EXPECT_EQ(host.Strip()->Opto(0).sampleRate, 44100);
    EXPECT_EQ(host.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, (Float64) rate), noErr);
  }
  // A format without a rate leaves the rate alone.
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Output, 2, 0.0), noErr);
  EXPECT_EQ(host.Strip()->GetSampleRate(), kMaxSampleRate);
}

TEST(AUProperty, TwoInOneOutIsRefusedOnceActive)
{
  AUHost host;
  ASSERT_EQ(host.SetFormat(kAudioUnitScope_Output, 1), noErr);
  ASSERT_EQ(AudioUnitInitialize(host.unit), noErr);
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Input, 2), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(host.Channels(kAudioUnitScope_Input), 0u);
  EXPECT_EQ(host.SetFormat(kAudioUnitScope_Input, 1), noErr);
  EXPECT_EQ(host.Channels(kAudioUnitScope_Input), 1u);
}

TEST(AUProperty, FixedReplies)
{
  CFLeakCheck leaks;
  AUHost host;
  AUChannelInfo io[2];
  ASSERT_EQ(host.Get(kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, io, sizeof io),
            noErr);
  EXPECT_EQ(io[0].inChannels, 1);
  EXPECT_EQ(io[0].outChannels, 1);
  EXPECT_EQ(io[1].inChannels, 2);
  EXPECT_EQ(io[1].outChannels, 2);

  UInt32 n = 99;
  EXPECT_EQ(host.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Global, 0, &n), noErr);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(host.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &n), noErr);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(host.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &n), noErr);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(host.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Group, 0, &n), noErr);
  EXPECT_EQ(n, 0u);

  Float64 seconds = -1.0;
  EXPECT_EQ(host.Get(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &seconds), noErr);
  EXPECT_EQ(seconds, 0.0);
  EXPECT_EQ(host.Get(kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, &seconds), noErr);
  EXPECT_EQ(host.Get(kAudioUnitProperty_Latency, kAudioUnitScope_Input, 0, &seconds),
            kAudioUnitErr_InvalidProperty);

  UInt32 frames = 0;
  EXPECT_EQ(host.Get(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames), noErr);
  EXPECT_EQ(frames, 1024u);
  EXPECT_EQ(host.Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, (UInt32) 4096),
            noErr);
  EXPECT_EQ(host.Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, (UInt32) UINT_MAX),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(host.Get(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames), noErr);
  EXPECT_EQ(frames, 4096u);

  OSStatus last = -1;
  EXPECT_EQ(host.Get(kAudioUnitProperty_LastRenderError, kAudioUnitScope_Global, 0, &last), noErr);
  EXPECT_EQ(last, noErr);

  // The editor exists from construction, so the view is described; the Cocoa view also
  // needs the component's bundle, which nothing has registered here.
  ComponentDescription view;
  ASSERT_EQ(host.Get(kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0, &view), noErr);
  EXPECT_EQ(view.componentType, (OSType) kAudioUnitCarbonViewComponentType);
  EXPECT_EQ(view.componentSubType, (OSType) kOstrakonUniqueID);
  EXPECT_EQ(view.componentManufacturer, (OSType) kOstrakonMfrID);
  AudioUnitCocoaViewInfo cocoa;
  EXPECT_EQ(host.Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &cocoa),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(host.Get(kMusicDeviceProperty_InstrumentCount, kAudioUnitScope_Global, 0, &n),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(host.Get(kAudioUnitProperty_InPlaceProcessing, kAudioUnitScope_Global, 0, &n),
            kAudioUnitErr_InvalidProperty);

  UInt32 size = 0;
  Boolean writable = false;
  EXPECT_EQ(AudioUnitGetPropertyInfo(host.unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                                     &size, &writable),
            noErr);
  EXPECT_EQ(size, 32u);
  EXPECT_TRUE(writable);
  EXPECT_EQ(AudioUnitGetPropertyInfo(host.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Output, 0,
                                     &size, &writable),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitGetPropertyInfo(host.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input,
                                     1, &size, &writable),
            kAudioUnitErr_InvalidProperty);

  // The host owns what it is handed: an empty preset array, the preset record's name.
  CFArrayRef presets = nullptr;
  ASSERT_EQ(host.Get(kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets), noErr);
  EXPECT_EQ(CFArrayGetCount(presets), 0);
  CFRelease(presets);
  AUPreset preset = {-1, nullptr};
  ASSERT_EQ(host.Get(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &preset), noErr);
  EXPECT_EQ(preset.presetNumber, 0);
  EXPECT_EQ(CFText(preset.presetName), "");
  CFRelease(preset.presetName);
}

TEST(AUProperty, FastDispatchAddresses)
{
  AUHost host;
  void* proc = nullptr;
  for (AudioUnitElement e : {6u, 7u, 14u})
  {
    proc = nullptr;
    EXPECT_EQ(host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, e, &proc), noErr);
    EXPECT_NE(proc, nullptr);
  }
  EXPECT_EQ(host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, 5, &proc),
            kAudioUnitErr_InvalidElement);
  AudioUnitSetParameterProc set = nullptr;
  AudioUnitGetParameterProc get = nullptr;
  host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitSetParameterSelect, &set);
  host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitGetParameterSelect, &get);
  void* storage = GetComponentInstanceStorage(host.unit);
  EXPECT_EQ(set(storage, kLowMidGain, kAudioUnitScope_Global, 0, 6.5f, 0), noErr);
  AudioUnitParameterValue v = 0.0f;
  EXPECT_EQ(get(storage, kLowMidGain, kAudioUnitScope_Global, 0, &v), noErr);
  EXPECT_EQ(v, 6.5f);
  EXPECT_EQ(get(storage, kLowMidGain, kAudioUnitScope_Output, 0, &v), kAudioUnitErr_InvalidProperty);
}

namespace
{
struct ListenerLog
{
  AUHost* host = nullptr;
  std::vector<UInt32> bypassSeen;
  int calls = 0;
};
void BypassListener(void* ref, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  ListenerLog* log = (ListenerLog*) ref;
  ++log->calls;
  UInt32 v = 99;
  log->host->Get(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &v);
  log->bypassSeen.push_back(v);
}
void OtherListener(void* ref, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  ++((ListenerLog*) ref)->calls;
}
int gNotifyCalls = 0;
std::vector<AudioUnitRenderActionFlags> gNotifyFlags;
OSStatus Notify(void*, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                AudioBufferList*)
{
  ++gNotifyCalls;
  gNotifyFlags.push_back(*flags);
  return noErr;
}
} // namespace

TEST(AUProperty, ListenersSeeTheOldValueAndAreKeptOnce)
{
  AUHost host;
  ListenerLog a, b;
  a.host = b.host = &host;
  ASSERT_EQ(AudioUnitAddPropertyListener(host.unit, kAudioUnitProperty_BypassEffect, BypassListener, &a),
            noErr);
  // The same procedure for the same property is kept once, whatever its user data.
  ASSERT_EQ(AudioUnitAddPropertyListener(host.unit, kAudioUnitProperty_BypassEffect, BypassListener, &b),
            noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(host.unit, kAudioUnitProperty_BypassEffect, OtherListener, &b),
            noErr);
  EXPECT_EQ(AudioUnitAddPropertyListener(host.unit, kAudioUnitProperty_BypassEffect, nullptr, &b), paramErr);

  ASSERT_EQ(host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 1), noErr);
  EXPECT_EQ(a.bypassSeen, std::vector<UInt32>{0});
  EXPECT_EQ(b.bypassSeen.size(), 0u);
  EXPECT_EQ(b.calls, 1);
  EXPECT_TRUE(host.Plug()->IsBypassed());

  // Removing with user data needs all three to match; without, the first of the pair goes.
  ASSERT_EQ(AudioUnitRemovePropertyListenerWithUserData(host.unit, kAudioUnitProperty_BypassEffect,
                                                        BypassListener, &b),
            noErr);
  ASSERT_EQ(host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 0), noErr);
  EXPECT_EQ(a.bypassSeen, (std::vector<UInt32>{0, 1}));
  ASSERT_EQ(AudioUnitRemovePropertyListener(host.unit, kAudioUnitProperty_BypassEffect, BypassListener),
            noErr);
  ASSERT_EQ(AudioUnitRemovePropertyListenerWithUserData(host.unit, kAudioUnitProperty_BypassEffect,
                                                        OtherListener, &b),
            noErr);
  ASSERT_EQ(host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) 1), noErr);
  EXPECT_EQ(a.calls, 2);
  EXPECT_EQ(b.calls, 2);
}

TEST(AUProperty, RenderNotificationsKeepDuplicates)
{
  AUHost host;
  InputSource source{{TestSignal(64, 0)}};
  ASSERT_EQ(host.Prepare(1, 64, 44100.0, &source), noErr);
  gNotifyCalls = 0;
  gNotifyFlags.clear();
  int refA = 0, refB = 0;
  ASSERT_EQ(AudioUnitAddRenderNotify(host.unit, Notify, &refA), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(host.unit, Notify, &refA), noErr);
  EXPECT_EQ(AudioUnitAddRenderNotify(host.unit, nullptr, &refA), paramErr);
  HostBufferList out(1, 64);
  ASSERT_EQ(host.Render(out.List(), 64, 0.0), noErr);
  EXPECT_EQ(gNotifyCalls, 4);
  EXPECT_EQ(gNotifyFlags, (std::vector<AudioUnitRenderActionFlags>{4, 4, 8, 8}));
  // Removal compares the procedure only.
  ASSERT_EQ(AudioUnitRemoveRenderNotify(host.unit, Notify, &refB), noErr);
  ASSERT_EQ(host.Render(out.List(), 64, 64.0), noErr);
  EXPECT_EQ(gNotifyCalls, 6);
}

TEST(AUProperty, ParameterTexts)
{
  CFLeakCheck leaks;
  AUHost host;
  CFArrayRef texts = nullptr;
  ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, kDyn1Type, &texts),
            noErr);
  ASSERT_EQ(CFArrayGetCount(texts), 4);
  EXPECT_EQ(CFText(CFArrayGetValueAtIndex(texts, 0)), "VCA");
  EXPECT_EQ(CFText(CFArrayGetValueAtIndex(texts, 3)), "Expander");
  CFRelease(texts);
  ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, kRevPhase, &texts),
            noErr);
  EXPECT_EQ(CFText(CFArrayGetValueAtIndex(texts, 1)), "on");
  CFRelease(texts);
  UInt32 size = 99;
  EXPECT_EQ(AudioUnitGetPropertyInfo(host.unit, kAudioUnitProperty_ParameterValueStrings,
                                     kAudioUnitScope_Global, kHiPassFreq, &size, nullptr),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(size, 0u);

  const AudioUnitParameterValue two = 2.9f;
  AudioUnitParameterStringFromValue sfv = {kDyn1Type, &two, nullptr};
  ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &sfv), noErr);
  EXPECT_EQ(CFText(sfv.outString), "OPTO");
  CFRelease(sfv.outString);
  sfv = {kRouting, nullptr, nullptr}; // the current value
  ASSERT_EQ(host.SetParam(kRouting, 1.0f), noErr);
  ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &sfv), noErr);
  EXPECT_EQ(CFText(sfv.outString), "Eq -> Dyn1 -> Dyn2");
  CFRelease(sfv.outString);
  sfv = {kHiPassFreq, &two, nullptr};
  ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &sfv), noErr);
  EXPECT_EQ(CFText(sfv.outString), "");
  CFRelease(sfv.outString);
  // Outside the global scope only the size is answered.
  sfv = {kDyn1Type, &two, nullptr};
  EXPECT_EQ(host.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Input, 0, &sfv), noErr);
  EXPECT_EQ(sfv.outString, nullptr);

  struct NameCase
  {
    int id;
    SInt32 desired;
    const char* expect;
  };
  for (const NameCase& c : {NameCase{kFilterQ, 5, "Filte"}, NameCase{kFilterQ, -1, "Filter Q"},
                            NameCase{kFilterQ, 8, "Filter Q"}, NameCase{kFilterQ, 0, ""},
                            NameCase{kFilterQ, -7, ""}, NameCase{kDyn1OutputGain, 1000, "Dyn1 Output Gain"}})
  {
    AudioUnitParameterIDName idName = {(AudioUnitParameterID) c.id, c.desired, nullptr};
    ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, &idName), noErr);
    EXPECT_EQ(CFText(idName.outName), c.expect) << c.desired;
    CFRelease(idName.outName);
  }

  AudioUnitParameterValueFromString vfs = {kDyn2Type, CFSTR("FET"), -1.0f};
  ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, &vfs), noErr);
  EXPECT_EQ(vfs.outValue, 1.0f);
  vfs = {kDyn2Type, CFSTR("fet"), 123.0f};
  ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, &vfs), noErr);
  EXPECT_EQ(vfs.outValue, 123.0f);
  vfs = {kLowMidGain, CFSTR("-4.25"), 0.0f};
  ASSERT_EQ(host.Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, &vfs), noErr);
  EXPECT_EQ(vfs.outValue, -4.25f);
  const SInt32 number = 3;
  CFNumberRef notText = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &number);
  vfs = {kLowMidGain, (CFStringRef) notText, 7.0f};
  EXPECT_EQ(host.Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, &vfs),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(vfs.outValue, 7.0f);
  CFRelease(notText);
}

TEST(AUProperty, HostIdentifierAndCallbacks)
{
  AUHost host;
  const AUHostIdentifier id = {CFSTR("Logic Pro"), {0, 0x80, 0x12, 9}};
  ASSERT_EQ(host.Set(kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, id), noErr);
  EXPECT_EQ(host.Plug()->GetHost(), 21);
  EXPECT_EQ(host.Plug()->GetHostVersion(false), (9 << 16) + (0x12 << 8));
  const HostCallbackInfo callbacks = {nullptr, nullptr, nullptr, nullptr};
  EXPECT_EQ(host.Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Output, 0, callbacks),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(host.Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, callbacks), noErr);
  EXPECT_EQ(host.Set(kAudioUnitProperty_OfflineRender, kAudioUnitScope_Global, 0, (UInt32) 1), noErr);
  EXPECT_TRUE(host.Plug()->IsOffline());
  EXPECT_EQ(host.Set(kAudioUnitProperty_RenderQuality, kAudioUnitScope_Global, 0, (UInt32) 1),
            kAudioUnitErr_InvalidProperty);
}

TEST(AUTestPlug, PresetsSideChainsInstrumentsMidiAndEditor)
{
  CFLeakCheck leaks;
  TestPlugConfig config;
  config.channelIO = "2-2 3-2";
  config.scChans = 1;
  config.nPresets = 3;
  config.withEditor = true;
  {
    AUHost host(TestPlugComponent(config));
    UInt32 n = 0;
    EXPECT_EQ(host.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &n), noErr);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(host.Channels(kAudioUnitScope_Input, 0), 2u);
    EXPECT_EQ(host.Channels(kAudioUnitScope_Input, 1), 1u);

    CFArrayRef presets = nullptr;
    ASSERT_EQ(host.Get(kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets), noErr);
    ASSERT_EQ(CFArrayGetCount(presets), 3);
    const CFAUPreset* loud = (const CFAUPreset*) CFArrayGetValueAtIndex(presets, 1);
    EXPECT_EQ(loud->auPreset.presetNumber, 1);
    EXPECT_EQ(CFText(loud->auPreset.presetName), "Loud");
    EXPECT_EQ(loud->retainCount, 1); // held by the array alone
    CFStringRef description = kCFAUPresetArrayCallBacks.copyDescription(loud);
    EXPECT_EQ(CFText(description), "AUPreset:\npreset number = 1\npreset name = Loud");
    CFRelease(description);
    EXPECT_TRUE(kCFAUPresetArrayCallBacks.equal(loud, loud));
    EXPECT_FALSE(kCFAUPresetArrayCallBacks.equal(loud, CFArrayGetValueAtIndex(presets, 2)));
    CFRelease(presets);

    static int presetHeard;
    presetHeard = 0;
    auto onPreset = [](void*, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement) {
      presetHeard += id == kAudioUnitProperty_PresentPreset;
    };
    ASSERT_EQ(AudioUnitAddPropertyListener(host.unit, kAudioUnitProperty_PresentPreset, onPreset, nullptr),
              noErr);
    const AUPreset choose = {1, nullptr};
    ASSERT_EQ(host.Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, choose), noErr);
    EXPECT_EQ(host.Param(kTestGain), 3.0f);
    const AUPreset missing = {7, nullptr};
    EXPECT_EQ(host.Set(kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, missing), noErr);
    EXPECT_EQ(host.Plug()->GetCurrentPresetIdx(), 1);
    host.Plug()->InformHostOfProgramChange();
    EXPECT_EQ(presetHeard, 2); // the set, then the plug-in's own announcement

    // With an editor: the Carbon view description and, with its bundle known, the Cocoa view.
    ComponentDescription view;
    ASSERT_EQ(host.Get(kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0, &view), noErr);
    EXPECT_EQ(view.componentType, (OSType) kAudioUnitCarbonViewComponentType);
    EXPECT_EQ(view.componentSubType, 0x54657374u);
    AudioUnitCocoaViewInfo cocoa;
    EXPECT_EQ(host.Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &cocoa),
              kAudioUnitErr_InvalidProperty);
    StandInRegisterBundle(kTestBundleID, "/opt/TestPlug.component");
    ASSERT_EQ(host.Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &cocoa), noErr);
    EXPECT_EQ(CFText(cocoa.mCocoaAUViewClass[0]), "TestPlug_View");
    CFRelease(cocoa.mCocoaAUViewBundleLocation);
    CFRelease(cocoa.mCocoaAUViewClass[0]);

    // SetParamProc stores the clamped value; the editor follows it.
    TestPlug* plug = static_cast<TestPlug*>(host.Plug());
    ASSERT_EQ(host.SetParam(kTestGain, 100.0f), noErr);
    EXPECT_EQ(host.Param(kTestGain), 24.0f);
    EXPECT_EQ(plug->GetGUI()->GetControl(plug->gainControl)->GetValue(), 1.0);

    // MIDI reaches the plug-in; notes are taken and dropped.
    ASSERT_EQ(MusicDeviceMIDIEvent(host.unit, 0x91, 60, 100, 12), noErr);
    ASSERT_EQ(plug->midi.size(), 1u);
    EXPECT_EQ(plug->midi[0].mOffset, 12);
    EXPECT_EQ(plug->midi[0].mStatus, 0x91);
    EXPECT_EQ(plug->midi[0].mData1, 60);
    EXPECT_EQ(plug->midi[0].mData2, 100);
    MusicDeviceNoteParams note = {2, 64.0f, 90.0f, {{0, 0.0f}}};
    NoteInstanceID noteID = 0;
    EXPECT_EQ(CallSelector(host.unit, kMusicDeviceStartNoteSelect, (UInt32) 0, (UInt32) 0, &noteID,
                           (UInt32) 0, (const MusicDeviceNoteParams*) &note),
              noErr);
    EXPECT_EQ(CallSelector(host.unit, kMusicDeviceStopNoteSelect, (UInt32) 0, (UInt32) 64, (UInt32) 0),
              noErr);
    EXPECT_EQ(plug->midi.size(), 1u);

    // Latency listeners hear of a change before it is stored.
    static double latencySeen;
    latencySeen = -1.0;
    static AUHost* self;
    self = &host;
    auto onLatency = [](void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {
      self->Get(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &latencySeen);
    };
    ASSERT_EQ(AudioUnitAddPropertyListener(host.unit, kAudioUnitProperty_Latency, onLatency, nullptr), noErr);
    plug->SetLatency(441);
    EXPECT_EQ(latencySeen, 0.0);
    Float64 latency = 0.0;
    EXPECT_EQ(host.Get(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &latency), noErr);
    EXPECT_DOUBLE_EQ(latency, 0.01);
  }

  TestPlugConfig inst;
  inst.channelIO = "0-5";
  inst.isInst = true;
  AUHost host(TestPlugComponent(inst));
  UInt32 n = 0;
  EXPECT_EQ(host.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &n), noErr);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(host.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &n), noErr);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(host.Channels(kAudioUnitScope_Output, 2), 1u);
  EXPECT_EQ(host.Get(kMusicDeviceProperty_InstrumentCount, kAudioUnitScope_Global, 0, &n), noErr);
  EXPECT_EQ(n, 1u);
}
