// The strip's side of its editor: building it with the plug-in, and keeping it consistent
// with parameter changes (greyed stages and opto knobs, the panels' order).

#include "engine/Ostrakon.h"

#include "IPlug/IGraphics.h"
#include "editor/EditorGraphics.h"
#include "editor/Ostrakongui.h"

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
  mGui->FollowParam(paramIdx, param);
}
