// The stock controls: switches and their slices, the fader's snapping and handle, knob
// gearing, filmstrip frames, radio buttons, text and captions, links and file choices.

#include "GuiTestSupport.h"

#include "IPlug/IParam.h"
#include "IPlug/controls/IBitmapControl.h"
#include "IPlug/controls/IBitmapOverlayControl.h"
#include "IPlug/controls/ICaptionControl.h"
#include "IPlug/controls/IContactControl.h"
#include "IPlug/controls/IFaderControl.h"
#include "IPlug/controls/IFileSelectorControl.h"
#include "IPlug/controls/IInvisibleSwitchControl.h"
#include "IPlug/controls/IKnobLineControl.h"
#include "IPlug/controls/IKnobMultiControl.h"
#include "IPlug/controls/IKnobRotaterControl.h"
#include "IPlug/controls/IKnobRotatingMaskControl.h"
#include "IPlug/controls/IPanelControl.h"
#include "IPlug/controls/IRadioButtonsControl.h"
#include "IPlug/controls/ISwitchControl.h"
#include "IPlug/controls/ITextControl.h"
#include "IPlug/controls/IURLControl.h"

#include <cmath>

namespace
{
IMouseMod kLeft(true), kRight(false, true), kFine(true, false, false, true);

constexpr uint32_t kF1 = 0xFF100000, kF2 = 0xFF200000, kF3 = 0xFF300000, kF4 = 0xFF400000;
} // namespace

// ----- bitmaps and switches -----

TEST(BitmapControl, FrameFollowsTheValueRounded)
{
  EXPECT_EQ(IBitmapControl::FrameForValue(0.0, 128), 1);
  EXPECT_EQ(IBitmapControl::FrameForValue(1.0, 128), 128);
  EXPECT_EQ(IBitmapControl::FrameForValue(0.5, 128), 65); // trunc(63.5 + 0.5) + 1
  EXPECT_EQ(IBitmapControl::FrameForValue(0.5 / 127 - 1e-9, 128), 1);
  EXPECT_EQ(IBitmapControl::FrameForValue(0.5 / 127, 128), 2);
  EXPECT_EQ(IBitmapControl::FrameForValue(0.7, 1), 1);
  EXPECT_EQ(IBitmapControl::FrameForValue(-3.0, 4), 1);
  EXPECT_EQ(IBitmapControl::FrameForValue(7.0, 4), 4);
  EXPECT_EQ(IBitmapControl::FrameForValue(std::nan(""), 4), 1);

  GuiRig rig(20, 20);
  auto strip = Filmstrip(4, 3, {kF1, kF2, kF3});
  IBitmap b = Wrap(strip.get(), 3);
  auto* c = rig.Add(new IBitmapControl(&rig.plug, 2, 5, kMode, &b));
  EXPECT_EQ(*c->GetRECT(), IRECT(2, 5, 6, 8));
  rig.g->SetParameterFromPlug(kMode, 2.0, false);
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(2, 5), kF3);
  EXPECT_EQ(rig.Pixel(5, 7), kF3);
  EXPECT_EQ(rig.Pixel(5, 8), 0u); // one frame high
}

TEST(SwitchControl, StepModeTogglesOrCyclesAndWraps)
{
  GuiRig rig;
  auto two = Filmstrip(10, 10, {kF1, kF2});
  auto three = Filmstrip(10, 10, {kF1, kF2, kF3});
  IBitmap b2 = Wrap(two.get(), 2), b3 = Wrap(three.get(), 3);
  auto* toggle = rig.Add(new ISwitchControl(&rig.plug, 0, 0, kOn, &b2));
  auto* cycle = rig.Add(new ISwitchControl(&rig.plug, 20, 0, kMode, &b3));
  EXPECT_TRUE(toggle->GetDblAsSingleClick());
  std::vector<double> seen;
  for (int i = 0; i < 4; ++i)
  {
    cycle->OnMouseDown(21, 1, &kLeft);
    seen.push_back(cycle->GetValue());
  }
  EXPECT_EQ(seen, (std::vector<double>{0.5, 1.0, 0.0, 0.5})); // 1.0 + 0.5 > 1.001 wraps
  EXPECT_EQ(rig.plug.GetParam(kMode)->Value(), 1.0);

  toggle->SetValueFromPlug(0.0);
  toggle->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(toggle->GetValue(), 1.0);
  toggle->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(toggle->GetValue(), 0.0); // twice is back to 0
  EXPECT_FALSE(rig.plug.GetParam(kOn)->Bool());
}

