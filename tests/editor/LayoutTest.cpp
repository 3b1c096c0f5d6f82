// The editor's layout: what the builder creates and in which order, where the panels and
// their controls go for each routing, and what greying a panel leaves usable.

#include "EditorRig.h"

#include "IPlug/BitmapStorage.h"
#include "IPlug/controls/ICaptionControl.h"
#include "IPlug/controls/IKnobMultiControl.h"
#include "IPlug/controls/ITextControl.h"

#include <algorithm>

#include <utility>
#include <vector>

namespace
{
IMouseMod kLeft(true);

std::vector<std::pair<IRECT, IRECT>> Rects(IGraphics* g)
{
  std::vector<std::pair<IRECT, IRECT>> r;
  for (int i = 0; i < g->GetNControls(); ++i)
    r.push_back({*g->GetControl(i)->GetRECT(), *g->GetControl(i)->GetTargetRECT()});
  return r;
}

IRECT At(int x, int y, int w, int h) { return IRECT(x, y, x + w, y + h); }

int FrameHeight(const EditorBitmap& b)
{
  const std::unique_ptr<LICE_MemBitmap> art = Artwork(b);
  return art ? art->Height() / b.frames : 0;
}
int Width(const EditorBitmap& b)
{
  const std::unique_ptr<LICE_MemBitmap> art = Artwork(b);
  return art ? art->Width() : 0;
}

// Every control of a dynamics panel at its place for a panel corner (x, y).
void ExpectDynAt(const OstrakonGuiCompressor* p, int x, int y)
{
  EXPECT_EQ(*p->Background()->GetRECT(), At(x, y, 430, 135));
  const int meterX[4] = {8, 20, 408, 420};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(*p->Meter(i)->GetRECT(), At(x + meterX[i], y + 52, 3, 51)) << i;
  const EditorBitmap& state = p->Stage() == 0 ? kDyn1State : kDyn2State;
  EXPECT_EQ(*p->StateSwitch()->GetRECT(), At(x, y, Width(state), FrameHeight(state)));
  EXPECT_EQ(*p->TypeSwitch()->GetRECT(), At(x + 314, y + 49, Width(kDynTypeSwitch), FrameHeight(kDynTypeSwitch)));
  EXPECT_EQ(*p->Fader(0)->GetRECT(), At(x + 11, y + 52, Width(kFaderHandle), 51));
  EXPECT_EQ(*p->Fader(1)->GetRECT(), At(x + 411, y + 52, Width(kFaderHandle), 51));
  EXPECT_EQ(*p->GainReductionMeter()->GetRECT(), At(x + 272, y + 13, 120, 10));
  EXPECT_EQ(*p->ArrangeSwitch()->GetRECT(), At(x + 410, y, Width(kArrangeSwitch), FrameHeight(kArrangeSwitch)));
  for (int k = 0; k < 4; ++k) EXPECT_EQ(*p->Knob(k)->GetRECT(), At(x + 42 + 60 * k, y + 63, 42, 50)) << k;
}

const int kEqKnobAt[15][3] = {{8, 79, kHiPassFreq},    {61, 79, kLowShelfFreq},  {61, 137, kLowShelfGain},
                              {139, 79, kLowMidFreq},  {115, 24, kLowMidGain},   {165, 24, kLowMidQ},
                              {192, 160, kFilterFreq}, {140, 160, kFilterGain},  {246, 160, kFilterQ},
                              {246, 79, kHiMidFreq},   {221, 24, kHiMidGain},    {271, 24, kHiMidQ},
                              {325, 79, kHiShelfFreq}, {325, 137, kHiShelfGain}, {376, 79, kLowPassFreq}};

void ExpectEqAt(const OstrakonGuiEq* p, int x, int y)
{
  EXPECT_EQ(*p->Background()->GetRECT(), At(x, y, 430, 233));
  const int meterX[4] = {8, 20, 408, 420};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(*p->Meter(i)->GetRECT(), At(x + meterX[i], y + 150, 3, 51)) << i;
  EXPECT_EQ(*p->StateSwitch()->GetRECT(), At(x, y, Width(kEqState), FrameHeight(kEqState)));
  EXPECT_EQ(*p->ArrangeSwitch()->GetRECT(), At(x + 410, y, Width(kArrangeSwitch), FrameHeight(kArrangeSwitch)));
  for (int k = 0; k < 15; ++k)
  {
    EXPECT_EQ(*p->Knob(k)->GetRECT(), At(x + kEqKnobAt[k][0], y + kEqKnobAt[k][1], 42, 50)) << k;
    EXPECT_EQ(p->Knob(k)->ParamIdx(), kEqKnobAt[k][2]) << k;
  }
  EXPECT_EQ(*p->Fader(0)->GetRECT(), At(x + 11, y + 150, Width(kFaderHandle), 51));
  EXPECT_EQ(*p->Fader(1)->GetRECT(), At(x + 411, y + 150, Width(kFaderHandle), 51));
}
} // namespace

