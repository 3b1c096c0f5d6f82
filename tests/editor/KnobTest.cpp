// The editor's knob: its two parts and their places, moving and greying through it, and
// how knob, caption and parameter keep in step.

#include "EditorRig.h"

#include "IPlug/controls/ICaptionControl.h"
#include "IPlug/controls/IKnobMultiControl.h"

namespace
{
IMouseMod kLeft(true);

// The input gain knob of the top section, at (55, 33).
struct InputKnob : EditorRig
{
  hrKnob* knob = gui->Knob(0);
  int idx = gui->KnobIdx(0);
};
} // namespace

TEST(hrKnob, KnobThenCaptionThenItselfWithTheirOwnPlaces)
{
  InputKnob r;
  ASSERT_NE(r.knob, nullptr);
  EXPECT_EQ(r.Control(r.idx), r.knob);
  EXPECT_EQ(r.knob->GetKnobIdx(), r.idx - 2);
  EXPECT_EQ(r.knob->GetCaptionIdx(), r.idx - 1);
  EXPECT_EQ(r.Control(r.idx - 2), r.knob->GetKnob());
  EXPECT_EQ(r.Control(r.idx - 1), r.knob->GetCaption());
  // The knob takes one frame of its filmstrip; the caption lies under it.
  const std::unique_ptr<LICE_MemBitmap> strip = Artwork(kKnobIoGain);
  ASSERT_TRUE(strip);
  const int frameW = strip->Width(), frameH = strip->Height() / kKnobIoGain.frames;
  EXPECT_EQ(*r.knob->GetKnob()->GetRECT(), IRECT(55, 33, 55 + frameW, 33 + frameH));
  EXPECT_EQ(*r.knob->GetCaption()->GetRECT(), IRECT(60, 75, 97, 83));
  EXPECT_EQ(*r.knob->GetRECT(), IRECT(55, 33, 97, 83));
  EXPECT_TRUE(r.knob->GetTargetRECT()->Empty()) << "the hrKnob never takes the mouse itself";
  EXPECT_EQ(r.knob->ParamIdx(), kInputGain);
  const IText* style = r.knob->GetCaption()->GetText();
  EXPECT_STREQ(style->mFont, "Arial");
  EXPECT_EQ(style->mSize, 10);
  EXPECT_EQ(style->mColor, IColor(255, 180, 180, 180));
  EXPECT_EQ(style->mAlign, IText::kAlignCenter);
}

TEST(hrKnob, ItsRectangleMovesAtOnceAndThePartsOnTheNextDraw)
{
  InputKnob r;
  r.Settle();
  r.knob->move(100, 300);
  EXPECT_EQ(*r.knob->GetRECT(), IRECT(100, 300, 142, 350));
  EXPECT_EQ(r.knob->GetKnob()->GetRECT()->L, 55);
  EXPECT_EQ(r.knob->GetCaption()->GetRECT()->L, 60);
  EXPECT_FALSE(r.knob->GetKnob()->IsDirty());

  // A repaint of the hrKnob's old place draws the parts where they were, then moves them.
  r.knob->SetDirty(false);
  r.g->RepaintDirty();
  EXPECT_EQ(r.knob->GetKnob()->GetRECT()->L, 100);
  EXPECT_EQ(r.knob->GetKnob()->GetRECT()->T, 300);
  EXPECT_EQ(*r.knob->GetCaption()->GetRECT(), IRECT(105, 342, 142, 350));
  EXPECT_EQ(*r.knob->GetKnob()->GetTargetRECT(), *r.knob->GetKnob()->GetRECT());
  // ... and they are shown there one repaint later.
  EXPECT_TRUE(r.knob->GetKnob()->IsDirty());
  EXPECT_TRUE(r.knob->GetCaption()->IsDirty());
  IRECT drawn;
  ASSERT_TRUE(r.g->RepaintDirty(&drawn));
  EXPECT_TRUE(drawn.Intersects(r.knob->GetKnob()->GetRECT()));
}

TEST(hrKnob, GreyingReachesThePartsOnlyWhenDrawn)
{
  InputKnob r;
  r.Settle();
  const int cx = 78, cy = 54; // the knob's middle
  r.knob->GrayOut(true);
  EXPECT_TRUE(r.knob->IsGrayRequested());
  EXPECT_FALSE(r.knob->GetKnob()->IsGrayed());
  EXPECT_EQ(r.Hit(cx, cy), r.knob->GetKnobIdx()) << "until drawn the knob still takes clicks";
  r.Tick();
  EXPECT_TRUE(r.knob->GetKnob()->IsGrayed());
  EXPECT_TRUE(r.knob->GetCaption()->IsGrayed());
  EXPECT_EQ(r.knob->GetKnob()->GetBlend()->mWeight, 0.25f);
  EXPECT_EQ(r.Hit(cx, cy), 0) << "a greyed knob leaves the click to the background";
  EXPECT_EQ(r.Hit(70, 78), 0);
  r.knob->GrayOut(false);
  r.Tick();
  EXPECT_EQ(r.Hit(cx, cy), r.knob->GetKnobIdx());
  EXPECT_EQ(r.Hit(70, 78), r.knob->GetCaptionIdx());
}