TEST(SwitchControl, ASingleFrameSwitchAddsOneAndWraps)
{
  GuiRig rig;
  auto one = SolidBitmap(5, 5, kF1);
  IBitmap b = Wrap(one.get());
  auto* c = rig.Add(new ISwitchControl(&rig.plug, 0, 0, kOn, &b));
  c->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(c->GetValue(), 1.0);
  c->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(c->GetValue(), 0.0);
}

TEST(SwitchControl, VerticalSlicesOfAFourFrameSwitch67PixelsHigh)
{
  GuiRig rig(120, 120);
  auto strip = Filmstrip(81, 67, {kF1, kF2, kF3, kF4});
  IBitmap b = Wrap(strip.get(), 4);
  auto* c = rig.Add(new ISwitchControl(&rig.plug, 10, 20, kMode, &b, ISwitchControl::kVerticalSlices));
  ASSERT_EQ(c->GetRECT()->H(), 67); // slices of 67 / 4 = 16 pixels
  auto clickAt = [&](int dy) {
    c->SetValueFromUserInput(0.25); // a value no slice gives
    c->OnMouseDown(15, 20 + dy, &kLeft);
    return c->GetValue();
  };
  const double third = 1.0 / 3.0;
  EXPECT_EQ(clickAt(1), 0.0);
  EXPECT_EQ(clickAt(15), 0.0);
  EXPECT_EQ(clickAt(16), 0.25); // on a slice boundary: strictly inside none
  EXPECT_EQ(clickAt(17), third);
  EXPECT_EQ(clickAt(40), 2 * third);
  EXPECT_EQ(clickAt(63), 1.0);
  EXPECT_EQ(clickAt(64), 0.25); // the last 3 pixels, below 4 x 16, change nothing
  EXPECT_EQ(clickAt(66), 0.25);
  EXPECT_EQ(clickAt(0), 0.25);
}

TEST(SwitchControl, HorizontalSlicesCountFromTheLeft)
{
  GuiRig rig;
  auto strip = Filmstrip(30, 5, {kF1, kF2, kF3});
  IBitmap b = Wrap(strip.get(), 3);
  auto* c = rig.Add(new ISwitchControl(&rig.plug, 0, 0, kMode, &b, ISwitchControl::kHorizontalSlices));
  c->OnMouseDown(25, 2, &kLeft);
  EXPECT_EQ(c->GetValue(), 1.0);
  c->OnMouseDown(5, 2, &kLeft);
  EXPECT_EQ(c->GetValue(), 0.0);
  c->OnMouseDown(15, 2, &kLeft);
  EXPECT_EQ(c->GetValue(), 0.5);
}

TEST(SwitchControl, ARightPressPromptsThenPushesTheValue)
{
  GuiRig rig;
  auto strip = Filmstrip(10, 10, {kF1, kF2, kF3});
  IBitmap b = Wrap(strip.get(), 3);
  auto* c = rig.Add(new ISwitchControl(&rig.plug, 0, 0, kMode, &b));
  c->DisablePrompt(false);
  rig.g->QueueMenuChoice(2);
  c->OnMouseDown(1, 1, &kRight);
  EXPECT_EQ(c->GetValue(), 1.0);
  EXPECT_EQ(rig.plug.GetParam(kMode)->Value(), 2.0);
}

TEST(ContactControl, ReleaseReturnsToZero)
{
  GuiRig rig;
  auto strip = Filmstrip(10, 10, {kF1, kF2});
  IBitmap b = Wrap(strip.get(), 2);
  auto* c = rig.Add(new IContactControl(&rig.plug, 0, 0, kOn, &b));
  rig.g->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(c->GetValue(), 1.0);
  EXPECT_TRUE(rig.plug.GetParam(kOn)->Bool());
  rig.g->OnMouseUp(1, 1, &kLeft);
  EXPECT_EQ(c->GetValue(), 0.0);
  EXPECT_FALSE(rig.plug.GetParam(kOn)->Bool());
}

