#pragma once
// Runs the built ostrakon binary, and reads and writes the small audio files it is fed.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <string>
#include <vector>

struct CliResult
{
  int status = -1; // -1 when the program did not exit normally
  std::string out, err;
};
CliResult RunCli(const std::vector<std::string>& args);

struct Audio
{
  int rate = 48000;
  int channels = 2;
  int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  std::vector<float> samples; // interleaved
  long long Frames() const { return (long long) samples.size() / channels; }
};

// Sine plus fixed-seed noise, with exact zeros and full-scale samples.
Audio TestSignal(int rate, int channels, int frames);
void WriteAudio(const std::string& path, const Audio& audio); // PCM written exactly, as integers
Audio ReadAudio(const std::string& path);                      // rate 0 when unreadable

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
std::vector<std::string> ListDir(const std::string& dir);

// Every stage bypassed, so the strip is transparent apart from its input and output
// stages, now and once the EQ and dynamics process audio.
std::vector<std::string> StagesOff();

// Each test in a fresh temporary directory.
class CliTest : public ::testing::Test
{
protected:
  void SetUp() override;
  void TearDown() override;
  std::string Path(const std::string& name) const { return mDir + "/" + name; }
  const std::string& Dir() const { return mDir; }

private:
  std::string mDir;
};
