// Mutated, cut, spliced and deeply nested preset files in both forms: each is read or
// refused with a reason, and whatever is read goes to the strip, which takes it or
// answers with an error status and keeps every parameter finite and in its range. Run
// under the sanitizer build it also catches stray reads. Fixed seeds.

#include "BinaryPlist.h"
#include "HostRig.h"

#include "host/AUPresetFile.h"

#include <plist/plist.h>

#include <random>
#include <string>
#include <vector>

namespace
{
// The strip's own state as an XML preset, and the same list in the binary form.
std::vector<std::string> Seeds(AUHostUnit& unit)
{
  EXPECT_EQ(unit.SetParameter(kLowMidGain, 4.5f), noErr);
  EXPECT_EQ(unit.SetParameter(kDyn1Type, 2.0f), noErr);
  CFRef state;
  EXPECT_EQ(unit.SaveState(&state), noErr);
  AUPresetFile preset;
  preset.SetState(state.Get());
  std::string xml;
  EXPECT_TRUE(preset.ToXML(&xml));

  plist_t root = nullptr;
  plist_from_xml(xml.data(), (uint32_t) xml.size(), &root);
  char* bin = nullptr;
  uint32_t n = 0;
  if (root) plist_to_bin(root, &bin, &n);
  const std::string binary = bin ? std::string(bin, n) : std::string();
  free(bin);
  plist_free(root);

  // More structure for the mutations to work on: nesting, shared objects, text.
  std::string rich = xml;
  rich.insert(rich.rfind("</dict>"),
              "\t<key>extra</key>\n\t<array><dict><key>a</key><array><real>0.5</real><true/>"
              "<string>x &amp; &#x41;<![CDATA[<y>]]><!-- c --></string></array></dict><data>AAEC</data>"
              "<array/><dict/><integer>-3</integer><date>2020-01-01T00:00:00Z</date></array>\n");
  BinaryPlist p;
  const int text = p.Add(BinaryPlist::Utf16(u"\u00e9t\u00e9"));
  const int inner = p.Add(BinaryPlist::Array({text, text}));
  const int outer = p.Add(BinaryPlist::Array({inner, inner, p.Add(BinaryPlist::Int(-1))}));
  std::string chunk(320, '\0');
  const std::string sharedBinary = BinaryPlist::Preset(chunk, "shared", &p, {{p.Add(BinaryPlist::Ascii("e")), outer}});
  return {xml, binary, rich, sharedBinary};
}

const char* const kTokens[] = {"<array>", "</array>", "<dict>", "</dict>", "<key>k</key>", "<string>", "</string>",
                               "&#0;", "&#x0;", "<!--", "-->", "<![CDATA[", "]]>", "\"", "<?", "?>", "/>",
                               "<plist>", "<!DOCTYPE x [", "\xaf", "\xdf", "\x5f\x13", "\x6f\x13", "\xa1"};
const unsigned char kBytes[] = {0x00, 0xff, 0x0f, 0x10, 0x13, 0x5f, 0x6f, 0xaf, 0xdf, 0xa0, 0xd0, '<', '>', '/', '"', '&'};

std::string Mutate(std::string s, std::mt19937& rng)
{
  auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
  const int steps = 1 + (int) pick(4);
  for (int k = 0; k < steps && !s.empty(); ++k)
  {
    const size_t at = pick(s.size());
    switch (pick(8))
    {
      case 0: s[at] = (char) pick(256); break;
      case 1: s[at] = (char) kBytes[pick(sizeof kBytes)]; break;
      case 2: s.erase(at, 1 + pick(16)); break;
      case 3:
      {
        // A stretch repeated, as a nesting splice would.
        const std::string piece = s.substr(at, 1 + pick(64));
        const size_t times = 1 + pick(pick(2) ? 4 : 200);
        std::string run;
        for (size_t i = 0; i < times; ++i) run += piece;
        s.insert(pick(s.size() + 1), run);
        break;
      }
      case 4: s.insert(at, 1, '\0'); break;
      case 5: s.resize(at); break;
      case 6:
      {
        // The binary trailer and offset table.
        const size_t tail = s.size() < 48 ? s.size() : 48;
        s[s.size() - 1 - pick(tail)] = (char) (pick(2) ? pick(256) : kBytes[pick(sizeof kBytes)]);
        break;
      }
      default: s.insert(at, kTokens[pick(sizeof kTokens / sizeof kTokens[0])]); break;
    }
  }
  return s;
}

// Containers nested n deep inside the preset, in either form.
std::string Nested(const std::string& xml, int n, bool binary, std::mt19937& rng)
{
  if (binary)
  {
    BinaryPlist p;
    int inner = p.Add(BinaryPlist::Ascii("leaf"));
    for (int i = 0; i < n; ++i)
      inner = rng() % 2 ? p.Add(BinaryPlist::Array({inner}))
                        : p.Add(BinaryPlist::Dict({{p.Add(BinaryPlist::Ascii("k")), inner}}));
    return BinaryPlist::Preset(std::string(320, '\0'), "deep", &p, {{p.Add(BinaryPlist::Ascii("n")), inner}});
  }
  std::string open;
  std::vector<bool> dicts;
  for (int i = 0; i < n; ++i)
  {
    dicts.push_back(rng() % 2);
    open += dicts.back() ? "<dict><key>k</key>" : "<array>";
  }
  std::string close;
  for (int i = n - 1; i >= 0; --i) close += dicts[(size_t) i] ? "</dict>" : "</array>";
  std::string s = xml;
  s.insert(s.rfind("</dict>"), "<key>n</key>" + open + "<string>leaf</string>" + close);
  return s;
}

struct Tally
{
  int read = 0, refused = 0, taken = 0;
};

void Feed(AUHostUnit& unit, const std::string& bytes, Tally* tally)
{
  AUPresetFile preset;
  std::string problem;
  if (!preset.Parse(bytes.data(), bytes.size(), &problem))
  {
    ASSERT_EQ(problem.rfind("is ", 0), 0u) << problem;
    ASSERT_EQ(problem.find('\n'), std::string::npos);
    ++tally->refused;
    return;
  }
  ++tally->read;
  const OSStatus r = unit.RestoreState(preset.State());
  ASSERT_TRUE(r == noErr || r == kAudioUnitErr_InvalidPropertyValue) << r;
  if (r == noErr) ++tally->taken;
  // In the ranges as they now stand: attack and release follow the dynamics type.
  for (int i = 0; i < kNumParams; ++i)
  {
    const IParam* param = StripOf(unit)->GetParam(i);
    const double v = param->Value();
    ASSERT_TRUE(v >= param->GetMin() && v <= param->GetMax()) << i << " " << v;
  }
}
} // namespace

TEST(PresetFuzz, AnyBytesAreReadOrRefusedAndTheStripTakesOrRefusesWhatIsRead)
{
  CFLeakCheck leaks;
  AUHostUnit unit;
  OpenStrip(unit);
  const std::vector<std::string> seeds = Seeds(unit);
  for (const std::string& s : seeds) ASSERT_FALSE(s.empty());

  std::mt19937 rng(20260511);
  Tally tally;
  for (int iter = 0; iter < 40000; ++iter)
  {
    Feed(unit, Mutate(seeds[(size_t) iter % seeds.size()], rng), &tally);
    if (HasFatalFailure()) return;
  }
  for (int n : {1, 62, 63, 64, 65, 1000, 190000})
    for (bool binary : {false, true})
    {
      Feed(unit, Nested(seeds[0], n, binary, rng), &tally);
      Feed(unit, Mutate(Nested(seeds[0], n, binary, rng), rng), &tally);
      if (HasFatalFailure()) return;
    }
  // Both outcomes at both levels were reached.
  EXPECT_GT(tally.refused, 1000);
  EXPECT_GT(tally.read, 1000);
  EXPECT_GT(tally.taken, 500);
  EXPECT_GT(tally.read - tally.taken, 10);
}
