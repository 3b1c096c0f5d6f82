// The control base: first values as defaults, user input pushed to the plug-in, the
// wheel and double click, clamping, hiding and greying, moving, prompting.

#include "GuiTestSupport.h"

#include "IPlug/IParam.h"

#include <cmath>
#include <limits>

namespace
{
IMouseMod kLeft(true), kRight(false, true), kFine(true, false, false, true), kShift(true, false, true);
}

TEST(Control, TheFirstValueFromThePlugInIsTheDoubleClickDefault)
{
  GuiRig rig;
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  c->SetClean();
  c->OnMouseDblClick(0, 0, &kLeft); // no default yet: nothing
  EXPECT_EQ(c->GetValue(), 0.0);
  EXPECT_TRUE(rig.plug.events.empty());

  c->SetValueFromPlug(0.3);
  EXPECT_EQ(c->GetValue(), 0.3);
  EXPECT_EQ(c->GetDefaultValue(), 0.3);
  EXPECT_FALSE(c->IsDirty()); // the first value leaves the control clean
  c->SetValueFromPlug(0.3);
  EXPECT_FALSE(c->IsDirty()); // an unchanged value too
  c->SetValueFromPlug(0.8);
  EXPECT_TRUE(c->IsDirty());
  EXPECT_TRUE(c->IsRedrawPending());
  EXPECT_EQ(c->GetDefaultValue(), 0.3);
  EXPECT_TRUE(rig.plug.events.empty()); // values from the plug-in are not pushed back

  c->OnMouseDblClick(0, 0, &kLeft);
  EXPECT_EQ(c->GetValue(), 0.3);
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), 0.3 * 48.0 - 24.0);
  EXPECT_EQ(rig.plug.events, (std::vector<std::string>{"inform 0", "change 0"}));
}

TEST(Control, UserInputIsPushedOnlyWhenItChanges)
{
  GuiRig rig;
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  auto* meter = rig.Add(new ProbeControl(&rig.plug, IRECT()));
  c->SetValueFromUserInput(0.0);
  EXPECT_TRUE(rig.plug.events.empty());
  c->SetValueFromUserInput(0.75);
  EXPECT_EQ(rig.plug.informed, (std::vector<double>{0.75}));
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), 12.0);
  meter->SetValueFromUserInput(0.5); // no parameter: only marked dirty
  EXPECT_EQ(rig.plug.informed.size(), 1u);
  EXPECT_TRUE(meter->IsDirty());
}

TEST(Control, WheelStepsAreAHundredthOrAThousandthWithAModifier)
{
  GuiRig rig;
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  c->SetValueFromPlug(0.5);
  c->OnMouseWheel(0, 0, &kLeft, 2);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.52);
  c->OnMouseWheel(0, 0, &kFine, -1);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.519);
  c->OnMouseWheel(0, 0, &kShift, -1);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.518);
  EXPECT_DOUBLE_EQ(rig.plug.informed.back(), 0.518);
  c->OnMouseWheel(0, 0, &kLeft, 1000); // clamped by SetDirty
  EXPECT_EQ(c->GetValue(), 1.0);
  c->OnMouseWheel(0, 0, nullptr, -1000);
  EXPECT_EQ(c->GetValue(), 0.0);
}

TEST(Control, DirtyClampsIntoTheClampRangeAndNeverKeepsNaN)
{
  GuiRig rig;
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT()));
  c->Clamp(0.2, 0.6);
  c->SetValueFromUserInput(0.9);
  EXPECT_EQ(c->GetValue(), 0.6);
  c->SetValueFromUserInput(0.1);
  EXPECT_EQ(c->GetValue(), 0.2);
  c->SetValueFromUserInput(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(c->GetValue(), 0.2);
  c->SetValueFromPlug(0.4); // the first value is taken as it is ...
  c->SetValueFromPlug(5.0); // ... later ones are clamped when they dirty the control
  EXPECT_EQ(c->GetValue(), 0.6);
}

