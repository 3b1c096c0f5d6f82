#pragma once
// Growable array of trivially copyable elements on top of WDL_HeapBuf.

#include "IPlug/WDL/WDL_HeapBuf.h"

#include <type_traits>

template <class T>
class WDL_TypedBuf
{
  static_assert(std::is_trivially_copyable<T>::value, "WDL_TypedBuf holds plain data only");

public:
  explicit WDL_TypedBuf(int granul = 4096) : mHeap(granul) {}

  T* Get() const { return (T*) mHeap.Get(); }
  int GetSize() const { return mHeap.GetSize() / (int) sizeof(T); }

  // Returns the array, or null when the allocation failed.
  T* Resize(int newSize)
  {
    if (newSize < 0) newSize = 0;
    if ((long long) newSize * (long long) sizeof(T) > 0x7fffffffLL) return nullptr;
    return (T*) mHeap.Resize(newSize * (int) sizeof(T));
  }

  // Appends one element; returns a pointer to it, or null when growing failed.
  T* Add(const T& item)
  {
    int n = GetSize();
    if (!Resize(n + 1)) return nullptr;
    T* p = Get() + n;
    *p = item;
    return p;
  }

  void Free() { mHeap.Free(); }

private:
  WDL_HeapBuf mHeap;
};
