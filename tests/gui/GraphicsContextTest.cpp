// The graphics context: attaching controls, the parameter link both ways, prompting,
// dirty tracking and the two drawing policies, mouse and key dispatch, resizing.

#include "GuiTestSupport.h"

#include "IPlug/IParam.h"
#include "IPlug/controls/ISwitchControl.h"

#include <cmath>

namespace
{
IMouseMod kLeft(true), kRight(false, true);

std::vector<std::string> Take(std::vector<std::string>& v)
{
  std::vector<std::string> out;
  out.swap(v);
  return out;
}
} // namespace

// ----- attaching -----

TEST(GraphicsAttach, BackgroundGoesUnderEverythingAndShiftsEarlierIndices)
{
  ScratchDir dir;
  auto bg = SolidBitmap(100, 80, 0xFF336699);
  ASSERT_TRUE(raster::WritePNG(bg.get(), dir.File("attach_bg.png").c_str()));
  GuiRig rig;
  rig.g->SetResourceFolder(dir.Path().c_str());
  ProbeControl* a = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10)));
  EXPECT_EQ(rig.g->GetControl(0), a);
  rig.g->AttachBackground(2001, "attach_bg.png"); // ids are process-wide: unique per test
  ASSERT_EQ(rig.g->GetNControls(), 2);
  EXPECT_EQ(rig.g->GetControl(1), a); // an index stored before is now stale
  EXPECT_EQ(*rig.g->GetControl(0)->GetRECT(), IRECT(0, 0, 100, 80));
  EXPECT_EQ(rig.g->GetControl(0)->GetBlend()->mMethod, IChannelBlend::kBlendOpaque);
  EXPECT_EQ(rig.g->GetControl(0)->ParamIdx(), -1);
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(50, 50), 0xFF336699u);
  EXPECT_EQ(rig.Pixel(5, 5), 0xFF000000u); // the probe is drawn over it
}

TEST(GraphicsAttach, PanelBackgroundFillsTheEditor)
{
  GuiRig rig(20, 10);
  rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 2, 2)));
  EXPECT_EQ(rig.g->AttachPanelBackground(&COLOR_ORANGE), 0);
  EXPECT_EQ(*rig.g->GetControl(0)->GetRECT(), IRECT(0, 0, 20, 10));
  rig.RepaintAll();
  EXPECT_EQ(rig.Pixel(19, 9), COLOR_ORANGE.Packed());
}

TEST(GraphicsAttach, ControlsAreIndexedInAttachmentOrder)
{
  GuiRig rig;
  EXPECT_EQ(rig.g->AttachControl(new ProbeControl(&rig.plug, IRECT())), 0);
  EXPECT_EQ(rig.g->AttachControl(new ProbeControl(&rig.plug, IRECT())), 1);
  EXPECT_EQ(rig.g->AttachControl(nullptr), -1);
  EXPECT_EQ(rig.g->GetNControls(), 2);
  EXPECT_EQ(rig.g->GetControl(2), nullptr);
  EXPECT_EQ(rig.g->GetControl(-1), nullptr);
}

// ----- parameter link -----

TEST(GraphicsParams, AttachingPushesEveryParameterNormalised)
{
  GuiRig rig(100, 80, false);
  auto* gain = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  auto* gain2 = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  auto* freq = rig.Add(new ProbeControl(&rig.plug, IRECT(), kFreq));
  auto* meter = rig.Add(new ProbeControl(&rig.plug, IRECT()));
  rig.Attach();
  EXPECT_EQ(gain->GetValue(), 0.5);
  EXPECT_EQ(gain2->GetValue(), 0.5); // controls may share a parameter
  EXPECT_DOUBLE_EQ(freq->GetValue(), std::sqrt(980.0 / 19980.0));
  EXPECT_EQ(gain->GetDefaultValue(), 0.5); // the first value is the double-click default
  EXPECT_EQ(meter->GetDefaultValue(), -1.0);
  EXPECT_NE(rig.g->GetDrawBitmap(), nullptr);
  EXPECT_EQ(rig.g->GetDrawBitmap()->Width(), 100);
}

