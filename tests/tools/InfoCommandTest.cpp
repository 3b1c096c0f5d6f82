// `ostrakon info` prints what a host reads from the component's properties; it must
// agree with the strip's own table row for row.

#include "engine/Ostrakon.h"
#include "tests/tools/CliHarness.h"

#include <cstdlib>
#include <sstream>

namespace
{
std::vector<std::string> Split(const std::string& s, char sep)
{
  std::vector<std::string> parts;
  std::istringstream in(s);
  for (std::string part; std::getline(in, part, sep);) parts.push_back(part);
  if (!s.empty() && s.back() == sep) parts.push_back("");
  return parts;
}

std::string ExpectedUnit(const OstrakonParamSpec& spec)
{
  switch (spec.kind)
  {
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return "indexed";
    case IParam::kTypeBool: return "boolean";
    default: return *spec.label ? "custom \"" + std::string(spec.label) + "\"" : "generic";
  }
}
} // namespace

TEST(InfoCommand, PrintsTheComponentAndEveryParameterAsAHostSeesThem)
{
  const CliResult r = RunCli({"info"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Split(r.out, '\n');
  ASSERT_EQ(lines.size(), 7u + kNumParams + 1); // the last newline leaves an empty tail
  EXPECT_EQ(lines[0], "name\tQuarro Ostrakon");
  EXPECT_EQ(lines[1], "version\t2.0.2 (0x00020002)");
  EXPECT_EQ(lines[2], "type\taufx");
  EXPECT_EQ(lines[3], "subtype\tVxq7");
  EXPECT_EQ(lines[4], "manufacturer\tQrro");
  EXPECT_EQ(lines[5], "channels\t1-1 2-2");
  EXPECT_EQ(lines[6], "parameters\t40");

  for (int i = 0; i < kNumParams; ++i)
  {
    const std::string& line = lines[(size_t) (7 + i)];
    SCOPED_TRACE(line);
    const OstrakonParamSpec& spec = kOstrakonParams[i];
    const std::vector<std::string> f = Split(line, '\t');
    ASSERT_EQ(f.size(), 7u);
    EXPECT_EQ(f[0], std::to_string(i));
    EXPECT_EQ(f[1], "\"" + std::string(spec.name) + "\"");
    EXPECT_EQ(f[2], ExpectedUnit(spec));
    EXPECT_EQ(strtof(f[3].c_str(), nullptr), (float) spec.minValue);
    EXPECT_EQ(strtof(f[4].c_str(), nullptr), (float) spec.maxValue);
    // A freshly opened unit's current values are its defaults.
    EXPECT_EQ(strtof(f[5].c_str(), nullptr), (float) spec.defaultValue);
    std::string texts;
    if (spec.kind == IParam::kTypeBool) texts = "\"off\", \"on\"";
    for (int t = 0; spec.texts && t < spec.nTexts; ++t)
      texts += (t ? ", \"" : "\"") + std::string(spec.texts[t]) + "\"";
    EXPECT_EQ(f[6], texts);
  }

  // One row of each unit in full; numbers in their shortest form.
  EXPECT_EQ(lines[7 + kHiPassFreq], "0\t\"Hi Pass Freq.\"\tcustom \"Hz\"\t20\t200\t20\t");
  EXPECT_EQ(lines[7 + kLowMidQ], "8\t\"Low Mid Q\"\tgeneric\t0.5\t8\t0.5\t");
  EXPECT_EQ(lines[7 + kDyn1Type],
            "23\t\"Dyn. 1 Type\"\tindexed\t0\t3\t0\t\"VCA\", \"FET\", \"OPTO\", \"Expander\"");
  EXPECT_EQ(lines[7 + kRevPhase], "38\t\"Rev. Phase\"\tboolean\t0\t1\t0\t\"off\", \"on\"");
}
