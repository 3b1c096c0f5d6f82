// The stand-in's own behaviour where a fault would hide behind the adapter: structure
// layouts, reference counts, callbacks, UTF-8 text, the Component Manager's instance
// life and event delivery.

#include "AUHost.h"
#include "TestPlug.h"

#include "platform/CoreServices/Gestalt.h"

#include <gtest/gtest.h>

TEST(PlatformLayout, PublishedSizes)
{
  EXPECT_EQ(sizeof(AudioStreamBasicDescription), 40u);
  EXPECT_EQ(sizeof(AudioUnitParameterInfo), 104u);
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, cfNameString), 72u);
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, flags), 96u);
  EXPECT_EQ(sizeof(AUPreset), 16u);
  EXPECT_EQ(sizeof(HostCallbackInfo), 32u);
  EXPECT_EQ(sizeof(AUChannelInfo), 4u);
  EXPECT_EQ(sizeof(AudioUnitConnection), 16u);
  EXPECT_EQ(sizeof(AURenderCallbackStruct), 16u);
  EXPECT_EQ(sizeof(AudioUnitCocoaViewInfo), 16u);
  EXPECT_EQ(sizeof(ComponentDescription), 20u);
  EXPECT_EQ(sizeof(AudioUnitParameterStringFromValue), 24u);
  EXPECT_EQ(sizeof(AudioUnitParameterIDName), 16u);
  EXPECT_EQ(sizeof(AudioUnitParameterValueFromString), 24u);
  EXPECT_EQ(sizeof(AUHostIdentifier), 16u);
  EXPECT_EQ(sizeof(AudioUnitParameterEvent), 32u);
  EXPECT_EQ(sizeof(AudioUnitEvent), 32u);
  EXPECT_EQ(sizeof(AudioTimeStamp), 64u);
  EXPECT_EQ(sizeof(AudioBufferList), 24u);
  EXPECT_EQ(offsetof(ComponentParameters, params), 8u);
  EXPECT_EQ(kAudioUnitType_Effect, 0x61756678u);
  EXPECT_EQ(badComponentSelector, (ComponentResult) 0x80008002);
}

TEST(PlatformCF, RetainReleaseCountsAndFrees)
{
  CFLeakCheck leaks;
  CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "abc", kCFStringEncodingUTF8);
  ASSERT_TRUE(s);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  EXPECT_EQ(CFRetain(s), s);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  CFRelease(s);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFRelease(s);
  CFRelease(nullptr);
  // Constant strings are one object per text and never go away.
  EXPECT_EQ(CFSTR("key"), CFSTR("key"));
  CFRelease(CFSTR("key"));
  EXPECT_EQ(CFText(CFSTR("key")), "key");
}

TEST(PlatformCF, StringsAreUtf8WithUtf16Lengths)
{
  CFLeakCheck leaks;
  // "é" is two UTF-8 bytes, one UTF-16 unit; the clef is four bytes, two units.
  CFStringRef s =
      CFStringCreateWithCString(kCFAllocatorDefault, "\xC3\xA9\xF0\x9D\x84\x9E", kCFStringEncodingUTF8);
  ASSERT_TRUE(s);
  EXPECT_EQ(CFStringGetLength(s), 3);
  EXPECT_GE(CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1, 7);
  char small[4];
  EXPECT_FALSE(CFStringGetCString(s, small, sizeof small, kCFStringEncodingUTF8));
  EXPECT_STREQ(small, "");
  char big[7];
  EXPECT_TRUE(CFStringGetCString(s, big, sizeof big, kCFStringEncodingUTF8));
  EXPECT_STREQ(big, "\xC3\xA9\xF0\x9D\x84\x9E");
  EXPECT_FALSE(CFStringGetCString(s, big, sizeof big, kCFStringEncodingASCII));
  CFRelease(s);
  EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "\xC3", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "\xC3\xA9", kCFStringEncodingASCII), nullptr);
  EXPECT_EQ(CFStringCompare(CFSTR("Logic"), CFSTR("logic"), kCFCompareCaseInsensitive), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(CFSTR("a"), CFSTR("b"), 0), kCFCompareLessThan);
}