TEST(GraphicsParams, FromPlugInRealOrNormalisedUnits)
{
  GuiRig rig;
  auto* gain = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  auto* other = rig.Add(new ProbeControl(&rig.plug, IRECT(), kCount));
  rig.g->SetParameterFromPlug(kGain, 0.2, true); // first value: the default
  rig.g->SetParameterFromPlug(kGain, 12.0, false);
  EXPECT_EQ(gain->GetValue(), 0.75);
  rig.g->SetParameterFromPlug(kGain, 99.0, false); // clamped by the parameter
  EXPECT_EQ(gain->GetValue(), 1.0);
  rig.g->SetParameterFromPlug(42, 1.0, false); // no such parameter: nothing
  rig.g->SetParameterFromPlug(-1, 0.3, true);  // the controls without one are not "parameter -1"'s
  EXPECT_EQ(other->GetValue(), 0.0);
  EXPECT_TRUE(rig.plug.events.empty()); // values from the plug-in go nowhere back
}

TEST(GraphicsParams, ControlFromPlugIgnoresIndicesOutsideTheList)
{
  GuiRig rig;
  auto* meter = rig.Add(new ProbeControl(&rig.plug, IRECT()));
  rig.g->SetControlFromPlug(0, 0.3);
  EXPECT_EQ(meter->GetValue(), 0.3);
  rig.g->SetControlFromPlug(-1, 0.9);
  rig.g->SetControlFromPlug(1, 0.9);
  rig.g->SetControlFromPlug(1 << 30, 0.9);
  EXPECT_EQ(meter->GetValue(), 0.3);
}

TEST(GraphicsParams, ClampGreyAndHideByParameter)
{
  GuiRig rig;
  auto* a = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  auto* b = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(), kFreq));
  rig.g->ClampControl(kGain, -12.0, 12.0, false);
  EXPECT_EQ(a->GetClampLo(), 0.25);
  EXPECT_EQ(b->GetClampHi(), 0.75);
  EXPECT_EQ(c->GetClampHi(), 1.0);
  rig.g->ClampControl(kFreq, 0.1, 0.2, true);
  EXPECT_EQ(c->GetClampLo(), 0.1);
  rig.g->GrayOutControl(kGain, true);
  EXPECT_TRUE(a->IsGrayed() && b->IsGrayed());
  EXPECT_FALSE(c->IsGrayed());
  rig.g->HideControl(kFreq, true);
  EXPECT_TRUE(c->IsHidden());
  rig.g->HideControl(99, true);
  rig.g->GrayOutControl(-5, true);
  EXPECT_FALSE(a->IsHidden());
}

TEST(GraphicsParams, FromGUIIsUserInputToEveryBoundControl)
{
  GuiRig rig;
  auto* a = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  auto* b = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  rig.g->SetParameterFromGUI(kGain, 0.25);
  EXPECT_EQ(a->GetValue(), 0.25);
  EXPECT_EQ(b->GetValue(), 0.25);
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), -12.0);
  EXPECT_EQ(Take(rig.plug.events),
            (std::vector<std::string>{"inform 0", "change 0", "inform 0", "change 0"}));
}

// ----- prompting -----

TEST(GraphicsPrompt, EnumsGetAMenuOfTheirTextsWithTheCurrentOneChecked)
{
  GuiRig rig;
  auto* mode = rig.Add(new ProbeControl(&rig.plug, IRECT(10, 10, 40, 20), kMode));
  rig.plug.GetParam(kMode)->Set(1.0);
  IRECT r(1, 2, 3, 4);
  rig.g->QueueMenuChoice(2);
  rig.g->PromptUserInput(mode, rig.plug.GetParam(kMode), &r);
  ASSERT_EQ(rig.g->MenusShown().size(), 1u);
  const auto& shown = rig.g->MenusShown()[0];
  EXPECT_EQ(shown.items, (std::vector<std::string>{"Soft", "Hard", "Auto"}));
  EXPECT_EQ(shown.flags, (std::vector<int>{0, IPopupMenu::Item::kChecked, 0}));
  EXPECT_EQ(shown.rect, r);
  EXPECT_EQ(mode->GetValue(), 1.0);
  EXPECT_EQ(rig.plug.GetParam(kMode)->Value(), 2.0);

  // Dismissed: nothing changes.
  rig.g->QueueMenuChoice(-1);
  rig.g->PromptUserInput(mode, rig.plug.GetParam(kMode), &r);
  EXPECT_EQ(mode->GetValue(), 1.0);
  EXPECT_EQ(rig.g->MenusShown().size(), 2u);
}

