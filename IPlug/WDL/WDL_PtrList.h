#pragma once
// List of pointers. It owns its items only where the caller asks it to delete them
// (Delete/Empty with wantDelete); WDL_PtrList_DeleteOnDestroy owns them outright.

#include "IPlug/WDL/WDL_HeapBuf.h"

#include <cstring>

template <class T>
class WDL_PtrList
{
public:
  explicit WDL_PtrList(int granul = 4096) : mHeap(granul) {}
  ~WDL_PtrList() = default;

  WDL_PtrList(const WDL_PtrList&) = delete;
  WDL_PtrList& operator=(const WDL_PtrList&) = delete;

  T** GetList() const { return (T**) mHeap.Get(); }
  int GetSize() const { return mHeap.GetSize() / (int) sizeof(T*); }

  // The item at index, or null outside the list.
  T* Get(int index) const
  {
    return (index >= 0 && index < GetSize()) ? GetList()[index] : nullptr;
  }

  int Find(const T* item) const
  {
    const int n = GetSize();
    T** list = GetList();
    for (int i = 0; i < n; ++i)
      if (list[i] == item) return i;
    return -1;
  }

  // Appends; returns the item, or null when the list could not grow.
  T* Add(T* item)
  {
    const int n = GetSize();
    if (!mHeap.Resize((n + 1) * (int) sizeof(T*))) return nullptr;
    GetList()[n] = item;
    return item;
  }

  // Inserts before index (clamped into 0..size); returns the item, or null on failure.
  T* Insert(int index, T* item)
  {
    const int n = GetSize();
    if (index < 0) index = 0;
    if (index > n) index = n;
    if (!mHeap.Resize((n + 1) * (int) sizeof(T*))) return nullptr;
    T** list = GetList();
    memmove(list + index + 1, list + index, (size_t) (n - index) * sizeof(T*));
    list[index] = item;
    return item;
  }

  void Set(int index, T* item)
  {
    if (index >= 0 && index < GetSize()) GetList()[index] = item;
  }

  // Removes the item at index (nothing outside the list), deleting it if asked.
  void Delete(int index, bool wantDelete = false)
  {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    T** list = GetList();
    T* item = list[index];
    memmove(list + index, list + index + 1, (size_t) (n - index - 1) * sizeof(T*));
    mHeap.Resize((n - 1) * (int) sizeof(T*));
    if (wantDelete) delete item;
  }

  // Removes every item, deleting them last to first if asked.
  void Empty(bool wantDelete = false)
  {
    if (wantDelete)
      for (int i = GetSize() - 1; i >= 0; --i) delete GetList()[i];
    mHeap.Resize(0);
  }

private:
  WDL_HeapBuf mHeap;
};

template <class T>
class WDL_PtrList_DeleteOnDestroy : public WDL_PtrList<T>
{
public:
  explicit WDL_PtrList_DeleteOnDestroy(int granul = 4096) : WDL_PtrList<T>(granul) {}
  ~WDL_PtrList_DeleteOnDestroy() { WDL_PtrList<T>::Empty(true); }
};
