// The unit's state from the host's side: saved and restored as the class-info
// dictionary, kept in .aupreset files in either form, and the property-list conversion
// under them.

#include "HostRig.h"

#include "host/AUPresetFile.h"
#include "host/CFPlist.h"
#include "host/CFText.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace
{
const std::pair<AudioUnitParameterID, float> kSettings[] = {
    {kLowMidGain, 4.5f},     {kDyn1Type, 2.0f},     {kRouting, 1.0f},      {kRevPhase, 1.0f},
    {kLowPassFreq, 9000.0f}, {kDyn2Thresh, -33.0f}, {kHiPassFreq, 57.25f}, {kOversampling, 1.0f},
};

std::vector<float> Values(AUHostUnit& unit)
{
  std::vector<float> v;
  for (int i = 0; i < kNumParams; ++i)
  {
    AudioUnitParameterValue x = 0.0f;
    EXPECT_EQ(unit.GetParameter((AudioUnitParameterID) i, &x), noErr);
    v.push_back(x);
  }
  return v;
}

std::vector<float> RenderSome(AUHostUnit& unit)
{
  SignalSource source(2, 2048);
  PrepareStrip(unit, 2, 512, &source);
  std::vector<float> out;
  for (int k = 0; k < 4; ++k)
  {
    Block b(2, 512);
    EXPECT_EQ(unit.Render(b.list, 512, 512.0 * k), noErr);
    out.insert(out.end(), b.data[0].begin(), b.data[0].end());
    out.insert(out.end(), b.data[1].begin(), b.data[1].end());
  }
  return out;
}

std::string TempPath(const char* name)
{
  return testing::TempDir() + "ostrakon-host-" + std::to_string(getpid()) + "-" + name;
}

std::string ReadFile(const std::string& path)
{
  std::string s;
  if (FILE* f = fopen(path.c_str(), "rb"))
  {
    for (int c; (c = fgetc(f)) != EOF;) s += (char) c;
    fclose(f);
  }
  return s;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

// A copy of a state dictionary with one key's value replaced.
CFRef Altered(CFDictionaryRef from, const char* key, CFTypeRef value)
{
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks);
  const CFIndex n = CFDictionaryGetCount(from);
  std::vector<const void*> keys((size_t) n), values((size_t) n);
  CFDictionaryGetKeysAndValues(from, keys.data(), values.data());
  for (CFIndex i = 0; i < n; ++i) CFDictionarySetValue(d, keys[(size_t) i], values[(size_t) i]);
  CFRef k = CFTextFromUTF8(key);
  CFDictionarySetValue(d, k.Get(), value);
  return CFRef(d);
}
} // namespace

TEST(HostState, ARoundTripThroughTheDictionaryGivesTheSameSound)
{
  CFLeakCheck leaks;
  CFRef state;
  std::vector<float> values, audio;
  {
    AUHostUnit unit;
    OpenStrip(unit);
    for (const auto& s : kSettings) ASSERT_EQ(unit.SetParameter(s.first, s.second), noErr);
    ASSERT_EQ(unit.SaveState(&state), noErr);
    ASSERT_TRUE(state.Is(CFDictionaryGetTypeID()));
    EXPECT_EQ(CFDictionaryGetCount(state.As<CFDictionaryRef>()), 6);
    values = Values(unit);
    audio = RenderSome(unit);
  }
  AUHostUnit other;
  OpenStrip(other);
  ASSERT_EQ(other.SetParameter(kLowMidGain, -9.0f), noErr);
  ASSERT_EQ(other.RestoreState(state.Get()), noErr);
  EXPECT_EQ(Values(other), values);
  const std::vector<float> restored = RenderSome(other);
  EXPECT_TRUE(restored == audio);
}

