#pragma once
// The process-wide font cache: one raster font per face, size, style and orientation
// (colour, alignment and quality are not part of the key), shared by all plug-in
// instances and deleted when the process ends. Every operation holds the cache's
// recursive lock; CacheFont holds it across look-up, making and adding.

#include "IPlug/IText.h"
#include "IPlug/WDL/WDL_Mutex.h"
#include "IPlug/WDL/WDL_PtrList.h"

class FontStorage
{
public:
  FontStorage() = default;
  ~FontStorage(); // deletes every font held

  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  raster::Font* Find(const IText* t);
  // The cache takes the font, keyed by t; false (the font still the caller's) when the
  // list cannot grow.
  bool Add(raster::Font* font, const IText* t);
  int Size();

  WDL_Mutex* GetMutex() { return &mMutex; }

  static FontStorage& Instance();

private:
  struct Entry
  {
    int size, orientation, style;
    char face[36];
    raster::Font* font;
  };

  WDL_PtrList<Entry> mEntries{64 * (int) sizeof(Entry*)};
  WDL_Mutex mMutex;
};