TEST(Control, HidingSchedulesARepaintGreyingOnlyFades)
{
  GuiRig rig;
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  c->SetValueFromPlug(0.4);
  c->SetClean();
  c->GrayOut(true);
  EXPECT_TRUE(c->IsGrayed());
  EXPECT_EQ(c->GetBlend()->mWeight, 0.25f);
  EXPECT_TRUE(c->IsDirty());
  EXPECT_FALSE(c->IsRedrawPending());
  EXPECT_EQ(c->GetValue(), 0.4); // value and parameter untouched
  EXPECT_TRUE(rig.plug.events.empty());
  c->GrayOut(false);
  EXPECT_EQ(c->GetBlend()->mWeight, 1.0f);

  c->SetClean();
  c->Hide(true);
  EXPECT_TRUE(c->IsHidden());
  EXPECT_EQ(c->GetBlend()->mWeight, 0.0f);
  EXPECT_TRUE(c->IsRedrawPending());
  c->SetClean();
  EXPECT_TRUE(c->IsDirty()); // one more repaint
  c->Hide(false);
  EXPECT_EQ(c->GetBlend()->mWeight, 1.0f);
  EXPECT_TRUE(c->IsRedrawPending());
}

TEST(Control, MoveKeepsTheSizeResizeKeepsTheCorner)
{
  GuiRig rig;
  IRECT r(10, 20, 30, 25);
  auto* c = rig.Add(new ProbeControl(&rig.plug, r));
  c->SetTargetArea(IRECT(0, 0, 1, 1));
  c->SetClean();
  c->Move(50, 60);
  EXPECT_EQ(*c->GetRECT(), IRECT(50, 60, 70, 65));
  EXPECT_EQ(*c->GetTargetRECT(), IRECT(50, 60, 70, 65));
  EXPECT_FALSE(c->IsDirty()); // moving marks nothing
  EXPECT_TRUE(c->IsHit(50, 60));
  EXPECT_FALSE(c->IsHit(70, 60));
  c->Resize(4, 3);
  EXPECT_EQ(*c->GetRECT(), IRECT(50, 60, 54, 63));
  EXPECT_EQ(*c->GetTargetRECT(), *c->GetRECT());
  EXPECT_TRUE(c->IsRedrawPending());
}

TEST(Control, ARightPressPromptsOnlyWhenPromptingIsOn)
{
  GuiRig rig;
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(10, 20, 51, 41), kGain));
  c->OnMouseDown(0, 0, &kRight);
  EXPECT_TRUE(rig.g->TextEntriesShown().empty()); // prompting is off by default
  c->DisablePrompt(false);
  c->OnMouseDown(0, 0, &kLeft);
  EXPECT_TRUE(rig.g->TextEntriesShown().empty());
  c->SetClean();
  c->OnMouseDown(0, 0, &kRight);
  ASSERT_EQ(rig.g->TextEntriesShown().size(), 1u);
  // 30 x 16 centred on (trunc(30.5), trunc(30.5)).
  EXPECT_EQ(rig.g->TextEntriesShown()[0].rect, IRECT(15, 22, 45, 38));
  EXPECT_EQ(rig.g->TextEntriesShown()[0].text, "0.0");
  EXPECT_TRUE(c->IsRedrawPending());

  rig.g->FinishTextEntry("-6");
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), -6.0);
  EXPECT_EQ(c->GetValue(), 0.375);

  // A parameter with display texts gets its menu over the control itself.
  auto* mode = rig.Add(new ProbeControl(&rig.plug, IRECT(1, 2, 3, 4), kMode));
  mode->DisablePrompt(false);
  rig.g->QueueMenuChoice(1);
  mode->PromptUserInput();
  ASSERT_EQ(rig.g->MenusShown().size(), 1u);
  EXPECT_EQ(rig.g->MenusShown()[0].rect, IRECT(1, 2, 3, 4));
  EXPECT_EQ(rig.plug.GetParam(kMode)->Value(), 1.0);
  IRECT over(5, 5, 6, 6);
  mode->PromptUserInput(&over);
  EXPECT_EQ(rig.g->MenusShown()[1].rect, over);

  // Without a parameter there is nothing to prompt for.
  auto* meter = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 5, 5)));
  meter->DisablePrompt(false);
  meter->PromptUserInput();
  auto* stray = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 5, 5), 77));
  stray->DisablePrompt(false);
  stray->PromptUserInput();
  EXPECT_EQ(rig.g->TextEntriesShown().size(), 1u);
  EXPECT_EQ(rig.g->MenusShown().size(), 2u);
}

TEST(Control, AnOutOfRangeParameterIndexReachesNothing)
{
  GuiRig rig;
  auto* c = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 5, 5), 40));
  c->SetValueFromUserInput(0.5);
  c->OnMouseWheel(1, 1, &kLeft, 1);
  rig.g->OnMouseDown(1, 1, &kLeft);
  rig.g->OnMouseUp(1, 1, &kLeft);
  EXPECT_TRUE(rig.plug.events.empty()); // not even a gesture for the host
  EXPECT_EQ(c->GetValue(), 0.51);
}
