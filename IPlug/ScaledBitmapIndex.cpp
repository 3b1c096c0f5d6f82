#include "IPlug/ScaledBitmapIndex.h"

ScaledBitmapIndex& ScaledBitmapIndex::Instance()
{
  static ScaledBitmapIndex index;
  return index;
}

void ScaledBitmapIndex::RememberName(const raster::Bitmap* base, const char* name)
{
  std::lock_guard<std::mutex> lock(mMutex);
  if (base && name) mNames[base] = name;
}

std::string ScaledBitmapIndex::NameOf(const raster::Bitmap* base)
{
  std::lock_guard<std::mutex> lock(mMutex);
  const auto it = mNames.find(base);
  return it == mNames.end() ? std::string() : it->second;
}

raster::Bitmap* ScaledBitmapIndex::Find(const raster::Bitmap* base, double scale)
{
  std::lock_guard<std::mutex> lock(mMutex);
  const auto it = mScaled.find(KeyOf(base, scale));
  return it == mScaled.end() ? nullptr : it->second;
}

void ScaledBitmapIndex::Add(const raster::Bitmap* base, double scale, raster::Bitmap* scaled)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mScaled[KeyOf(base, scale)] = scaled;
}

void ScaledBitmapIndex::Forget(const raster::Bitmap* base)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mNames.erase(base);
  for (auto it = mScaled.begin(); it != mScaled.end();)
    it = it->first.first == base ? mScaled.erase(it) : std::next(it);
}
