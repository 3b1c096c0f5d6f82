// Parameters, the saved-state dictionary, notifications and host services, from the
// host's side.

#include "AUHost.h"
#include "TestPlug.h"

#include "IPlug/Hosts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST(AUParams, SetClampsIntoTheRangeAndRefusesNaN)
{
  AUHost host;
  EXPECT_EQ(host.SetParam(kHiPassFreq, 500.0f), noErr);
  EXPECT_EQ(host.Param(kHiPassFreq), 200.0f);
  EXPECT_EQ(host.SetParam(kHiPassFreq, -5.0f), noErr);
  EXPECT_EQ(host.Param(kHiPassFreq), 20.0f);
  EXPECT_EQ(host.SetParam(kHiPassFreq, 57.25f), noErr); // no step rounding
  EXPECT_EQ(host.Param(kHiPassFreq), 57.25f);
  EXPECT_EQ(host.SetParam(kHiPassFreq, std::nanf("")), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(host.Param(kHiPassFreq), 57.25f);
  EXPECT_EQ(AudioUnitSetParameter(host.unit, kHiPassFreq, kAudioUnitScope_Input, 0, 30.0f, 0),
            kAudioUnitErr_InvalidProperty);
  AudioUnitParameterValue v = 0.0f;
  EXPECT_EQ(AudioUnitGetParameter(host.unit, kHiPassFreq, kAudioUnitScope_Output, 0, &v),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitGetParameter(host.unit, kHiPassFreq, kAudioUnitScope_Global, 0, nullptr), paramErr);
}

TEST(AUParams, ScheduledImmediateEventsApplyInOrderUntilAnError)
{
  AUHost host;
  AudioUnitParameterEvent events[4];
  memset(events, 0, sizeof events);
  events[0].parameter = kLowMidGain;
  events[0].eventType = kParameterEvent_Immediate;
  events[0].eventValues.immediate.value = 3.0f;
  events[1].parameter = kLowMidGain;
  events[1].eventType = kParameterEvent_Ramped;
  events[1].eventValues.ramp.endValue = 9.0f;
  events[2].parameter = kNumParams;
  events[2].eventType = kParameterEvent_Immediate;
  events[3].parameter = kHiMidGain;
  events[3].eventType = kParameterEvent_Immediate;
  events[3].eventValues.immediate.value = 5.0f;
  EXPECT_EQ(AudioUnitScheduleParameters(host.unit, events, 4), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(host.Param(kLowMidGain), 3.0f);
  EXPECT_EQ(host.Param(kHiMidGain), 0.0f);
  EXPECT_EQ(AudioUnitScheduleParameters(host.unit, events + 3, 1), noErr);
  EXPECT_EQ(host.Param(kHiMidGain), 5.0f);
  EXPECT_EQ(AudioUnitScheduleParameters(host.unit, nullptr, 1), paramErr);
}

namespace
{
CFDictionaryRef SaveState(AUHost& host)
{
  CFPropertyListRef state = nullptr;
  EXPECT_EQ(host.Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state), noErr);
  return (CFDictionaryRef) state;
}

OSStatus RestoreState(AUHost& host, CFPropertyListRef state)
{
  return host.Set(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state);
}

std::vector<double> Values(AUHost& host)
{
  std::vector<double> v;
  for (int i = 0; i < kNumParams; ++i) v.push_back(host.Strip()->GetParam(i)->Value());
  return v;
}

SInt32 Number(CFDictionaryRef dict, const char* key)
{
  SInt32 v = 0;
  EXPECT_TRUE(GetNumberFromDict(dict, key, &v)) << key;
  return v;
}

// A copy of the strip's state dictionary with one key replaced (or removed, for null).
CFMutableDictionaryRef Altered(CFDictionaryRef from, const char* key, CFTypeRef value)
{
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks);
  const CFIndex n = CFDictionaryGetCount(from);
  std::vector<const void*> keys((size_t) n), values((size_t) n);
  CFDictionaryGetKeysAndValues(from, keys.data(), values.data());
  for (CFIndex i = 0; i < n; ++i)
    if (CFText(keys[(size_t) i]) != key) CFDictionarySetValue(d, keys[(size_t) i], values[(size_t) i]);
  if (value) CFDictionarySetValue(d, CFStringMakeConstantString(key), value);
  return d;
}
} // namespace

