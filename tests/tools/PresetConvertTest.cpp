// Presets between the three kinds of file: `preset convert` keeps every value (exactly
// between .aupreset and LV2 .ttl, to single precision through a program file),
// `preset show` and `render --preset` read all three, `render --save-preset` writes the
// kind its extension names, and a refused input gets one line, status 2 and no output.

#include "tests/tools/CliHarness.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>

namespace
{
std::vector<std::string> Cat(std::vector<std::string> a, const std::vector<std::string>& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<std::string> Lines(const std::string& s)
{
  std::vector<std::string> lines;
  std::istringstream in(s);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// An .aupreset's "name" and "data", in either form.
struct AUState
{
  std::string name;
  std::vector<double> values;
};

AUState ReadAUState(const std::string& bytes)
{
  AUState s;
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), (uint32_t) bytes.size(), &root);
  EXPECT_NE(root, nullptr);
  if (!root) return s;
  char* name = nullptr;
  plist_get_string_val(plist_dict_get_item(root, "name"), &name);
  s.name = name ? name : "";
  free(name);
  char* data = nullptr;
  uint64_t n = 0;
  plist_get_data_val(plist_dict_get_item(root, "data"), &data, &n);
  s.values.resize(n / 8);
  if (n) memcpy(s.values.data(), data, s.values.size() * 8);
  free(data);
  plist_free(root);
  return s;
}

std::string ToBinary(const std::string& xml)
{
  plist_t root = nullptr;
  plist_from_xml(xml.data(), (uint32_t) xml.size(), &root);
  char* bin = nullptr;
  uint32_t n = 0;
  plist_to_bin(root, &bin, &n);
  std::string bytes(bin, n);
  free(bin);
  plist_free(root);
  return bytes;
}

uint32_t BE32(const std::string& b, size_t pos)
{
  return (uint32_t) (unsigned char) b[pos] << 24 | (uint32_t) (unsigned char) b[pos + 1] << 16 |
         (uint32_t) (unsigned char) b[pos + 2] << 8 | (uint32_t) (unsigned char) b[pos + 3];
}

void SetBE32(std::string* b, size_t pos, uint32_t v)
{
  for (int k = 0; k < 4; ++k) (*b)[pos + k] = (char) (v >> (24 - 8 * k));
}

// A sound with a re-ranged time knob, a list, switches and gains.
const std::vector<std::string> kSettings = {
    "--set", "Dyn. 1 Type=FET", "--set", "Dyn. 1 Attack=0.5", "--set", "Dyn. 1 Thresh.=-40", "--set",
    "Input Gain=6",    "--set", "Rev. Phase=on",     "--set", "Routing=Eq -> Dyn1 -> Dyn2",
    "--set", "Hi Pass Freq.=87.3", "--set", "Low Mid Q=2.71828", "--set", "Oversampling=on"};
} // namespace