TEST(BitmapOverlayControl, ShownAndHitOnlyAtHalfOrMore)
{
  GuiRig rig(40, 20);
  auto strip = Filmstrip(10, 10, {kF1, kF2});
  IBitmap b = Wrap(strip.get(), 2);
  IRECT target(30, 0, 40, 10);
  auto* c = rig.Add(new IBitmapOverlayControl(&rig.plug, 0, 0, kOn, &b, &target));
  rig.RepaintAll(); // value 0: nothing drawn, the target area takes the mouse
  EXPECT_EQ(rig.Pixel(5, 5), 0u);
  EXPECT_EQ(rig.g->GetMouseControlIdx(35, 5), 0);
  EXPECT_EQ(rig.g->GetMouseControlIdx(5, 5), -1);
  rig.g->OnMouseDown(35, 5, &kLeft);
  rig.g->OnMouseUp(35, 5, &kLeft);
  EXPECT_EQ(c->GetValue(), 1.0);
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(5, 5), kF2);
  EXPECT_EQ(rig.g->GetMouseControlIdx(5, 5), 0);
  EXPECT_EQ(rig.g->GetMouseControlIdx(35, 5), -1);
}

TEST(InvisibleSwitchControl, TogglesAroundOneHalf)
{
  GuiRig rig;
  IRECT r(0, 0, 10, 10);
  auto* c = rig.Add(new IInvisibleSwitchControl(&rig.plug, &r, kOn));
  c->SetValueFromPlug(0.49);
  c->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(c->GetValue(), 1.0);
  c->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(c->GetValue(), 0.0);
  EXPECT_TRUE(c->Draw(rig.g));
}

// ----- fader -----

TEST(FaderControl, VerticalSnapsTheHandleCentreToThePointer)
{
  GuiRig rig(40, 80);
  auto handle = SolidBitmap(10, 7, kF2);
  IBitmap h = Wrap(handle.get());
  auto* f = rig.Add(new IFaderControl(&rig.plug, 11, 5, 51, kGain, &h));
  EXPECT_EQ(*f->GetRECT(), IRECT(11, 5, 21, 56));
  EXPECT_EQ(f->GetHandleHeadroom(), 7);
  // value = 1 - (y - T - 7/2) / (51 - 7), with 7/2 = 3 in integer arithmetic
  f->OnMouseDown(15, 5 + 3, &kLeft);
  EXPECT_EQ(f->GetValue(), 1.0);
  f->OnMouseDrag(15, 5 + 3 + 44, 0, 44, &kLeft);
  EXPECT_EQ(f->GetValue(), 0.0);
  f->OnMouseDrag(15, 5 + 3 + 11, 0, 0, &kLeft);
  EXPECT_EQ(f->GetValue(), 0.75);
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), 12.0);
  f->OnMouseDrag(15, 0, 0, 0, &kLeft); // past the ends: clamped
  EXPECT_EQ(f->GetValue(), 1.0);
  f->OnMouseDrag(15, 200, 0, 0, &kLeft);
  EXPECT_EQ(f->GetValue(), 0.0);

  // The handle moves down by trunc(44 * (1 - value)).
  EXPECT_EQ(f->GetHandleRECT(1.0), IRECT(11, 5, 21, 12));
  EXPECT_EQ(f->GetHandleRECT(0.0), IRECT(11, 49, 21, 56));
  EXPECT_EQ(f->GetHandleRECT(0.5), IRECT(11, 27, 21, 34));
  EXPECT_EQ(f->GetHandleRECT(0.01), IRECT(11, 48, 21, 55)); // 43.56 truncated
  f->SetValueFromUserInput(0.75);
  EXPECT_EQ(f->GetHandleRECT(), IRECT(11, 16, 21, 23));
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(11, 16), kF2);
  EXPECT_EQ(rig.Pixel(20, 22), kF2);
  EXPECT_EQ(rig.Pixel(11, 15), 0u);
  EXPECT_EQ(rig.Pixel(11, 23), 0u);
}

TEST(FaderControl, HorizontalGrowsRightwardAndTheWheelMovesIt)
{
  GuiRig rig;
  auto handle = SolidBitmap(6, 4, kF2);
  IBitmap h = Wrap(handle.get());
  auto* f = rig.Add(new IFaderControl(&rig.plug, 10, 10, 46, kGain, &h, kHorizontal));
  EXPECT_EQ(*f->GetRECT(), IRECT(10, 10, 56, 14));
  f->OnMouseDown(10 + 3 + 20, 12, &kLeft); // (x - L - 3) / 40
  EXPECT_EQ(f->GetValue(), 0.5);
  EXPECT_EQ(f->GetHandleRECT(), IRECT(30, 10, 36, 14));
  f->OnMouseWheel(0, 0, &kLeft, 5);
  EXPECT_DOUBLE_EQ(f->GetValue(), 0.55);
}

