#pragma once
// Which file each decoded bitmap came from, and its counterparts drawn at a scale, for
// every graphics context in the process. The bitmaps themselves belong to the bitmap
// cache (BitmapStorage); this only finds them. Every operation holds its own lock.

#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace raster
{
class Bitmap;
}

class ScaledBitmapIndex
{
public:
  static ScaledBitmapIndex& Instance();

  void RememberName(const raster::Bitmap* base, const char* name);
  // Empty for a bitmap not loaded from a file (a scaled or cropped copy).
  std::string NameOf(const raster::Bitmap* base);

  raster::Bitmap* Find(const raster::Bitmap* base, double scale);
  void Add(const raster::Bitmap* base, double scale, raster::Bitmap* scaled);

  // A base bitmap that is deleted takes its entries with it.
  void Forget(const raster::Bitmap* base);

private:
  // Scales are 1.5 or 2: tenths are exact keys.
  using Key = std::pair<const raster::Bitmap*, int>;
  static Key KeyOf(const raster::Bitmap* base, double scale) { return {base, (int) (scale * 10.0 + 0.5)}; }

  std::mutex mMutex;
  std::map<const raster::Bitmap*, std::string> mNames;
  std::map<Key, raster::Bitmap*> mScaled;
};