TEST(AUState, ClassInfoRoundTripsBetweenInstances)
{
  CFLeakCheck leaks;
  std::vector<double> saved;
  CFDictionaryRef state = nullptr;
  {
    AUHost host;
    for (auto s : {std::pair<int, float>{kLowMidGain, 4.5f},
                   {kDyn1Type, 2.0f},
                   {kRouting, 1.0f},
                   {kRevPhase, 1.0f},
                   {kLowPassFreq, 9000.0f},
                   {kDyn2Thresh, -33.0f}})
      ASSERT_EQ(host.SetParam(s.first, s.second), noErr);
    saved = Values(host);
    state = SaveState(host);
    ASSERT_TRUE(state);
    EXPECT_EQ(CFGetTypeID(state), CFDictionaryGetTypeID());
    EXPECT_EQ(CFDictionaryGetCount(state), 6);
    EXPECT_EQ(Number(state, "version"), 131074);
    EXPECT_EQ((OSType) Number(state, "type"), (OSType) kAudioUnitType_Effect);
    EXPECT_EQ(Number(state, "subtype"), kOstrakonUniqueID);
    EXPECT_EQ(Number(state, "manufacturer"), kOstrakonMfrID);
    WDL_String name("x");
    EXPECT_TRUE(GetStrFromDict(state, "name", &name));
    EXPECT_STREQ(name.Get(), "");
    ByteChunk data;
    ASSERT_TRUE(GetDataFromDict(state, "data", &data));
    ASSERT_EQ(data.Size(), 320);
    for (int i = 0; i < kNumParams; ++i)
    {
      double v = -1.0;
      data.Get(&v, 8 * i);
      EXPECT_GE(v, 0.0);
      EXPECT_LE(v, 1.0);
    }
  }
  AUHost other;
  ASSERT_EQ(other.SetParam(kLowMidGain, -9.0f), noErr);
  ASSERT_EQ(RestoreState(other, state), noErr);
  const std::vector<double> restored = Values(other);
  for (int i = 0; i < kNumParams; ++i) EXPECT_NEAR(restored[(size_t) i], saved[(size_t) i], 1e-9) << i;
  other.Strip()->ApplyParamChanges(); // as the next block would
  EXPECT_EQ(other.Strip()->GetRoutingSlot(0), Ostrakon::kStageEq); // the engine followed
  CFRelease(state);
}