TEST(HostState, ARoundTripThroughAnAupresetFileInEitherForm)
{
  CFLeakCheck leaks;
  const std::string xmlPath = TempPath("state.aupreset"), binPath = TempPath("state-bin.aupreset");
  std::vector<float> values;
  {
    AUHostUnit unit;
    OpenStrip(unit);
    for (const auto& s : kSettings) ASSERT_EQ(unit.SetParameter(s.first, s.second), noErr);
    values = Values(unit);
    CFRef state;
    ASSERT_EQ(unit.SaveState(&state), noErr);
    AUPresetFile preset;
    preset.SetState(state.Get());
    std::string error;
    ASSERT_TRUE(preset.Write(xmlPath, &error)) << error;
  }
  const std::string xml = ReadFile(xmlPath);
  EXPECT_NE(xml.find("<key>manufacturer</key>\n\t<integer>1366454895</integer>"), std::string::npos) << xml;

  // The binary form of the same list, as a Mac may write it.
  plist_t root = nullptr;
  plist_from_xml(xml.data(), (uint32_t) xml.size(), &root);
  ASSERT_NE(root, nullptr);
  char* bin = nullptr;
  uint32_t n = 0;
  plist_to_bin(root, &bin, &n);
  WriteFile(binPath, std::string(bin, n));
  free(bin);
  plist_free(root);

  for (const std::string& path : {xmlPath, binPath})
  {
    SCOPED_TRACE(path);
    AUPresetFile preset;
    std::string error;
    ASSERT_TRUE(preset.Read(path, &error)) << error;
    EXPECT_EQ(preset.Name(), "");
    ComponentDescription own;
    AUHostUnit unit;
    OpenStrip(unit);
    ASSERT_EQ(unit.GetDescription(&own), noErr);
    EXPECT_TRUE(preset.BelongsTo(own));
    ASSERT_EQ(unit.RestoreState(preset.State()), noErr);
    EXPECT_EQ(Values(unit), values);
  }
  unlink(xmlPath.c_str());
  unlink(binPath.c_str());
}

TEST(HostState, AForeignManufacturerIsRefusedAndChangesNothing)
{
  CFLeakCheck leaks;
  AUHostUnit unit;
  OpenStrip(unit);
  CFRef good;
  ASSERT_EQ(unit.SaveState(&good), noErr);
  ASSERT_EQ(unit.SetParameter(kLowMidGain, 7.0f), noErr);
  const std::vector<float> before = Values(unit);

  const SInt32 foreign = 0x41424344; // 'ABCD'
  CFRef number(CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &foreign));
  CFRef bad = Altered(good.As<CFDictionaryRef>(), "manufacturer", number.Get());
  AUPresetFile preset;
  preset.SetState(bad.Get());
  ComponentDescription own;
  ASSERT_EQ(unit.GetDescription(&own), noErr);
  EXPECT_FALSE(preset.BelongsTo(own));
  EXPECT_EQ(ComponentCodes(preset.Owner()), "aufx Vxq7 ABCD");
  // A host that does not look first is refused by the unit.
  EXPECT_EQ(unit.RestoreState(preset.State()), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Values(unit), before);
}

TEST(HostState, A160ByteDataIsAcceptedAndSetsTheParametersItReaches)
{
  CFLeakCheck leaks;
  AUHostUnit unit, reference;
  OpenStrip(unit);
  OpenStrip(reference);
  for (const auto& s : kSettings) ASSERT_EQ(unit.SetParameter(s.first, s.second), noErr);
  const std::vector<float> before = Values(unit);
  CFRef good;
  ASSERT_EQ(unit.SaveState(&good), noErr);

  std::vector<double> quarter(20, 0.25);
  CFRef data(CFDataCreate(kCFAllocatorDefault, (const UInt8*) quarter.data(), 160));
  CFRef half = Altered(good.As<CFDictionaryRef>(), "data", data.Get());
  // Through a file, as a host would get it.
  const std::string path = TempPath("half.aupreset");
  AUPresetFile written, read;
  written.SetState(half.Get());
  std::string error;
  ASSERT_TRUE(written.Write(path, &error)) << error;
  ASSERT_TRUE(read.Read(path, &error)) << error;
  unlink(path.c_str());
  ASSERT_EQ(unit.RestoreState(read.State()), noErr);

  const std::vector<float> after = Values(unit);
  for (int i = 0; i < 20; ++i)
  {
    StripOf(reference)->GetParam(i)->SetNormalized(0.25);
    AudioUnitParameterValue v = 0.0f;
    ASSERT_EQ(reference.GetParameter((AudioUnitParameterID) i, &v), noErr);
    EXPECT_EQ(after[(size_t) i], v) << i;
  }
  AUParamInfo info;
  ASSERT_EQ(unit.GetParameterInfo(20, &info), noErr);
  EXPECT_EQ(after[20], info.minValue); // where the data ran out
  for (int i = 21; i < kNumParams; ++i) EXPECT_EQ(after[(size_t) i], before[(size_t) i]) << i;
}

