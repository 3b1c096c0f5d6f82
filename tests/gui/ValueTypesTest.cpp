// The editor's value types: rectangles, colours, text styles, bitmaps, blends.

#include "IPlug/IBitmap.h"
#include "IPlug/IChannelBlend.h"
#include "IPlug/IColor.h"
#include "IPlug/IRECT.h"
#include "IPlug/IText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(IRECT, SizeContainsAndEmptiness)
{
  const IRECT r(10, 20, 30, 60);
  EXPECT_EQ(r.W(), 20);
  EXPECT_EQ(r.H(), 40);
  EXPECT_TRUE(r.Contains(10, 20));
  EXPECT_TRUE(r.Contains(29, 59));
  EXPECT_FALSE(r.Contains(30, 30)); // right and bottom are exclusive
  EXPECT_FALSE(r.Contains(15, 60));
  EXPECT_FALSE(r.Contains(9, 30));
  EXPECT_TRUE(IRECT().Empty());
  EXPECT_FALSE(IRECT().Contains(0, 0));
  EXPECT_FALSE(IRECT(5, 5, 5, 5).Empty()); // only all four zero is empty
  EXPECT_EQ(r.MW(), 20.0f);
  EXPECT_EQ(IRECT(0, 0, 5, 5).MH(), 2.5f);
}

TEST(IRECT, IntersectsCountsTheFirstRectanglesRightAndBottomEdges)
{
  const IRECT a(0, 0, 10, 10);
  const IRECT right(10, 0, 20, 10), below(0, 10, 10, 20), left(-10, 0, 0, 10), above(0, -10, 10, 0);
  EXPECT_TRUE(a.Intersects(&right));
  EXPECT_TRUE(a.Intersects(&below));
  EXPECT_FALSE(a.Intersects(&left)); // but the left and top edges do not touch
  EXPECT_FALSE(a.Intersects(&above));
  EXPECT_TRUE(left.Intersects(&a)); // seen from the other side they do
  EXPECT_FALSE(right.Intersects(&a));
  const IRECT far(11, 0, 20, 10), empty;
  EXPECT_FALSE(a.Intersects(&far));
  EXPECT_FALSE(a.Intersects(&empty));
  EXPECT_FALSE(empty.Intersects(&a));
}

TEST(IRECT, UnionAndIntersect)
{
  const IRECT a(0, 0, 10, 10), b(5, -5, 20, 8), empty;
  EXPECT_EQ(a.Union(&b), IRECT(0, -5, 20, 10));
  EXPECT_EQ(empty.Union(&b), b);
  EXPECT_EQ(a.Union(&empty), a);
  EXPECT_EQ(a.Intersect(&b), IRECT(5, 0, 10, 8));
  const IRECT apart(10, 0, 20, 10);
  EXPECT_TRUE(a.Intersect(&apart).Empty()); // touching is no overlap
}

TEST(IColor, PackingAndNamedColours)
{
  EXPECT_EQ(COLOR_ORANGE.Packed(), 0xFFFF7F00u);
  EXPECT_EQ(COLOR_GRAY.Packed(), 0xFF7F7F7Fu);
  EXPECT_EQ(COLOR_TRANSPARENT.Packed(), 0u);
  EXPECT_EQ(IColor(256 + 1, -1, 0x1FF, 2).Packed(), 0x01FFFF02u); // each channel cut to 8 bits
  EXPECT_EQ(IColor::FromPacked(0x80102030u), IColor(128, 16, 32, 48));
  EXPECT_EQ(DEFAULT_TEXT_COLOR, COLOR_BLACK);
  EXPECT_EQ(IColor(), COLOR_BLACK);
}

TEST(IText, DefaultsAndFaceCut)
{
  IText t;
  EXPECT_STREQ(t.mFont, "Arial");
  EXPECT_EQ(t.mSize, 11);
  EXPECT_EQ(t.mColor, DEFAULT_TEXT_COLOR);
  EXPECT_EQ(t.mStyle, IText::kStyleNormal);
  EXPECT_EQ(t.mAlign, IText::kAlignCenter);
  EXPECT_EQ(t.mOrientation, 0);
  EXPECT_EQ(t.mQuality, IText::kQualityDefault);
  EXPECT_EQ(t.mCached, nullptr);

  const std::string longFace(100, 'x');
  IText cut(10, &COLOR_WHITE, longFace.c_str());
  EXPECT_EQ(strlen(cut.mFont), (size_t) FONT_LEN - 1);
  EXPECT_EQ(cut.mColor, COLOR_WHITE);
}

TEST(IBitmap, FramesAndTheirRectangle)
{
  IBitmap b(nullptr, 42, 6400, 128);
  EXPECT_EQ(b.FrameHeight(), 50);
  EXPECT_EQ(IRECT(3, 4, &b), IRECT(3, 4, 45, 54));
  EXPECT_EQ(IBitmap(nullptr, 10, 67, 4).FrameHeight(), 16); // integer division
  EXPECT_EQ(IBitmap(nullptr, 10, 10, 0).N, 1);              // at least one frame
}

TEST(IChannelBlend, DefaultIsNormalAtFullWeight)
{
  IChannelBlend b;
  EXPECT_EQ(b.mMethod, IChannelBlend::kBlendNormal);
  EXPECT_EQ(b.mWeight, 1.0f);
  EXPECT_EQ((int) IChannelBlend::kBlendOpaque, 1);
  EXPECT_EQ((int) IChannelBlend::kBlendAdd, 2);
  EXPECT_EQ((int) IChannelBlend::kBlendColorDodge, 3);
}