TEST(AUState, RefusedDictionariesChangeNothing)
{
  CFLeakCheck leaks;
  AUHost host;
  CFDictionaryRef good = SaveState(host);
  ASSERT_EQ(host.SetParam(kLowMidGain, 7.0f), noErr);
  const std::vector<double> before = Values(host);

  const SInt32 foreign = 0x41424344;
  CFNumberRef foreignNumber = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &foreign);
  CFMutableDictionaryRef bad = Altered(good, "manufacturer", foreignNumber);
  EXPECT_EQ(RestoreState(host, bad), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(bad);
  for (const char* key : {"version", "type", "subtype", "manufacturer", "name", "data"})
  {
    bad = Altered(good, key, nullptr);
    EXPECT_EQ(RestoreState(host, bad), kAudioUnitErr_InvalidPropertyValue) << key;
    CFRelease(bad);
  }
  bad = Altered(good, "name", foreignNumber); // a value of the wrong type is no value
  EXPECT_EQ(RestoreState(host, bad), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(bad);
  bad = Altered(good, "data", CFSTR("not bytes"));
  EXPECT_EQ(RestoreState(host, bad), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(bad);
  EXPECT_EQ(RestoreState(host, CFSTR("not a dictionary")), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(RestoreState(host, (CFPropertyListRef) nullptr), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(foreignNumber);
  EXPECT_EQ(Values(host), before);
  CFRelease(good);
}

TEST(AUState, AHalfChunkIsAccepted)
{
  CFLeakCheck leaks;
  AUHost host;
  CFDictionaryRef good = SaveState(host);
  const std::vector<double> before = Values(host);
  ByteChunk half;
  for (int i = 0; i < 20; ++i)
  {
    const double v = 0.25;
    half.Put(&v);
  }
  ASSERT_EQ(half.Size(), 160);
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, half.GetData(), half.Size());
  CFMutableDictionaryRef state = Altered(good, "data", data);
  ASSERT_EQ(RestoreState(host, state), noErr);
  // Each parameter the chunk reaches is set as from the editor at 0.25.
  AUHost reference;
  for (int i = 0; i < 20; ++i)
  {
    IParam* p = reference.Strip()->GetParam(i);
    p->SetNormalized(0.25);
    EXPECT_EQ(host.Strip()->GetParam(i)->Value(), p->Value()) << i;
  }
  // The parameters the chunk does not reach keep their values.
  for (int i = 20; i < kNumParams; ++i)
    EXPECT_EQ(host.Strip()->GetParam(i)->Value(), before[(size_t) i]) << i;
  CFRelease(data);
  CFRelease(state);
  CFRelease(good);
}

TEST(AUState, OpaqueStatePlugInsSaveThroughSerializeState)
{
  CFLeakCheck leaks;
  TestPlugConfig config;
  config.doesChunks = true;
  AUHost host(TestPlugComponent(config));
  ASSERT_EQ(host.SetParam(kTestGain, -6.0f), noErr);
  CFDictionaryRef state = SaveState(host);
  ByteChunk data;
  ASSERT_TRUE(GetDataFromDict(state, "data", &data));
  EXPECT_EQ(data.Size(), 8 * kNumTestParams);
  ASSERT_EQ(host.SetParam(kTestGain, 6.0f), noErr);
  ASSERT_EQ(RestoreState(host, state), noErr);
  EXPECT_FLOAT_EQ(host.Param(kTestGain), -6.0f);
  CFRelease(state);
}

TEST(AUHostServices, LookUpHostSearchesInOrder)
{
  EXPECT_EQ(LookUpHost("Ableton LIVE and Logic"), 9);
  EXPECT_EQ(LookUpHost("Logic Pro X"), 21);
  EXPECT_EQ(LookUpHost("com.motu.DigitalPerformer"), 22);
  EXPECT_EQ(LookUpHost("Cubase Standalone"), 23);
  EXPECT_EQ(LookUpHost("PreSonus VST2 Host"), 25);
  EXPECT_EQ(LookUpHost("Garage"), 0);
  EXPECT_EQ(LookUpHost(""), 0);
  EXPECT_EQ(LookUpHost(nullptr), 0);
  EXPECT_EQ(LookUpHost((std::string(1000, 'x') + "REAPER").c_str()), 1);
}

TEST(AUHostServices, TheHostIsIdentifiedFromItsBundleUnlessItSaidSo)
{
  {
    StandInSetMainBundle("com.apple.logic10", nullptr);
    AUHost host;
    EXPECT_EQ(host.Plug()->GetHost(), 21);
  }
  {
    AUHost host;
    const AUHostIdentifier id = {CFSTR("Reaper"), {0, 0, 0x25, 6}};
    ASSERT_EQ(host.Set(kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, id), noErr);
    EXPECT_EQ(host.Plug()->GetHost(), 1);
    char text[MAX_VERSION_STR_LEN];
    host.Plug()->GetHostVersionStr(text);
    EXPECT_STREQ(text, "v6.37.0");
  }
  StandInSetMainBundle(nullptr, nullptr);
  AUHost host;
  EXPECT_EQ(host.Plug()->GetHost(), 0);
}

namespace
{
struct HostTime
{
  Float64 beat = 8.5, tempo = 96.0, sample = 1000.5, cycleStart = 4.0, cycleEnd = 8.0, downBeat = 6.0;
  Float32 numerator = 6.0f;
  UInt32 denominator = 8;
} gTime;

OSStatus BeatAndTempo(void* ud, Float64* beat, Float64* tempo)
{
  EXPECT_EQ(ud, &gTime);
  *beat = gTime.beat;
  *tempo = gTime.tempo;
  return noErr;
}
OSStatus MusicalTime(void*, UInt32* delta, Float32* num, UInt32* denom, Float64* downBeat)
{
  *delta = 0;
  *num = gTime.numerator;
  *denom = gTime.denominator;
  *downBeat = gTime.downBeat;
  return noErr;
}
OSStatus Transport(void*, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling,
                   Float64* start, Float64* end)
{
  *playing = true;
  *changed = false;
  *sample = gTime.sample;
  *cycling = true;
  *start = gTime.cycleStart;
  *end = gTime.cycleEnd;
  return noErr;
}
} // namespace

TEST(AUHostServices, TimeComesFromTheHostCallbacks)
{
  AUHost host;
  IPlugAU* plug = host.Plug();
  EXPECT_EQ(plug->GetTempo(), 120.0);
  EXPECT_EQ(plug->GetSamplePos(), 0);
  int num = -1, denom = -1;
  plug->GetTimeSig(&num, &denom);
  EXPECT_EQ(num, -1);
  EXPECT_DOUBLE_EQ(plug->GetSamplesPerBeat(), 44100.0 * 60.0 / 120.0);

  gTime = HostTime();
  const HostCallbackInfo callbacks = {&gTime, BeatAndTempo, MusicalTime, Transport};
  ASSERT_EQ(host.Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, callbacks), noErr);
  EXPECT_EQ(plug->GetSamplePos(), 1001);
  gTime.sample = 999.4;
  EXPECT_EQ(plug->GetSamplePos(), 999);
  EXPECT_EQ(plug->GetTempo(), 96.0);
  gTime.tempo = 0.0; // no tempo from the host keeps the last one
  EXPECT_EQ(plug->GetTempo(), 96.0);
  plug->GetTimeSig(&num, &denom);
  EXPECT_EQ(num, 6);
  EXPECT_EQ(denom, 8);

  ITimeInfo info;
  info.mTempo = -1.0;
  plug->GetTime(&info);
  EXPECT_EQ(info.mTempo, -1.0); // the host's 0 is not a tempo
  EXPECT_EQ(info.mPPQPos, 8.5);
  EXPECT_EQ(info.mSamplePos, 999.4);
  EXPECT_EQ(info.mCycleStart, 4.0);
  EXPECT_EQ(info.mCycleEnd, 8.0);
  EXPECT_EQ(info.mLastBar, 6.0);
  EXPECT_EQ(info.mNumerator, 6);
  EXPECT_EQ(info.mDenominator, 8);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_TRUE(info.mTransportLoopEnabled);

  // An older host's record without the transport procedure.
  ASSERT_EQ(
      host.Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, callbacks, 3 * sizeof(void*)),
      noErr);
  EXPECT_EQ(plug->GetSamplePos(), 0);
  EXPECT_EQ(host.Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, callbacks, 4),
            kAudioUnitErr_InvalidPropertyValue);
}

