#pragma once
// The URID map and unmap a host hands a plug-in, and the options array naming a maximum
// block length, for the tests' own hosts.

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <deque>
#include <vector>

class UridMap
{
public:
  UridMap()
  {
    mMap = {this, Map};
    mUnmap = {this, Unmap};
    mMapFeature = {LV2_URID__map, &mMap};
    mUnmapFeature = {LV2_URID__unmap, &mUnmap};
  }
  UridMap(const UridMap&) = delete;
  UridMap& operator=(const UridMap&) = delete;

  LV2_URID Id(const char* uri) { return Map(this, uri); }
  LV2_URID_Map* MapHandle() { return &mMap; }
  LV2_URID_Unmap* UnmapHandle() { return &mUnmap; }
  const LV2_Feature* MapFeature() const { return &mMapFeature; }
  const LV2_Feature* UnmapFeature() const { return &mUnmapFeature; }

  // Feature list with map, unmap and, when maxBlock > 0, the options naming it.
  const LV2_Feature* const* Features(int maxBlock)
  {
    mMaxBlock = maxBlock;
    mOptions[0] = {LV2_OPTIONS_INSTANCE, 0, Id(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                   Id(LV2_ATOM__Int), &mMaxBlock};
    mOptions[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    mOptionsFeature = {LV2_OPTIONS__options, mOptions};
    mFeatures = {&mMapFeature, &mUnmapFeature};
    if (maxBlock > 0) mFeatures.push_back(&mOptionsFeature);
    mFeatures.push_back(nullptr);
    return mFeatures.data();
  }

private:
  static LV2_URID Map(LV2_URID_Map_Handle h, const char* uri)
  {
    UridMap* self = (UridMap*) h;
    std::lock_guard<std::mutex> lock(self->mMutex);
    for (size_t i = 0; i < self->mUris.size(); ++i)
      if (self->mUris[i] == uri) return (LV2_URID) (i + 1);
    self->mUris.push_back(uri);
    return (LV2_URID) self->mUris.size();
  }
  static const char* Unmap(LV2_URID_Unmap_Handle h, LV2_URID id)
  {
    UridMap* self = (UridMap*) h;
    std::lock_guard<std::mutex> lock(self->mMutex);
    return id >= 1 && id <= self->mUris.size() ? self->mUris[id - 1].c_str() : nullptr;
  }

  std::mutex mMutex;
  std::deque<std::string> mUris; // elements never move, so unmapped texts stay valid
  LV2_URID_Map mMap;
  LV2_URID_Unmap mUnmap;
  LV2_Feature mMapFeature, mUnmapFeature, mOptionsFeature;
  LV2_Options_Option mOptions[2];
  int32_t mMaxBlock = 0;
  std::vector<const LV2_Feature*> mFeatures;
};
