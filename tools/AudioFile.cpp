#include "tools/AudioFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

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
  mPath = path;

  struct stat st;
  if (path.empty() || path.back() == '/' || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
  {
    *error = "cannot write " + Quoted(path) + (path.empty() ? ": no file name given" : ": it names a directory");
    return false;
  }

  // In the destination's own directory, so that the final rename replaces it atomically.
  const size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string pattern = dir + "." + base + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  mFd = mkostemp(name.data(), O_CLOEXEC);
  if (mFd < 0)
  {
    *error = "cannot write " + Quoted(path) + ": " + strerror(errno);
    return false;
  }
  mTempPath = name.data();

  // mkostemp creates the file private; give it the mode a newly created file would get.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(mFd, 0666 & ~mask);

  SF_INFO info = {};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  mFile = sf_open_fd(mFd, SFM_WRITE, &info, SF_FALSE);
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
    *error = "cannot write " + Quoted(mPath) + ": " + sf_strerror(mFile);
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
    *error = "cannot write " + Quoted(mPath) + ": " + sf_error_number(rc);
    Discard();
    return false;
  }
  // Flushed before the rename, so a crash cannot leave a renamed but empty file.
  int err = fsync(mFd) != 0 ? errno : 0;
  if (close(mFd) != 0 && !err) err = errno;
  mFd = -1;
  if (err)
  {
    *error = "cannot write " + Quoted(mPath) + ": " + strerror(err);
    Discard();
    return false;
  }
  if (rename(mTempPath.c_str(), mPath.c_str()) != 0)
  {
    *error = "cannot replace " + Quoted(mPath) + ": " + strerror(errno);
    Discard();
    return false;
  }
  mTempPath.clear();
  return true;
}

void AudioFileWriter::Discard()
{
  if (mFile) sf_close(mFile);
  mFile = nullptr;
  if (mFd >= 0) close(mFd);
  mFd = -1;
  if (!mTempPath.empty()) unlink(mTempPath.c_str());
  mTempPath.clear();
}