TEST(GraphicsPrompt, BoolsWithTextsGetAMenuOthersATextField)
{
  GuiRig rig;
  auto* on = rig.Add(new ProbeControl(&rig.plug, IRECT(), kOn));
  auto* gain = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  auto* count = rig.Add(new ProbeControl(&rig.plug, IRECT(), kCount));
  IRECT r(0, 0, 30, 16);
  rig.g->SetParameterFromPlug(kOn, 1.0, true);
  rig.g->QueueMenuChoice(0);
  rig.g->PromptUserInput(on, rig.plug.GetParam(kOn), &r);
  ASSERT_EQ(rig.g->MenusShown().size(), 1u);
  EXPECT_EQ(rig.g->MenusShown()[0].items, (std::vector<std::string>{"off", "on"}));
  EXPECT_EQ(rig.g->MenusShown()[0].flags, (std::vector<int>{0, IPopupMenu::Item::kChecked}));
  EXPECT_FALSE(rig.plug.GetParam(kOn)->Bool());

  rig.plug.GetParam(kGain)->Set(-3.25);
  gain->SetTextEntryLength(5);
  rig.g->PromptUserInput(gain, rig.plug.GetParam(kGain), &r);
  ASSERT_EQ(rig.g->TextEntriesShown().size(), 1u);
  EXPECT_EQ(rig.g->TextEntriesShown()[0].text, "-3.2"); // the number, at the step's precision
  EXPECT_EQ(rig.g->TextEntriesShown()[0].maxLength, 5);
  EXPECT_EQ(rig.g->TextEntriesShown()[0].control, gain);
  EXPECT_TRUE(rig.g->TextEntryOpen());
  rig.g->ForceEndUserEdit(); // ended without a text: nothing changes
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), -3.25);

  rig.g->PromptUserInput(count, rig.plug.GetParam(kCount), &r);
  EXPECT_EQ(rig.g->TextEntriesShown().back().text, "1");

  rig.g->PromptUserInput(nullptr, rig.plug.GetParam(kGain), &r);
  rig.g->PromptUserInput(gain, nullptr, &r);
  rig.g->PromptUserInput(gain, rig.plug.GetParam(kGain), nullptr);
  EXPECT_EQ(rig.g->TextEntriesShown().size(), 2u);
  EXPECT_EQ(rig.g->MenusShown().size(), 1u);
}

TEST(GraphicsPrompt, TypedTextIsMappedOrReadAsADecimalNumber)
{
  GuiRig rig;
  auto* mode = rig.Add(new ProbeControl(&rig.plug, IRECT(), kMode));
  auto* gain = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  IParam* pm = rig.plug.GetParam(kMode);
  IParam* pg = rig.plug.GetParam(kGain);
  rig.g->SetFromStringAfterPrompt(mode, pm, "Auto");
  EXPECT_EQ(pm->Value(), 2.0);
  rig.g->SetFromStringAfterPrompt(mode, pm, "auto"); // unknown text: 0
  EXPECT_EQ(pm->Value(), 0.0);

  struct Case
  {
    const char* typed;
    double value;
  } cases[] = {{"12", 12.0},    {" -6.5dB", -6.5}, {"abc", 0.0}, {"nan", 0.0},   {"0x10", 0.0},
               {"1e999", 24.0}, {"-1e999", -24.0}, {"", 0.0},    {"+3e1", 24.0}, {"1.5.5", 1.5}};
  for (const Case& c : cases)
  {
    rig.g->SetFromStringAfterPrompt(gain, pg, c.typed);
    EXPECT_EQ(pg->Value(), c.value) << c.typed;
    EXPECT_FALSE(std::isnan(gain->GetValue())) << c.typed;
  }

  pg->NegateDisplay();
  rig.g->SetFromStringAfterPrompt(gain, pg, "6");
  EXPECT_EQ(pg->Value(), -6.0);
  rig.g->SetFromStringAfterPrompt(nullptr, pg, "6");
  rig.g->SetFromStringAfterPrompt(gain, nullptr, "6");
  rig.g->SetFromStringAfterPrompt(gain, pg, nullptr);
  EXPECT_EQ(pg->Value(), 0.0);
}

// ----- dirty tracking and drawing -----

