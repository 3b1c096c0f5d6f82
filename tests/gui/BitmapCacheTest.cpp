// The process-wide bitmap cache: one decode per id shared by every editor, retained and
// released bitmaps, scaled and cropped copies, and the stop on a missing resource.
// Resource ids are process-wide, so every test uses ids of its own.

#include "GuiTestSupport.h"

#include "IPlug/BitmapStorage.h"

namespace
{
struct Resources
{
  ScratchDir dir;
  Resources()
  {
    auto a = Filmstrip(3, 2, {0xFF112233, 0xFF445566});
    auto b = SolidBitmap(5, 5, 0xFF00FF00);
    raster::WritePNG(a.get(), dir.File("strip.png").c_str());
    raster::WritePNG(b.get(), dir.File("green.png").c_str());
  }
};
} // namespace

TEST(BitmapCache, AnIdIsDecodedOnceAndSharedWithEachCallersFrameCount)
{
  Resources res;
  GuiRig one, two;
  one.g->SetResourceFolder(res.dir.Path().c_str());
  two.g->SetResourceFolder(res.dir.Path().c_str());
  IBitmap a = one.g->LoadIBitmap(3001, "strip.png", 2);
  IBitmap b = one.g->LoadIBitmap(3001, "strip.png");
  IBitmap c = two.g->LoadIBitmap(3001, "green.png", 4); // the first name given wins
  ASSERT_NE(a.mData, nullptr);
  EXPECT_EQ(a.mData, b.mData);
  EXPECT_EQ(a.mData, c.mData);
  EXPECT_EQ(a.W, 3);
  EXPECT_EQ(a.H, 4);
  EXPECT_EQ(a.N, 2);
  EXPECT_EQ(b.N, 1);
  EXPECT_EQ(c.N, 4);
  EXPECT_EQ(one.g->BitmapsLoaded(), 1);
  EXPECT_EQ(two.g->BitmapsLoaded(), 0);
  EXPECT_TRUE(BitmapStorage::Instance().Holds(a.mData));
  EXPECT_EQ(raster::GetPixel(a.mData, 0, 2), 0xFF445566u);

  IBitmap g = one.g->LoadIBitmap(3002, "green.png");
  EXPECT_NE(g.mData, a.mData);
}

TEST(BitmapCache, BitmapsOutliveTheEditorsThatLoadedThem)
{
  Resources res;
  raster::Bitmap* kept = nullptr;
  {
    GuiRig rig;
    rig.g->SetResourceFolder(res.dir.Path().c_str());
    kept = rig.g->LoadIBitmap(3003, "green.png").mData;
  }
  GuiRig later;
  later.g->SetResourceFolder("/nonexistent");
  IBitmap again = later.g->LoadIBitmap(3003, "green.png");
  EXPECT_EQ(again.mData, kept);
  EXPECT_EQ(raster::GetPixel(kept, 4, 4), 0xFF00FF00u);
}

TEST(BitmapCacheDeathTest, AMissingResourceStopsTheProgramWithItsAssertion)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  GuiRig rig;
  rig.g->SetResourceFolder("/nonexistent");
  EXPECT_DEATH(rig.g->LoadIBitmap(3004, "missing.png"),
               "Assertion failed: \\(imgResourceFound\\), function LoadIBitmap, file IPlug/IGraphics");
}

TEST(BitmapCache, RetainAndRelease)
{
  GuiRig rig;
  BitmapStorage& cache = BitmapStorage::Instance();
  const int before = cache.Size();
  auto* bmp = new LICE_MemBitmap(2, 2);
  IBitmap b = Wrap(bmp);
  rig.g->RetainBitmap(&b);
  rig.g->RetainBitmap(&b); // held once, so deleted once
  EXPECT_EQ(cache.Size(), before + 1);
  EXPECT_TRUE(cache.Holds(bmp));
  EXPECT_EQ(cache.Find(-1), nullptr); // retained bitmaps are not looked up
  rig.g->ReleaseBitmap(&b);
  EXPECT_FALSE(cache.Holds(bmp));
  EXPECT_EQ(cache.Size(), before);

  LICE_MemBitmap stranger(1, 1);
  IBitmap s = Wrap(&stranger);
  rig.g->ReleaseBitmap(&s); // not the cache's: nothing happens to it
  EXPECT_EQ(stranger.Width(), 1);
  IBitmap none;
  rig.g->RetainBitmap(&none);
  rig.g->ReleaseBitmap(nullptr);
  EXPECT_EQ(cache.Size(), before);
}

