// Presets on the command line: `render --save-preset` writes the state after the
// settings as an XML .aupreset, `render --preset` restores one (XML or binary) before
// the settings, `preset show` prints what one sets. Refusals are in BadInputTest.

#include "tests/tools/CliHarness.h"

#include <plist/plist.h>

#include <cstdlib>
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

// The same property list in the binary form.
std::string ToBinary(const std::string& xml)
{
  plist_t root = nullptr;
  plist_from_xml(xml.data(), (uint32_t) xml.size(), &root);
  EXPECT_NE(root, nullptr);
  char* bin = nullptr;
  uint32_t n = 0;
  plist_to_bin(root, &bin, &n);
  std::string bytes(bin, n);
  free(bin);
  plist_free(root);
  return bytes;
}

const std::vector<std::string> kSettings = {
    "--set", "Dyn. 1 Type=FET", "--set", "Dyn. 1 Attack=0.5", "--set", "Dyn. 1 Thresh.=-40",
    "--set", "Input Gain=6",    "--set", "Rev. Phase=on",     "--set", "Routing=Eq -> Dyn1 -> Dyn2",
};
} // namespace

class PresetCommand : public CliTest
{
protected:
  void SetUp() override
  {
    CliTest::SetUp();
    WriteAudio(Path("in.wav"), TestSignal(48000, 2, 4000));
  }
  std::string Render(const std::string& out, const std::vector<std::string>& options)
  {
    const CliResult r =
        RunCli(Cat({"render", Path("in.wav"), Path(out), "--analogue-time", "1500000000"}, options));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err + r.out, "");
    return ReadBytes(Path(out));
  }
};

TEST_F(PresetCommand, SavedAsXmlAndShownAsTheStripShowsIt)
{
  Render("a.wav", Cat(kSettings, {"--save-preset", Path("p.aupreset")}));
  const std::string xml = ReadBytes(Path("p.aupreset"));
  EXPECT_EQ(xml.rfind("<?xml", 0), 0u) << xml;
  // The keys in Core Foundation's order, as a Mac writes them.
  size_t at = 0;
  for (const char* key : {"data", "manufacturer", "name", "subtype", "type", "version"})
  {
    const size_t next = xml.find(std::string("<key>") + key + "</key>", at);
    ASSERT_NE(next, std::string::npos) << key;
    at = next;
  }
  EXPECT_NE(xml.find("<integer>1366454895</integer>"), std::string::npos); // 'Qrro'
  EXPECT_NE(xml.find("<integer>131074</integer>"), std::string::npos);     // 2.0.2

  const CliResult r = RunCli({"preset", "show", Path("p.aupreset")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 41u);
  EXPECT_EQ(lines[0], "name\t\"\"");
  EXPECT_EQ(lines[1 + 19], "19\t\"Dyn. 1 Attack\"\t0.5\t\"ms\"");
  EXPECT_EQ(lines[1 + 18], "18\t\"Dyn. 1 Thresh.\"\t-40\t\"dB\"");
  EXPECT_EQ(lines[1 + 23], "23\t\"Dyn. 1 Type\"\tFET\t\"\"");
  EXPECT_EQ(lines[1 + 34], "34\t\"Routing\"\tEq -> Dyn1 -> Dyn2\t\"\"");
  EXPECT_EQ(lines[1 + 35], "35\t\"Input Gain\"\t6\t\"dB\"");
  EXPECT_EQ(lines[1 + 38], "38\t\"Rev. Phase\"\ton\t\"\"");
  EXPECT_EQ(lines[1 + 1], "1\t\"Low Pass Freq.\"\t20000\t\"\""); // untouched: its default
}

// Both forms are read by the host library, whose tests read them in full.
TEST_F(PresetCommand, APresetInEitherFormRestoresTheSoundItWasSavedWith)
{
  const std::string a = Render("a.wav", Cat(kSettings, {"--save-preset", Path("p.aupreset")}));
  ASSERT_FALSE(a.empty());
  EXPECT_NE(Render("plain.wav", {}), a);
  WriteBytes(Path("bin.aupreset"), ToBinary(ReadBytes(Path("p.aupreset"))));
  EXPECT_EQ(Render("b.wav", {"--preset=" + Path("bin.aupreset"), "--save-preset", Path("q.aupreset")}), a);
  // Saving what was restored gives the same file back.
  EXPECT_EQ(ReadBytes(Path("q.aupreset")), ReadBytes(Path("p.aupreset")));
}

TEST_F(PresetCommand, ThePresetComesBeforeTheSettingsAndTheSaveAfterThem)
{
  Render("a.wav", Cat(kSettings, {"--save-preset", Path("p.aupreset")}));
  const std::string overridden = Render("b.wav", {"--preset", Path("p.aupreset"), "--set", "Input Gain=-3",
                                                  "--save-preset", Path("q.aupreset")});
  EXPECT_EQ(Render("c.wav", Cat(kSettings, {"--set", "Input Gain=-3"})), overridden);
  const CliResult r = RunCli({"preset", "show", Path("q.aupreset")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 41u);
  EXPECT_EQ(lines[1 + 35], "35\t\"Input Gain\"\t-3\t\"dB\"");
  EXPECT_EQ(lines[1 + 23], "23\t\"Dyn. 1 Type\"\tFET\t\"\"");
}