TEST(EditorLayout, OneHundredAndFifteenControlsInDrawingOrder)
{
  EditorRig r;
  IGraphics* g = r.g;
  ASSERT_NE(g, nullptr);
  ASSERT_NE(r.gui, nullptr);
  EXPECT_TRUE(r.gui->IsBuilt());
  EXPECT_EQ(r.gui->GetGraphics(), g);
  ASSERT_EQ(g->GetNControls(), 115);
  EXPECT_EQ(g->Width(), 460);
  EXPECT_EQ(g->Height(), 640);
  EXPECT_EQ(g->FPS(), 25);

  // The background, opaque; the version label.
  EXPECT_EQ(*r.Control(0)->GetRECT(), IRECT(0, 0, 460, 640));
  EXPECT_EQ(r.Control(0)->GetBlend()->mMethod, IChannelBlend::kBlendOpaque);
  auto* label = dynamic_cast<ITextControl*>(r.Control(1));
  ASSERT_NE(label, nullptr);
  EXPECT_STREQ(label->GetTextForPlug(), "v2.0.2");
  EXPECT_EQ(*label->GetRECT(), IRECT(280, 613, 340, 633));
  EXPECT_EQ(label->GetText()->mColor, COLOR_WHITE);
  EXPECT_EQ(label->GetText()->mSize, 10);

  // The top meters, gain knobs and switches.
  const int meterX[4] = {32, 43, 413, 424};
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(r.gui->MeterIdx(i), 2 + i);
    EXPECT_EQ(r.Control(2 + i), r.gui->Meter(i));
    EXPECT_EQ(*r.gui->Meter(i)->GetRECT(), At(meterX[i], 32, 5, 54));
  }
  EXPECT_EQ(r.gui->KnobIdx(0), 8);
  EXPECT_EQ(r.gui->KnobIdx(1), 11);
  EXPECT_EQ(*r.gui->Knob(0)->GetRECT(), At(55, 33, 42, 50));
  EXPECT_EQ(*r.gui->Knob(1)->GetRECT(), At(361, 33, 42, 50));
  EXPECT_EQ(r.gui->Knob(0)->ParamIdx(), kInputGain);
  EXPECT_EQ(r.gui->Knob(1)->ParamIdx(), kOutputGain);
  const int switchY[3] = {27, 47, 67}, switchParam[3] = {kAnalogueOn, kRevPhase, kOversampling};
  const EditorBitmap* switchArt[3] = {&kAnalogueSwitch, &kPhaseSwitch, &kOversamplingSwitch};
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(r.Control(12 + i), r.gui->Switch(i));
    EXPECT_EQ(r.gui->Switch(i)->ParamIdx(), switchParam[i]);
    EXPECT_EQ(*r.gui->Switch(i)->GetRECT(),
              At(130, switchY[i], Width(*switchArt[i]), FrameHeight(*switchArt[i])));
  }

  // Then the panels: dynamics 1 (23 controls), EQ (54), dynamics 2 (23).
  const OstrakonGuiCompressor* d1 = r.gui->Dyn(0);
  const OstrakonGuiEq* eq = r.gui->Eq();
  const OstrakonGuiCompressor* d2 = r.gui->Dyn(1);
  EXPECT_EQ(d1->BackgroundIdx(), 15);
  EXPECT_EQ(d1->KnobIdx()[3], 15 + 22);
  EXPECT_EQ(eq->BackgroundIdx(), 38);
  EXPECT_EQ(eq->FaderIdx()[1], 38 + 53);
  EXPECT_EQ(d2->BackgroundIdx(), 92);
  EXPECT_EQ(d2->KnobIdx()[3], 114);
  // Within a panel: background, meters, switches, ..., as the tables order them.
  EXPECT_EQ(d1->MeterIdx()[0], 16);
  EXPECT_EQ(d1->StateSwitchIdx(), 20);
  EXPECT_EQ(d1->TypeSwitchIdx(), 21);
  EXPECT_EQ(d1->FaderIdx()[0], 22);
  EXPECT_EQ(d1->GainReductionIdx(), 24);
  EXPECT_EQ(d1->ArrangeSwitchIdx(), 25);
  EXPECT_EQ(d1->KnobIdx()[0], 28);
  EXPECT_EQ(eq->StateSwitchIdx(), 43);
  EXPECT_EQ(eq->ArrangeSwitchIdx(), 44);
  EXPECT_EQ(eq->KnobIdx()[0], 47);
  EXPECT_EQ(eq->FaderIdx()[0], 90);

  // Parameters of the panel controls.
  EXPECT_EQ(d1->StateSwitch()->ParamIdx(), kDyn1On);
  EXPECT_EQ(d2->TypeSwitch()->ParamIdx(), kDyn2Type);
  EXPECT_EQ(d2->Fader(1)->ParamIdx(), kDyn2OutputGain);
  const int dynKnobParams[4] = {kDyn2Thresh, kDyn2Ratio, kDyn2Attack, kDyn2Release};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(d2->Knob(k)->ParamIdx(), dynKnobParams[k]);
  EXPECT_EQ(eq->StateSwitch()->ParamIdx(), kEqOn);
  EXPECT_EQ(eq->Fader(0)->ParamIdx(), kEqInputGain);
  EXPECT_EQ(eq->ArrangeSwitch()->ParamIdx(), kRouting);
  EXPECT_EQ(d1->ArrangeSwitch()->ParamIdx(), kRouting);

  // Every control other than the background blends normally at full weight.
  for (int i = 1; i < 115; ++i)
  {
    EXPECT_EQ(r.Control(i)->GetBlend()->mMethod, IChannelBlend::kBlendNormal) << i;
    EXPECT_EQ(r.Control(i)->GetBlend()->mWeight, 1.0f) << i;
  }
}