TEST(GraphicsDraw, IsDirtyIsTheUnionOfDirtyControlsHiddenOnesToo)
{
  GuiRig rig;
  auto* a = rig.Add(new ProbeControl(&rig.plug, IRECT(10, 10, 20, 20)));
  auto* b = rig.Add(new ProbeControl(&rig.plug, IRECT(30, 5, 40, 15)));
  IRECT r;
  EXPECT_TRUE(rig.g->IsDirty(&r)); // new controls start dirty
  EXPECT_EQ(r, IRECT(10, 5, 40, 20));
  a->SetClean();
  b->SetClean();
  r.Clear();
  EXPECT_FALSE(rig.g->IsDirty(&r));
  EXPECT_TRUE(r.Empty());
  b->Hide(true);
  EXPECT_TRUE(rig.g->IsDirty(&r));
  EXPECT_EQ(r, IRECT(30, 5, 40, 15));
}

TEST(GraphicsDraw, StrictDrawingRedrawsATouchingNeighbourAndCleansEverything)
{
  GuiRig rig;
  auto* left = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10)));
  auto* right = rig.Add(new ProbeControl(&rig.plug, IRECT(10, 0, 20, 10)));
  auto* apart = rig.Add(new ProbeControl(&rig.plug, IRECT(21, 0, 30, 10)));
  auto* hidden = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 30, 10)));
  hidden->Hide(true);
  hidden->SetClean(); // hiding asks for one more repaint
  for (IControl* c : {(IControl*) left, (IControl*) right, (IControl*) apart, (IControl*) hidden})
    c->SetClean();
  left->SetDirty(false);
  IRECT r;
  ASSERT_TRUE(rig.g->IsDirty(&r));
  EXPECT_TRUE(rig.g->Draw(&r));
  EXPECT_EQ(left->draws, 1);
  EXPECT_EQ(right->draws, 1); // its left edge touches the dirty area's right edge
  EXPECT_EQ(apart->draws, 0);
  EXPECT_EQ(hidden->draws, 0);     // never drawn ...
  EXPECT_FALSE(hidden->IsDirty()); // ... but cleaned
  EXPECT_EQ(rig.g->ScreenDraws(), 1);
  EXPECT_EQ(rig.g->LastScreenRect(), IRECT(0, 0, 10, 10));

  // The mirror image: a dirty control whose left edge is its neighbour's right edge
  // does not reach back.
  right->SetDirty(false);
  r.Clear();
  rig.g->IsDirty(&r);
  rig.g->Draw(&r);
  EXPECT_EQ(left->draws, 1);
  EXPECT_EQ(right->draws, 2);

  // An empty area draws nothing but still cleans.
  apart->SetDirty(false);
  IRECT none;
  rig.g->Draw(&none);
  EXPECT_EQ(apart->draws, 0);
  EXPECT_FALSE(apart->IsDirty());
}

TEST(GraphicsDraw, AValueArrivingDuringDrawingKeepsTheControlDirtyForOneMoreRepaint)
{
  GuiRig rig;
  auto* meter = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 5, 5)));
  meter->SetValueFromPlug(0.1); // the first value: the default, the control stays as it was
  IRECT r(0, 0, 5, 5);
  rig.g->Draw(&r);
  EXPECT_FALSE(meter->IsDirty());
  meter->SetValueFromPlug(0.2);
  EXPECT_TRUE(meter->IsDirty());
  EXPECT_TRUE(meter->IsRedrawPending());
  rig.g->Draw(&r);
  EXPECT_TRUE(meter->IsDirty()); // redraw pending became dirty
  rig.g->Draw(&r);
  EXPECT_FALSE(meter->IsDirty());
  EXPECT_EQ(meter->draws, 3);
}

TEST(GraphicsDraw, NonStrictDrawingRepaintsEachDirtyControlWithinItsOwnRectangle)
{
  GuiRig rig(40, 20);
  auto* bg = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 40, 20), -1, COLOR_BLUE));
  auto* a = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10), -1, COLOR_RED));
  auto* over = rig.Add(new ProbeControl(&rig.plug, IRECT(5, 5, 15, 15), -1, COLOR_GREEN));
  auto* far = rig.Add(new ProbeControl(&rig.plug, IRECT(30, 0, 40, 10), -1, COLOR_WHITE));
  auto* hidden = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10)));
  hidden->Hide(true);
  rig.g->SetStrictDrawing(false); // also marks every control dirty
  EXPECT_TRUE(far->IsDirty());
  IRECT r;
  rig.g->IsDirty(&r);
  rig.g->Draw(&r); // the background is dirty: everything visible is drawn once
  EXPECT_EQ(bg->draws, 1);
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(far->draws, 1);
  EXPECT_EQ(hidden->draws, 0);
  EXPECT_TRUE(hidden->IsDirty()); // hiding asked for one more repaint
  hidden->SetClean();

  a->SetDirty(false);
  r.Clear();
  rig.g->IsDirty(&r);
  rig.g->Draw(&r);
  EXPECT_EQ(bg->draws, 2);   // under it
  EXPECT_EQ(a->draws, 2);    // itself
  EXPECT_EQ(over->draws, 2); // over it
  EXPECT_EQ(far->draws, 1);  // elsewhere
  EXPECT_FALSE(a->IsDirty());
  // Each blit is cut to the dirty control's rectangle: the green control is drawn
  // only where it overlaps the red one.
  EXPECT_EQ(rig.Pixel(7, 7), COLOR_GREEN.Packed());
  EXPECT_EQ(rig.g->ScreenDraws(), 2);
}