TEST(HostPlist, EveryConvertibleTypeBothWaysAndTheRestLeftOut)
{
  CFLeakCheck leaks;
  const char* xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                    "<key>negative</key><integer>-5</integer>\n"
                    "<key>wide</key><integer>4294967296</integer>\n"
                    "<key>real</key><real>0.25</real>\n"
                    "<key>text</key><string>Ostrak\xc3\xb3n &amp; co</string>\n"
                    "<key>bytes</key><data>AAEC/w==</data>\n"
                    "<key>list</key><array><integer>1</integer><true/><string>two</string></array>\n"
                    "<key>inner</key><dict><key>x</key><integer>3</integer></dict>\n"
                    "<key>flag</key><false/>\n"
                    "<key>when</key><date>2020-01-01T00:00:00Z</date>\n"
                    "</dict>\n</plist>\n";
  plist_t root = nullptr;
  plist_from_xml(xml, (uint32_t) strlen(xml), &root);
  ASSERT_NE(root, nullptr);
  CFRef cf = CFFromPlist(root);
  plist_free(root);
  ASSERT_TRUE(cf.Is(CFDictionaryGetTypeID()));
  CFDictionaryRef dict = cf.As<CFDictionaryRef>();
  // The boolean and the date have nothing to become.
  EXPECT_EQ(CFDictionaryGetCount(dict), 7);

  auto value = [&](const char* key) {
    CFRef k = CFTextFromUTF8(key);
    return CFDictionaryGetValue(dict, k.Get());
  };
  SInt64 i = 0;
  ASSERT_TRUE(CFNumberGetValue((CFNumberRef) value("negative"), kCFNumberSInt64Type, &i));
  EXPECT_EQ(i, -5);
  std::string text;
  ASSERT_TRUE(CFTextToUTF8(value("text"), &text));
  EXPECT_EQ(text, "Ostrak\xc3\xb3n & co");
  ASSERT_EQ(CFDataGetLength((CFDataRef) value("bytes")), 4);
  EXPECT_EQ(memcmp(CFDataGetBytePtr((CFDataRef) value("bytes")), "\x00\x01\x02\xff", 4), 0);
  EXPECT_EQ(CFArrayGetCount((CFArrayRef) value("list")), 2);

  // Back again: keys in byte order, the same values.
  plist_t back = PlistFromCF(dict);
  ASSERT_NE(back, nullptr);
  char* out = nullptr;
  uint32_t n = 0;
  plist_to_xml(back, &out, &n);
  const std::string written(out, n);
  free(out);
  EXPECT_LT(written.find("<key>bytes</key>"), written.find("<key>inner</key>"));
  EXPECT_LT(written.find("<key>text</key>"), written.find("<key>wide</key>"));
  EXPECT_NE(written.find("<integer>-5</integer>"), std::string::npos) << written;
  EXPECT_NE(written.find("<integer>4294967296</integer>"), std::string::npos);
  EXPECT_NE(written.find("<real>0.25"), std::string::npos);
  CFRef again = CFFromPlist(back);
  plist_free(back);
  ASSERT_TRUE(again);
  EXPECT_TRUE(CFEqual(CFDictionaryGetValue(again.As<CFDictionaryRef>(), CFSTR("wide")), value("wide")));
  EXPECT_EQ(CFDictionaryGetCount(again.As<CFDictionaryRef>()), 7);
}

TEST(HostPlist, ATreeDeeperThanAnyPresetIsCutNotFollowed)
{
  CFLeakCheck leaks;
  plist_t root = plist_new_array();
  plist_t at = root;
  for (int depth = 0; depth < 200; ++depth)
  {
    plist_t inner = plist_new_array();
    plist_array_append_item(at, inner);
    at = inner;
  }
  CFRef cf = CFFromPlist(root);
  ASSERT_TRUE(cf.Is(CFArrayGetTypeID()));
  int depth = 0;
  for (CFTypeRef a = cf.Get(); a && CFArrayGetCount((CFArrayRef) a) > 0; ++depth)
    a = CFArrayGetValueAtIndex((CFArrayRef) a, 0);
  EXPECT_EQ(depth, 64);
  plist_free(root);
}
