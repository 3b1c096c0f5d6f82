// `ostrakon params` reads the plug-in's records, so it must agree with the strip's table
// row for row.

#include "engine/OstrakonParams.h"
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
  return parts;
}
} // namespace

TEST(ParamsCommand, ListsEveryParameterOfTheTable)
{
  const CliResult r = RunCli({"params"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Split(r.out, '\n');
  ASSERT_EQ(lines.size(), (size_t) kNumParams);

  const char* const kinds[] = {"none", "bool", "int", "enum", "double"};
  for (int i = 0; i < kNumParams; ++i)
  {
    SCOPED_TRACE(lines[i]);
    const OstrakonParamSpec& spec = kOstrakonParams[i];
    const std::vector<std::string> f = Split(lines[i], '\t');
    ASSERT_EQ(f.size(), 9u);
    EXPECT_EQ(f[0], std::to_string(i));
    EXPECT_EQ(f[1], "\"" + std::string(spec.name) + "\"");
    EXPECT_EQ(f[2], kinds[spec.kind]);
    EXPECT_EQ(strtod(f[3].c_str(), nullptr), spec.defaultValue);
    EXPECT_EQ(strtod(f[4].c_str(), nullptr), spec.minValue);
    EXPECT_EQ(strtod(f[5].c_str(), nullptr), spec.maxValue);
    EXPECT_EQ(f[6], "\"" + std::string(spec.label) + "\"");
    EXPECT_EQ(strtod(f[7].c_str(), nullptr), spec.shape);
    if (spec.texts)
    {
      EXPECT_EQ(f[8], spec.texts[(int) spec.defaultValue]);
    }
  }

  // One row of each kind in full; doubles show the one decimal of their 0.1 step.
  EXPECT_EQ(lines[0], "0\t\"Hi Pass Freq.\"\tdouble\t20\t20\t200\t\"Hz\"\t1.5\t20.0");
  EXPECT_EQ(lines[1], "1\t\"Low Pass Freq.\"\tint\t20000\t2000\t20000\t\"Hz\"\t1.5\t20000");
  EXPECT_EQ(lines[8], "8\t\"Low Mid Q\"\tdouble\t0.5\t0.5\t8\t\"\"\t1\t0.5");
  EXPECT_EQ(lines[15], "15\t\"Eq On/Off\"\tbool\t1\t0\t1\t\"\"\t1\ton");
  EXPECT_EQ(lines[23], "23\t\"Dyn. 1 Type\"\tenum\t0\t0\t3\t\"\"\t1\tVCA");
  EXPECT_EQ(lines[34], "34\t\"Routing\"\tenum\t0\t0\t2\t\"\"\t1\tDyn1 -> Eq -> Dyn2");
  EXPECT_EQ(lines[35], "35\t\"Input Gain\"\tdouble\t0\t-60\t30\t\"dB\"\t1\t0.0");
  EXPECT_EQ(lines[38], "38\t\"Rev. Phase\"\tbool\t0\t0\t1\t\"\"\t1\toff");
}