TEST(GraphicsDraw, NothingToDrawWithoutControls)
{
  GuiRig rig;
  IRECT r(0, 0, 10, 10);
  EXPECT_TRUE(rig.g->Draw(&r));
  EXPECT_EQ(rig.g->ScreenDraws(), 0);
}

TEST(GraphicsDraw, AllDirtyIdleAndStrictness)
{
  GuiRig rig;
  auto* a = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  a->SetClean();
  rig.g->SetAllControlsDirty();
  EXPECT_TRUE(a->IsDirty());
  EXPECT_TRUE(rig.plug.events.empty()); // no parameter is touched
  rig.g->OnGUIIdle();
  EXPECT_EQ(a->log, (std::vector<std::string>{"idle"}));
}

// Marking every control dirty is one count in the context: each control, backgrounds
// inserted in front included, is dirty until it is next cleaned, and no other.
TEST(GraphicsDraw, AllDirtyReachesEveryControlUntilCleaned)
{
  GuiRig rig;
  auto* a = rig.Add(new ProbeControl(&rig.plug, IRECT(10, 10, 20, 20)));
  auto* b = rig.Add(new ProbeControl(&rig.plug, IRECT(30, 30, 40, 40)));
  const IColor grey(255, 50, 50, 50);
  rig.g->AttachPanelBackground(&grey);
  ProbeControl loose(&rig.plug, IRECT(0, 0, 5, 5)); // in no context
  rig.RepaintAll();
  loose.SetClean();
  IRECT r;
  EXPECT_FALSE(rig.g->IsDirty(&r));
  rig.g->SetAllControlsDirty();
  rig.g->SetAllControlsDirty();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(rig.g->GetControl(i)->IsDirty()) << i;
  EXPECT_FALSE(loose.IsDirty());
  EXPECT_TRUE(rig.g->IsDirty(&r));
  EXPECT_EQ(r, IRECT(0, 0, 100, 80));
  a->SetClean();
  EXPECT_FALSE(a->IsDirty());
  EXPECT_TRUE(b->IsDirty());
  // A value arriving while a control is drawn still earns it one more repaint.
  b->SetValueFromPlug(0.5);
  b->SetValueFromPlug(0.7);
  b->SetClean();
  EXPECT_TRUE(b->IsDirty());
  b->SetClean();
  EXPECT_FALSE(b->IsDirty());
}

// ----- mouse and keys -----

TEST(GraphicsMouse, APressCapturesAndBracketsTheHostGesture)
{
  GuiRig rig;
  auto* bg = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 100, 80)));
  auto* knob = rig.Add(new ProbeControl(&rig.plug, IRECT(10, 10, 20, 20), kGain));
  rig.g->OnMouseDown(12, 13, &kLeft);
  EXPECT_EQ(rig.g->GetMouseCapture(), 1);
  rig.g->OnMouseDrag(15, 11, &kLeft);
  rig.g->OnMouseDrag(15, 11, &kLeft); // no movement: no drag
  rig.g->OnMouseDrag(50, 60, &kLeft); // the capture outlives leaving the control
  rig.g->OnMouseUp(50, 60, &kLeft);
  EXPECT_EQ(rig.g->GetMouseCapture(), -1);
  EXPECT_EQ(knob->log,
            (std::vector<std::string>{"down 12,13", "drag 15,11 3,-2", "drag 50,60 35,49", "up 50,60"}));
  EXPECT_TRUE(bg->log.empty());
  EXPECT_EQ(Take(rig.plug.events), (std::vector<std::string>{"begin 0", "end 0"}));

  // Without a capture the release goes to the control under the pointer; no
  // parameter, no gesture.
  rig.g->OnMouseUp(70, 70, &kLeft);
  EXPECT_EQ(bg->log, (std::vector<std::string>{"up 70,70"}));
  rig.g->OnMouseDrag(71, 71, &kLeft); // and a drag with nothing captured goes nowhere
  EXPECT_EQ(bg->log.size(), 1u);
  EXPECT_TRUE(rig.plug.events.empty());
  rig.g->OnMouseDown(200, 200, &kLeft); // nothing there
  EXPECT_EQ(rig.g->GetMouseCapture(), -1);
}

