#pragma once
// A file written beside its destination and put in place only by Commit, so that a
// failed or abandoned write never leaves a file there nor damages one already there.

#include <string>

class PendingFile
{
public:
  PendingFile() = default;
  ~PendingFile(); // discards what was not committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // False, with a one-line message naming the file, when it cannot be written.
  bool Open(const std::string& path, std::string* error);
  bool Write(const void* bytes, size_t size, std::string* error);
  // The open file, for a writer of its own (which must leave it open); -1 when none.
  int Fd() const { return mFd; }
  const std::string& Path() const { return mPath; }
  bool Commit(std::string* error);
  void Discard();

private:
  std::string mPath;
  std::string mTempPath;
  int mFd = -1;
};
