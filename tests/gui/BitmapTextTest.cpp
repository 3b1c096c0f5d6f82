// Bitmap-font text: which glyph each character picks, where the cells go, how text
// continues on a following row, and the stop on a rectangle too narrow for a line.

#include "GuiTestSupport.h"

#include "IPlug/IBitmapMonoText.h"
#include "IPlug/controls/IBitmapTextControl.h"

namespace
{
constexpr int kCW = 6, kCH = 10, kGlyphs = 95; // space to '~'

// Glyph frame f (from 1) is filled with the colour 0xFF0000ff: the frame number in blue.
std::unique_ptr<LICE_MemBitmap> GlyphStrip()
{
  std::vector<uint32_t> colors;
  for (int f = 1; f <= kGlyphs; ++f) colors.push_back(0xFF000000u | (uint32_t) f);
  return Filmstrip(kCW, kCH, colors);
}

// The frame drawn in the cell whose top-left pixel is (x, y), or 0 when none.
int FrameAt(GuiRig& rig, int x, int y)
{
  const uint32_t p = rig.Pixel(x, y);
  return p == 0xFF000000u ? 0 : (int) (p & 255);
}

struct TextRig
{
  GuiRig rig{120, 60};
  std::unique_ptr<LICE_MemBitmap> strip = GlyphStrip();
  IBitmap font = Wrap(strip.get(), kGlyphs);
  bool result = false;

  void Draw(IRECT r, const char* str, int align, bool vCenter, bool multiline)
  {
    IText t(10, &COLOR_WHITE, "Arial", IText::kStyleNormal, align);
    rig.Add(new PaintControl(&rig.plug, IRECT(0, 0, 120, 60), [=](IGraphics* g, IControl* c) {
      g->FillIRect(&COLOR_BLACK, c->GetRECT());
      IRECT rr = r;
      IText tt = t;
      result = DrawBitmapedText(g, &font, &rr, &tt, nullptr, str, vCenter, multiline, kCW, kCH);
      return true;
    }));
    rig.RepaintAll();
  }
};
} // namespace

TEST(BitmapedText, CharactersPickTheirFramesOneCellInFromTheLeft)
{
  TextRig t;
  t.Draw(IRECT(0, 0, 60, 10), "A B~", IText::kAlignNear, false, false);
  EXPECT_TRUE(t.result);
  EXPECT_EQ(FrameAt(t.rig, 0, 0), 0); // the first cell is left empty
  EXPECT_EQ(FrameAt(t.rig, 6, 0), 'A' - 31);
  EXPECT_EQ(FrameAt(t.rig, 12, 0), 1); // the space is frame 1
  EXPECT_EQ(FrameAt(t.rig, 18, 0), 'B' - 31);
  EXPECT_EQ(FrameAt(t.rig, 24, 0), '~' - 31);
  EXPECT_EQ(FrameAt(t.rig, 29, 9), '~' - 31);
  EXPECT_EQ(FrameAt(t.rig, 30, 0), 0);
}

TEST(BitmapedText, CodesBelowTheSpaceDrawTheTopFrameCodesPastTheStripNothing)
{
  TextRig t;
  const char str[] = {'\t', (char) 31, (char) 200, 'A', 0};
  t.Draw(IRECT(0, 0, 60, 10), str, IText::kAlignNear, false, false);
  EXPECT_EQ(FrameAt(t.rig, 6, 0), 1);
  EXPECT_EQ(FrameAt(t.rig, 12, 0), 1);
  EXPECT_EQ(FrameAt(t.rig, 18, 0), 0); // frame 169 of 95: outside the bitmap
  EXPECT_EQ(FrameAt(t.rig, 24, 0), 'A' - 31);
}

TEST(BitmapedText, CentredHorizontallyAndVertically)
{
  TextRig t;
  // (60 - 3 x 6) / 2 = 21 in; (30 - 10) / 2 = 10 down.
  t.Draw(IRECT(0, 0, 60, 30), "abc", IText::kAlignCenter, true, false);
  EXPECT_EQ(FrameAt(t.rig, 21, 10), 'a' - 31);
  EXPECT_EQ(FrameAt(t.rig, 33, 19), 'c' - 31);
  EXPECT_EQ(FrameAt(t.rig, 20, 10), 0);
  EXPECT_EQ(FrameAt(t.rig, 21, 9), 0);
}

