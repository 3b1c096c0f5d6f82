// Pixels: blits under each blend method and weight, greyed bitmaps, filmstrip frames,
// clipping to the repainted area, and the shapes. Exact values where the arithmetic is
// exact; where a weight is first rounded to 8 bits (weight x 255) or antialiasing
// spreads coverage, the tolerance says so.

#include "GuiTestSupport.h"

#include "IPlug/controls/IBitmapControl.h"

#include <cmath>

namespace
{
int Channel(uint32_t p, int shift) { return (int) ((p >> shift) & 255); }

// Paints the surface with one opaque colour and then the test's own drawing, in one
// repaint of the whole editor.
struct Canvas
{
  GuiRig rig;
  uint32_t ground;
  std::function<bool(IGraphics*)> paint;

  explicit Canvas(uint32_t ground = 0xFF404040, int w = 40, int h = 30) : rig(w, h), ground(ground)
  {
    rig.Add(new PaintControl(&rig.plug, IRECT(0, 0, w, h), [this](IGraphics* g, IControl* c) {
      IColor col = IColor::FromPacked(this->ground);
      g->FillIRect(&col, c->GetRECT());
      return paint ? paint(g) : true;
    }));
  }
  void Paint(std::function<bool(IGraphics*)> p)
  {
    paint = std::move(p);
    rig.RepaintAll();
  }
  uint32_t At(int x, int y) { return rig.Pixel(x, y); }
};
} // namespace

TEST(DrawBitmap, EachBlendMethodAtFullWeight)
{
  auto src = SolidBitmap(4, 4, 0xFF204060);
  IBitmap b = Wrap(src.get());
  struct Case
  {
    IChannelBlend::EBlendMethod method;
    uint32_t expected;
  } cases[] = {
      {IChannelBlend::kBlendNormal, 0xFF204060},
      {IChannelBlend::kBlendOpaque, 0xFF204060},
      {IChannelBlend::kBlendAdd, 0xFF6080A0},        // 0x40 added to each channel
      {(IChannelBlend::EBlendMethod) 7, 0xFF204060}, // unknown methods draw as normal
  };
  for (const Case& c : cases)
  {
    Canvas cv;
    IChannelBlend blend(c.method, 1.0f);
    cv.Paint([&](IGraphics* g) {
      IRECT r(10, 10, 14, 14);
      return g->DrawBitmap(&b, &r, 0, 0, &blend);
    });
    EXPECT_EQ(cv.At(10, 10), c.expected) << c.method;
    EXPECT_EQ(cv.At(13, 13), c.expected) << c.method;
    EXPECT_EQ(cv.At(14, 13), 0xFF404040u) << c.method;
  }

  // Addition saturates.
  Canvas bright(0xFFC0C0C0);
  auto light = SolidBitmap(2, 2, 0xFF80FF01);
  IBitmap lb = Wrap(light.get());
  IChannelBlend add(IChannelBlend::kBlendAdd);
  bright.Paint([&](IGraphics* g) {
    IRECT r(0, 0, 2, 2);
    return g->DrawBitmap(&lb, &r, 0, 0, &add);
  });
  EXPECT_EQ(bright.At(0, 0), 0xFFFFFFC1u);
}