TEST(EditorLayout, PanelsStackInTheRoutingsOrderWithoutGaps)
{
  EditorRig r;
  const int tops[3][3] = {{102, 237, 470}, {335, 102, 470}, {102, 372, 237}};
  for (int routing : {0, 1, 2, 0})
  {
    r.Set(kRouting, routing);
    ExpectDynAt(r.gui->Dyn(0), 15, tops[routing][0]);
    ExpectEqAt(r.gui->Eq(), 15, tops[routing][1]);
    ExpectDynAt(r.gui->Dyn(1), 15, tops[routing][2]);
    // 233 + 135 + 135 pixels from 102 to 605, whatever the order.
    std::vector<std::pair<int, int>> spans = {{tops[routing][0], 135}, {tops[routing][1], 233},
                                              {tops[routing][2], 135}};
    std::sort(spans.begin(), spans.end());
    EXPECT_EQ(spans[0].first, 102);
    EXPECT_EQ(spans[0].first + spans[0].second, spans[1].first);
    EXPECT_EQ(spans[1].first + spans[1].second, spans[2].first);
    EXPECT_EQ(spans[2].first + spans[2].second, 605);
  }
  EXPECT_EQ(r.g->GetNControls(), 115) << "rearranging creates nothing";
}

TEST(EditorLayout, RoutingOneThenZeroPutsEveryControlBack)
{
  EditorRig r;
  r.Settle();
  const auto before = Rects(r.g);
  r.Set(kRouting, 1);
  r.Settle();
  const auto moved = Rects(r.g);
  int changed = 0;
  for (size_t i = 0; i < before.size(); ++i) changed += before[i] != moved[i];
  EXPECT_EQ(changed, 23 + 54) << "both the EQ and the dynamics 1 panel moved, dynamics 2 stayed";
  r.Set(kRouting, 0);
  r.Settle();
  const auto back = Rects(r.g);
  for (size_t i = 0; i < before.size(); ++i)
  {
    EXPECT_EQ(back[i].first, before[i].first) << "control " << i;
    // A panel's peak meter takes no mouse until it is first moved; from then on its
    // whole rectangle does (clicks it does nothing with, as the background would).
    const bool movedMeter = dynamic_cast<IPeakMeter*>(r.Control((int) i)) && back[i].second == back[i].first;
    if (!movedMeter)
    {
      EXPECT_EQ(back[i].second, before[i].second) << "control " << i;
    }
  }
}

