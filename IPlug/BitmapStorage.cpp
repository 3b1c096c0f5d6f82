#include "IPlug/BitmapStorage.h"

#include "raster/Bitmap.h"

namespace
{
// Made by static construction, before any plug-in exists.
BitmapStorage sBitmapCache;
} // namespace

BitmapStorage& BitmapStorage::Instance() { return sBitmapCache; }

BitmapStorage::~BitmapStorage()
{
  for (int i = mEntries.GetSize() - 1; i >= 0; --i)
  {
    delete mEntries.Get(i)->bitmap;
    delete mEntries.Get(i);
  }
  mEntries.Empty(false);
}

int BitmapStorage::IndexOf(raster::Bitmap* bitmap) const
{
  const int n = mEntries.GetSize();
  for (int i = 0; i < n; ++i)
    if (mEntries.Get(i)->bitmap == bitmap) return i;
  return -1;
}

raster::Bitmap* BitmapStorage::Find(int id)
{
  WDL_MutexLock lock(&mMutex);
  if (id < 0) return nullptr;
  const int n = mEntries.GetSize();
  for (int i = 0; i < n; ++i)
    if (mEntries.Get(i)->id == id) return mEntries.Get(i)->bitmap;
  return nullptr;
}

void BitmapStorage::Add(raster::Bitmap* bitmap, int id)
{
  WDL_MutexLock lock(&mMutex);
  // A second entry for one bitmap would delete it twice.
  if (!bitmap || IndexOf(bitmap) >= 0) return;
  Entry* e = new Entry{id, bitmap};
  if (!mEntries.Add(e)) delete e; // kept alive regardless: it may be in use
}

bool BitmapStorage::Remove(raster::Bitmap* bitmap)
{
  WDL_MutexLock lock(&mMutex);
  const int i = IndexOf(bitmap);
  if (i < 0) return false;
  delete mEntries.Get(i);
  mEntries.Delete(i);
  delete bitmap;
  return true;
}

bool BitmapStorage::Holds(raster::Bitmap* bitmap)
{
  WDL_MutexLock lock(&mMutex);
  return bitmap && IndexOf(bitmap) >= 0;
}

int BitmapStorage::Size()
{
  WDL_MutexLock lock(&mMutex);
  return mEntries.GetSize();
}