TEST(hrKnob, NothingIsLeftToRepaintOnceSettled)
{
  EditorRig r;
  r.Settle();
  EXPECT_FALSE(r.g->RepaintDirty());
  // Greying and moving a knob costs two repaints, not one every tick from then on.
  r.gui->Eq()->grayOut(true);
  r.gui->rearrange(1);
  r.Tick();
  EXPECT_TRUE(r.g->RepaintDirty());
  EXPECT_FALSE(r.g->RepaintDirty());
}

TEST(hrKnob, KnobCaptionAndParameterKeepInStep)
{
  InputKnob r;
  r.Settle();
  IKnobMultiControl* knob = r.knob->GetKnob();
  ICaptionControl* caption = r.knob->GetCaption();
  EXPECT_STREQ(caption->GetTextForPlug(), "0.0 dB");

  // A drag moves the knob and the parameter; the caption shows the parameter's text on
  // its next draw and takes the value at the hrKnob's.
  r.g->OnMouseDown(78, 54, &kLeft);
  r.g->OnMouseDrag(78, 44, &kLeft); // 10 pixels up: 10 / (42 * 4) of the range
  r.g->OnMouseUp(78, 44, &kLeft);
  const double v = knob->GetValue();
  EXPECT_NEAR(v, 60.0 / 90.0 + 10.0 / 168.0, 1e-12);
  EXPECT_NEAR(r.Normalized(kInputGain), v, 1e-12);
  EXPECT_NE(caption->GetValue(), v);
  r.Tick();
  EXPECT_NEAR(caption->GetValue(), v, 1e-12);
  EXPECT_STREQ(caption->GetTextForPlug(), "5.4 dB"); // 90 * 10 / 168 = 5.36

  // Dragged past the top it stops at 1, and the caption shows the range's end.
  r.g->OnMouseDown(78, 54, &kLeft);
  r.g->OnMouseDrag(78, -500, &kLeft);
  r.g->OnMouseUp(78, -500, &kLeft);
  EXPECT_EQ(knob->GetValue(), 1.0);
  r.Tick();
  EXPECT_STREQ(caption->GetTextForPlug(), "30.0 dB");

  // Typed into the caption: the parameter takes it, the knob follows at the next draw.
  r.g->QueueTextEntry("-12");
  r.g->OnMouseDown(78, 79, &kLeft);
  r.g->OnMouseUp(78, 79, &kLeft);
  ASSERT_EQ(r.g->TextEntriesShown().size(), 1u);
  EXPECT_EQ(r.g->TextEntriesShown()[0].rect, IRECT(63, 71, 93, 87)) << "30 x 16 over the caption";
  EXPECT_EQ(r.g->TextEntriesShown()[0].text, "30.0");
  EXPECT_NEAR(r.Value(kInputGain), -12.0, 1e-12);
  EXPECT_EQ(knob->GetValue(), 1.0);
  r.Tick();
  EXPECT_NEAR(knob->GetValue(), 48.0 / 90.0, 1e-12);

  // Text that does not start with a number reads as 0, normalised like any other.
  r.g->QueueTextEntry("loud");
  r.g->OnMouseDown(78, 79, &kLeft);
  r.g->OnMouseUp(78, 79, &kLeft);
  EXPECT_NEAR(r.Value(kInputGain), 0.0, 1e-12);
  r.Tick();
  EXPECT_NEAR(knob->GetValue(), 60.0 / 90.0, 1e-12);
}

TEST(hrKnob, TheHostsChangesReachBothPartsAndTheKnobsDoubleClickDefault)
{
  InputKnob r;
  r.Set(kInputGain, 12.0);
  EXPECT_EQ(r.knob->GetKnob()->GetValue(), 72.0 / 90.0);
  EXPECT_EQ(r.knob->GetCaption()->GetValue(), 72.0 / 90.0);
  EXPECT_EQ(r.knob->GetValue(), 0.0) << "its own value is left alone";
  // A double click restores the first value the knob was given: the default.
  r.Tick();
  r.g->OnMouseDblClick(78, 54, &kLeft);
  EXPECT_NEAR(r.Value(kInputGain), 0.0, 1e-12);
  // The wheel moves it by a hundredth.
  r.g->OnMouseWheel(78, 54, &kLeft, 1);
  EXPECT_NEAR(r.Normalized(kInputGain), 60.0 / 90.0 + 0.01, 1e-12);
}
