#pragma once
// Audio files through libsndfile, read and written in blocks of interleaved float frames.
// Every failure comes back as false (or -1) with a one-line message naming the file.

#include "host/PendingFile.h"

#include <sndfile.h>

#include <string>

class AudioFileReader
{
public:
  AudioFileReader() = default;
  ~AudioFileReader();
  AudioFileReader(const AudioFileReader&) = delete;
  AudioFileReader& operator=(const AudioFileReader&) = delete;

  // Takes WAV, AIFF or FLAC holding 16/24-bit PCM or 32-bit float samples. PCM is
  // scaled to [-1, 1) exactly (by a power of two), float is read unchanged.
  bool Open(const std::string& path, std::string* error);

  int SampleRate() const { return mInfo.samplerate; }
  int Channels() const { return mInfo.channels; }

  // Up to nFrames frames; returns the number read, 0 at the end, -1 on a read error.
  long long Read(float* interleaved, int nFrames, std::string* error);

private:
  bool CopyToTemporaryFile(std::string* error);

  std::string mPath;
  SF_INFO mInfo = {};
  SNDFILE* mFile = nullptr;
  int mFd = -1;
};

// Writes a 32-bit float WAV into a temporary file beside the destination; only Commit
// puts it in place, so a failed or abandoned write never leaves or damages a file there.
class AudioFileWriter
{
public:
  AudioFileWriter() = default;
  ~AudioFileWriter(); // discards an uncommitted file
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  bool Open(const std::string& path, int sampleRate, int channels, std::string* error);
  bool Write(const float* interleaved, int nFrames, std::string* error);
  bool Commit(std::string* error);
  void Discard();

private:
  PendingFile mPending;
  SNDFILE* mFile = nullptr;
};