TEST(BitmapedText, ALongTextContinuesOnOneMoreRowOrAsManyAsMultilineNeeds)
{
  // 40 wide: a line of 40 - 12 = 28 pixels holds 4 characters.
  TextRig single;
  single.Draw(IRECT(0, 0, 40, 10), "ABCDEFGHIJ", IText::kAlignNear, false, false);
  EXPECT_EQ(FrameAt(single.rig, 6, 0), 'A' - 31);
  EXPECT_EQ(FrameAt(single.rig, 24, 0), 'D' - 31);
  EXPECT_EQ(FrameAt(single.rig, 30, 0), 0);
  EXPECT_EQ(FrameAt(single.rig, 6, 10), 'E' - 31); // a second row, below the rectangle
  EXPECT_EQ(FrameAt(single.rig, 24, 10), 'H' - 31);
  EXPECT_EQ(FrameAt(single.rig, 6, 20), 0); // but no third

  TextRig multi;
  multi.Draw(IRECT(0, 0, 40, 10), "ABCDEFGHIJ", IText::kAlignNear, false, true);
  EXPECT_EQ(FrameAt(multi.rig, 6, 20), 'I' - 31);
  EXPECT_EQ(FrameAt(multi.rig, 12, 20), 'J' - 31);
  EXPECT_EQ(FrameAt(multi.rig, 18, 20), 0);
}

TEST(BitmapedText, AHugeTextIsDrawnOnlyAsFarAsItsRows)
{
  TextRig t;
  std::string huge(1 << 20, 'x');
  t.Draw(IRECT(0, 0, 40, 10), huge.c_str(), IText::kAlignCenter, false, false);
  EXPECT_TRUE(t.result);
  EXPECT_EQ(FrameAt(t.rig, 6, 0), 0); // centring puts it far off to the left
}

TEST(BitmapedText, NothingForAnEmptyText)
{
  TextRig t;
  t.Draw(IRECT(0, 0, 40, 10), "", IText::kAlignNear, false, false);
  EXPECT_TRUE(t.result);
  EXPECT_EQ(FrameAt(t.rig, 6, 0), 0);
}

TEST(BitmapedTextDeathTest, ARectangleNarrowerThanTwoCellsStops)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TextRig t;
  EXPECT_DEATH(
      t.Draw(IRECT(0, 0, 12, 10), "A", IText::kAlignNear, false, false),
      "Assertion failed: \\(lineWidth > 0\\), function DrawBitmapedText, file IPlug/IBitmapMonoText");
}

TEST(BitmapTextControl, DrawsItsTextCentredVertically)
{
  GuiRig rig(80, 30);
  auto strip = GlyphStrip();
  IBitmap font = Wrap(strip.get(), kGlyphs);
  IRECT r(0, 0, 60, 20);
  auto* c = rig.Add(new IBitmapTextControl(&rig.plug, &r, &font, "Hi", nullptr, kCW, kCH));
  EXPECT_STREQ(c->GetTextForPlug(), "Hi");
  rig.RepaintAll();
  // Centred by default: (60 - 12) / 2 = 24 in, (20 - 10) / 2 = 5 down.
  EXPECT_EQ(FrameAt(rig, 24, 5), 'H' - 31);
  EXPECT_EQ(FrameAt(rig, 30, 14), 'i' - 31);
  c->SetClean();
  c->SetTextFromPlug("Hi");
  EXPECT_FALSE(c->IsDirty());
  c->SetTextFromPlug("Ho");
  EXPECT_TRUE(c->IsDirty());
  c->ClearTextFromPlug();
  EXPECT_STREQ(c->GetTextForPlug(), "");
  EXPECT_TRUE(c->Draw(rig.g));
}