TEST(FaderControl, ARightPressPromptsAndAHandleAsLongAsTheTrackStaysPut)
{
  GuiRig rig;
  auto handle = SolidBitmap(6, 10, kF2);
  IBitmap h = Wrap(handle.get());
  auto* f = rig.Add(new IFaderControl(&rig.plug, 0, 0, 51, kGain, &h));
  f->DisablePrompt(false);
  f->SetValueFromPlug(0.5);
  f->OnMouseDown(3, 40, &kRight);
  EXPECT_EQ(f->GetValue(), 0.5);
  EXPECT_EQ(rig.g->TextEntriesShown().size(), 1u);

  auto* stuck = rig.Add(new IFaderControl(&rig.plug, 20, 0, 10, kGain, &h));
  stuck->SetValueFromPlug(0.3);
  stuck->OnMouseDown(22, 5, &kLeft);
  EXPECT_EQ(stuck->GetValue(), 0.3);
}

// ----- knobs -----

TEST(KnobControl, AFullSweepTakesGearingTimesTheHeight)
{
  GuiRig rig;
  IRECT r(0, 0, 42, 42);
  auto* k = rig.Add(new IKnobLineControl(&rig.plug, &r, kGain, &COLOR_WHITE));
  k->SetValueFromPlug(0.0);
  k->OnMouseDrag(0, 0, 0, -84, &kLeft); // up: raises
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.5);
  k->OnMouseDrag(0, 0, 0, -84, &kLeft);
  EXPECT_DOUBLE_EQ(k->GetValue(), 1.0);
  k->OnMouseDrag(0, 0, 0, -10, &kLeft); // stays at the end
  EXPECT_EQ(k->GetValue(), 1.0);
  k->OnMouseDrag(0, 0, 0, 840, &kFine); // fine: ten times the travel
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.5);
  k->OnMouseDrag(0, 0, 50, 0, &kLeft); // sideways does nothing to a vertical knob
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.5);
  EXPECT_DOUBLE_EQ(rig.plug.informed.back(), 0.5);

  IRECT wide(0, 0, 50, 10);
  auto* hk =
      rig.Add(new IKnobLineControl(&rig.plug, &wide, kGain, &COLOR_WHITE, 0, 0, -2, 2, kHorizontal, 2.0));
  hk->SetValueFromPlug(0.0);
  hk->OnMouseDrag(0, 0, 25, -99, &kLeft);
  EXPECT_DOUBLE_EQ(hk->GetValue(), 0.25);

  IRECT flat(0, 0, 10, 0);
  auto* none = rig.Add(new IKnobLineControl(&rig.plug, &flat, kGain, &COLOR_WHITE));
  none->SetValueFromPlug(0.5);
  none->OnMouseDrag(0, 0, 0, 0, &kLeft);
  EXPECT_EQ(none->GetValue(), 0.5); // no extent, no NaN
}

TEST(KnobMultiControl, DrawsTheFrameOfItsValue)
{
  GuiRig rig(60, 60);
  auto strip = Filmstrip(42, 50, {kF1, kF2, kF3, kF4});
  IBitmap b = Wrap(strip.get(), 4);
  auto* k = rig.Add(new IKnobMultiControl(&rig.plug, 3, 4, kGain, &b));
  EXPECT_EQ(*k->GetRECT(), IRECT(3, 4, 45, 54));
  EXPECT_EQ(k->GetGearing(), 4.0);
  EXPECT_EQ(k->GetDirection(), kVertical);
  k->SetValueFromUserInput(0.5); // trunc(3 * 0.5 + 0.5) + 1 = 3
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(3, 4), kF3);
  EXPECT_EQ(rig.Pixel(44, 53), kF3);
  // 42 pixels of drag for a 50-pixel knob at gearing 4 is 42 / 200 of the range.
  k->OnMouseDrag(0, 0, 0, -42, &kLeft);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.5 + 42.0 / 200.0);
}

