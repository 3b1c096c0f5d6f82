#include "engine/OstrakonLV2UI.h"

#include "IPlug/IGraphics.h"
#include "editor/EditorGraphics.h"
#include "editor/Ostrakongui.h"
#include "engine/OstrakonIdentity.h"
#include "engine/OstrakonLV2.h"
#include "engine/OstrakonParams.h"

namespace
{
const IPlugLV2UIDesc kUIs[] = {
  {kOstrakonLV2StereoUIURI, kOstrakonLV2StereoURI, 2, kOstrakonLV2NumStereoMeters},
  {kOstrakonLV2MonoUIURI, kOstrakonLV2MonoURI, 1, kOstrakonLV2NumMonoMeters},
};

IPlugLV2UI* MakeUI(const IPlugLV2UIDesc* desc) { return new OstrakonLV2UI(desc); }

constexpr int kIn = 0, kOut = 2; // the left input and output of a stage's four meters
} // namespace

const IPlugLV2UIBundle kOstrakonLV2UIBundle = {kUIs, (int) (sizeof kUIs / sizeof kUIs[0]), MakeUI};

OstrakonLV2UI::OstrakonLV2UI(const IPlugLV2UIDesc* desc)
  : IPlugLV2UI(kNumParams, kOstrakonChannelIO, kOstrakonEffectName, kOstrakonProductName, kOstrakonMfrName,
               kOstrakonVersion, kOstrakonUniqueID, kOstrakonMfrID)
{
  for (int i = 0; i < kNumParams; ++i) InitOstrakonParam(GetParam(i), kOstrakonParams[i]);
  IGraphics* g = MakeGraphics(this, Ostrakongui::kWidth, Ostrakongui::kHeight, 0);
  mGui.reset(new Ostrakongui(this, g));

  // The meter outputs in the plug-in's order (kOstrakonLV2StereoMeters and
  // kOstrakonLV2MonoMeters): the strip's, the EQ's and the two slots' peaks, then the
  // gain reductions. A mono plug-in's signal runs in the left channel, so its meters
  // feed the left bars, as in the plug-in's own editor.
  const Ostrakongui& e = *mGui;
  const int* stage[3] = {e.Eq()->MeterIdx(), e.Dyn(0)->MeterIdx(), e.Dyn(1)->MeterIdx()};
  if (desc && desc->nChannels == 1)
  {
    mMeterControls = {e.MeterIdx(Ostrakongui::kInputLeft), e.MeterIdx(Ostrakongui::kOutputLeft)};
    for (const int* s : stage) mMeterControls.insert(mMeterControls.end(), {s[kIn], s[kOut]});
  }
  else
  {
    for (int i = 0; i < Ostrakongui::kNumTopMeters; ++i) mMeterControls.push_back(e.MeterIdx(i));
    for (const int* s : stage) mMeterControls.insert(mMeterControls.end(), s, s + 4);
  }
  for (int s = 0; s < 2; ++s) mMeterControls.push_back(e.Dyn(s)->GainReductionIdx());

  AttachGraphics(g);
}

OstrakonLV2UI::~OstrakonLV2UI() = default;

void OstrakonLV2UI::OnParamChange(int paramIdx)
{
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  if (paramIdx == kDyn1Type) FollowDynType(this, 0);
  if (paramIdx == kDyn2Type) FollowDynType(this, 1);
  if (mGui && GetGUI() == mGui->GetGraphics()) mGui->FollowParam(paramIdx, param);
}

void OstrakonLV2UI::OnMeter(int meter, float value)
{
  IGraphics* g = GetGUI();
  const int control = MeterControl(meter);
  if (!g || control < 0) return;
  g->SetControlFromPlug(control, value);
  // As the plug-in does after each block: every control is repainted at the next frame.
  g->SetAllControlsDirty();
  mLastMeter = std::chrono::steady_clock::now();
}

void OstrakonLV2UI::OnIdle()
{
  IGraphics* g = GetGUI();
  if (g && std::chrono::steady_clock::now() - mLastMeter < kMeterFall) g->SetAllControlsDirty();
}
