#include "host/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace
{
std::string Quoted(const std::string& path) { return "'" + path + "'"; }
} // namespace

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Open(const std::string& path, std::string* error)
{
  Discard();
  mPath = path;
  struct stat st;
  if (path.empty() || path.back() == '/' || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
  {
    *error =
        "cannot write " + Quoted(path) + (path.empty() ? ": no file name given" : ": it names a directory");
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
  return true;
}

bool PendingFile::Write(const void* bytes, size_t size, std::string* error)
{
  if (mFd < 0) return false;
  const char* p = (const char*) bytes;
  while (size > 0)
  {
    const ssize_t n = write(mFd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
    {
      *error = "cannot write " + Quoted(mPath) + ": " + strerror(n < 0 ? errno : EIO);
      return false;
    }
    p += n;
    size -= (size_t) n;
  }
  return true;
}

bool PendingFile::Commit(std::string* error)
{
  if (mFd < 0) return false;
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

void PendingFile::Discard()
{
  if (mFd >= 0) close(mFd);
  mFd = -1;
  if (!mTempPath.empty()) unlink(mTempPath.c_str());
  mTempPath.clear();
}