TEST(KnobLineControl, DrawsARadialLineAtTheValuesAngle)
{
  GuiRig rig(41, 41);
  IRECT r(0, 0, 41, 41);
  // From straight up (value 0) to pointing right (value 1).
  auto* k = rig.Add(new IKnobLineControl(&rig.plug, &r, kGain, &COLOR_WHITE, 5.0, 0.0, 0.0, M_PI / 2));
  EXPECT_EQ(k->GetBlend()->mMethod, IChannelBlend::kBlendOpaque);
  k->SetValueFromUserInput(0.0);
  rig.RepaintAll();
  EXPECT_EQ(rig.g->GetPoint(20, 5).R, 255); // above the centre, out to half the width
  EXPECT_EQ(rig.g->GetPoint(20, 14).R, 255);
  EXPECT_EQ(rig.g->GetPoint(20, 18).A, 0); // inside the inner radius
  EXPECT_EQ(rig.g->GetPoint(30, 20).A, 0);
  rig.g->GetDrawBitmap()->Resize(41, 41);
  k->SetValueFromUserInput(1.0);
  rig.RepaintAll();
  EXPECT_EQ(rig.g->GetPoint(34, 20).R, 255);
  EXPECT_EQ(rig.g->GetPoint(20, 10).A, 0);
}

TEST(KnobRotaterControl, TurnsItsBitmapWithTheValue)
{
  GuiRig rig(20, 20);
  // A 10 x 10 bitmap with its top half red, bottom half blue.
  auto bmp = SolidBitmap(10, 10, 0xFF0000FF);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x) raster::PutPixel(bmp.get(), x, y, 0xFFFF0000);
  IBitmap b = Wrap(bmp.get());
  auto* k = rig.Add(new IKnobRotaterControl(&rig.plug, 5, 5, kGain, &b, 0.0, M_PI));
  k->SetValueFromUserInput(0.0);
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(10, 6), 0xFFFF0000u);
  EXPECT_EQ(rig.Pixel(10, 13), 0xFF0000FFu);
  k->SetValueFromUserInput(1.0); // half a turn: upside down
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(10, 6), 0xFF0000FFu);
  EXPECT_EQ(rig.Pixel(10, 13), 0xFFFF0000u);
}

TEST(KnobRotatingMaskControl, TheMaskCutsTheBaseAndTheTopTurns)
{
  GuiRig rig(20, 20);
  auto base = SolidBitmap(10, 10, 0xFF00FF00);
  auto mask = SolidBitmap(10, 10, 0xFFFFFFFF); // opaque on its left half only
  for (int y = 0; y < 10; ++y)
    for (int x = 5; x < 10; ++x) raster::PutPixel(mask.get(), x, y, 0);
  auto top = SolidBitmap(10, 10, 0);
  for (int x = 0; x < 10; ++x) raster::PutPixel(top.get(), x, 0, 0xFFFFFFFF); // a line along the top
  IBitmap bb = Wrap(base.get()), mb = Wrap(mask.get()), tb = Wrap(top.get());
  auto* k = rig.Add(new IKnobRotatingMaskControl(&rig.plug, 2, 2, kGain, &bb, &mb, &tb, 0.0, 180.0));
  k->SetValueFromUserInput(0.0);
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(3, 6), 0xFF00FF00u); // the base where the mask is opaque
  EXPECT_EQ(rig.Pixel(9, 6), 0u);          // cut away where it is clear
  EXPECT_EQ(rig.Pixel(3, 2), 0xFFFFFFFFu); // the top's line
  k->SetValueFromUserInput(1.0);           // 180 degrees: the mask's clear half is now on the left
  rig.g->GetDrawBitmap()->Resize(20, 20);
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(3, 6), 0u);
  EXPECT_EQ(rig.Pixel(9, 6), 0xFF00FF00u);
  EXPECT_EQ(rig.Pixel(3, 11), 0xFFFFFFFFu); // the line now along the bottom
}

// ----- radio buttons -----