class PresetConvert : public CliTest
{
protected:
  void SetUp() override
  {
    CliTest::SetUp();
    WriteAudio(Path("in.wav"), TestSignal(48000, 2, 4000));
    Render("a.wav", Cat(kSettings, {"--save-preset", Path("p.aupreset")}));
  }
  std::string Render(const std::string& out, const std::vector<std::string>& options)
  {
    const CliResult r =
        RunCli(Cat({"render", Path("in.wav"), Path(out), "--analogue-time", "1500000000"}, options));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err + r.out, "");
    return ReadBytes(Path(out));
  }
  void Convert(const std::string& in, const std::string& out)
  {
    const CliResult r = RunCli({"preset", "convert", Path(in), Path(out)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err + r.out, "");
  }
  std::vector<std::string> Show(const std::string& file)
  {
    const CliResult r = RunCli({"preset", "show", Path(file)});
    EXPECT_EQ(r.status, 0) << r.err;
    return Lines(r.out);
  }
  // A refusal: status 2, one line naming the problem, nothing written.
  void ExpectRefused(const std::vector<std::string>& args, const std::string& message)
  {
    const std::vector<std::string> before = ListDir(Dir());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("ostrakon: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << "got: " << r.err << "wanted: " << message;
    EXPECT_EQ(ListDir(Dir()), before) << message;
  }
};

TEST_F(PresetConvert, AUPresetAndLV2PresetKeepEveryValueExactly)
{
  const AUState p = ReadAUState(ReadBytes(Path("p.aupreset")));
  ASSERT_EQ(p.values.size(), 40u);
  Convert("p.aupreset", "p.ttl");
  Convert("p.ttl", "q.aupreset");
  const AUState q = ReadAUState(ReadBytes(Path("q.aupreset")));
  EXPECT_EQ(q.values, p.values);
  // The binary form reads the same.
  WriteBytes(Path("bin.aupreset"), ToBinary(ReadBytes(Path("p.aupreset"))));
  Convert("bin.aupreset", "b.ttl");
  // Unnamed, each takes its file's name.
  EXPECT_EQ(std::regex_replace(ReadBytes(Path("b.ttl")), std::regex("rdfs:label \"bin\""), "rdfs:label \"p\""),
            ReadBytes(Path("p.ttl")));
  // .aupreset to .aupreset is a copy of the values too.
  Convert("bin.aupreset", "c.aupreset");
  EXPECT_EQ(ReadAUState(ReadBytes(Path("c.aupreset"))).values, p.values);
}

TEST_F(PresetConvert, AProgramFileKeepsEveryValueInSinglePrecision)
{
  Convert("p.aupreset", "p.fxp");
  const std::string fxp = ReadBytes(Path("p.fxp"));
  ASSERT_EQ(fxp.size(), 216u);
  EXPECT_EQ(fxp.substr(0, 4), "CcnK");
  EXPECT_EQ(fxp.substr(8, 4), "FxCk");
  EXPECT_EQ(fxp.substr(16, 4), "Vxq7");
  EXPECT_EQ(BE32(fxp, 20), 20002u);
  EXPECT_EQ(BE32(fxp, 24), 40u);
  const AUState p = ReadAUState(ReadBytes(Path("p.aupreset")));
  for (int i = 0; i < 40; ++i)
  {
    const uint32_t bits = BE32(fxp, 56 + 4 * i);
    float f;
    memcpy(&f, &bits, 4);
    EXPECT_EQ(f, (float) p.values[(size_t) i]) << i;
  }

  // .aupreset -> .fxp -> .ttl -> .aupreset: each value within 1e-7.
  Convert("p.fxp", "r.ttl");
  Convert("r.ttl", "r.aupreset");
  const AUState r = ReadAUState(ReadBytes(Path("r.aupreset")));
  ASSERT_EQ(r.values.size(), 40u);
  for (int i = 0; i < 40; ++i) EXPECT_NEAR(r.values[(size_t) i], p.values[(size_t) i], 1e-7) << i;
  // From there on nothing moves: the program's floats are exact doubles.
  Convert("r.aupreset", "s.fxp");
  EXPECT_EQ(ReadBytes(Path("s.fxp")).substr(56), fxp.substr(56));
}

TEST_F(PresetConvert, AnUnnamedPresetTakesTheNameOfItsFile)
{
  EXPECT_EQ(ReadAUState(ReadBytes(Path("p.aupreset"))).name, "");
  Convert("p.aupreset", "vocal take.fxp");
  EXPECT_EQ(ReadBytes(Path("vocal take.fxp")).substr(28, 28), std::string("p") + std::string(27, '\0'));
  Convert("p.aupreset", "t.ttl");
  EXPECT_EQ(Show("t.ttl")[0], "name\t\"p\"");
  Convert("t.ttl", "named.aupreset");
  EXPECT_EQ(ReadAUState(ReadBytes(Path("named.aupreset"))).name, "p");
  // A long name is cut to 27 bytes in a program file.
  WriteBytes(Path("long.ttl"), std::regex_replace(ReadBytes(Path("t.ttl")), std::regex("rdfs:label \"p\""),
                                                  "rdfs:label \"A name much longer than a program holds\""));
  Convert("long.ttl", "long.fxp");
  EXPECT_EQ(ReadBytes(Path("long.fxp")).substr(28, 28), std::string("A name much longer than a p") + '\0');
}

TEST_F(PresetConvert, ShowAndRenderReadAllThreeKinds)
{
  Convert("p.aupreset", "p.ttl");
  Convert("p.aupreset", "p.fxp");
  const std::vector<std::string> au = Show("p.aupreset"), lv2 = Show("p.ttl"), program = Show("p.fxp");
  ASSERT_EQ(au.size(), 41u);
  EXPECT_EQ(std::vector<std::string>(lv2.begin() + 1, lv2.end()), std::vector<std::string>(au.begin() + 1, au.end()));
  ASSERT_EQ(program.size(), 41u);
  EXPECT_EQ(program[1 + 23], "23\t\"Dyn. 1 Type\"\tFET\t\"\"");
  EXPECT_EQ(program[1 + 34], au[1 + 34]);

  // The same values give the same sound, bit for bit.
  const std::string a = ReadBytes(Path("a.wav"));
  EXPECT_EQ(Render("lv2.wav", {"--preset", Path("p.ttl")}), a);
  // A program's single-precision values sound as they do from an .aupreset holding them.
  Convert("p.fxp", "from-fxp.aupreset");
  EXPECT_EQ(Render("fxp.wav", {"--preset", Path("p.fxp")}), Render("fxp-au.wav", {"--preset", Path("from-fxp.aupreset")}));
}

TEST_F(PresetConvert, SavePresetWritesTheKindItsExtensionNames)
{
  Render("b.wav", Cat(kSettings, {"--save-preset", Path("s.fxp")}));
  Render("c.wav", Cat(kSettings, {"--save-preset", Path("s.ttl")}));
  Convert("p.aupreset", "p.fxp");
  Convert("p.aupreset", "p.ttl");
  // The same values; a saved file is named after itself.
  EXPECT_EQ(ReadBytes(Path("s.fxp")).substr(56), ReadBytes(Path("p.fxp")).substr(56));
  EXPECT_EQ(ReadBytes(Path("s.fxp")).substr(28, 2), std::string("s") + '\0');
  EXPECT_EQ(std::regex_replace(ReadBytes(Path("s.ttl")), std::regex("rdfs:label \"s\""), "rdfs:label \"p\""),
            ReadBytes(Path("p.ttl")));
}

TEST_F(PresetConvert, RefusedInputGetsOneLineAndNothingIsWritten)
{
  Convert("p.aupreset", "p.fxp");
  Convert("p.aupreset", "p.ttl");
  const std::string fxp = ReadBytes(Path("p.fxp")), ttl = ReadBytes(Path("p.ttl"));
  std::string foreign = fxp, few = fxp, opaque = fxp.substr(0, 56) + std::string(4 + 320, '\0');
  SetBE32(&foreign, 16, 0x4f746872); // "Othr"
  SetBE32(&few, 24, 39);
  SetBE32(&opaque, 8, 0x46504368); // "FPCh", then the state's size and the state
  SetBE32(&opaque, 56, 320);
  WriteBytes(Path("foreign.fxp"), foreign);
  WriteBytes(Path("few.fxp"), few);
  WriteBytes(Path("opaque.fxp"), opaque);
  WriteBytes(Path("short.fxp"), fxp.substr(0, 100));
  WriteBytes(Path("other.ttl"), std::regex_replace(ttl, std::regex("lv2:appliesTo [^;]*;"),
                                                   "lv2:appliesTo <http://example.org/other> ;"));
  WriteBytes(Path("garbage.ttl"), "<> a <<\n");
  std::string otherAU = ReadBytes(Path("p.aupreset"));
  otherAU.replace(otherAU.find("<integer>1366454895</integer>"), 29, "<integer>1234</integer>");
  WriteBytes(Path("other.aupreset"), otherAU);
  WriteBytes(Path("keep.ttl"), "kept");

  const struct
  {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"preset", "convert", Path("p.aupreset"), Path("out.txt")}, "its name must end in .aupreset, .fxp or .ttl"},
      {{"preset", "convert", Path("missing.fxp"), Path("out.ttl")}, "cannot read program file"},
      {{"preset", "convert", Path("foreign.fxp"), Path("out.ttl")}, "is a program of another plug-in (unique ID Othr, not Vxq7)"},
      {{"preset", "convert", Path("few.fxp"), Path("out.ttl")}, "holds 39 parameters; the strip has 40"},
      {{"preset", "convert", Path("opaque.fxp"), Path("out.ttl")}, "holds opaque state"},
      {{"preset", "convert", Path("short.fxp"), Path("out.ttl")}, "is not a program file"},
      {{"preset", "convert", Path("other.ttl"), Path("out.fxp")}, "is a preset of <http://example.org/other>"},
      {{"preset", "convert", Path("garbage.ttl"), Path("out.fxp")}, "is not Turtle"},
      {{"preset", "convert", Path("other.aupreset"), Path("out.fxp")}, "is a preset of another component"},
      {{"preset", "convert", Path("short.fxp"), Path("keep.ttl")}, "is not a program file"},
      {{"preset", "convert", Path("p.fxp")}, "'preset convert' needs an input and an output file"},
      {{"preset", "convert", Path("p.fxp"), Path("a.ttl"), "more"}, "unexpected argument 'more'"},
      {{"preset", "show", Path("foreign.fxp")}, "is a program of another plug-in"},
      {{"preset", "show", Path("garbage.ttl")}, "is not Turtle"},
      {{"render", Path("in.wav"), Path("out.wav"), "--preset", Path("short.fxp")}, "is not a program file"},
      {{"render", Path("in.wav"), Path("out.wav"), "--preset", Path("other.ttl")}, "is a preset of <http://example.org/other>"},
  };
  for (const auto& c : cases) ExpectRefused(c.args, c.message);
  EXPECT_EQ(ReadBytes(Path("keep.ttl")), "kept");
}
