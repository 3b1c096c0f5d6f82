#pragma once
// The process-wide bitmap cache: every decoded or derived bitmap, by resource id (-1 for
// bitmaps that are only kept alive), shared by all plug-in instances in the process and
// deleted when the process ends. Every operation holds the cache's recursive lock.

#include "IPlug/WDL/WDL_Mutex.h"
#include "IPlug/WDL/WDL_PtrList.h"

namespace raster
{
class Bitmap;
}

class BitmapStorage
{
public:
  BitmapStorage() = default;
  ~BitmapStorage(); // deletes every bitmap held

  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The first bitmap stored under id, or null. Ids below 0 are never found.
  raster::Bitmap* Find(int id);
  // The cache takes the bitmap. A bitmap it already holds is not added twice.
  void Add(raster::Bitmap* bitmap, int id = -1);
  // Removes and deletes the bitmap; false when the cache does not hold it.
  bool Remove(raster::Bitmap* bitmap);
  bool Holds(raster::Bitmap* bitmap);
  int Size();

  WDL_Mutex* GetMutex() { return &mMutex; }

  static BitmapStorage& Instance();

private:
  struct Entry
  {
    int id;
    raster::Bitmap* bitmap;
  };
  int IndexOf(raster::Bitmap* bitmap) const;

  WDL_PtrList<Entry> mEntries{64 * (int) sizeof(Entry*)};
  WDL_Mutex mMutex;
};
