// Fonts and text: the process-wide font cache and its key, the one line-height
// correction, the face "Arial" resolves to, and what DrawIText puts on the surface.

#include "GuiTestSupport.h"

#include "IPlug/FontStorage.h"
#include "IPlug/IParam.h"
#include "raster/Font.h"

#include <string>

namespace
{
// The columns and rows holding any pixel brighter than the background (black).
struct Ink
{
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1, maxRed = 0, partial = 0;
};

Ink InkOf(GuiRig& rig)
{
  Ink ink;
  for (int y = 0; y < rig.g->Height(); ++y)
    for (int x = 0; x < rig.g->Width(); ++x)
    {
      const int r = rig.g->GetPoint(x, y).R;
      if (r == 0) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      ink.maxRed = std::max(ink.maxRed, r);
      if (r < 255) ++ink.partial;
    }
  return ink;
}

Ink DrawText(const IText& style, const char* str, IRECT r, int w = 120, int h = 40, bool* result = nullptr)
{
  GuiRig rig(w, h);
  IText t = style;
  rig.Add(new PaintControl(&rig.plug, IRECT(0, 0, w, h), [&](IGraphics* g, IControl* c) {
    g->FillIRect(&COLOR_BLACK, c->GetRECT());
    const bool ok = g->DrawIText(&t, str, &r);
    if (result) *result = ok;
    return ok;
  }));
  rig.RepaintAll();
  return InkOf(rig);
}
} // namespace

TEST(FontCache, ColourAndAlignmentShareAFontSizeStyleFaceAndOrientationDoNot)
{
  GuiRig rig;
  FontStorage& cache = FontStorage::Instance();
  IText a(13, &COLOR_RED, "Arial", IText::kStyleNormal, IText::kAlignNear);
  IText b(13, &COLOR_BLUE, "Arial", IText::kStyleNormal, IText::kAlignFar, 0, IText::kQualityAntiAliased);
  raster::Font* fa = rig.g->CacheFont(&a);
  ASSERT_NE(fa, nullptr);
  const int size = cache.Size();
  EXPECT_EQ(rig.g->CacheFont(&b), fa);
  EXPECT_EQ(a.mCached, fa);
  EXPECT_EQ(b.mCached, fa);
  EXPECT_EQ(cache.Size(), size);

  IText bold(13, &COLOR_RED, "Arial", IText::kStyleBold);
  IText bigger(14, &COLOR_RED, "Arial");
  IText turned(13, &COLOR_RED, "Arial", IText::kStyleNormal, IText::kAlignCenter, 90);
  IText serif(13, &COLOR_RED, "Liberation Serif");
  for (IText* t : {&bold, &bigger, &turned, &serif}) EXPECT_NE(rig.g->CacheFont(t), fa);
  EXPECT_EQ(cache.Size(), size + 4);

  GuiRig other; // another editor, another plug-in: the same font
  IText again(13, &COLOR_GREEN, "Arial");
  EXPECT_EQ(other.g->CacheFont(&again), fa);
}

TEST(FontCache, ArialResolvesToAMetricCompatibleFace)
{
  GuiRig rig;
  IText t(12);
  raster::Font* f = rig.g->CacheFont(&t);
  ASSERT_NE(f, nullptr);
  RecordProperty("ArialResolvesTo", f->Family());
  std::printf("\"Arial\" resolves to %s (%s)\n", f->Family(), f->File());
  EXPECT_STREQ(f->Family(), "Liberation Sans");
}

TEST(FontCache, SizesZeroAndOneAreMadeAtHeightTwo)
{
  GuiRig rig;
  IText zero(0), one(1);
  raster::Font* f0 = rig.g->CacheFont(&zero);
  raster::Font* f1 = rig.g->CacheFont(&one);
  ASSERT_NE(f0, nullptr);
  ASSERT_NE(f1, nullptr);
  EXPECT_NE(f0, f1); // the size is the key, not the height made
  EXPECT_EQ(f0->Description().height, 2);
  EXPECT_EQ(f1->Description().height, 2);
  IText negative(-5);
  ASSERT_NE(rig.g->CacheFont(&negative), nullptr);
  EXPECT_EQ(negative.mCached->Description().height, 2);
}

TEST(FontCache, OneLineHeightCorrection)
{
  GuiRig rig;
  for (int size = 2; size <= 40; ++size)
  {
    // What the face measures at the requested height decides the one correction.
    raster::Font probe;
    raster::FontDescription d;
    d.height = size;
    ASSERT_TRUE(probe.SetNative(d));
    const int measured = probe.LineHeight();
    int expected = size;
    if (measured != size) expected = std::max(2, TruncToInt((double) size * size / measured + 0.5));

    IText t(size, &COLOR_BLACK, "Arial", IText::kStyleNormal, IText::kAlignCenter, 0,
            IText::kQualityAntiAliased);
    raster::Font* f = rig.g->CacheFont(&t);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Description().height, expected) << size;
    EXPECT_NEAR(f->LineHeight(), size, 1) << size; // close, not forced: no second correction
  }
  raster::Font none;
  raster::FontDescription zero;
  zero.height = 0;
  EXPECT_FALSE(none.SetNative(zero));
  EXPECT_FALSE(none.IsValid());
  EXPECT_EQ(none.LineHeight(), 0);
}