namespace
{
struct Events
{
  std::vector<std::pair<AudioUnitEventType, float>> heard;
};
void OnEvent(void* ref, void*, const AudioUnitEvent* e, UInt64, AudioUnitParameterValue v)
{
  ((Events*) ref)->heard.push_back({e->mEventType, v});
}
} // namespace

TEST(AUNotify, EditorChangesReachTheHostsListeners)
{
  AUHost host;
  Events events;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(OnEvent, &events, nullptr, nullptr, 0.0f, 0.0f, &listener), noErr);
  for (AudioUnitEventType type :
       {kAudioUnitEvent_ParameterValueChange, kAudioUnitEvent_BeginParameterChangeGesture,
        kAudioUnitEvent_EndParameterChangeGesture})
  {
    AudioUnitEvent e;
    memset(&e, 0, sizeof e);
    e.mEventType = type;
    e.mArgument.mParameter = {host.unit, kLowMidGain, kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &e), noErr);
  }
  IPlugAU* plug = host.Plug();
  plug->BeginInformHostOfParamChange(kLowMidGain);
  plug->SetParameterFromGUI(kLowMidGain, 0.75);
  plug->SetParameterFromGUI(kHiMidGain, 0.75); // nobody listens to this one
  plug->EndInformHostOfParamChange(kLowMidGain);
  ASSERT_EQ(events.heard.size(), 3u);
  EXPECT_EQ(events.heard[0].first, (AudioUnitEventType) kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(events.heard[1].first, (AudioUnitEventType) kAudioUnitEvent_ParameterValueChange);
  EXPECT_EQ(events.heard[1].second, 7.5f); // in real units, read back from the unit
  EXPECT_EQ(events.heard[2].first, (AudioUnitEventType) kAudioUnitEvent_EndParameterChangeGesture);
  EXPECT_EQ(AUListenerDispose(listener), noErr);
}
