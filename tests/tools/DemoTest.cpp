// `ostrakon demo`: three 10-second 48 kHz stereo files, the same bytes on every run, and
// one line per file with the levels the file really has.

#include "tests/tools/CliHarness.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace
{
const char* const kFiles[] = {"input.wav", "defaults.wav", "character.wav"};

double DBFS(double x) { return 20.0 * std::log10(x); }
} // namespace

class Demo : public CliTest
{
};

TEST_F(Demo, WritesThreeReproducibleFilesAndPrintsTheirLevels)
{
  // The directory is created, parents too.
  const CliResult r = RunCli({"demo", Path("a/b")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ListDir(Path("a/b")), (std::vector<std::string>{"character.wav", "defaults.wav", "input.wav"}));

  std::istringstream lines(r.out);
  std::vector<Audio> renders;
  std::vector<double> peaks;
  for (const char* name : kFiles)
  {
    SCOPED_TRACE(name);
    const std::string path = Path("a/b/") + name;
    const Audio a = ReadAudio(path);
    EXPECT_EQ(a.rate, 48000);
    EXPECT_EQ(a.channels, 2);
    EXPECT_EQ(a.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(a.Frames(), 480000);

    double peak = 0.0, sum = 0.0;
    for (float x : a.samples)
    {
      peak = std::fmax(peak, std::fabs(x));
      sum += (double) x * x;
    }
    const double rms = std::sqrt(sum / a.samples.size());

    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    double shownPeak = 0.0, shownRms = 0.0;
    ASSERT_EQ(sscanf(line.c_str(), (path + ": peak %lf dBFS, RMS %lf dBFS").c_str(), &shownPeak, &shownRms), 2)
      << line;
    EXPECT_NEAR(shownPeak, DBFS(peak), 0.05);
    EXPECT_NEAR(shownRms, DBFS(rms), 0.05);
    renders.push_back(a);
    peaks.push_back(peak);
  }
  std::string rest;
  EXPECT_FALSE(std::getline(lines, rest)) << rest;

  // The signal peaks at -6 dBFS, is far from silent, and the characterful setting
  // changes it.
  EXPECT_NEAR(DBFS(peaks[0]), -6.02, 0.01);
  EXPECT_NE(renders[2].samples, renders[1].samples);

  const CliResult again = RunCli({"demo", Path("c")});
  ASSERT_EQ(again.status, 0) << again.err;
  for (const char* name : kFiles)
    EXPECT_TRUE(ReadBytes(Path("a/b/") + name) == ReadBytes(Path("c/") + name)) << name;
}
