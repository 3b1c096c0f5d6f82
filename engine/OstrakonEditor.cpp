// The strip's side of its editor: building it with the plug-in, and keeping it consistent
// with parameter changes (greyed stages and opto knobs, the panels' order).

#include "engine/Ostrakon.h"

#include "IPlug/IGraphics.h"
#include "editor/EditorGraphics.h"
#include "editor/Ostrakongui.h"

#include <initializer_list>

void Ostrakon::CreateEditor()
{
  IGraphics* g = MakeGraphics(this, kEditorWidth, kEditorHeight, 0);
  mGui.reset(new Ostrakongui(this, g));

  // The engine posts its readings through the indices the editor keeps.
  MeterControls meters;
  for (int i = 0; i < kNumPeakMeters; ++i)
  {
    meters.strip[i] = mGui->MeterIdx(i);
    meters.eq[i] = mGui->Eq()->MeterIdx()[i];
    for (int s = 0; s < 2; ++s) meters.dyn[s][i] = mGui->Dyn(s)->MeterIdx()[i];
  }
  for (int s = 0; s < 2; ++s) meters.gainReduction[s] = mGui->Dyn(s)->GainReductionIdx();
  SetMeterControls(meters);

  AttachGraphics(g);
}

void Ostrakon::FollowInEditor(int paramIdx, const IParam* param)
{
  // Only while the editor's own context is the attached one: its controls die with it.
  if (!mGui || GetGUI() != mGui->GetGraphics()) return;
  const bool off = param->Value() == 0.0;
  switch (paramIdx)
  {
    case kEqOn: mGui->Eq()->grayOut(off); break;
    case kDyn1On: mGui->Dyn(0)->grayOut(off); break;
    case kDyn2On: mGui->Dyn(1)->grayOut(off); break;
    case kDyn1Type:
    case kDyn2Type:
    {
      // The opto compressor has no ratio, attack or release; the panel keeps those grey
      // while it is selected, whether the stage is on or off.
      OstrakonGuiCompressor* panel = mGui->Dyn(paramIdx == kDyn1Type ? 0 : 1);
      const int type = param->Int();
      if (type != 0 && type != 1 && type != 2 && type != 3) break;
      const bool opto = type == 2;
      for (int k : {OstrakonGuiCompressor::kAttack, OstrakonGuiCompressor::kRelease, OstrakonGuiCompressor::kRatio})
        panel->Knob(k)->GrayOut(opto);
      panel->SetOpto(opto);
      break;
    }
    case kRouting: mGui->rearrange(param->Int()); break;
    default: break;
  }
}
