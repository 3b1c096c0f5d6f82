#pragma once
// Growable untyped heap buffer. Growing allocates by at least half the current
// capacity (or the granularity), so repeated small growth stays cheap; shrinking
// and resizing within the capacity never allocate, which the audio path relies on.

#include <cstdlib>
#include <cstring>

class WDL_HeapBuf
{
public:
  explicit WDL_HeapBuf(int granul = 4096) : mGranul(granul > 0 ? granul : 1) {}
  ~WDL_HeapBuf() { free(mBuf); }

  WDL_HeapBuf(const WDL_HeapBuf& other) : mGranul(other.mGranul) { CopyFrom(other); }
  WDL_HeapBuf& operator=(const WDL_HeapBuf& other)
  {
    if (this != &other) CopyFrom(other);
    return *this;
  }

  void* Get() const { return mSize > 0 ? mBuf : nullptr; }
  int GetSize() const { return mSize; }
  int GetAlloc() const { return mAlloc; }

  // Returns the buffer, or null when the allocation failed (the size is then unchanged).
  void* Resize(int newSize)
  {
    if (newSize < 0) newSize = 0;
    if (newSize > mAlloc)
    {
      long long grow = (long long) mAlloc + mAlloc / 2;
      long long want = newSize > grow ? newSize : grow;
      want = ((want + mGranul - 1) / mGranul) * mGranul;
      if (want > 0x7fffffff) want = newSize;
      void* nb = realloc(mBuf, (size_t) want);
      if (!nb) return nullptr;
      mBuf = nb;
      mAlloc = (int) want;
    }
    mSize = newSize;
    return Get();
  }

  // Releases the memory as well as the contents.
  void Free()
  {
    free(mBuf);
    mBuf = nullptr;
    mSize = mAlloc = 0;
  }

private:
  void CopyFrom(const WDL_HeapBuf& other)
  {
    if (Resize(other.mSize) && other.mSize > 0) memcpy(mBuf, other.mBuf, (size_t) other.mSize);
  }

  void* mBuf = nullptr;
  int mSize = 0;
  int mAlloc = 0;
  int mGranul;
};