// A switch changes its parameter on the press itself: the change lies inside the gesture.
TEST(GraphicsMouse, AChangeMadeOnThePressIsInsideTheGesture)
{
  GuiRig rig;
  std::unique_ptr<LICE_MemBitmap> strip = Filmstrip(10, 10, {0xFF101010, 0xFF202020});
  IBitmap b = Wrap(strip.get(), 2);
  rig.Add(new ISwitchControl(&rig.plug, 0, 0, kOn, &b));
  rig.g->OnMouseDown(5, 5, &kLeft);
  rig.g->OnMouseUp(5, 5, &kLeft);
  EXPECT_EQ(Take(rig.plug.events),
            (std::vector<std::string>{"begin " + std::to_string(kOn), "inform " + std::to_string(kOn),
                                      "change " + std::to_string(kOn), "end " + std::to_string(kOn)}));
}

TEST(GraphicsMouse, HitsGoToTheTopMostVisibleUngreyedControl)
{
  GuiRig rig;
  rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 100, 80)));
  auto* under = rig.Add(new ProbeControl(&rig.plug, IRECT(10, 10, 30, 30)));
  auto* over = rig.Add(new ProbeControl(&rig.plug, IRECT(20, 20, 40, 40)));
  EXPECT_EQ(rig.g->GetMouseControlIdx(25, 25), 2); // attached last wins
  over->Hide(true);
  EXPECT_EQ(rig.g->GetMouseControlIdx(25, 25), 1);
  over->Hide(false);
  over->GrayOut(true);
  EXPECT_EQ(rig.g->GetMouseControlIdx(25, 25), 1);
  EXPECT_EQ(rig.g->GetMouseControlIdx(25, 25, true), 1);
  over->SetMOWhenGrayed(true);
  EXPECT_EQ(rig.g->GetMouseControlIdx(25, 25), 1);       // clicks still pass through
  EXPECT_EQ(rig.g->GetMouseControlIdx(25, 25, true), 2); // hovering does not
  under->GrayOut(true);
  EXPECT_EQ(rig.g->GetMouseControlIdx(15, 15), 0); // down to the background
  EXPECT_EQ(rig.g->GetMouseControlIdx(150, 15), -1);

  // A greyed control gets neither clicks, wheel nor keys.
  under->takesKeys = true;
  rig.g->OnMouseDown(15, 15, &kLeft);
  rig.g->OnMouseUp(15, 15, &kLeft);
  rig.g->OnMouseWheel(15, 15, &kLeft, 1);
  rig.g->OnKeyDown(15, 15, KEY_SPACE);
  EXPECT_TRUE(under->log.empty());
}

TEST(GraphicsMouse, DoubleClickWithoutTheClickFlagCapturesNothing)
{
  GuiRig rig;
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10), kGain));
  EXPECT_FALSE(rig.g->OnMouseDblClick(5, 5, &kLeft));
  EXPECT_EQ(rig.g->GetMouseCapture(), -1);
  rig.g->OnMouseDrag(6, 6, &kLeft);
  EXPECT_EQ(c->log, (std::vector<std::string>{"dbl"}));
  EXPECT_TRUE(rig.plug.events.empty());

  c->SetDblAsSingleClick(true);
  EXPECT_TRUE(rig.g->OnMouseDblClick(5, 5, &kLeft));
  EXPECT_EQ(rig.g->GetMouseCapture(), 0);
  rig.g->OnMouseDrag(6, 6, &kLeft);
  rig.g->OnMouseUp(6, 6, &kLeft);
  EXPECT_EQ(c->log, (std::vector<std::string>{"dbl", "down 5,5", "drag 6,6 1,1", "up 6,6"}));
  EXPECT_EQ(Take(rig.plug.events), (std::vector<std::string>{"begin 0", "end 0"}));
  EXPECT_FALSE(rig.g->OnMouseDblClick(50, 50, &kLeft)); // nothing there
}

