#include "IPlug/FileImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
struct Fd
{
  int fd;
  ~Fd()
  {
    if (fd >= 0) close(fd);
  }
};
} // namespace

bool ReadFileImage(const char* path, ByteChunk* out, int maxBytes)
{
  if (!out) return false;
  out->Clear();
  if (!path || !*path) return false;
  // Not blocking, so that a pipe with no writer is refused below instead of waited on.
  Fd file{open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  struct stat st;
  if (file.fd < 0 || fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  unsigned char buf[65536];
  for (;;)
  {
    const ssize_t n = read(file.fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) return true;
    if (n < 0 || n > maxBytes - out->Size() || !out->PutBytes(buf, (int) n))
    {
      out->Clear();
      return false;
    }
  }
}

bool WriteFileImage(const char* path, const ByteChunk* image)
{
  if (!path || !*path || !image) return false;
  const size_t len = strlen(path);
  if (path[len - 1] == '/') return false;

  // In the destination's own directory, so that the rename replaces it in one step.
  // Created exclusively with the usual mode, so the umask applies as to any new file.
  const char* slash = strrchr(path, '/');
  const int dirLen = slash ? (int) (slash - path) + 1 : 0;
  const size_t tempSize = len + 48;
  char* temp = (char*) malloc(tempSize);
  if (!temp) return false;
  static std::atomic<unsigned> counter{0};
  Fd file{-1};
  for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt)
  {
    snprintf(temp, tempSize, "%.*s.%s.%ld.%u", dirLen, path, path + dirLen, (long) getpid(),
             counter.fetch_add(1, std::memory_order_relaxed));
    file.fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file.fd < 0 && errno != EEXIST) break;
  }
  if (file.fd < 0)
  {
    free(temp);
    return false;
  }
  bool ok = true;

  const unsigned char* p = image->GetData();
  size_t left = (size_t) image->Size();
  while (ok && left > 0)
  {
    const ssize_t n = write(file.fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
    {
      p += n;
      left -= (size_t) n;
    }
  }
  // Flushed before the rename, so a crash cannot leave a renamed but empty file.
  ok = ok && fsync(file.fd) == 0;
  ok = close(file.fd) == 0 && ok;
  file.fd = -1;
  ok = ok && rename(temp, path) == 0;
  if (!ok) unlink(temp);
  free(temp);
  return ok;
}