TEST(PlatformCF, NumbersConvertAndReportLoss)
{
  CFLeakCheck leaks;
  const SInt64 big = 0x100000000LL;
  CFNumberRef n = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &big);
  SInt32 i32 = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt32Type, &i32));
  CFRelease(n);
  const SInt32 v = 0x56787137;
  n = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &v);
  SInt64 i64 = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt64Type, &i64));
  EXPECT_EQ(i64, 0x56787137);
  const double d = 2.5;
  CFNumberRef f = CFNumberCreate(kCFAllocatorDefault, kCFNumberFloat64Type, &d);
  EXPECT_FALSE(CFNumberGetValue(f, kCFNumberSInt32Type, &i32));
  EXPECT_EQ(i32, 2);
  EXPECT_FALSE(CFEqual(n, f));
  CFRelease(n);
  CFRelease(f);
}

namespace
{
int gRetains = 0, gReleases = 0;
const void* CountingRetain(CFAllocatorRef, const void* v)
{
  ++gRetains;
  return v;
}
void CountingRelease(CFAllocatorRef, const void*) { ++gReleases; }
Boolean SameFirstChar(const void* a, const void* b) { return *(const char*) a == *(const char*) b; }
} // namespace

TEST(PlatformCF, ArraysAndDictionariesUseTheirCallbacks)
{
  CFLeakCheck leaks;
  gRetains = gReleases = 0;
  const CFArrayCallBacks cb = {0, CountingRetain, CountingRelease, nullptr, SameFirstChar};
  CFMutableArrayRef a = CFArrayCreateMutable(kCFAllocatorDefault, 0, &cb);
  CFArrayAppendValue(a, "x1");
  CFArrayAppendValue(a, "y1");
  EXPECT_EQ(gRetains, 2);
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(a, CFRangeMake(0, 2), "y2"), 1);
  EXPECT_EQ(CFArrayGetValueAtIndex(a, 2), nullptr);
  CFRelease(a);
  EXPECT_EQ(gReleases, 2);

  // Standard callbacks: the dictionary holds its own references, keys compare by content.
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = CFStringCreateWithCString(kCFAllocatorDefault, "name", kCFStringEncodingUTF8);
  CFStringRef value = CFStringCreateWithCString(kCFAllocatorDefault, "v", kCFStringEncodingUTF8);
  CFDictionarySetValue(d, key, value);
  EXPECT_EQ(CFGetRetainCount(value), 2);
  CFDictionarySetValue(d, CFSTR("name"), value); // same key by content: replaced, not added
  EXPECT_EQ(CFDictionaryGetCount(d), 1);
  EXPECT_EQ(CFGetRetainCount(value), 2);
  EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("name")), value);
  CFRelease(key);
  CFRelease(value);
  CFDictionaryRemoveValue(d, CFSTR("name"));
  EXPECT_EQ(CFDictionaryGetCount(d), 0);
  CFDictionarySetValue(d, CFSTR("other"), CFSTR("x"));
  CFRelease(d);
}

TEST(PlatformCF, BundlesByIdentifierAndTheMainBundle)
{
  CFLeakCheck leaks;
  StandInRegisterBundle("org.ostrakon.tests.Bundle", "/opt/Bundle.component");
  CFBundleRef b = CFBundleGetBundleWithIdentifier(CFSTR("org.ostrakon.tests.Bundle"));
  ASSERT_TRUE(b);
  CFURLRef url = CFBundleCopyBundleURL(b);
  UInt8 path[64];
  EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, path, sizeof path));
  EXPECT_STREQ((const char*) path, "/opt/Bundle.component");
  CFRelease(url);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("org.nobody")), nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(CFBundleGetMainBundle()), nullptr);
  StandInSetMainBundle("com.example.Host", nullptr);
  EXPECT_EQ(CFText(CFBundleGetIdentifier(CFBundleGetMainBundle())), "com.example.Host");
  StandInSetMainBundle(nullptr, nullptr);
  SInt32 sysv = 0;
  EXPECT_EQ(Gestalt(gestaltSystemVersion, &sysv), noErr);
  EXPECT_GT(sysv, 0x104F);
}