TEST(DrawBitmap, SourceAlphaIsHonouredByNormalAndAddIgnoredByOpaque)
{
  auto half = SolidBitmap(2, 2, 0x80FF0000); // red at alpha 128
  IBitmap b = Wrap(half.get());
  auto draw = [&](IChannelBlend::EBlendMethod m) {
    Canvas cv(0xFF000000);
    IChannelBlend blend(m);
    cv.Paint([&](IGraphics* g) {
      IRECT r(0, 0, 2, 2);
      return g->DrawBitmap(&b, &r, 0, 0, &blend);
    });
    return cv.At(1, 1);
  };
  // Over black: the red channel carries 128 / 255 of full red.
  EXPECT_EQ(draw(IChannelBlend::kBlendNormal), 0xFF800000u);
  EXPECT_EQ(draw(IChannelBlend::kBlendAdd), 0xFF800000u);
  // Opaque: the pixel replaces the destination outright (colour as stored,
  // premultiplied, so translucent pixels come out darkened).
  EXPECT_EQ(draw(IChannelBlend::kBlendOpaque), 0xFF800000u);

  Canvas cv(0xFF0000FF);
  IChannelBlend normal;
  cv.Paint([&](IGraphics* g) {
    IRECT r(0, 0, 2, 2);
    return g->DrawBitmap(&b, &r, 0, 0, &normal);
  });
  const uint32_t p = cv.At(0, 0);
  EXPECT_EQ(Channel(p, 16), 128);
  EXPECT_NEAR(Channel(p, 0), 127, 1); // 255 x (1 - 128/255), rounded by the 8-bit blend
  EXPECT_EQ(Channel(p, 24), 255);
}

TEST(DrawBitmap, WeightScalesTheSourcesContribution)
{
  auto white = SolidBitmap(2, 2, 0xFFFFFFFF);
  IBitmap b = Wrap(white.get());
  for (float w : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f})
    for (auto m : {IChannelBlend::kBlendNormal, IChannelBlend::kBlendOpaque, IChannelBlend::kBlendAdd})
    {
      Canvas cv(0xFF000000);
      IChannelBlend blend(m, w);
      cv.Paint([&](IGraphics* g) {
        IRECT r(0, 0, 2, 2);
        return g->DrawBitmap(&b, &r, 0, 0, &blend);
      });
      const uint32_t p = cv.At(0, 0);
      // The weight reaches the blend as an 8-bit opacity: one step of tolerance.
      EXPECT_NEAR(Channel(p, 16), 255.0 * w, 1.0) << w << " " << m;
      EXPECT_EQ(Channel(p, 16), Channel(p, 0)) << w << " " << m;
      EXPECT_EQ(Channel(p, 24), 255) << w << " " << m;
    }
}

TEST(DrawBitmap, ColourDodgeBrightensByTheSource)
{
  auto src = SolidBitmap(1, 1, 0xFF80FF00); // r 128, g 255, b 0
  IBitmap b = Wrap(src.get());
  Canvas cv(0xFF404040); // 64 in every channel
  IChannelBlend dodge(IChannelBlend::kBlendColorDodge);
  cv.Paint([&](IGraphics* g) {
    IRECT r(0, 0, 1, 1);
    return g->DrawBitmap(&b, &r, 0, 0, &dodge);
  });
  const uint32_t p = cv.At(0, 0);
  EXPECT_NEAR(Channel(p, 16), 255.0 * (64.0 / 255) / (1 - 128.0 / 255), 1.0); // d / (1 - s)
  EXPECT_EQ(Channel(p, 8), 255);                                              // a full source saturates
  EXPECT_EQ(Channel(p, 0), 64); // a zero source leaves the destination
}

TEST(DrawBitmap, AGreyedBitmapIsDrawnAtAQuarterOpacity)
{
  Canvas cv(0xFF000000);
  auto white = SolidBitmap(6, 6, 0xFFFFFFFF);
  IBitmap b = Wrap(white.get());
  auto* c = cv.rig.Add(new IBitmapControl(&cv.rig.plug, 2, 2, &b));
  c->GrayOut(true);
  cv.Paint(nullptr);
  EXPECT_EQ(cv.At(3, 3), 0xFF404040u); // 0.25 x 255 = 63.75, blended as 64
  c->GrayOut(false);
  cv.Paint(nullptr);
  EXPECT_EQ(cv.At(3, 3), 0xFFFFFFFFu);
}

