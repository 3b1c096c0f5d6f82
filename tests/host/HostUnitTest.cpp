// The host library's set-up, parameter, listener and host-service calls on the strip:
// what a host gets back through them. The adapter's own answers are pinned in
// tests/au; these tests pin what the host side makes of them.

#include "HostRig.h"

#include "engine/OstrakonParams.h"
#include "host/AUParameterListener.h"

#include <stdexcept>

TEST(HostSetUp, TheComponentAsTheComponentManagerReportsIt)
{
  EXPECT_EQ(AUComponent::Register(StripComponent().Description(), Ostrakon_Entry, "").Handle(),
            StripComponent().Handle());
  AUHostUnit unit;
  OpenStrip(unit);
  ComponentDescription cd;
  ASSERT_EQ(unit.GetDescription(&cd), noErr);
  EXPECT_EQ(cd.componentType, (OSType) kAudioUnitType_Effect);
  EXPECT_EQ(cd.componentSubType, 0x56787137u);      // 'Vxq7'
  EXPECT_EQ(cd.componentManufacturer, 0x5172726fu); // 'Qrro'
  EXPECT_EQ(unit.GetVersion(), 0x20002);
  std::vector<AUChannelInfo> layouts;
  ASSERT_EQ(unit.GetSupportedChannels(&layouts), noErr);
  ASSERT_EQ(layouts.size(), 2u);
  EXPECT_EQ(layouts[0].inChannels, 1);
  EXPECT_EQ(layouts[0].outChannels, 1);
  EXPECT_EQ(layouts[1].inChannels, 2);
  EXPECT_EQ(layouts[1].outChannels, 2);
  EXPECT_EQ(unit.Close(), noErr);
  EXPECT_EQ(unit.GetVersion(), (long) badComponentInstance);
  EXPECT_EQ(unit.SetSampleRate(48000.0), badComponentInstance);
}

namespace
{
struct BypassLog
{
  AUHostUnit* unit = nullptr;
  std::vector<bool> seen;
};
void OnBypass(void* ref, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  BypassLog* log = (BypassLog*) ref;
  bool bypassed = true;
  EXPECT_EQ(log->unit->GetBypass(&bypassed), noErr);
  log->seen.push_back(bypassed);
}
} // namespace

TEST(HostSetUp, ListenersAreRemovedWithTheSelectorTheUnitAnnounces)
{
  AUHostUnit unit;
  OpenStrip(unit);
  // Selector 18 is handled but not announced, so a host falls back to 11, which does
  // not compare the user data.
  EXPECT_FALSE(unit.CanDo(kAudioUnitRemovePropertyListenerWithUserDataSelect));
  EXPECT_TRUE(unit.CanDo(kAudioUnitRemovePropertyListenerSelect));

  BypassLog log, other;
  log.unit = other.unit = &unit;
  ASSERT_EQ(unit.AddPropertyListener(kAudioUnitProperty_BypassEffect, OnBypass, &log), noErr);
  ASSERT_EQ(unit.AddPropertyListener(kAudioUnitProperty_BypassEffect, OnBypass, &log), noErr);
  ASSERT_EQ(unit.SetBypass(true), noErr);
  // Heard once, before the change.
  EXPECT_EQ(log.seen, std::vector<bool>{false});
  bool bypassed = false;
  ASSERT_EQ(unit.GetBypass(&bypassed), noErr);
  EXPECT_TRUE(bypassed);

  ASSERT_EQ(unit.RemovePropertyListener(kAudioUnitProperty_BypassEffect, OnBypass, &other), noErr);
  ASSERT_EQ(unit.SetBypass(false), noErr);
  EXPECT_EQ(log.seen.size(), 1u);
}

TEST(HostSetUp, ParametersAreListedInTheGlobalScopeOnly)
{
  AUHostUnit unit;
  OpenStrip(unit);
  std::vector<AudioUnitParameterID> ids;
  ASSERT_EQ(unit.GetParameterList(&ids), noErr);
  ASSERT_EQ(ids.size(), (size_t) kNumParams);
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(ids[(size_t) i], (AudioUnitParameterID) i);
  for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
  {
    ids.assign(3, 99);
    EXPECT_EQ(unit.GetParameterList(&ids, scope), noErr);
    EXPECT_TRUE(ids.empty());
  }
}

