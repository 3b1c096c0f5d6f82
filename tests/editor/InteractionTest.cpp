// The editor driven as a user drives it, through the headless platform's mouse and text
// entry, inside a host: the parameter changes, the host hears it inside one gesture, and
// the audio follows as if the host had set the same value.

#include "tests/au/AUHost.h"

#include "IPlug/IGraphicsHeadless.h"
#include "IPlug/controls/IKnobMultiControl.h"
#include "editor/Ostrakongui.h"

#include <string>
#include <vector>

namespace
{
IMouseMod kLeft(true);
constexpr int kFrames = 256;
constexpr double kRate = 48000.0;

struct Heard
{
  std::vector<std::string> events;
};
void OnEvent(void* ref, void*, const AudioUnitEvent* e, UInt64, AudioUnitParameterValue)
{
  const char* what = e->mEventType == kAudioUnitEvent_BeginParameterChangeGesture ? "begin"
                     : e->mEventType == kAudioUnitEvent_EndParameterChangeGesture ? "end"
                                                                                   : "change";
  ((Heard*) ref)->events.push_back(what);
}

// A strip in a host, playing a constant signal, with every stage and the colouring off.
struct HostedEditor
{
  AUHost host;
  InputSource source;
  IGraphicsHeadless* g = nullptr;
  Ostrakongui* gui = nullptr;
  Heard heard;
  AUEventListenerRef listener = nullptr;

  explicit HostedEditor(bool eqOn = false)
  {
    source.channels = {std::vector<float>(kFrames, 0.25f), std::vector<float>(kFrames, -0.125f)};
    EXPECT_EQ(host.Prepare(2, kFrames, kRate, &source), noErr);
    for (int p : {kDyn1On, kDyn2On, kAnalogueOn}) host.SetParam(p, 0.0f);
    host.SetParam(kEqOn, eqOn ? 1.0f : 0.0f);
    g = dynamic_cast<IGraphicsHeadless*>(host.Plug()->GetGUI());
    gui = host.Strip()->GetEditor();
    Repaint();
    EXPECT_EQ(AUEventListenerCreate(OnEvent, &heard, nullptr, nullptr, 0.0f, 0.0f, &listener), noErr);
  }
  ~HostedEditor() { AUListenerDispose(listener); }

  // Hear what the host hears of one parameter.
  void Listen(int param)
  {
    for (AudioUnitEventType type : {kAudioUnitEvent_ParameterValueChange, kAudioUnitEvent_BeginParameterChangeGesture,
                                    kAudioUnitEvent_EndParameterChangeGesture})
    {
      AudioUnitEvent e;
      memset(&e, 0, sizeof e);
      e.mEventType = type;
      e.mArgument.mParameter = {host.unit, (AudioUnitParameterID) param, kAudioUnitScope_Global, 0};
      EXPECT_EQ(AUEventListenerAddEventType(listener, nullptr, &e), noErr);
    }
  }
  void Repaint()
  {
    g->SetAllControlsDirty();
    g->RepaintDirty();
  }
  void Click(int x, int y)
  {
    g->OnMouseDown(x, y, &kLeft);
    g->OnMouseUp(x, y, &kLeft);
  }
  // The last of a few blocks, left and right.
  std::vector<float> Play()
  {
    HostBufferList out(2, kFrames);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(host.Render(out.List(), kFrames, 0.0), noErr);
    return {out.Data(0)[kFrames - 1], out.Data(1)[kFrames - 1]};
  }
};

// The gesture the host heard: one begin, changes, one end, in that order.
void ExpectOneGesture(const Heard& heard)
{
  ASSERT_GE(heard.events.size(), 3u);
  EXPECT_EQ(heard.events.front(), "begin");
  EXPECT_EQ(heard.events.back(), "end");
  for (size_t i = 1; i + 1 < heard.events.size(); ++i) EXPECT_EQ(heard.events[i], "change") << i;
}

// The same value set by the host's automation instead gives the same audio.
void ExpectAudioAsIfTheHostSetIt(HostedEditor& edited, int param, bool eqOn, const std::vector<float>& before)
{
  const std::vector<float> after = edited.Play();
  HostedEditor twin(eqOn);
  twin.host.SetParam(param, (float) edited.host.Strip()->GetParam(param)->Value());
  const std::vector<float> expected = twin.Play();
  for (int c = 0; c < 2; ++c)
  {
    EXPECT_NE(after[(size_t) c], before[(size_t) c]) << "channel " << c << ": the audio did not change";
    EXPECT_NEAR(after[(size_t) c], expected[(size_t) c], 1e-6 * std::fabs(expected[(size_t) c])) << c;
  }
}
} // namespace