TEST(DrawBitmap, FrameSelectionRoundsTheFramesTop)
{
  // 10 rows in 3 frames: frame 2 starts at trunc(10/3 + 0.5) = 3, frame 3 at 7.
  auto strip = std::make_unique<LICE_MemBitmap>(1, 10);
  for (int y = 0; y < 10; ++y) raster::PutPixel(strip.get(), 0, y, 0xFF000000u | (uint32_t) (y * 16));
  IBitmap b = Wrap(strip.get(), 3);
  Canvas cv;
  cv.Paint([&](IGraphics* g) {
    for (int frame = -1; frame <= 4; ++frame)
    {
      IRECT r(frame + 1, 0, frame + 2, 1);
      g->DrawBitmap(&b, &r, frame);
    }
    return true;
  });
  EXPECT_EQ(cv.At(0, 0), 0xFF000000u);       // frame -1: the top one
  EXPECT_EQ(cv.At(1, 0), 0xFF000000u);       // frame 0
  EXPECT_EQ(cv.At(2, 0), 0xFF000000u);       // frame 1
  EXPECT_EQ(cv.At(3, 0), 0xFF000000u | 48);  // frame 2: row 3
  EXPECT_EQ(cv.At(4, 0), 0xFF000000u | 112); // frame 3: row 7
  EXPECT_EQ(cv.At(5, 0), 0xFF404040u);       // frame 4 starts at row 10, past the end: nothing

  auto single = SolidBitmap(1, 1, 0xFF123456);
  IBitmap s = Wrap(single.get());
  cv.Paint([&](IGraphics* g) {
    IRECT r(0, 0, 1, 1);
    return g->DrawBitmap(&s, &r, 5); // one frame: always the top
  });
  EXPECT_EQ(cv.At(0, 0), 0xFF123456u);
}

TEST(DrawBitmap, AClippedPartialRepaintLeavesTheNeighboursAlone)
{
  GuiRig rig(30, 10);
  auto red = SolidBitmap(10, 10, 0xFFFF0000), green = SolidBitmap(10, 10, 0xFF00FF00),
       blue = SolidBitmap(10, 10, 0xFF0000FF);
  IBitmap r = Wrap(red.get()), gr = Wrap(green.get()), bl = Wrap(blue.get());
  auto* left = rig.Add(new IBitmapControl(&rig.plug, 0, 0, &r));
  auto* mid = rig.Add(new IBitmapControl(&rig.plug, 10, 0, &gr));
  auto* right = rig.Add(new IBitmapControl(&rig.plug, 20, 0, &gr));
  rig.RepaintAll();
  ASSERT_EQ(rig.Pixel(15, 5), 0xFF00FF00u);
  // Swap every bitmap for blue behind the controls' backs, then repaint only the
  // middle one: its touching neighbours are drawn too, but cut to its rectangle.
  *left->GetBitmap() = bl;
  *mid->GetBitmap() = bl;
  *right->GetBitmap() = bl;
  mid->SetDirty(false);
  left->SetClean();
  right->SetClean();
  IRECT dirty;
  ASSERT_TRUE(rig.g->IsDirty(&dirty));
  rig.g->Draw(&dirty);
  EXPECT_EQ(rig.Pixel(10, 5), 0xFF0000FFu);
  EXPECT_EQ(rig.Pixel(19, 5), 0xFF0000FFu);
  EXPECT_EQ(rig.Pixel(9, 5), 0xFFFF0000u);
  EXPECT_EQ(rig.Pixel(20, 5), 0xFF00FF00u);
}

TEST(DrawBitmap, SourceOffsetFollowsTheClip)
{
  // A 4 x 1 gradient blitted at x = -2 shows its last two pixels at 0 and 1.
  auto grad = std::make_unique<LICE_MemBitmap>(4, 1);
  for (int x = 0; x < 4; ++x) raster::PutPixel(grad.get(), x, 0, 0xFF000000u | (uint32_t) (x + 1));
  IBitmap b = Wrap(grad.get());
  Canvas cv(0xFF000000);
  cv.Paint([&](IGraphics* g) {
    IRECT r(-2, 0, 2, 1);
    return g->DrawBitmap(&b, &r, 0, 0);
  });
  EXPECT_EQ(cv.At(0, 0), 0xFF000003u);
  EXPECT_EQ(cv.At(1, 0), 0xFF000004u);
}