TEST(BitmapCache, ScaledCopiesAreBilinearAndRetained)
{
  GuiRig rig;
  auto solid = SolidBitmap(3, 6, 0xFF336699);
  IBitmap src = Wrap(solid.get(), 2);
  IBitmap big = rig.g->ScaleBitmap(&src, 9, 12);
  EXPECT_EQ(big.W, 9);
  EXPECT_EQ(big.H, 12);
  EXPECT_EQ(big.N, 2);
  EXPECT_TRUE(BitmapStorage::Instance().Holds(big.mData));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(raster::GetPixel(big.mData, x, y), 0xFF336699u) << x << "," << y;

  // Black to white over two pixels, stretched to eight: a ramp, ends clamped.
  auto ramp = std::make_unique<LICE_MemBitmap>(2, 1);
  raster::PutPixel(ramp.get(), 0, 0, 0xFF000000);
  raster::PutPixel(ramp.get(), 1, 0, 0xFFFFFFFF);
  IBitmap r = Wrap(ramp.get());
  IBitmap wide = rig.g->ScaleBitmap(&r, 8, 1);
  int last = -1;
  for (int x = 0; x < 8; ++x)
  {
    const int v = (int) (raster::GetPixel(wide.mData, x, 0) & 255);
    EXPECT_GE(v, last) << x;
    last = v;
  }
  EXPECT_EQ(raster::GetPixel(wide.mData, 0, 0), 0xFF000000u);
  EXPECT_EQ(raster::GetPixel(wide.mData, 7, 0), 0xFFFFFFFFu);
  const int mid = (int) (raster::GetPixel(wide.mData, 3, 0) & 255);
  EXPECT_GT(mid, 0);
  EXPECT_LT(mid, 255);
}

TEST(BitmapCache, CroppedCopiesArePlainCopies)
{
  GuiRig rig;
  auto src = std::make_unique<LICE_MemBitmap>(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) raster::PutPixel(src.get(), x, y, 0xFF000000u | (uint32_t) (y * 4 + x));
  raster::PutPixel(src.get(), 2, 2, 0x40FFFFFF); // translucent pixels are copied, not blended
  IBitmap s = Wrap(src.get(), 2);
  IRECT area(1, 1, 3, 4);
  IBitmap c = rig.g->CropBitmap(&s, &area);
  EXPECT_EQ(c.W, 2);
  EXPECT_EQ(c.H, 3);
  EXPECT_EQ(c.N, 2);
  EXPECT_EQ(raster::GetPixel(c.mData, 0, 0), 0xFF000005u);
  EXPECT_EQ(raster::GetPixel(c.mData, 1, 2), 0xFF00000Eu);
  EXPECT_EQ(raster::GetPixel(c.mData, 1, 1), raster::GetPixel(src.get(), 2, 2));
  EXPECT_TRUE(BitmapStorage::Instance().Holds(c.mData));

  IRECT outside(3, 3, 6, 6); // partly outside the source: the rest is transparent
  IBitmap o = rig.g->CropBitmap(&s, &outside);
  EXPECT_EQ(raster::GetPixel(o.mData, 0, 0), 0xFF00000Fu);
  EXPECT_EQ(raster::GetPixel(o.mData, 1, 1), 0u);
  IRECT inverted(3, 3, 1, 1);
  EXPECT_EQ(rig.g->CropBitmap(&s, &inverted).W, 0);
}
