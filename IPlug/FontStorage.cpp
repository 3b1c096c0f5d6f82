#include "IPlug/FontStorage.h"

#include "raster/Font.h"

#include <cstdio>
#include <cstring>

namespace
{
FontStorage sFontCache;
} // namespace

FontStorage& FontStorage::Instance() { return sFontCache; }

FontStorage::~FontStorage()
{
  for (int i = mEntries.GetSize() - 1; i >= 0; --i)
  {
    delete mEntries.Get(i)->font;
    delete mEntries.Get(i);
  }
  mEntries.Empty(false);
}

raster::Font* FontStorage::Find(const IText* t)
{
  WDL_MutexLock lock(&mMutex);
  if (!t) return nullptr;
  char face[36];
  snprintf(face, sizeof face, "%.*s", (int) sizeof t->mFont, t->mFont);
  const int n = mEntries.GetSize();
  for (int i = 0; i < n; ++i)
  {
    const Entry* e = mEntries.Get(i);
    if (e->size == t->mSize && e->orientation == t->mOrientation && e->style == t->mStyle &&
        strcmp(e->face, face) == 0)
      return e->font;
  }
  return nullptr;
}

bool FontStorage::Add(raster::Font* font, const IText* t)
{
  WDL_MutexLock lock(&mMutex);
  if (!font || !t) return false;
  Entry* e = new Entry{t->mSize, t->mOrientation, t->mStyle, {}, font};
  snprintf(e->face, sizeof e->face, "%.*s", (int) sizeof t->mFont, t->mFont);
  if (mEntries.Add(e)) return true;
  delete e;
  return false;
}

int FontStorage::Size()
{
  WDL_MutexLock lock(&mMutex);
  return mEntries.GetSize();
}