TEST(EditorInteraction, DraggingAKnob)
{
  HostedEditor e;
  const std::vector<float> before = e.Play();
  e.Listen(kInputGain);
  // The input gain knob's middle, dragged up by 10 pixels in two moves.
  e.g->OnMouseDown(78, 54, &kLeft);
  e.g->OnMouseDrag(78, 49, &kLeft);
  e.g->OnMouseDrag(78, 44, &kLeft);
  e.g->OnMouseUp(78, 44, &kLeft);
  EXPECT_NEAR(e.host.Param(kInputGain), -60.0 + 90.0 * (60.0 / 90.0 + 10.0 / 168.0), 1e-4);
  ExpectOneGesture(e.heard);
  EXPECT_EQ(e.heard.events.size(), 4u) << "one change per move";
  ExpectAudioAsIfTheHostSetIt(e, kInputGain, false, before);
}

TEST(EditorInteraction, ClickingASwitch)
{
  HostedEditor e;
  const std::vector<float> before = e.Play();
  e.Listen(kRevPhase);
  const IRECT* phase = e.gui->Switch(Ostrakongui::kPhase)->GetRECT();
  e.Click(phase->L + 20, phase->T + 5);
  EXPECT_EQ(e.host.Param(kRevPhase), 1.0f);
  EXPECT_EQ(e.heard.events, (std::vector<std::string>{"begin", "change", "end"}));
  const std::vector<float> after = e.Play();
  EXPECT_EQ(after[0], -before[0]);
  EXPECT_EQ(after[1], -before[1]);
}

TEST(EditorInteraction, PressingAFader)
{
  HostedEditor e(true);
  const std::vector<float> before = e.Play();
  e.Listen(kEqInputGain);
  // The handle's middle goes under the pointer: 11 of the 44 pixels of travel below the
  // top is 3/4 of the range.
  IFaderControl* fader = e.gui->Eq()->Fader(0);
  const IRECT* track = fader->GetRECT();
  const int half = fader->GetHandleHeadroom() / 2;
  const int travel = fader->GetLength() - fader->GetHandleHeadroom();
  e.g->OnMouseDown(track->L + 4, track->T + half + travel / 4, &kLeft);
  e.g->OnMouseDrag(track->L + 4, track->T + half, &kLeft); // to the top
  e.g->OnMouseUp(track->L + 4, track->T + half, &kLeft);
  EXPECT_NEAR(e.host.Param(kEqInputGain), 15.0f, 1e-5);
  ExpectOneGesture(e.heard);
  EXPECT_EQ(e.heard.events.size(), 4u);
  ExpectAudioAsIfTheHostSetIt(e, kEqInputGain, true, before);
}

TEST(EditorInteraction, TypingIntoACaption)
{
  HostedEditor e;
  const std::vector<float> before = e.Play();
  e.Listen(kOutputGain);
  // The output gain knob's caption, under the knob at (361, 33).
  e.g->QueueTextEntry("-7.5");
  e.Click(361 + 23, 33 + 46);
  ASSERT_EQ(e.g->TextEntriesShown().size(), 1u);
  EXPECT_EQ(e.host.Param(kOutputGain), -7.5f);
  EXPECT_EQ(e.heard.events, (std::vector<std::string>{"begin", "change", "end"}));
  ExpectAudioAsIfTheHostSetIt(e, kOutputGain, false, before);
  // The knob takes the typed value at the next repaint.
  e.Repaint();
  EXPECT_NEAR(e.gui->Knob(1)->GetKnob()->GetValue(), 52.5 / 90.0, 1e-12);
}

TEST(EditorInteraction, TheTypeSelectorPicksBySlice)
{
  HostedEditor e;
  e.host.SetParam(kDyn1On, 1.0f); // a stage switched off greys its selector
  e.Listen(kDyn1Type);
  const IRECT* type = e.gui->Dyn(0)->TypeSwitch()->GetRECT();
  const int slice = type->H() / 4;
  e.Click(type->L + 30, type->T + 2 * slice + slice / 2); // the third entry
  EXPECT_EQ(e.host.Param(kDyn1Type), 2.0f);
  EXPECT_EQ(e.heard.events, (std::vector<std::string>{"begin", "change", "end"}));
  // The opto type greys the knobs it ignores.
  EXPECT_TRUE(e.gui->Dyn(0)->GetOpto());
  EXPECT_TRUE(e.gui->Dyn(0)->Knob(OstrakonGuiCompressor::kRatio)->IsGrayRequested());
}