TEST(PlatformComponents, OpenFindInfoAndClose)
{
  Component c = OstrakonComponent();
  ComponentDescription want = {kAudioUnitType_Effect, 0, (OSType) kOstrakonMfrID, 0, 0};
  EXPECT_EQ(FindNextComponent(nullptr, &want), c);
  want.componentSubType = 0x12345678;
  EXPECT_EQ(FindNextComponent(nullptr, &want), nullptr);

  AudioUnit unit = nullptr;
  ASSERT_EQ(OpenAComponent(c, &unit), noErr);
  ComponentDescription cd;
  EXPECT_EQ(GetComponentInfo(reinterpret_cast<Component>(unit), &cd, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(cd.componentSubType, (OSType) kOstrakonUniqueID);
  EXPECT_NE(GetComponentInstanceStorage(unit), nullptr);
  EXPECT_EQ(UnregisterComponent(c), validInstancesExist);
  EXPECT_EQ(CloseComponent(unit), noErr);
}

namespace
{
struct Heard
{
  std::vector<AudioUnitEventType> types;
  std::vector<float> values;
};
void Hear(void* ref, void*, const AudioUnitEvent* e, UInt64, AudioUnitParameterValue v)
{
  ((Heard*) ref)->types.push_back(e->mEventType);
  ((Heard*) ref)->values.push_back(v);
}
AudioUnitEvent ParamEvent(AudioUnit unit, AudioUnitEventType type, AudioUnitParameterID id)
{
  AudioUnitEvent e;
  memset(&e, 0, sizeof e);
  e.mEventType = type;
  e.mArgument.mParameter = {unit, id, kAudioUnitScope_Global, 0};
  return e;
}
} // namespace

TEST(PlatformEvents, DeliveredToMatchingListenersButNotTheSender)
{
  AUHost host;
  Heard a, b;
  AUEventListenerRef la = nullptr, lb = nullptr;
  ASSERT_EQ(AUEventListenerCreate(Hear, &a, nullptr, nullptr, 0.1f, 0.0f, &la), noErr);
  ASSERT_EQ(AUEventListenerCreate(Hear, &b, nullptr, nullptr, 0.1f, 0.0f, &lb), noErr);
  const AudioUnitEvent gain = ParamEvent(host.unit, kAudioUnitEvent_ParameterValueChange, kOutputGain);
  EXPECT_EQ(AUEventListenerAddEventType(la, nullptr, &gain), noErr);
  EXPECT_EQ(AUEventListenerAddEventType(la, nullptr, &gain), noErr); // once is enough
  const AudioUnitEvent any =
      ParamEvent(host.unit, kAudioUnitEvent_ParameterValueChange, kAUParameterListener_AnyParameter);
  EXPECT_EQ(AUEventListenerAddEventType(lb, nullptr, &any), noErr);

  ASSERT_EQ(host.SetParam(kOutputGain, -6.0f), noErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &gain), noErr);
  ASSERT_EQ(a.values.size(), 1u);
  EXPECT_EQ(a.values[0], -6.0f); // read back from the unit
  EXPECT_EQ(b.values.size(), 1u);

  EXPECT_EQ(AUEventListenerNotify(la, nullptr, &gain), noErr); // the sender does not hear itself
  EXPECT_EQ(a.values.size(), 1u);
  EXPECT_EQ(b.values.size(), 2u);

  const AudioUnitEvent other = ParamEvent(host.unit, kAudioUnitEvent_ParameterValueChange, kInputGain);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &other), noErr);
  EXPECT_EQ(a.values.size(), 1u);
  EXPECT_EQ(b.values.size(), 3u);

  EXPECT_EQ(AUEventListenerRemoveEventType(lb, nullptr, &any), noErr);
  EXPECT_EQ(AUListenerDispose(la), noErr);
  EXPECT_EQ(AUListenerDispose(la), paramErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &gain), noErr);
  EXPECT_EQ(b.values.size(), 3u);
  EXPECT_EQ(AUListenerDispose(lb), noErr);
}
