#include "tests/tools/CliHarness.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace
{
std::string ReadAndClose(FILE* f)
{
  std::string s;
  rewind(f);
  for (int c; (c = fgetc(f)) != EOF;) s += (char) c;
  fclose(f);
  return s;
}
} // namespace

CliResult RunCli(const std::vector<std::string>& args)
{
  FILE* out = tmpfile();
  FILE* err = tmpfile();
  std::vector<char*> argv{const_cast<char*>(OSTRAKON_CLI)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0)
  {
    dup2(fileno(out), 1);
    dup2(fileno(err), 2);
    execv(OSTRAKON_CLI, argv.data());
    _exit(127);
  }
  CliResult r;
  int wstatus = 0;
  if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
  r.out = ReadAndClose(out);
  r.err = ReadAndClose(err);
  return r;
}

Audio TestSignal(int rate, int channels, int frames)
{
  Audio a;
  a.rate = rate;
  a.channels = channels;
  uint32_t seed = 12345;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
    {
      seed = seed * 1664525u + 1013904223u;
      double v = 0.6 * std::sin(0.01 * i * (c + 1)) + 0.3 * ((double) (seed >> 8) / 8388608.0 - 1.0);
      if (i % 97 == 0) v = 0.0;
      if (i % 101 == 0) v = c ? -1.0 : 0.99;
      a.samples.push_back((float) v);
    }
  return a;
}

void WriteAudio(const std::string& path, const Audio& audio)
{
  SF_INFO info = {};
  info.samplerate = audio.rate;
  info.channels = audio.channels;
  info.format = audio.format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  const int sub = audio.format & SF_FORMAT_SUBMASK;
  if (sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE)
  {
    EXPECT_EQ(sf_writef_float(f, audio.samples.data(), audio.Frames()), audio.Frames());
  }
  else
  {
    // Quantised here, so the file holds exactly these integers in any PCM width.
    const double full = sub == SF_FORMAT_PCM_16 ? 32768.0 : 8388608.0;
    std::vector<int> pcm;
    for (float x : audio.samples)
      pcm.push_back((int) std::min(std::max(std::round(x * full), -full), full - 1.0) *
                    (int) (2147483648.0 / full));
    EXPECT_EQ(sf_writef_int(f, pcm.data(), audio.Frames()), audio.Frames());
  }
  sf_close(f);
}

Audio ReadAudio(const std::string& path)
{
  Audio a;
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  a.rate = f ? info.samplerate : 0;
  if (!f) return a;
  a.channels = info.channels;
  a.format = info.format;
  a.samples.resize((size_t) (info.frames * info.channels));
  a.samples.resize((size_t) (sf_readf_float(f, a.samples.data(), info.frames) * info.channels));
  sf_close(f);
  return a;
}

std::string ReadBytes(const std::string& path)
{
  FILE* f = fopen(path.c_str(), "rb");
  return f ? ReadAndClose(f) : std::string();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

std::vector<std::string> ListDir(const std::string& dir)
{
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> StagesOff()
{
  return {"--set", "Eq On/Off=off", "--set", "Dyn. 1 On/Off=off", "--set", "Dyn. 2 On/Off=off"};
}

void CliTest::SetUp()
{
  std::string pattern = testing::TempDir() + "ostrakon-cli-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  mDir = pattern;
}

void CliTest::TearDown()
{
  std::error_code ec;
  if (!mDir.empty()) std::filesystem::remove_all(mDir, ec);
}