TEST(DrawBitmap, NothingWithoutABitmapOrASurface)
{
  Canvas cv;
  IBitmap none;
  bool drawn = true;
  cv.Paint([&](IGraphics* g) {
    IRECT r(0, 0, 2, 2);
    drawn = g->DrawBitmap(&none, &r, 0, 0) || g->DrawBitmap(nullptr, &r, 1);
    return true;
  });
  EXPECT_FALSE(drawn);

  GuiRig detached(10, 10, false); // never attached: no surface
  IColor c = COLOR_RED;
  IRECT r(0, 0, 2, 2);
  EXPECT_FALSE(detached.g->FillIRect(&c, &r));
  EXPECT_FALSE(detached.g->DrawLine(&c, 0, 0, 1, 1));
  EXPECT_FALSE(detached.g->ForcePixel(&c, 0, 0));
  EXPECT_EQ(detached.g->GetPoint(0, 0), COLOR_TRANSPARENT);
  EXPECT_EQ(detached.g->GetBits(), nullptr);
}

TEST(Shapes, RectanglesAndLinesCoverExactPixels)
{
  Canvas cv(0xFF000000);
  cv.Paint([](IGraphics* g) {
    IRECT fill(2, 2, 5, 4), frame(10, 10, 15, 14);
    g->FillIRect(&COLOR_RED, &fill);
    g->DrawRect(&COLOR_GREEN, &frame);
    g->DrawHorizontalLine(&COLOR_BLUE, 20, 3, 6);
    g->DrawVerticalLine(&COLOR_WHITE, 30, 1, 3);
    g->DrawLine(&COLOR_YELLOW, 20.9f, 1.2f, 23.7f, 4.9f); // truncated to (20, 1) - (23, 4)
    return true;
  });
  EXPECT_EQ(cv.At(2, 2), 0xFFFF0000u);
  EXPECT_EQ(cv.At(4, 3), 0xFFFF0000u);
  EXPECT_EQ(cv.At(5, 3), 0xFF000000u);
  EXPECT_EQ(cv.At(4, 4), 0xFF000000u);
  for (int x = 10; x < 15; ++x) EXPECT_EQ(cv.At(x, 10), 0xFF00FF00u) << x;
  for (int y = 10; y < 14; ++y) EXPECT_EQ(cv.At(14, y), 0xFF00FF00u) << y;
  EXPECT_EQ(cv.At(12, 12), 0xFF000000u); // an outline only
  EXPECT_EQ(cv.At(15, 12), 0xFF000000u);
  for (int x = 3; x <= 6; ++x) EXPECT_EQ(cv.At(x, 20), 0xFF0000FFu) << x; // both ends
  EXPECT_EQ(cv.At(7, 20), 0xFF000000u);
  EXPECT_EQ(cv.At(30, 3), 0xFFFFFFFFu);
  EXPECT_EQ(cv.At(30, 4), 0xFF000000u);
  for (int i = 0; i <= 3; ++i) EXPECT_EQ(cv.At(20 + i, 1 + i), 0xFFFFFF00u) << i;
  EXPECT_EQ(cv.At(21, 1), 0xFF000000u);
}

