#include "editor/Ostrakongui.h"

#include "IPlug/IGraphics.h"
#include "IPlug/IPlugBase.h"
#include "IPlug/IPlugVersion.h"
#include "IPlug/controls/ITextControl.h"
#include "editor/EditorBitmaps.h"
#include "engine/OstrakonParams.h"

#include <initializer_list>

namespace
{
constexpr int kTopMeterX[Ostrakongui::kNumTopMeters] = {32, 43, 413, 424};
constexpr int kTopMeterY = 32, kTopMeterW = 5, kTopMeterH = 54;
constexpr int kSwitchX = 130;

struct SwitchPlace
{
  int y, param;
  const EditorBitmap* bitmap;
};
const SwitchPlace kSwitches[Ostrakongui::kNumSwitches] = {
  {27, kAnalogueOn, &kAnalogueSwitch},
  {47, kRevPhase, &kPhaseSwitch},
  {67, kOversampling, &kOversamplingSwitch},
};

constexpr Ostrakongui::PanelTops kTops[3] = {{102, 237, 470}, {335, 102, 470}, {102, 372, 237}};
} // namespace

Ostrakongui::PanelTops Ostrakongui::TopsFor(int routing) { return kTops[routing >= 0 && routing < 3 ? routing : 0]; }

Ostrakongui::Ostrakongui(IPlugBase* plug, IGraphics* graphics) : mGraphics(graphics), mPlug(plug)
{
  IGraphics* g = graphics;
  g->AttachBackground(kMainBackground.id, kMainBackground.name);

  // The version the host sees, "v2.0.2".
  char version[MAX_VERSION_STR_LEN];
  plug->GetEffectVersionStr(version);
  const IRECT versionRect(280, 613, 340, 633);
  const IText versionStyle(10, &COLOR_WHITE, "Arial", IText::kStyleNormal, IText::kAlignCenter, 0,
                           IText::kQualityDefault);
  g->AttachControl(new ITextControl(plug, &versionRect, &versionStyle, version));

  for (int i = 0; i < kNumTopMeters; ++i)
  {
    mMeters[i] = new IPeakMeter(plug, kTopMeterX[i], kTopMeterY, kTopMeterW, kTopMeterH);
    mMeterIdx[i] = g->AttachControl(mMeters[i]);
  }

  const int knobX[2] = {55, 361}, knobParam[2] = {kInputGain, kOutputGain};
  for (int i = 0; i < 2; ++i)
  {
    mKnobs[i] = new hrKnob(plug, knobX[i], 33, knobParam[i], kKnobIoGain.id, kKnobIoGain.name, kKnobIoGain.frames, g);
    mKnobIdx[i] = g->AttachControl(mKnobs[i]);
  }

  for (int i = 0; i < kNumSwitches; ++i)
  {
    const SwitchPlace& s = kSwitches[i];
    const IBitmap b = LoadEditorBitmap(g, *s.bitmap);
    mSwitches[i] = new ISwitchControl(plug, kSwitchX, s.y, s.param, &b);
    g->AttachControl(mSwitches[i]);
  }

  mEq = new OstrakonGuiEq(plug, g);
  mDyn1 = new OstrakonGuiCompressor(plug, g, 0);
  mDyn2 = new OstrakonGuiCompressor(plug, g, 1);
  const PanelTops tops = TopsFor(0);
  mDyn1->display(kPanelX, tops.dyn1);
  mEq->display(kPanelX, tops.eq);
  mDyn2->display(kPanelX, tops.dyn2);

  mBuilt = true;
}

Ostrakongui::~Ostrakongui()
{
  delete mEq;
  delete mDyn1;
  delete mDyn2;
}

void Ostrakongui::FollowParam(int paramIdx, const IParam* param)
{
  if (!param) return;
  const bool off = param->Value() == 0.0;
  switch (paramIdx)
  {
    case kEqOn: mEq->grayOut(off); break;
    case kDyn1On: mDyn1->grayOut(off); break;
    case kDyn2On: mDyn2->grayOut(off); break;
    case kDyn1Type:
    case kDyn2Type:
    {
      // The opto compressor has no ratio, attack or release; the panel keeps those grey
      // while it is selected, whether the stage is on or off.
      OstrakonGuiCompressor* panel = paramIdx == kDyn1Type ? mDyn1 : mDyn2;
      const int type = param->Int();
      if (type != 0 && type != 1 && type != 2 && type != 3) break;
      const bool opto = type == 2;
      for (int k : {OstrakonGuiCompressor::kAttack, OstrakonGuiCompressor::kRelease, OstrakonGuiCompressor::kRatio})
        panel->Knob(k)->GrayOut(opto);
      panel->SetOpto(opto);
      break;
    }
    case kRouting: rearrange(param->Int()); break;
    default: break;
  }
}

void Ostrakongui::rearrange(int routing)
{
  const PanelTops tops = TopsFor(routing);
  switch (routing)
  {
    case 1:
      mEq->display(kPanelX, tops.eq);
      mDyn1->display(kPanelX, tops.dyn1);
      mDyn2->display(kPanelX, tops.dyn2);
      break;
    case 2:
      mDyn1->display(kPanelX, tops.dyn1);
      mDyn2->display(kPanelX, tops.dyn2);
      mEq->display(kPanelX, tops.eq);
      break;
    default:
      mDyn1->display(kPanelX, tops.dyn1);
      mEq->display(kPanelX, tops.eq);
      mDyn2->display(kPanelX, tops.dyn2);
      break;
  }
}
