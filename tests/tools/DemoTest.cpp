// `ostrakon demo`: three 10-second 48 kHz stereo files, the same bytes on every run, and
// one line per file with the levels the file really has.

#include "tests/tools/CliHarness.h"

#include <cmath>
#include <cstdio>
#include <sstream>

TEST_F(CliTest, DemoWritesThreeReproducibleFilesAndPrintsTheirLevels)
{
  const char* const files[] = {"input.wav", "defaults.wav", "character.wav"};
  const CliResult r = RunCli({"demo", Path("a/b")}); // parents are created too
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ListDir(Path("a/b")), (std::vector<std::string>{"character.wav", "defaults.wav", "input.wav"}));

  std::istringstream lines(r.out);
  std::vector<Audio> audio;
  std::vector<double> peaks;
  for (const char* name : files)
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

    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    double shownPeak = 0.0, shownRms = 0.0;
    ASSERT_EQ(sscanf(line.c_str(), (path + ": peak %lf dBFS, RMS %lf dBFS").c_str(), &shownPeak, &shownRms), 2)
      << line;
    EXPECT_NEAR(shownPeak, 20 * std::log10(peak), 0.05);
    EXPECT_NEAR(shownRms, 20 * std::log10(std::sqrt(sum / a.samples.size())), 0.05);
    audio.push_back(a);
    peaks.push_back(peak);
  }
  std::string rest;
  EXPECT_FALSE(std::getline(lines, rest)) << rest;
  EXPECT_NEAR(20 * std::log10(peaks[0]), -6.02, 0.01);
  EXPECT_NE(audio[2].samples, audio[1].samples);

  ASSERT_EQ(RunCli({"demo", Path("c")}).status, 0);
  for (const char* name : files) EXPECT_TRUE(ReadBytes(Path("a/b/") + name) == ReadBytes(Path("c/") + name)) << name;
}