TEST(RadioButtonsControl, ButtonsSpreadEvenlyAndPressesPickThem)
{
  GuiRig rig(40, 60);
  auto strip = Filmstrip(8, 10, {kF1, kF2});
  IBitmap b = Wrap(strip.get(), 2);
  IRECT r(5, 5, 13, 55);
  auto* c = rig.Add(new IRadioButtonsControl(&rig.plug, &r, kMode, 3, &b));
  ASSERT_EQ(c->GetNButtons(), 3);
  EXPECT_EQ(c->GetButtonRECT(0), IRECT(5, 5, 13, 15));
  EXPECT_EQ(c->GetButtonRECT(1), IRECT(5, 25, 13, 35));
  EXPECT_EQ(c->GetButtonRECT(2), IRECT(5, 45, 13, 55));
  EXPECT_TRUE(c->GetButtonRECT(3).Empty());

  c->OnMouseDown(6, 30, &kLeft);
  EXPECT_EQ(c->GetValue(), 0.5);
  EXPECT_EQ(rig.plug.GetParam(kMode)->Value(), 1.0);
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(6, 6), kF1);
  EXPECT_EQ(rig.Pixel(6, 26), kF2);
  EXPECT_EQ(rig.Pixel(6, 46), kF1);

  rig.plug.informed.clear();
  c->OnMouseDown(6, 20, &kLeft); // between buttons: pushed, unchanged
  EXPECT_EQ(c->GetValue(), 0.5);
  EXPECT_EQ(rig.plug.informed, (std::vector<double>{0.5}));
  c->OnMouseDown(6, 50, &kLeft);
  EXPECT_EQ(c->GetValue(), 1.0);

  IRECT row(0, 0, 40, 10);
  auto* h = rig.Add(new IRadioButtonsControl(&rig.plug, &row, kMode, 4, &b, kHorizontal));
  EXPECT_EQ(h->GetButtonRECT(3), IRECT(30, 0, 38, 10)); // (40 - 8) / 3 = 10 apart
  auto* single = rig.Add(new IRadioButtonsControl(&rig.plug, &row, kMode, 0, &b));
  single->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(single->GetValue(), 0.0);
}

// ----- text -----

TEST(TextControl, ChangedTextDirtiesUnchangedDoesNot)
{
  GuiRig rig;
  IRECT r(0, 0, 50, 12);
  IText style(10, &COLOR_WHITE);
  auto* t = rig.Add(new ITextControl(&rig.plug, &r, &style, "v2.0.2"));
  EXPECT_STREQ(t->GetTextForPlug(), "v2.0.2");
  EXPECT_EQ(t->GetText()->mSize, 10);
  EXPECT_EQ(t->ParamIdx(), -1);
  t->SetClean();
  t->SetTextFromPlug("v2.0.2");
  EXPECT_FALSE(t->IsDirty());
  t->SetTextFromPlug("v2.0.3");
  EXPECT_TRUE(t->IsDirty());
  t->SetClean();
  t->SetTextFromPlug(nullptr);
  EXPECT_STREQ(t->GetTextForPlug(), "");
  EXPECT_TRUE(t->IsDirty());
  EXPECT_TRUE(rig.plug.events.empty());
}

// The caption formats on every draw; the text it drew is what it holds afterwards.
static std::string CaptionText(GuiRig& rig, ICaptionControl* c)
{
  c->Draw(rig.g);
  return c->GetTextForPlug();
}

TEST(CaptionControl, ShowsTheParameterWithAndWithoutItsLabel)
{
  GuiRig rig(60, 20);
  IRECT r(0, 0, 60, 20);
  IText style;
  auto* gain = rig.Add(new ICaptionControl(&rig.plug, &r, kGain, &style));
  auto* bare = rig.Add(new ICaptionControl(&rig.plug, &r, kGain, &style, false));
  auto* mode = rig.Add(new ICaptionControl(&rig.plug, &r, kMode, &style));
  auto* on = rig.Add(new ICaptionControl(&rig.plug, &r, kOn, &style));
  auto* count = rig.Add(new ICaptionControl(&rig.plug, &r, kCount, &style));
  rig.plug.GetParam(kGain)->Set(-3.25);
  EXPECT_EQ(CaptionText(rig, gain), "-3.2 dB");
  EXPECT_EQ(CaptionText(rig, bare), "-3.2");
  rig.plug.GetParam(kMode)->Set(2.0);
  EXPECT_EQ(CaptionText(rig, mode), "Auto "); // a display text has no label, but the space stays
  EXPECT_EQ(CaptionText(rig, on), "on ");
  EXPECT_EQ(CaptionText(rig, count), "1 ");
  // The parameter, not the control's own value, decides.
  gain->SetValueFromPlug(0.9);
  EXPECT_EQ(CaptionText(rig, gain), "-3.2 dB");
  EXPECT_FALSE(gain->IsPromptDisabled());
}

