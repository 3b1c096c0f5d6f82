// The renderer's audio-file front end: files are recognised from their first bytes
// before libsndfile reads them, only the documented formats pass, every refusal is one
// line naming what the file is, and no file, however damaged, crashes the reader or
// makes the library print anything of its own.

#include "tools/AudioFile.h"
#include "tools/AudioHeader.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace
{
class TempDir
{
public:
  TempDir()
  {
    std::string pattern = testing::TempDir() + "ostrakon-audio-XXXXXX";
    mDir = mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TempDir()
  {
    for (const std::string& f : mFiles) unlink(f.c_str());
    if (!mDir.empty()) rmdir(mDir.c_str());
  }
  std::string Path(const std::string& name)
  {
    mFiles.push_back(mDir + "/" + name);
    return mFiles.back();
  }

private:
  std::string mDir;
  std::vector<std::string> mFiles;
};

// A short stereo file written by libsndfile, returned as its bytes.
std::string Written(TempDir& dir, int format, int channels = 2, int frames = 600)
{
  const std::string path = dir.Path("w" + std::to_string(format) + "-" + std::to_string(channels));
  SF_INFO info = {};
  info.samplerate = 44100;
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(f, nullptr) << std::hex << format << std::dec << ": " << sf_strerror(nullptr);
  if (!f) return "";
  std::vector<float> x((size_t) (frames * channels));
  for (size_t i = 0; i < x.size(); ++i) x[i] = (float) (0.5 * ((i * 2654435761u) % 1000) / 1000.0 - 0.25);
  sf_writef_float(f, x.data(), frames);
  sf_close(f);
  std::string bytes;
  if (FILE* in = fopen(path.c_str(), "rb"))
  {
    for (int c; (c = fgetc(in)) != EOF;) bytes += (char) c;
    fclose(in);
  }
  return bytes;
}

void Put(const std::string& path, const std::string& bytes)
{
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

// The header's verdict on bytes: "" when they pass.
std::string Verdict(TempDir& dir, const std::string& bytes)
{
  const std::string path = dir.Path("probe");
  Put(path, bytes);
  const int fd = open(path.c_str(), O_RDONLY);
  std::string problem;
  const bool ok = AudioHeader::Check(fd, &problem);
  EXPECT_EQ(lseek(fd, 0, SEEK_CUR), 0); // left for libsndfile where it was
  close(fd);
  return ok ? "" : problem;
}

const char kSamples[] = " samples; only WAV, AIFF or FLAC with 16/24-bit PCM or 32-bit float samples can be read";
const char kFiles[] = "; only WAV, AIFF or FLAC files can be read";
} // namespace

TEST(AudioHeader, PassesWhatTheRendererDocuments)
{
  TempDir dir;
  for (int format : {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAV | SF_FORMAT_PCM_24, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                     SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT,
                     SF_FORMAT_AIFF | SF_FORMAT_PCM_16, SF_FORMAT_AIFF | SF_FORMAT_PCM_24,
                     SF_FORMAT_AIFF | SF_FORMAT_FLOAT, SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
                     SF_FORMAT_FLAC | SF_FORMAT_PCM_24})
    EXPECT_EQ(Verdict(dir, Written(dir, format)), "") << std::hex << format;
}

TEST(AudioHeader, NamesWhatItRefuses)
{
  TempDir dir;
  const std::pair<int, std::string> cases[] = {
      {SF_FORMAT_WAV | SF_FORMAT_PCM_U8, std::string("is WAV with 8-bit PCM") + kSamples},
      {SF_FORMAT_WAV | SF_FORMAT_PCM_32, std::string("is WAV with 32-bit PCM") + kSamples},
      {SF_FORMAT_WAV | SF_FORMAT_DOUBLE, std::string("is WAV with 64-bit float") + kSamples},
      {SF_FORMAT_WAV | SF_FORMAT_ULAW, std::string("is WAV with mu-law") + kSamples},
      {SF_FORMAT_WAV | SF_FORMAT_ALAW, std::string("is WAV with A-law") + kSamples},
      {SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, std::string("is WAV with IMA ADPCM") + kSamples},
      {SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, std::string("is WAV with MS ADPCM") + kSamples},
      {SF_FORMAT_WAV | SF_FORMAT_GSM610, std::string("is WAV with GSM 6.10") + kSamples},
      {SF_FORMAT_WAVEX | SF_FORMAT_PCM_U8, std::string("is WAV with 8-bit PCM") + kSamples},
      {SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, std::string("is AIFF with 8-bit PCM") + kSamples},
      {SF_FORMAT_AIFF | SF_FORMAT_PCM_32, std::string("is AIFF with 32-bit PCM") + kSamples},
      {SF_FORMAT_AIFF | SF_FORMAT_ULAW, std::string("is AIFF-C with 'ulaw'") + kSamples},
      {SF_FORMAT_AIFF | SF_FORMAT_DOUBLE, std::string("is AIFF-C with 'FL64'") + kSamples},
      {SF_FORMAT_OGG | SF_FORMAT_VORBIS, std::string("is an Ogg file") + kFiles},
      {SF_FORMAT_CAF | SF_FORMAT_PCM_16, std::string("is a CAF file") + kFiles},
      {SF_FORMAT_AU | SF_FORMAT_PCM_16, std::string("is a Sun/NeXT audio file") + kFiles},
      {SF_FORMAT_W64 | SF_FORMAT_PCM_16, std::string("is a Wave64 file") + kFiles},
      {SF_FORMAT_RF64 | SF_FORMAT_PCM_16, std::string("is an RF64 file") + kFiles},
      {SF_FORMAT_RAW | SF_FORMAT_PCM_16, "is not a WAV, AIFF or FLAC file"},
  };
  for (const auto& c : cases)
  {
    const std::string bytes = Written(dir, c.first, 1);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(Verdict(dir, bytes), c.second) << std::hex << c.first;
  }
  // libsndfile writes no 8-bit FLAC; its stream information says so instead.
  std::string flac8 = Written(dir, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  flac8[20] = (char) (flac8[20] & 0xFE);
  flac8[21] = (char) ((flac8[21] & 0x0F) | 0x70);
  EXPECT_EQ(Verdict(dir, flac8), std::string("is FLAC with 8-bit PCM") + kSamples);
  EXPECT_EQ(Verdict(dir, ""), "is empty, not an audio file");
  EXPECT_EQ(Verdict(dir, "ID3\x04"), std::string("is an MPEG audio file") + kFiles);
  EXPECT_EQ(Verdict(dir, "RIFF"), "is not a WAV, AIFF or FLAC file");
  EXPECT_EQ(Verdict(dir, std::string("RIFF\0\0\0\0WAVE", 12)), "has a damaged WAV header");
  EXPECT_EQ(Verdict(dir, std::string("FORM\0\0\0\0AIFF", 12)), "has a damaged AIFF header");
  EXPECT_EQ(Verdict(dir, "fLaC"), "has a damaged FLAC header");
  // Two format chunks leave the choice to the reader: refused.
  std::string twice = Written(dir, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  twice.insert(12, twice.substr(12, 24));
  EXPECT_EQ(Verdict(dir, twice), "has a damaged WAV header");

  // The reader says the same, naming the file, before libsndfile opens it.
  const std::string path = dir.Path("vorbis.wav");
  Put(path, Written(dir, SF_FORMAT_OGG | SF_FORMAT_VORBIS));
  AudioFileReader reader;
  std::string error;
  EXPECT_FALSE(reader.Open(path, &error));
  EXPECT_EQ(error, "'" + path + "' is an Ogg file" + kFiles);
}

TEST(AudioFrontEndFuzz, AnyFileIsReadOrRefusedInOneLineAndTheLibraryStaysQuiet)
{
  TempDir dir;
  std::vector<std::string> seeds;
  for (int format : {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                     SF_FORMAT_AIFF | SF_FORMAT_PCM_24, SF_FORMAT_AIFF | SF_FORMAT_FLOAT, SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
                     SF_FORMAT_FLAC | SF_FORMAT_PCM_24, SF_FORMAT_OGG | SF_FORMAT_VORBIS, SF_FORMAT_WAV | SF_FORMAT_GSM610})
    seeds.push_back(Written(dir, format, 1 + (int) seeds.size() % 2, 2000));
  const std::string path = dir.Path("fuzz");

  // Whatever libsndfile or its decoders might print goes to a file, checked at the end.
  const std::string errPath = dir.Path("stderr");
  fflush(stderr);
  const int savedErr = dup(2);
  const int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(errFd, 0);
  dup2(errFd, 2);
  close(errFd);

  std::mt19937 rng(20260512);
  auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
  int opened = 0, refused = 0, readFailed = 0;
  std::vector<float> frames(512 * 8);
  std::string failure;
  for (int iter = 0; iter < 2500 && failure.empty(); ++iter)
  {
    std::string s = seeds[(size_t) iter % seeds.size()];
    for (int k = 1 + (int) pick(4); k > 0 && !s.empty(); --k)
    {
      // Mostly the header, where the readers decide what follows.
      const size_t at = pick(2) ? pick(s.size() < 96 ? s.size() : 96) : pick(s.size());
      switch (pick(6))
      {
        case 0: s[at] = (char) pick(256); break;
        case 1: s[at] = (char) (pick(2) ? 0xFF : 0x00); break;
        case 2: s.resize(at); break;
        case 3: s.erase(at, 1 + pick(64)); break;
        case 4: s.insert(at, s.substr(pick(s.size()), 1 + pick(48))); break;
        default: for (size_t i = at; i < at + 4 && i < s.size(); ++i) s[i] = (char) 0xFF; break;
      }
    }
    if (iter % 50 == 0)
    {
      s.clear();
      for (size_t n = pick(4096); n > 0; --n) s += (char) pick(256);
    }
    Put(path, s);

    AudioFileReader reader;
    std::string error;
    if (!reader.Open(path, &error))
    {
      ++refused;
      if (error.empty() || error.find('\n') != std::string::npos) failure = "refusal: '" + error + "'";
      continue;
    }
    ++opened;
    if (reader.Channels() < 1 || reader.Channels() > 8) continue; // the renderer refuses these itself
    long long total = 0;
    for (;;)
    {
      const long long got = reader.Read(frames.data(), 512, &error);
      if (got < 0)
      {
        ++readFailed;
        if (error.empty() || error.find('\n') != std::string::npos) failure = "read error: '" + error + "'";
        break;
      }
      if (got == 0 || (total += got) > 1000000) break;
    }
  }

  fflush(stderr);
  dup2(savedErr, 2);
  close(savedErr);
  EXPECT_EQ(failure, "");
  std::string printed;
  if (FILE* f = fopen(errPath.c_str(), "rb"))
  {
    for (int c; (c = fgetc(f)) != EOF;) printed += (char) c;
    fclose(f);
  }
  EXPECT_EQ(printed, "");
  EXPECT_GT(opened, 300);
  EXPECT_GT(refused, 300);
  EXPECT_GT(readFailed, 0);
}