TEST(GraphicsMouse, WheelGoesToTheControlUnderThePointer)
{
  GuiRig rig;
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10)));
  rig.g->OnMouseWheel(5, 5, &kLeft, -3);
  rig.g->OnMouseWheel(50, 5, &kLeft, 1);
  EXPECT_EQ(c->log, (std::vector<std::string>{"wheel -3"}));
}

TEST(GraphicsMouse, KeysGoToTheControlUnderThePointerOrElseTheKeyCatcher)
{
  GuiRig rig;
  auto* bg = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 100, 80)));
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10)));
  bg->takesKeys = true;
  EXPECT_FALSE(rig.g->OnKeyDown(50, 50, KEY_ALPHA_A)); // the background never gets keys
  EXPECT_TRUE(bg->log.empty());
  auto* catcher = new ProbeControl(&rig.plug, IRECT());
  catcher->takesKeys = true;
  rig.g->AttachKeyCatcher(catcher);
  EXPECT_TRUE(rig.g->OnKeyDown(50, 50, KEY_ALPHA_A));
  EXPECT_EQ(catcher->log, (std::vector<std::string>{"key 15"}));
  EXPECT_FALSE(rig.g->OnKeyDown(5, 5, KEY_DIGIT_0)); // the control answers, even false
  EXPECT_EQ(c->log, (std::vector<std::string>{"key 5"}));
  EXPECT_EQ(catcher->log.size(), 1u);
}

TEST(GraphicsMouse, MouseOverOnlyWhenHandledAndOutForTheOneLeft)
{
  GuiRig rig;
  auto* a = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10)));
  auto* b = rig.Add(new ProbeControl(&rig.plug, IRECT(20, 0, 30, 10)));
  EXPECT_FALSE(rig.g->OnMouseOver(5, 5, &kLeft));
  EXPECT_TRUE(a->log.empty());
  rig.g->HandleMouseOver(true);
  EXPECT_TRUE(rig.g->OnMouseOver(5, 5, &kLeft));
  EXPECT_TRUE(rig.g->OnMouseOver(6, 5, &kLeft));
  EXPECT_TRUE(rig.g->OnMouseOver(25, 5, &kLeft));
  EXPECT_EQ(a->log, (std::vector<std::string>{"over", "over", "out"}));
  EXPECT_EQ(rig.g->GetMouseOver(), 1);
  rig.g->OnMouseOver(50, 50, &kLeft);
  EXPECT_EQ(b->log, (std::vector<std::string>{"over", "out"}));
  EXPECT_EQ(rig.g->GetMouseOver(), -1);
  rig.g->OnMouseOut();
  EXPECT_EQ(a->log.back(), "out");
  EXPECT_EQ(b->log.size(), 3u);
}

TEST(GraphicsMouse, AutomationQueriesAnswerTheParameterUnderThePointer)
{
  GuiRig rig;
  rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 100, 80), kFreq)); // the background's is never reported
  rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10), kMode));
  EXPECT_EQ(rig.g->GetParamIdxForPTAutomation(5, 5), kMode);
  EXPECT_EQ(rig.g->GetLastClickedParamForPTAutomation(), kMode);
  EXPECT_EQ(rig.g->GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(rig.g->GetParamIdxForPTAutomation(50, 50), -1);
}

// ----- resizing -----

TEST(GraphicsResize, DiscardsEveryControlAndAsksForAFreshEditor)
{
  GuiRig rig(100, 80);
  rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10), kGain));
  rig.g->OnMouseDown(5, 5, &kLeft);
  rig.plug.events.clear();
  rig.g->Resize(200, 120);
  EXPECT_EQ(rig.g->GetNControls(), 0);
  EXPECT_EQ(rig.g->GetMouseCapture(), -1);
  EXPECT_EQ(rig.g->Width(), 200);
  EXPECT_EQ(rig.g->GetDrawBitmap()->Width(), 200);
  EXPECT_EQ(rig.g->GetDrawBitmap()->Height(), 120);
  EXPECT_EQ(rig.plug.events, (std::vector<std::string>{"resize 200x120"}));
  rig.g->OnMouseUp(5, 5, &kLeft); // the captured control is gone: nothing
}
