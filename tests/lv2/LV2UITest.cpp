// The strip's LV2 editor driven in this process as a host drives it, without a window:
// what it writes to the plug-in's ports (in the units the plug-in reads, inside the
// host's touch gesture), how port values from the host reach its controls and the
// editor's follow-up, and its meters fed from the meter outputs.

#include "tests/lv2/LV2Rig.h"

#include "IPlug/IGraphics.h"
#include "IPlug/controls/IKnobMultiControl.h"
#include "editor/Ostrakongui.h"
#include "engine/OstrakonLV2UI.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace
{
IMouseMod kLeft(true);

// A host of the editor: records the port writes and touches, offers the features asked.
struct UIHost
{
  struct Write
  {
    uint32_t port;
    float value;
  };
  std::vector<std::string> events; // "touch P on", "write P", "touch P off"
  std::vector<Write> writes;
  int width = -1, height = -1;
  UridMap map;
  float scale = 1.0f;

  const LV2UI_Descriptor* descriptor = nullptr;
  LV2UI_Handle handle = nullptr;
  LV2UI_Widget widget = nullptr;
  IPlugLV2Ports ports = {0, 0, 0};

  enum EFeatures
  {
    kEmbedded,   // parent, resize, touch, options
    kWindowOnly, // no parent: the host shows the editor's own window
    kBare,       // no features at all
  };

  explicit UIHost(int which = 0, EFeatures features = kEmbedded, const char* pluginUri = nullptr)
  {
    descriptor = IPlugLV2UI::Descriptor((uint32_t) which, kOstrakonLV2UIBundle);
    const IPlugLV2UIDesc& d = kOstrakonLV2UIBundle.uis[which];
    ports = {d.nChannels, kNumParams, d.nMeters};
    std::vector<const LV2_Feature*> list;
    if (features != kBare)
    {
      list = {map.MapFeature(), &mOptionsFeature, &mResizeFeature, &mTouchFeature};
      if (features == kEmbedded) list.push_back(&mParentFeature);
    }
    list.push_back(nullptr);
    mOptions[0] = {LV2_OPTIONS_INSTANCE, 0, map.Id(LV2_UI__scaleFactor), sizeof(float), map.Id(LV2_ATOM__Float),
                   &scale};
    mOptions[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    handle = descriptor->instantiate(descriptor, pluginUri ? pluginUri : d.pluginUri, "", WriteFn, this,
                                     &widget, list.data());
  }
  ~UIHost()
  {
    if (handle) descriptor->cleanup(handle);
  }
  UIHost(const UIHost&) = delete;
  UIHost& operator=(const UIHost&) = delete;

  OstrakonLV2UI& UI() { return *static_cast<OstrakonLV2UI*>(static_cast<IPlugLV2UI*>(handle)); }
  IGraphics* G() { return UI().GetGUI(); }
  Ostrakongui* Gui() { return UI().GetEditor(); }
  IParam* Param(int i) { return UI().GetParam(i); }

  void Send(uint32_t port, float v) { descriptor->port_event(handle, port, sizeof v, 0, &v); }
  void SendControl(int paramIdx, float v) { Send((uint32_t) ports.Control(paramIdx), v); }
  void SendMeter(int m, float v) { Send((uint32_t) ports.Meter(m), v); }

  // A drag on a control's middle: up by 5 pixels `moves` times.
  void Drag(IControl* c, int moves)
  {
    const IRECT* r = c->GetRECT();
    const int x = (r->L + r->R) / 2, y = (r->T + r->B) / 2;
    G()->OnMouseDown(x, y, &kLeft);
    for (int i = 1; i <= moves; ++i) G()->OnMouseDrag(x, y - 5 * i, &kLeft);
    G()->OnMouseUp(x, y - 5 * moves, &kLeft);
  }
  void Click(IControl* c)
  {
    const IRECT* r = c->GetRECT();
    const int x = (r->L + r->R) / 2, y = (r->T + r->B) / 2;
    G()->OnMouseDown(x, y, &kLeft);
    G()->OnMouseUp(x, y, &kLeft);
  }

private:
  static void WriteFn(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
  {
    UIHost* h = (UIHost*) c;
    EXPECT_EQ(size, sizeof(float));
    EXPECT_EQ(protocol, 0u);
    float v;
    memcpy(&v, buffer, sizeof v);
    h->writes.push_back({port, v});
    h->events.push_back("write " + std::to_string(port));
  }
  static void TouchFn(LV2UI_Feature_Handle h, uint32_t port, bool grabbed)
  {
    ((UIHost*) h)->events.push_back("touch " + std::to_string(port) + (grabbed ? " on" : " off"));
  }
  static int ResizeFn(LV2UI_Feature_Handle h, int w, int hgt)
  {
    ((UIHost*) h)->width = w;
    ((UIHost*) h)->height = hgt;
    return 0;
  }

  LV2UI_Touch mTouch = {this, TouchFn};
  LV2UI_Resize mResize = {this, ResizeFn};
  LV2_Options_Option mOptions[2];
  const LV2_Feature mOptionsFeature = {LV2_OPTIONS__options, mOptions};
  const LV2_Feature mResizeFeature = {LV2_UI__resize, &mResize};
  const LV2_Feature mTouchFeature = {LV2_UI__touch, &mTouch};
  // Any non-null window does for the headless context.
  const LV2_Feature mParentFeature = {LV2_UI__parent, (void*) (uintptr_t) 0x1234};
};

// The plug-in takes the editor's writes as a host passes them on, and runs a block.
void Deliver(const UIHost& host, LV2Rig& rig)
{
  for (const UIHost::Write& w : host.writes) rig.values[w.port] = w.value;
  const std::vector<std::vector<float>> silence(rig.ports.nChannels, std::vector<float>(16, 0.0f));
  rig.Run(silence, 0, 16);
}

hrKnob* DynKnob(UIHost& h, int slot, int knob) { return h.Gui()->Dyn(slot)->Knob(knob); }
} // namespace

TEST(LV2UIDescriptor, OneEditorPerPlugInInItsOwnBinary)
{
  const LV2UI_Descriptor* stereo = IPlugLV2UI::Descriptor(0, kOstrakonLV2UIBundle);
  const LV2UI_Descriptor* mono = IPlugLV2UI::Descriptor(1, kOstrakonLV2UIBundle);
  ASSERT_NE(stereo, nullptr);
  ASSERT_NE(mono, nullptr);
  EXPECT_STREQ(stereo->URI, "https://quarro.audio/plugins/ostrakon#ui");
  EXPECT_STREQ(mono->URI, "https://quarro.audio/plugins/ostrakon#mono-ui");
  EXPECT_EQ(IPlugLV2UI::Descriptor(2, kOstrakonLV2UIBundle), nullptr);
  EXPECT_NE(stereo->extension_data(LV2_UI__idleInterface), nullptr);
  EXPECT_NE(stereo->extension_data(LV2_UI__showInterface), nullptr);
  EXPECT_EQ(stereo->extension_data("http://example.org/unknown"), nullptr);
  EXPECT_EQ(stereo->extension_data(nullptr), nullptr);
  // The bundle's plug-ins name these editors.
  EXPECT_STREQ(kOstrakonLV2Bundle.plugins[0].uiUri, stereo->URI);
  EXPECT_STREQ(kOstrakonLV2Bundle.plugins[1].uiUri, mono->URI);
}

TEST(LV2UIInstantiate, EmbedsAnnouncesItsSizeAndRefusesAnotherPlugIn)
{
  UIHost h;
  ASSERT_NE(h.handle, nullptr);
  EXPECT_NE(h.widget, nullptr);
  EXPECT_EQ(h.width, 460);
  EXPECT_EQ(h.height, 640);
  EXPECT_TRUE(h.G()->WindowIsOpen());
  EXPECT_EQ(h.Gui()->GetGraphics(), h.G());

  // The stereo editor addresses the stereo plug-in's ports only.
  UIHost wrong(0, UIHost::kEmbedded, kOstrakonLV2MonoURI);
  EXPECT_EQ(wrong.handle, nullptr);
  // Without any feature it still works; it has no window until shown.
  UIHost bare(1, UIHost::kBare);
  ASSERT_NE(bare.handle, nullptr);
  EXPECT_EQ(bare.widget, nullptr);
  EXPECT_FALSE(bare.G()->WindowIsOpen());
}

TEST(LV2UIWrites, ADragWritesTheKnobsValueInsideOneTouchGesture)
{
  UIHost h;
  const uint32_t port = (uint32_t) h.ports.Control(kInputGain);
  // The input gain knob, dragged up by 10 pixels in two moves.
  h.G()->OnMouseDown(78, 54, &kLeft);
  h.G()->OnMouseDrag(78, 49, &kLeft);
  h.G()->OnMouseDrag(78, 44, &kLeft);
  h.G()->OnMouseUp(78, 44, &kLeft);
  const std::string p = std::to_string(port);
  EXPECT_EQ(h.events, (std::vector<std::string>{"touch " + p + " on", "write " + p, "write " + p, "touch " + p + " off"}));
  ASSERT_EQ(h.writes.size(), 2u);
  // In decibels, as the port holds them.
  EXPECT_NEAR(h.writes.back().value, -60.0 + 90.0 * (60.0 / 90.0 + 10.0 / 168.0), 1e-4);
  EXPECT_EQ(h.writes.back().value, (float) h.Param(kInputGain)->Value());

  // The plug-in, given the written value, holds the editor's setting as a port holds it,
  // in single precision.
  LV2Rig rig;
  Deliver(h, rig);
  EXPECT_EQ(rig.Plug().GetParam(kInputGain)->Value(), (double) h.writes.back().value);
}

TEST(LV2UIWrites, SwitchesAndEnumsWriteTheirValues)
{
  UIHost h;
  // Switching the EQ off: 0 on its port, and its panel greys in the editor itself.
  h.Click(h.Gui()->Eq()->StateSwitch());
  ASSERT_FALSE(h.writes.empty());
  EXPECT_EQ(h.writes.back().port, (uint32_t) h.ports.Control(kEqOn));
  EXPECT_EQ(h.writes.back().value, 0.0f);
  EXPECT_TRUE(h.Gui()->Eq()->Knob(0)->IsGrayRequested());
  // The dynamics 1 type selector: its second entry, FET.
  h.writes.clear();
  const IRECT* type = h.Gui()->Dyn(0)->TypeSwitch()->GetRECT();
  const int slice = type->H() / 4;
  h.G()->OnMouseDown(type->L + 30, type->T + slice + slice / 2, &kLeft);
  h.G()->OnMouseUp(type->L + 30, type->T + slice + slice / 2, &kLeft);
  ASSERT_FALSE(h.writes.empty());
  EXPECT_EQ(h.writes.back().port, (uint32_t) h.ports.Control(kDyn1Type));
  EXPECT_EQ(h.writes.back().value, 1.0f);
  // Its attack range is the FET's now, on the plug-in as in the editor.
  EXPECT_DOUBLE_EQ(h.Param(kDyn1Attack)->GetMax(), kDynTimeRanges[kDynFET].attack.maxValue);
}

TEST(LV2UIWrites, TimeKnobsWriteThePositionOnTheVCAScaleWhateverTheType)
{
  UIHost h;
  h.SendControl(kDyn1Type, 1.0f); // FET, from the host
  EXPECT_DOUBLE_EQ(h.Param(kDyn1Attack)->GetMax(), kDynTimeRanges[kDynFET].attack.maxValue);
  h.Drag(DynKnob(h, 0, OstrakonGuiCompressor::kAttack)->GetKnob(), 6);
  ASSERT_FALSE(h.writes.empty());
  EXPECT_EQ(h.writes.back().port, (uint32_t) h.ports.Control(kDyn1Attack));
  // The knob's position read on the attack port's scale (the VCA's, 1 to 30 ms, shape 2).
  const double t = h.Param(kDyn1Attack)->GetNormalized();
  EXPECT_GT(t, 0.0);
  EXPECT_NEAR(h.writes.back().value, 1.0 + 29.0 * t * t, 1e-5);

  // The plug-in reads the written value back to the same knob position.
  LV2Rig rig;
  rig.Control(kDyn1Type) = 1.0f;
  Deliver(h, rig);
  EXPECT_NEAR(rig.Plug().GetParam(kDyn1Attack)->GetNormalized(), t, 1e-6);
  EXPECT_DOUBLE_EQ(rig.Plug().GetParam(kDyn1Attack)->GetMax(), h.Param(kDyn1Attack)->GetMax());

  // And a value from the host lands where the plug-in puts it.
  h.writes.clear();
  h.SendControl(kDyn1Attack, 8.25f);
  rig.Control(kDyn1Attack) = 8.25f;
  Deliver(h, rig);
  EXPECT_EQ(h.Param(kDyn1Attack)->GetNormalized(), rig.Plug().GetParam(kDyn1Attack)->GetNormalized());
}

TEST(LV2UIPortEvents, HostValuesReachTheControlsAndTheEditorFollowUp)
{
  UIHost h;
  h.SendControl(kLowMidGain, 4.5f);
  EXPECT_DOUBLE_EQ(h.Param(kLowMidGain)->Value(), 4.5);
  IControl* lowMid = nullptr;
  for (int k = 0; k < OstrakonGuiEq::kNumKnobs; ++k)
    if (h.Gui()->Eq()->Knob(k)->GetKnob()->ParamIdx() == kLowMidGain) lowMid = h.Gui()->Eq()->Knob(k)->GetKnob();
  ASSERT_NE(lowMid, nullptr);
  EXPECT_DOUBLE_EQ(lowMid->GetValue(), h.Param(kLowMidGain)->GetNormalized());

  // Opto greys ratio, attack and release; off and on again leaves them grey; VCA clears.
  h.SendControl(kDyn1Type, 2.0f);
  for (int k : {OstrakonGuiCompressor::kAttack, OstrakonGuiCompressor::kRelease, OstrakonGuiCompressor::kRatio})
    EXPECT_TRUE(DynKnob(h, 0, k)->IsGrayRequested()) << k;
  h.SendControl(kDyn1On, 0.0f);
  h.SendControl(kDyn1On, 1.0f);
  EXPECT_TRUE(DynKnob(h, 0, OstrakonGuiCompressor::kAttack)->IsGrayRequested());
  EXPECT_FALSE(DynKnob(h, 0, OstrakonGuiCompressor::kThreshold)->IsGrayRequested());
  h.SendControl(kDyn1Type, 0.0f);
  EXPECT_FALSE(DynKnob(h, 0, OstrakonGuiCompressor::kAttack)->IsGrayRequested());

  // The EQ off greys its panel; the routing restacks the panels.
  h.SendControl(kEqOn, 0.0f);
  EXPECT_TRUE(h.Gui()->Eq()->Knob(0)->IsGrayRequested());
  h.SendControl(kRouting, 1.0f);
  EXPECT_EQ(h.Gui()->Eq()->Background()->GetRECT()->T, Ostrakongui::TopsFor(1).eq);
  EXPECT_EQ(h.Gui()->Dyn(1)->Background()->GetRECT()->T, Ostrakongui::TopsFor(1).dyn2);

  // None of it went back to the host.
  EXPECT_TRUE(h.writes.empty());
  EXPECT_TRUE(h.events.empty());
}

TEST(LV2UIPortEvents, EchoesDuringAGestureAndBadEventsChangeNothing)
{
  UIHost h;
  hrKnob* knob = DynKnob(h, 0, OstrakonGuiCompressor::kThreshold);
  const IRECT* r = knob->GetKnob()->GetRECT();
  const int x = (r->L + r->R) / 2, y = (r->T + r->B) / 2;
  h.G()->OnMouseDown(x, y, &kLeft);
  h.G()->OnMouseDrag(x, y - 20, &kLeft);
  const double dragged = h.Param(kDyn1Thresh)->Value();
  // The host echoes an earlier value while the user still holds the knob.
  h.SendControl(kDyn1Thresh, 0.0f);
  EXPECT_EQ(h.Param(kDyn1Thresh)->Value(), dragged);
  h.G()->OnMouseUp(x, y - 20, &kLeft);
  EXPECT_EQ(h.UI().GetGestureParam(), -1);
  // After it, the host's value wins.
  h.SendControl(kDyn1Thresh, -12.0f);
  EXPECT_DOUBLE_EQ(h.Param(kDyn1Thresh)->Value(), -12.0);

  const double before = h.Param(kHiPassFreq)->Value();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  h.SendControl(kHiPassFreq, nan);
  const double d = 99.0;
  h.descriptor->port_event(h.handle, (uint32_t) h.ports.Control(kHiPassFreq), sizeof d, 0, &d);
  const float f = 99.0f;
  h.descriptor->port_event(h.handle, (uint32_t) h.ports.Control(kHiPassFreq), sizeof f, 12345, &f);
  h.descriptor->port_event(h.handle, (uint32_t) h.ports.Control(kHiPassFreq), sizeof f, 0, nullptr);
  h.descriptor->port_event(h.handle, 100000, sizeof f, 0, &f);
  h.descriptor->port_event(h.handle, 0xffffffffu, sizeof f, 0, &f);
  EXPECT_EQ(h.Param(kHiPassFreq)->Value(), before);
  // Out of range: clamped, as the plug-in clamps.
  h.SendControl(kHiPassFreq, 1e9f);
  EXPECT_DOUBLE_EQ(h.Param(kHiPassFreq)->Value(), 200.0);
}

TEST(LV2UIMeters, MeterOutputsFeedTheEditorsMeters)
{
  UIHost stereo;
  Ostrakongui* e = stereo.Gui();
  IGraphics* g = stereo.G();
  // The plug-in's order: strip, EQ, Dyn 1, Dyn 2 (in L, in R, out L, out R), then the two
  // gain reductions.
  const int expected[kOstrakonLV2NumStereoMeters] = {
    e->MeterIdx(0), e->MeterIdx(1), e->MeterIdx(2), e->MeterIdx(3),
    e->Eq()->MeterIdx()[0], e->Eq()->MeterIdx()[1], e->Eq()->MeterIdx()[2], e->Eq()->MeterIdx()[3],
    e->Dyn(0)->MeterIdx()[0], e->Dyn(0)->MeterIdx()[1], e->Dyn(0)->MeterIdx()[2], e->Dyn(0)->MeterIdx()[3],
    e->Dyn(1)->MeterIdx()[0], e->Dyn(1)->MeterIdx()[1], e->Dyn(1)->MeterIdx()[2], e->Dyn(1)->MeterIdx()[3],
    e->Dyn(0)->GainReductionIdx(), e->Dyn(1)->GainReductionIdx()};
  for (int m = 0; m < kOstrakonLV2NumStereoMeters; ++m)
  {
    EXPECT_EQ(stereo.UI().MeterControl(m), expected[m]) << kOstrakonLV2StereoMeters[m].symbol;
    const float v = 0.03125f * (float) (m + 1);
    stereo.SendMeter(m, v);
    EXPECT_DOUBLE_EQ(g->GetControl(expected[m])->GetValue(), v) << kOstrakonLV2StereoMeters[m].symbol;
  }

  // Mono: the left bars.
  UIHost mono(1);
  e = mono.Gui();
  const int monoExpected[kOstrakonLV2NumMonoMeters] = {
    e->MeterIdx(Ostrakongui::kInputLeft), e->MeterIdx(Ostrakongui::kOutputLeft),
    e->Eq()->MeterIdx()[0], e->Eq()->MeterIdx()[2], e->Dyn(0)->MeterIdx()[0], e->Dyn(0)->MeterIdx()[2],
    e->Dyn(1)->MeterIdx()[0], e->Dyn(1)->MeterIdx()[2], e->Dyn(0)->GainReductionIdx(),
    e->Dyn(1)->GainReductionIdx()};
  for (int m = 0; m < kOstrakonLV2NumMonoMeters; ++m)
    EXPECT_EQ(mono.UI().MeterControl(m), monoExpected[m]) << kOstrakonLV2MonoMeters[m].symbol;

  // A reading marks the editor for repainting, and idle calls keep it so while the bars fall.
  IRECT dirty;
  stereo.G()->IsDirty(&dirty);
  stereo.SendMeter(0, 1.0f);
  EXPECT_NE(g->AllDirtyCount(), 0u);
  const unsigned count = g->AllDirtyCount();
  static_cast<const LV2UI_Idle_Interface*>(stereo.descriptor->extension_data(LV2_UI__idleInterface))
      ->idle(stereo.handle);
  EXPECT_GT(g->AllDirtyCount(), count);
}

TEST(LV2UIShow, AHostWithoutEmbeddingShowsAndHidesTheEditorsOwnWindow)
{
  UIHost h(0, UIHost::kWindowOnly);
  ASSERT_NE(h.handle, nullptr);
  const auto* show = static_cast<const LV2UI_Show_Interface*>(h.descriptor->extension_data(LV2_UI__showInterface));
  const auto* idle = static_cast<const LV2UI_Idle_Interface*>(h.descriptor->extension_data(LV2_UI__idleInterface));
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(show->show(h.handle), 0);
    EXPECT_TRUE(h.G()->WindowIsOpen());
    EXPECT_EQ(idle->idle(h.handle), 0);
    EXPECT_EQ(show->hide(h.handle), 0);
    EXPECT_FALSE(h.G()->WindowIsOpen());
    // Closed: the host stops calling idle.
    EXPECT_NE(idle->idle(h.handle), 0);
  }
}

TEST(LV2UILifetime, FiftyEditorsOpenAndCloseWithAGestureLeftOpen)
{
  // The sanitizer build's leak check is the judge of what is left behind.
  for (int i = 0; i < 50; ++i)
  {
    UIHost h(i % 2);
    ASSERT_NE(h.handle, nullptr);
    h.SendControl(kRouting, (float) (i % 3));
    h.SendMeter(0, 0.5f);
    const IRECT* r = DynKnob(h, 1, OstrakonGuiCompressor::kRatio)->GetKnob()->GetRECT();
    const int x = (r->L + r->R) / 2, y = (r->T + r->B) / 2;
    h.G()->OnMouseDown(x, y, &kLeft);
    h.G()->OnMouseDrag(x, y - 10, &kLeft);
    // Closing with the knob held ends its gesture for the host.
    h.descriptor->cleanup(h.handle);
    h.handle = nullptr;
    ASSERT_GE(h.events.size(), 2u);
    EXPECT_EQ(h.events.back().substr(h.events.back().size() - 3), "off");
  }
}