TEST(CaptionControl, PressesAndDoubleClicksOpenTheValueEntry)
{
  GuiRig rig;
  IRECT r(10, 42, 47, 50);
  IText style;
  auto* c = rig.Add(new ICaptionControl(&rig.plug, &r, kGain, &style));
  rig.g->QueueTextEntry("6.5");
  rig.g->OnMouseDown(12, 45, &kLeft);
  ASSERT_EQ(rig.g->TextEntriesShown().size(), 1u);
  EXPECT_EQ(rig.g->TextEntriesShown()[0].rect, IRECT(13, 38, 43, 54)); // 30 x 16 centred on (28, 46)
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), 6.5);
  EXPECT_DOUBLE_EQ(c->GetValue(), 30.5 / 48.0);
  rig.g->OnMouseUp(12, 45, &kLeft);
  rig.g->QueueTextEntry("-1");
  rig.g->OnMouseDblClick(12, 45, &kLeft);
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), -1.0);
  rig.g->QueueTextEntry("2");
  c->OnMouseDown(12, 45, &kRight);
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), 2.0);
  c->OnMouseDown(12, 45, nullptr); // neither button: nothing
  EXPECT_EQ(rig.g->TextEntriesShown().size(), 3u);
}

// ----- links and files -----

TEST(URLControl, OpensTheBackupWhenTheFirstFailsOrIsEmpty)
{
  GuiRig rig;
  IRECT r(0, 0, 10, 10);
  auto* c = rig.Add(new IURLControl(&rig.plug, &r, "http://a.example", "http://b.example"));
  c->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(rig.g->URLsOpened(), (std::vector<std::string>{"http://a.example"}));
  rig.g->QueueOpenURLResult(false);
  c->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(rig.g->URLsOpened().size(), 3u);
  EXPECT_EQ(rig.g->URLsOpened()[2], "http://b.example");
  auto* empty = rig.Add(new IURLControl(&rig.plug, &r, "", "http://b.example"));
  empty->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(rig.g->URLsOpened().back(), "http://b.example");
  EXPECT_EQ(rig.g->URLsOpened().size(), 4u);

  const std::string longURL(5000, 'u');
  auto* cut = rig.Add(new IURLControl(&rig.plug, &r, longURL.c_str(), nullptr, longURL.c_str()));
  EXPECT_EQ(strlen(cut->GetURL()), 255u);
  EXPECT_EQ(strlen(cut->GetBackupURL()), 0u);
  EXPECT_EQ(strlen(cut->GetErrMsg()), 1023u);
}

TEST(FileSelectorControl, AChoiceFlipsTheValueAndIsDirtyOnceMore)
{
  GuiRig rig;
  IRECT r(0, 0, 10, 10);
  auto shown = SolidBitmap(10, 10, kF1);
  IBitmap b = Wrap(shown.get());
  auto* c = rig.Add(new IFileSelectorControl(&rig.plug, &r, -1, &b, kFileOpen, "/tmp/", "wav aif"));
  rig.g->QueueFileChoice("/music/take1.wav");
  c->OnMouseDown(1, 1, &kLeft);
  EXPECT_EQ(c->GetValue(), 1.0);
  EXPECT_EQ(c->GetState(), IFileSelectorControl::kFSDone);
  ASSERT_EQ(rig.g->FileDialogsShown().size(), 1u);
  EXPECT_EQ(rig.g->FileDialogsShown()[0].dir, "/tmp/");
  EXPECT_EQ(rig.g->FileDialogsShown()[0].extensions, "wav aif");
  WDL_String file;
  c->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/music/take1.wav");

  c->SetClean();
  EXPECT_TRUE(c->IsDirty()); // once more for the finished choice ...
  EXPECT_EQ(c->GetState(), IFileSelectorControl::kFSNone);
  EXPECT_FALSE(c->IsDirty()); // ... and then clean

  c->OnMouseDown(1, 1, &kLeft); // cancelled: the name is emptied, the value still flips
  c->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "");
  EXPECT_EQ(c->GetValue(), 0.0);
  c->SetLastSelectedFileFromPlug("/x.wav");
  c->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/x.wav");
  rig.RepaintAll(); // not selecting: draws nothing
  EXPECT_EQ(rig.Pixel(1, 1), 0u);
}
