// IGraphics: bitmaps and fonts, through the process-wide caches.

#include "IPlug/IGraphics.h"

#include "IPlug/BitmapStorage.h"
#include "IPlug/FatalAssert.h"
#include "IPlug/FontStorage.h"
#include "IPlug/ScaledBitmapIndex.h"
#include "IPlug/IParam.h"
#include "raster/Bitmap.h"
#include "raster/Draw.h"
#include "raster/Font.h"

#include <cmath>
#include <cstdio>

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nStates)
{
  BitmapStorage& cache = BitmapStorage::Instance();
  // The lock is not held while decoding: two threads loading one id at once may both
  // decode it, and both bitmaps then stay in the cache.
  raster::Bitmap* bitmap = cache.Find(id);
  if (!bitmap)
  {
    bitmap = OSLoadBitmap(id, name);
    const bool imgResourceFound = bitmap != nullptr;
    if (!imgResourceFound)
    {
      // An installation fault: say which file is missing and where it was looked for.
      WDL_String places;
      DescribeBitmapLookup(id, name, &places);
      fprintf(stderr, "Cannot load the bitmap \"%s\" (resource %d); looked for %s\n", name ? name : "", id,
              places.Get());
    }
    FATAL_ASSERT(imgResourceFound, "IPlug/IGraphics");
    cache.Add(bitmap, id);
    ScaledBitmapIndex::Instance().RememberName(bitmap, name);
  }
  return IBitmap(bitmap, bitmap->Width(), bitmap->Height(), nStates);
}

void IGraphics::RetainBitmap(IBitmap* bitmap)
{
  if (bitmap && bitmap->mData) BitmapStorage::Instance().Add(bitmap->mData, -1);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap)
{
  if (!bitmap || !bitmap->mData) return;
  ScaledBitmapIndex::Instance().Forget(bitmap->mData);
  BitmapStorage::Instance().Remove(bitmap->mData);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* src, int w, int h)
{
  LICE_MemBitmap* dst = new LICE_MemBitmap(w, h);
  if (src && src->mData)
    raster::ScaledBlit(dst, src->mData, raster::Rect{0, 0, dst->Width(), dst->Height()},
                       raster::Rect{0, 0, src->mData->Width(), src->mData->Height()}, 1.0f,
                       raster::Mode::Copy);
  BitmapStorage::Instance().Add(dst, -1);
  return IBitmap(dst, dst->Width(), dst->Height(), src ? src->N : 1);
}

IBitmap IGraphics::CropBitmap(IBitmap* src, IRECT* r)
{
  const IRECT area = r ? *r : IRECT();
  LICE_MemBitmap* dst = new LICE_MemBitmap(area.W() > 0 ? area.W() : 0, area.H() > 0 ? area.H() : 0);
  if (src && src->mData)
    raster::Blit(dst, src->mData, 0, 0, area.L, area.T, dst->Width(), dst->Height(), 1.0f,
                 raster::Mode::Copy);
  BitmapStorage::Instance().Add(dst, -1);
  return IBitmap(dst, dst->Width(), dst->Height(), src ? src->N : 1);
}

raster::Font* IGraphics::CacheFont(IText* t)
{
  if (!t) return nullptr;
  FontStorage& cache = FontStorage::Instance();
  WDL_MutexLock lock(cache.GetMutex());
  raster::Font* font = cache.Find(t);
  if (!font)
  {
    raster::FontDescription desc;
    const int h = t->mSize > 2 ? t->mSize : 2;
    desc.height = h;
    desc.escapement = (int) (((long long) t->mOrientation % 360) * 10);
    desc.weight = t->mStyle == IText::kStyleBold ? 700 : 400;
    desc.italic = t->mStyle == IText::kStyleItalic;
    switch (t->mQuality)
    {
      case IText::kQualityNonAntiAliased: desc.quality = raster::FontQuality::NonAntialiased; break;
      case IText::kQualityAntiAliased:
      case IText::kQualityClearType: desc.quality = raster::FontQuality::Antialiased; break;
      default: desc.quality = raster::FontQuality::Default; break;
    }
    snprintf(desc.face, sizeof desc.face, "%.*s", (int) sizeof t->mFont, t->mFont);

    font = new raster::Font;
    bool made = font->SetNative(desc);
    // One correction, so that the line height comes out near the requested height.
    const int lineHeight = made ? font->LineHeight() : 0;
    if (made && lineHeight > 0 && lineHeight != h)
    {
      const int corrected = TruncToInt((double) h * h / lineHeight + 0.5);
      desc.height = corrected > 2 ? corrected : 2;
      made = font->SetNative(desc);
    }
    if (!made || !cache.Add(font, t))
    {
      delete font;
      return nullptr;
    }
  }
  t->mCached = font;
  return font;
}