TEST(Shapes, LinesAcrossARectangleAtAFraction)
{
  Canvas cv(0xFF000000);
  cv.Paint([](IGraphics* g) {
    IRECT r(0, 0, 10, 11);
    g->DrawHorizontalLine(&COLOR_RED, &r, 0.0f); // the bottom row
    g->DrawHorizontalLine(&COLOR_RED, &r, 0.5f); // 5 rows up
    g->DrawHorizontalLine(&COLOR_RED, &r, 7.0f); // clamped: the top row
    IRECT c(20, 0, 31, 5);
    g->DrawVerticalLine(&COLOR_GREEN, &c, 0.3f); // 3 columns in
    g->DrawVerticalLine(&COLOR_GREEN, &c, -1.0f);
    return true;
  });
  EXPECT_EQ(cv.At(9, 10), 0xFFFF0000u);
  EXPECT_EQ(cv.At(0, 5), 0xFFFF0000u);
  EXPECT_EQ(cv.At(5, 0), 0xFFFF0000u);
  EXPECT_EQ(cv.At(10, 10), 0xFF000000u);
  EXPECT_EQ(cv.At(23, 4), 0xFF00FF00u);
  EXPECT_EQ(cv.At(20, 0), 0xFF00FF00u);
  EXPECT_EQ(cv.At(21, 2), 0xFF000000u);
}

TEST(Shapes, PolygonsCirclesArcsAndPoints)
{
  Canvas cv(0xFF000000, 60, 40);
  cv.Paint([](IGraphics* g) {
    g->FillTriangle(&COLOR_RED, 0, 0, 20, 0, 0, 20);
    int px[4] = {30, 40, 40, 30}, py[4] = {0, 0, 10, 10};
    g->FillIConvexPolygon(&COLOR_GREEN, px, py, 4);
    g->FillIConvexPolygon(&COLOR_GREEN, px, py, 2); // not a polygon: nothing
    g->FillCircle(&COLOR_BLUE, 15, 30, 5.0f);
    g->DrawCircle(&COLOR_WHITE, 45, 28, 8.0f);
    g->DrawArc(&COLOR_YELLOW, 45.0f, 28.0f, 4.0f, 0.0f, (float) M_PI / 2); // the upper right quarter
    g->DrawPoint(&COLOR_ORANGE, 58.0f, 2.0f);
    IRECT rr(50, 10, 60, 20);
    g->RoundRect(&COLOR_WHITE, &rr, nullptr, 3, false);
    return true;
  });
  EXPECT_EQ(cv.At(3, 3), 0xFFFF0000u);
  EXPECT_EQ(cv.At(18, 18), 0xFF000000u);
  EXPECT_EQ(cv.At(35, 5), 0xFF00FF00u);
  EXPECT_EQ(cv.At(15, 30), 0xFF0000FFu);
  EXPECT_EQ(cv.At(15, 34), 0xFF0000FFu);
  EXPECT_EQ(cv.At(15, 37), 0xFF000000u);
  EXPECT_EQ(cv.At(45, 20), 0xFFFFFFFFu); // on the circle, straight up
  EXPECT_EQ(cv.At(45, 28), 0xFF000000u); // not inside it
  EXPECT_EQ(cv.At(48, 25), 0xFFFFFF00u); // on the arc, 45 degrees clockwise from up
  EXPECT_EQ(cv.At(41, 32), 0xFF000000u); // the arc's other side is not drawn
  EXPECT_EQ(cv.At(58, 2), COLOR_ORANGE.Packed());
  EXPECT_EQ(cv.At(55, 10), 0xFFFFFFFFu); // the rounded rectangle's top edge
  EXPECT_EQ(cv.At(55, 15), 0xFF000000u);
  EXPECT_EQ(cv.At(50, 10), 0xFF000000u); // its corner is cut
}

TEST(Shapes, AntialiasedEdgesBlendAliasedOnesDoNot)
{
  Canvas cv(0xFF000000);
  cv.Paint([](IGraphics* g) {
    g->DrawLine(&COLOR_WHITE, 0, 0, 30, 10, nullptr, true);
    g->DrawLine(&COLOR_WHITE, 0, 15, 30, 25, nullptr, false);
    return true;
  });
  int partialAA = 0, partialAliased = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
    {
      const int r = Channel(cv.At(x, y), 16);
      if (r > 0 && r < 255) (y < 13 ? partialAA : partialAliased)++;
    }
  EXPECT_GT(partialAA, 10);
  EXPECT_EQ(partialAliased, 0);
}