TEST(EditorLayout, ARoutingOutsideTheListLaysOutAsZeroAndKeepsTheSlots)
{
  EditorRig r;
  r.Set(kRouting, 2);
  const int slots[3] = {r.plug->GetRoutingSlot(0), r.plug->GetRoutingSlot(1), r.plug->GetRoutingSlot(2)};
  r.Set(kRouting, 7.0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(r.plug->GetRoutingSlot(i), slots[i]);
  ExpectDynAt(r.gui->Dyn(0), 15, 102);
  ExpectEqAt(r.gui->Eq(), 15, 237);
  ExpectDynAt(r.gui->Dyn(1), 15, 470);
  r.gui->rearrange(-3);
  ExpectEqAt(r.gui->Eq(), 15, 237);
}

TEST(EditorLayout, TheTopMetersTakeNoClicksAndTheBackgroundTakesTheRest)
{
  EditorRig r;
  r.Settle();
  for (int i = 0; i < 4; ++i)
  {
    const IRECT* m = r.gui->Meter(i)->GetRECT();
    EXPECT_EQ(r.Hit(m->L + 2, m->T + 10), 0) << i;
  }
  // A click on empty background does nothing.
  std::vector<double> values;
  for (int i = 0; i < kNumParams; ++i) values.push_back(r.Value(i));
  r.g->OnMouseDown(250, 90, &kLeft);
  r.g->OnMouseUp(250, 90, &kLeft);
  r.g->OnMouseDblClick(250, 90, &kLeft);
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(r.Value(i), values[(size_t) i]) << i;
}

TEST(EditorLayout, AGreyedEqPanelKeepsItsSwitchesUsable)
{
  EditorRig r;
  r.Set(kEqOn, 0.0);
  r.Settle();
  const OstrakonGuiEq* eq = r.gui->Eq();
  for (int k = 0; k < 15; ++k)
  {
    EXPECT_TRUE(eq->Knob(k)->GetKnob()->IsGrayed()) << k;
    EXPECT_TRUE(eq->Knob(k)->GetCaption()->IsGrayed()) << k;
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(eq->Meter(i)->GetVisibility(), 0.0);
  EXPECT_TRUE(eq->Fader(0)->IsGrayed());
  EXPECT_TRUE(eq->Background()->IsGrayed());
  EXPECT_FALSE(eq->StateSwitch()->IsGrayed());
  EXPECT_FALSE(eq->ArrangeSwitch()->IsGrayed());

  // A knob's place goes to the background; the switches still take clicks.
  const IRECT* knob = eq->Knob(0)->GetKnob()->GetRECT();
  EXPECT_EQ(r.Hit(knob->L + 20, knob->T + 20), 0);
  const IRECT* arrange = eq->ArrangeSwitch()->GetRECT();
  EXPECT_EQ(r.Hit(arrange->L + 5, arrange->T + 5), eq->ArrangeSwitchIdx());
  const IRECT* state = eq->StateSwitch()->GetRECT();
  r.g->OnMouseDown(state->L + 10, state->T + 10, &kLeft);
  r.g->OnMouseUp(state->L + 10, state->T + 10, &kLeft);
  EXPECT_EQ(r.Value(kEqOn), 1.0);
  EXPECT_FALSE(eq->Background()->IsGrayed()) << "switched back on through its own switch";
  r.Settle();
  EXPECT_EQ(r.Hit(knob->L + 20, knob->T + 20), eq->Knob(0)->GetKnobIdx());
}

TEST(EditorLayout, AnOptoStageKeepsItsRatioAndTimesGreyThroughOffAndOn)
{
  EditorRig r;
  const OstrakonGuiCompressor* d1 = r.gui->Dyn(0);
  const int optoKnobs[3] = {OstrakonGuiCompressor::kRatio, OstrakonGuiCompressor::kAttack,
                            OstrakonGuiCompressor::kRelease};
  r.Set(kDyn1Type, 2);
  EXPECT_TRUE(d1->GetOpto());
  for (int k : optoKnobs) EXPECT_TRUE(d1->Knob(k)->IsGrayRequested()) << k;
  EXPECT_FALSE(d1->Knob(OstrakonGuiCompressor::kThreshold)->IsGrayRequested());

  r.Set(kDyn1On, 0.0);
  EXPECT_TRUE(d1->Knob(OstrakonGuiCompressor::kThreshold)->IsGrayRequested());
  EXPECT_TRUE(d1->TypeSwitch()->IsGrayed());
  EXPECT_EQ(d1->GainReductionMeter()->GetAlpha(), 0);
  EXPECT_FALSE(d1->StateSwitch()->IsGrayed());
  EXPECT_FALSE(d1->ArrangeSwitch()->IsGrayed());
  r.Set(kDyn1On, 1.0);
  EXPECT_FALSE(d1->Knob(OstrakonGuiCompressor::kThreshold)->IsGrayRequested());
  EXPECT_FALSE(d1->TypeSwitch()->IsGrayed());
  for (int k : optoKnobs) EXPECT_TRUE(d1->Knob(k)->IsGrayRequested()) << k;
  r.Settle();
  for (int k : optoKnobs) EXPECT_TRUE(d1->Knob(k)->GetKnob()->IsGrayed()) << k;

  // A type outside the list changes nothing; the VCA brings them back.
  r.Set(kDyn1Type, 5);
  EXPECT_TRUE(d1->GetOpto());
  r.Set(kDyn1Type, 0);
  EXPECT_FALSE(d1->GetOpto());
  for (int k : optoKnobs) EXPECT_FALSE(d1->Knob(k)->IsGrayRequested()) << k;
  // The other panel never heard of it.
  EXPECT_FALSE(r.gui->Dyn(1)->GetOpto());
}

TEST(EditorLayout, AStripWithItsOwnEditorInTheTestsAndManyInOneProcess)
{
  // Every instance builds its editor; the bitmaps are decoded once for all of them.
  std::vector<std::unique_ptr<Ostrakon>> strips;
  strips.emplace_back(MakePlug());
  const int cached = BitmapStorage::Instance().Size();
  for (int i = 0; i < 31; ++i) strips.emplace_back(MakePlug());
  EXPECT_EQ(BitmapStorage::Instance().Size(), cached);
  for (const auto& s : strips) EXPECT_EQ(s->GetGUI()->GetNControls(), 115);
}