TEST(HostSetUp, TheGlobalScopeFormatIsOutputBusZero)
{
  AUHostUnit unit;
  OpenStrip(unit);
  ASSERT_EQ(unit.SetStreamFormat(kAudioUnitScope_Global, 1, 48000.0), noErr);
  AudioStreamBasicDescription f;
  ASSERT_EQ(unit.GetStreamFormat(kAudioUnitScope_Output, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 1u);
  EXPECT_EQ(f.mSampleRate, 48000.0);
  EXPECT_EQ(f.mFormatFlags, 41u);
  Float64 rate = 0.0;
  ASSERT_EQ(unit.GetSampleRate(&rate), noErr);
  EXPECT_EQ(rate, 48000.0);
  ASSERT_EQ(unit.GetStreamFormat(kAudioUnitScope_Input, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 2u); // untouched: the strip's own count
}

TEST(HostSetUp, TwoInOneOutIsRefusedAndTheInputStaysUnusableUntilALegalFormat)
{
  AUHostUnit unit;
  OpenStrip(unit);
  ASSERT_EQ(unit.SetStreamFormat(kAudioUnitScope_Output, 1, 44100.0), noErr);
  ASSERT_EQ(unit.Initialize(), noErr);
  EXPECT_EQ(unit.SetStreamFormat(kAudioUnitScope_Input, 2, 44100.0), kAudioUnitErr_InvalidProperty);
  AudioStreamBasicDescription f;
  ASSERT_EQ(unit.GetStreamFormat(kAudioUnitScope_Input, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 0u);
  // With 0 host channels on the input the pair is no legal layout, so the unit does not
  // start again until the host sets one.
  ASSERT_EQ(unit.Uninitialize(), noErr);
  EXPECT_EQ(unit.Initialize(), badComponentSelector);
  ASSERT_EQ(unit.SetStreamFormat(kAudioUnitScope_Input, 1, 44100.0), noErr);
  EXPECT_EQ(unit.Initialize(), noErr);
}

namespace
{
// Every stage off and the phase reversed: the output is the negated input plus the
// pipeline's 1e-24, in float.
void ExpectReversed(AUHostUnit& unit, UInt32 channels, SignalSource& source, Float64 at, UInt32 n)
{
  Block out((int) channels, (int) n);
  ASSERT_EQ(unit.Render(out.list, n, at), noErr);
  for (UInt32 c = 0; c < channels; ++c)
    for (UInt32 i = 0; i < n; ++i)
      ASSERT_EQ(out.data[c][i], (float) (-(double) source.channels[c][(size_t) at + i] + 1e-24))
          << c << " " << i;
}
} // namespace

TEST(HostSetUp, MonoAndStereoHostsOnOneUnit)
{
  AUHostUnit unit;
  OpenStrip(unit);
  SignalSource source(2, 2048);
  for (AudioUnitParameterID id : {kEqOn, kDyn1On, kDyn2On}) ASSERT_EQ(unit.SetParameter(id, 0.0f), noErr);
  ASSERT_EQ(unit.SetParameter(kRevPhase, 1.0f), noErr);

  PrepareStrip(unit, 2, 512, &source);
  ExpectReversed(unit, 2, source, 0.0, 512);
  // The same unit taken over by a mono host.
  ASSERT_EQ(unit.Uninitialize(), noErr);
  ASSERT_EQ(unit.Configure(48000.0, 256, 1), noErr);
  ASSERT_EQ(unit.Initialize(), noErr);
  ExpectReversed(unit, 1, source, 512.0, 256);
  Block stereo(2, 256);
  // A stereo list on the mono layout: only the first buffer is the bus's.
  ASSERT_EQ(unit.Render(stereo.list, 256, 768.0), noErr);
  EXPECT_EQ(stereo.data[1][0], -7.0f);
}

// Every row's fields are checked through `ostrakon info`; here, that the host releases
// the names and unit names the unit hands it, and reads a custom unit's name.
TEST(HostParams, InfoForEveryParameterWithItsStringsReleased)
{
  CFLeakCheck leaks;
  AUHostUnit unit;
  OpenStrip(unit);
  for (int i = 0; i < kNumParams; ++i)
  {
    AUParamInfo info;
    ASSERT_EQ(unit.GetParameterInfo((AudioUnitParameterID) i, &info), noErr);
    EXPECT_EQ(info.name, kOstrakonParams[i].name);
    EXPECT_EQ(info.flags, 0xC8000010u);
  }
  AUParamInfo info;
  ASSERT_EQ(unit.GetParameterInfo(kDyn1Attack, &info), noErr);
  EXPECT_EQ(info.unit, (AudioUnitParameterUnit) kAudioUnitParameterUnit_CustomUnit);
  EXPECT_EQ(info.unitName, "ms");
  EXPECT_EQ(unit.GetParameterInfo(kNumParams, &info), kAudioUnitErr_InvalidParameter);
}

TEST(HostParams, TextsNamesAndAnUnmatchedValueString)
{
  CFLeakCheck leaks;
  AUHostUnit unit;
  OpenStrip(unit);
  std::vector<std::string> strings;
  ASSERT_EQ(unit.GetValueStrings(kDyn1Type, &strings), noErr);
  EXPECT_EQ(strings, (std::vector<std::string>{"VCA", "FET", "OPTO", "Expander"}));
  EXPECT_EQ(unit.GetValueStrings(kHiPassFreq, &strings), kAudioUnitErr_InvalidProperty);
  EXPECT_TRUE(strings.empty());

  std::string text;
  const AudioUnitParameterValue opto = 2.9f;
  ASSERT_EQ(unit.StringFromValue(kDyn1Type, &opto, &text), noErr);
  EXPECT_EQ(text, "OPTO");
  ASSERT_EQ(unit.SetParameter(kRouting, 2.0f), noErr);
  ASSERT_EQ(unit.StringFromValue(kRouting, nullptr, &text), noErr);
  EXPECT_EQ(text, "Dyn1 -> Dyn2 -> Eq");

  AudioUnitParameterValue v = -1.0f;
  ASSERT_EQ(unit.ValueFromString(kDyn2Type, "Expander", &v), noErr);
  EXPECT_EQ(v, 3.0f);
  // The unit answers noErr and leaves its reply as it was; the host learns there was no match.
  v = 123.0f;
  EXPECT_EQ(unit.ValueFromString(kDyn2Type, "fet", &v), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(v, 123.0f);
  ASSERT_EQ(unit.ValueFromString(kLowMidGain, "-4.25", &v), noErr);
  EXPECT_EQ(v, -4.25f);

  std::string name;
  ASSERT_EQ(unit.GetParameterName(kFilterQ, 5, &name), noErr);
  EXPECT_EQ(name, "Filte");
  ASSERT_EQ(unit.GetParameterName(kFilterQ, kAudioUnitParameterName_Full, &name), noErr);
  EXPECT_EQ(name, "Filter Q");
  EXPECT_EQ(unit.GetParameterName(kNumParams, 5, &name), kAudioUnitErr_InvalidParameter);
}

TEST(HostParams, AValueAboveTheRangeIsStoredAsItsMaximum)
{
  AUHostUnit unit;
  OpenStrip(unit);
  ASSERT_EQ(unit.SetParameter(kHiPassFreq, 500.0f), noErr);
  AudioUnitParameterValue v = 0.0f;
  ASSERT_EQ(unit.GetParameter(kHiPassFreq, &v), noErr);
  EXPECT_EQ(v, 200.0f);
  // The host's next look at the parameter shows the stored value as its default.
  AUParamInfo info;
  ASSERT_EQ(unit.GetParameterInfo(kHiPassFreq, &info), noErr);
  EXPECT_EQ(info.defaultValue, 200.0f);
  EXPECT_EQ(unit.SetParameter(kHiPassFreq, std::nanf("")), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(unit.SetParameter(kNumParams, 1.0f), kAudioUnitErr_InvalidParameter);
}

TEST(HostParams, ParameterAndGestureEventsReachTheListener)
{
  AUHostUnit unit;
  OpenStrip(unit);
  std::vector<AUParameterEvent> all, one;
  AUParameterListener any, single;
  ASSERT_EQ(any.Listen(unit, [&](const AUParameterEvent& e) { all.push_back(e); }), noErr);
  ASSERT_EQ(single.Listen(
                unit, [&](const AUParameterEvent& e) { one.push_back(e); }, kHiMidGain),
            noErr);

  IPlugAU* plug = (IPlugAU*) unit.Storage();
  plug->BeginInformHostOfParamChange(kLowMidGain);
  plug->SetParameterFromGUI(kLowMidGain, 0.75);
  plug->EndInformHostOfParamChange(kLowMidGain);
  plug->SetParameterFromGUI(kHiMidGain, 0.25);
  // The host's own changes are not announced back to it.
  ASSERT_EQ(unit.SetParameter(kLowMidGain, 1.0f), noErr);

  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].type, (AudioUnitEventType) kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(all[0].id, (AudioUnitParameterID) kLowMidGain);
  EXPECT_EQ(all[1].type, (AudioUnitEventType) kAudioUnitEvent_ParameterValueChange);
  EXPECT_EQ(all[1].value, 7.5f); // in real units
  EXPECT_EQ(all[2].type, (AudioUnitEventType) kAudioUnitEvent_EndParameterChangeGesture);
  EXPECT_EQ(all[3].id, (AudioUnitParameterID) kHiMidGain);
  EXPECT_EQ(all[3].value, -7.5f);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].value, -7.5f);

  // A handler that throws loses its event and nothing else.
  int heard = 0;
  ASSERT_EQ(single.Listen(
                unit,
                [&](const AUParameterEvent&) {
                  ++heard;
                  throw std::runtime_error("host bug");
                },
                kHiMidGain),
            noErr);
  plug->SetParameterFromGUI(kHiMidGain, 0.5);
  plug->SetParameterFromGUI(kHiMidGain, 0.5);
  EXPECT_EQ(heard, 2);
  any.Stop();
  single.Stop();
  plug->SetParameterFromGUI(kHiMidGain, 0.5);
  EXPECT_EQ(all.size(), 6u); // the two the throwing handler lost, and no more
  EXPECT_EQ(heard, 2);
}

namespace
{
Float64 gHostSample = 0.0;
OSStatus Transport(void*, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling,
                   Float64* start, Float64* end)
{
  *playing = *changed = *cycling = false;
  *sample = gHostSample;
  *start = *end = 0.0;
  return noErr;
}
} // namespace

TEST(HostServices, TheHostNamesItselfAndReportsItsTransport)
{
  struct Case
  {
    const char* name;
    int id;
  };
  for (const Case& c : {Case{"Ableton Live and LOGIC", 9}, Case{"com.motu.DigitalPerformer", 22},
                        Case{"Ostrakon renderer", 0}})
  {
    AUHostUnit unit;
    OpenStrip(unit);
    ASSERT_EQ(unit.SetHostIdentity(c.name, 10, 0x23), noErr);
    EXPECT_EQ(StripOf(unit)->GetHost(), c.id) << c.name;
    EXPECT_EQ(StripOf(unit)->GetHostVersion(false), (10 << 16) + (0x23 << 8));
  }

  AUHostUnit unit;
  OpenStrip(unit);
  const HostCallbackInfo callbacks = {nullptr, nullptr, nullptr, Transport};
  ASSERT_EQ(unit.SetHostCallbacks(callbacks), noErr);
  gHostSample = 1000.5;
  EXPECT_EQ(StripOf(unit)->GetSamplePos(), 1001);
  gHostSample = 1000.49;
  EXPECT_EQ(StripOf(unit)->GetSamplePos(), 1000);
}