TEST(Shapes, TranslucentColoursAndBlendsApplyToFills)
{
  Canvas cv(0xFF000000);
  cv.Paint([](IGraphics* g) {
    IColor halfWhite(128, 255, 255, 255);
    IRECT a(0, 0, 2, 2), b(4, 0, 6, 2), c(8, 0, 10, 2);
    g->FillIRect(&halfWhite, &a);
    IChannelBlend opaque(IChannelBlend::kBlendOpaque);
    g->FillIRect(&halfWhite, &b, &opaque); // the colour's alpha is ignored
    IChannelBlend quarter(IChannelBlend::kBlendNormal, 0.25f);
    g->FillIRect(&COLOR_WHITE, &c, &quarter);
    return true;
  });
  EXPECT_EQ(cv.At(0, 0), 0xFF808080u);
  EXPECT_EQ(cv.At(4, 0), 0xFFFFFFFFu);
  EXPECT_NEAR(Channel(cv.At(8, 0), 16), 64, 1);
}

TEST(Pixels, ForcePixelWritesAndGetPointReadsBack)
{
  Canvas cv(0xFF000000);
  cv.Paint([](IGraphics* g) {
    IColor solid(255, 1, 2, 3), clear(0, 9, 9, 9), half(128, 200, 100, 50);
    g->ForcePixel(&solid, 1, 1);
    g->ForcePixel(&clear, 2, 1); // replaces, no blending
    g->ForcePixel(&half, 3, 1);
    g->ForcePixel(&solid, -1, 0); // outside: nothing
    g->ForcePixel(&solid, 40, 0);
    return true;
  });
  EXPECT_EQ(cv.rig.g->GetPoint(1, 1), IColor(255, 1, 2, 3));
  EXPECT_EQ(cv.rig.g->GetPoint(2, 1), COLOR_TRANSPARENT);
  const IColor h = cv.rig.g->GetPoint(3, 1); // stored premultiplied: within one step
  EXPECT_EQ(h.A, 128);
  EXPECT_NEAR(h.R, 200, 1);
  EXPECT_NEAR(h.G, 100, 1);
  EXPECT_NEAR(h.B, 50, 1);
  EXPECT_EQ(cv.rig.g->GetPoint(-1, 0), COLOR_TRANSPARENT);
  EXPECT_EQ(cv.rig.g->GetPoint(0, 30), COLOR_TRANSPARENT);
  uint32_t* bits = cv.rig.g->GetBits();
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(bits[1 * cv.rig.g->GetDrawBitmap()->RowSpan() + 1], 0xFF010203u);
}

TEST(RotatedBitmap, ZeroAndHalfTurnsAreExact)
{
  auto bmp = std::make_unique<LICE_MemBitmap>(4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) raster::PutPixel(bmp.get(), x, y, 0xFF000000u | (uint32_t) (y * 4 + x + 1));
  IBitmap b = Wrap(bmp.get(), 2); // the frame count is ignored: the whole bitmap turns
  Canvas cv(0xFF000000);
  cv.Paint([&](IGraphics* g) {
    g->DrawRotatedBitmap(&b, 12, 11, 0.0);
    g->DrawRotatedBitmap(&b, 22, 11, M_PI);
    return true;
  });
  // The box is centred on the point: (10, 10) to (14, 12).
  EXPECT_EQ(cv.At(10, 10), 0xFF000001u);
  EXPECT_EQ(cv.At(13, 11), 0xFF000008u);
  EXPECT_EQ(cv.At(20, 10), 0xFF000008u);
  EXPECT_EQ(cv.At(23, 11), 0xFF000001u);
  EXPECT_EQ(cv.At(14, 10), 0xFF000000u);
}