TEST(DrawIText, EmptyOrNullStringsDrawNothingAndSucceed)
{
  bool ok = false;
  Ink ink = DrawText(IText(12, &COLOR_WHITE), "", IRECT(0, 0, 100, 20), 120, 40, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(ink.right, -1);
  GuiRig rig;
  IText t;
  IRECT r(0, 0, 10, 10);
  EXPECT_TRUE(rig.g->DrawIText(&t, nullptr, &r));
  EXPECT_FALSE(rig.g->DrawIText(&t, "x", nullptr));
}

TEST(DrawIText, TextHangsFromTheTopAndAlignsWithinTheRectangle)
{
  const IRECT r(10, 5, 110, 25);
  IText left(12, &COLOR_WHITE, "Arial", IText::kStyleNormal, IText::kAlignNear);
  IText centre(12, &COLOR_WHITE, "Arial", IText::kStyleNormal, IText::kAlignCenter);
  IText right(12, &COLOR_WHITE, "Arial", IText::kStyleNormal, IText::kAlignFar);
  IText other(12, &COLOR_WHITE, "Arial", IText::kStyleNormal, 7); // any other: right
  const Ink l = DrawText(left, "Gain", r), c = DrawText(centre, "Gain", r), rt = DrawText(right, "Gain", r),
            o = DrawText(other, "Gain", r);
  ASSERT_GE(l.right, 0);
  EXPECT_GE(l.left, 10);
  EXPECT_LE(l.left, 12);
  EXPECT_GE(l.top, 5);
  EXPECT_LE(l.bottom, 5 + 14); // one line of a 12-pixel font
  EXPECT_EQ(c.top, l.top);
  const int width = l.right - l.left;
  EXPECT_EQ(c.right - c.left, width);
  EXPECT_NEAR(c.left - 10, 110 - c.right, 3); // centred
  EXPECT_LE(rt.right, 110);
  EXPECT_GE(rt.right, 107);
  EXPECT_EQ(o.left, rt.left);
  EXPECT_GT(l.maxRed, 200);
}

TEST(DrawIText, QualityAndColourAlpha)
{
  // Sizes no other test makes: the font cache is process-wide.
  const IRECT r(0, 0, 120, 60);
  IText crisp(45, &COLOR_WHITE, "Arial", IText::kStyleNormal, IText::kAlignNear, 0,
              IText::kQualityNonAntiAliased);
  IText smooth(46, &COLOR_WHITE, "Arial", IText::kStyleNormal, IText::kAlignNear, 0,
               IText::kQualityAntiAliased);
  const Ink c = DrawText(crisp, "Ro", r, 120, 60), s = DrawText(smooth, "Ro", r, 120, 60);
  EXPECT_EQ(c.partial, 0);
  EXPECT_EQ(c.maxRed, 255);
  EXPECT_GT(s.partial, 10);

  // Quality is not part of the cache's key: the first font made for a size is shared.
  IText late(45, &COLOR_WHITE, "Arial", IText::kStyleNormal, IText::kAlignNear, 0,
             IText::kQualityAntiAliased);
  EXPECT_EQ(DrawText(late, "Ro", r, 120, 60).partial, 0);

  IColor halfWhite(128, 255, 255, 255);
  IText faint(45, &halfWhite, "Arial", IText::kStyleNormal, IText::kAlignNear);
  EXPECT_EQ(DrawText(faint, "Ro", r, 120, 60).maxRed, 128); // the colour's alpha is the text's opacity

  IText bold(46, &COLOR_WHITE, "Arial", IText::kStyleBold, IText::kAlignNear);
  EXPECT_GT(DrawText(bold, "Ro", r, 120, 60).right, s.right);
}

TEST(DrawIText, LongAndMalformedTextsAreCutNotOverrun)
{
  std::string huge(100000, 'W');
  IText t(10, &COLOR_WHITE, "Arial", IText::kStyleNormal, IText::kAlignNear);
  bool ok = false;
  Ink ink = DrawText(t, huge.c_str(), IRECT(0, 0, 50, 20), 120, 40, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(ink.right, 119); // drawn without clipping, to the surface's edge

  // Bytes that are not UTF-8 are drawn as Latin-1, and the surface takes text after them.
  const char bad[] = {'d', 'B', (char) 0xFF, (char) 0xC3, (char) 0x28, (char) 0xE2, 0};
  GuiRig rig(120, 40);
  bool first = false, second = false;
  rig.Add(new PaintControl(&rig.plug, IRECT(0, 0, 120, 40), [&](IGraphics* g, IControl* c) {
    g->FillIRect(&COLOR_BLACK, c->GetRECT());
    IRECT top(0, 0, 100, 15), bottom(0, 20, 100, 35);
    first = g->DrawIText(&t, bad, &top);
    second = g->DrawIText(&t, "ok", &bottom);
    return true;
  }));
  rig.RepaintAll();
  EXPECT_TRUE(first);
  EXPECT_TRUE(second);
  int lowInk = 0;
  for (int y = 20; y < 35; ++y)
    for (int x = 0; x < 40; ++x) lowInk += rig.g->GetPoint(x, y).R > 0;
  EXPECT_GT(lowInk, 5);
}
