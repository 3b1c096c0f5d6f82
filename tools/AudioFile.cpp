#include "tools/AudioFile.h"

#include "tools/AudioHeader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace
{
std::string Quoted(const std::string& path) { return "'" + path + "'"; }

std::string FormatName(int format)
{
  SF_FORMAT_INFO info = {};
  info.format = format;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof(info)) == 0 && info.name)
    return info.name;
  return "an unknown format";
}

bool IsAcceptedFormat(int format)
{
  const int type = format & SF_FORMAT_TYPEMASK;
  const int sub = format & SF_FORMAT_SUBMASK;
  const bool typeOk = type == SF_FORMAT_WAV || type == SF_FORMAT_WAVEX || type == SF_FORMAT_AIFF ||
                      type == SF_FORMAT_FLAC;
  const bool subOk = sub == SF_FORMAT_PCM_16 || sub == SF_FORMAT_PCM_24 || sub == SF_FORMAT_FLOAT;
  return typeOk && subOk;
}
} // namespace

// ----- reader -----

// A pipe or device is read to its end into an unnamed temporary file, whose header can
// then be read before libsndfile sees it.
bool AudioFileReader::CopyToTemporaryFile(std::string* error)
{
  FILE* copy = tmpfile();
  if (!copy)
  {
    *error = "cannot read " + Quoted(mPath) + ": no temporary file: " + strerror(errno);
    return false;
  }
  char buf[65536];
  bool ok = true;
  for (;;)
  {
    const ssize_t n = read(mFd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
    {
      if (n < 0) *error = "cannot read " + Quoted(mPath) + ": " + strerror(errno);
      ok = n == 0;
      break;
    }
    if (fwrite(buf, 1, (size_t) n, copy) != (size_t) n || fflush(copy) != 0)
    {
      *error = "cannot read " + Quoted(mPath) + ": cannot write its temporary copy: " + strerror(errno);
      ok = false;
      break;
    }
  }
  int fd = ok ? dup(fileno(copy)) : -1;
  fclose(copy);
  // libsndfile reads from the descriptor's offset, left at the end by the copy.
  if (fd >= 0 && lseek(fd, 0, SEEK_SET) != 0)
  {
    close(fd);
    fd = -1;
  }
  if (ok && fd < 0) *error = "cannot read " + Quoted(mPath) + ": " + strerror(errno);
  if (fd < 0) return false;
  close(mFd);
  mFd = fd;
  return true;
}

AudioFileReader::~AudioFileReader()
{
  if (mFile) sf_close(mFile);
  if (mFd >= 0) close(mFd);
}

bool AudioFileReader::Open(const std::string& path, std::string* error)
{
  mPath = path;
  mFd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (mFd < 0)
  {
    *error = "cannot open " + Quoted(path) + ": " + strerror(errno);
    return false;
  }
  struct stat st;
  if (fstat(mFd, &st) == 0 && S_ISDIR(st.st_mode))
  {
    *error = Quoted(path) + " is a directory, not an audio file";
    return false;
  }
  if (fstat(mFd, &st) == 0 && !S_ISREG(st.st_mode) && !CopyToTemporaryFile(error)) return false;

  // Recognised here first, so libsndfile never guesses at a file nor decodes another format.
  std::string problem;
  if (!AudioHeader::Check(mFd, &problem))
  {
    *error = Quoted(path) + " " + problem;
    return false;
  }

  mFile = sf_open_fd(mFd, SFM_READ, &mInfo, SF_FALSE);
  if (!mFile)
  {
    *error = Quoted(path) + " is not a readable audio file: " + sf_strerror(nullptr);
    return false;
  }
  if (!IsAcceptedFormat(mInfo.format))
  {
    *error = Quoted(path) + " is " + FormatName(mInfo.format & SF_FORMAT_TYPEMASK) + ", " +
             FormatName(mInfo.format & SF_FORMAT_SUBMASK) +
             "; only WAV, AIFF or FLAC with 16/24-bit PCM or 32-bit float samples can be read";
    return false;
  }
  return true;
}

long long AudioFileReader::Read(float* interleaved, int nFrames, std::string* error)
{
  const sf_count_t got = sf_readf_float(mFile, interleaved, nFrames);
  // A decoder can fail part-way through a block and still deliver frames.
  if (sf_error(mFile) != SF_ERR_NO_ERROR)
  {
    *error = "cannot read " + Quoted(mPath) + ": " + sf_strerror(mFile);
    return -1;
  }
  return got;
}

// ----- writer -----

AudioFileWriter::~AudioFileWriter() { Discard(); }

bool AudioFileWriter::Open(const std::string& path, int sampleRate, int channels,
                           std::string* error)
{
  Discard();
  if (!mPending.Open(path, error)) return false;

  SF_INFO info = {};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  mFile = sf_open_fd(mPending.Fd(), SFM_WRITE, &info, SF_FALSE);
  if (!mFile)
  {
    *error = "cannot write " + Quoted(path) + ": " + sf_strerror(nullptr);
    Discard();
    return false;
  }
  // The peak chunk carries a time stamp; without it the same render gives the same bytes.
  sf_command(mFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  return true;
}

bool AudioFileWriter::Write(const float* interleaved, int nFrames, std::string* error)
{
  if (!mFile) return false;
  if (sf_writef_float(mFile, interleaved, nFrames) != nFrames)
  {
    *error = "cannot write " + Quoted(mPending.Path()) + ": " + sf_strerror(mFile);
    return false;
  }
  return true;
}

bool AudioFileWriter::Commit(std::string* error)
{
  if (!mFile) return false;
  const int rc = sf_close(mFile);
  mFile = nullptr;
  if (rc != 0)
  {
    *error = "cannot write " + Quoted(mPending.Path()) + ": " + sf_error_number(rc);
    Discard();
    return false;
  }
  return mPending.Commit(error);
}

void AudioFileWriter::Discard()
{
  if (mFile) sf_close(mFile);
  mFile = nullptr;
  mPending.Discard();
}
