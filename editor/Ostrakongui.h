#pragma once
// The channel strip's editor, built once per plug-in instance into its graphics context:
// the top section (background, version label, input and output peak meters, gain knobs,
// analogue, phase and oversampling switches) and the EQ and two dynamics panels, stacked
// in the order the routing names. The context owns the controls; the builder keeps the
// indices and pointers the engine feeds and greys.

#include "IPlug/controls/ISwitchControl.h"
#include "editor/IPeakMeter.h"
#include "editor/OstrakonGuiCompressor.h"
#include "editor/OstrakonGuiEq.h"
#include "editor/hrKnob.h"

class IGraphics;
class IParam;
class IPlugBase;

class Ostrakongui
{
public:
  static constexpr int kWidth = 460, kHeight = 640;
  static constexpr int kNumControls = 115;
  static constexpr int kPanelX = 15;

  enum ETopMeter
  {
    kInputLeft = 0,
    kInputRight,
    kOutputLeft,
    kOutputRight,
    kNumTopMeters
  };
  enum ESwitch
  {
    kAnalogue = 0,
    kPhase,
    kOversampling,
    kNumSwitches
  };

  // Builds the whole editor in the routing 0 layout; call before attaching the context.
  Ostrakongui(IPlugBase* plug, IGraphics* graphics);
  ~Ostrakongui();

  Ostrakongui(const Ostrakongui&) = delete;
  Ostrakongui& operator=(const Ostrakongui&) = delete;

  // Stacks the panels for routing 0, 1 or 2 (any other value as 0). Marks nothing dirty:
  // the next full repaint shows the new order.
  void rearrange(int routing);
  // Keeps the editor consistent with a change of the parameter, on the changing thread:
  // a stage switched off greys its panel, the opto type greys its panel's ratio, attack
  // and release knobs, the routing restacks the panels. Other parameters: nothing.
  void FollowParam(int paramIdx, const IParam* param);

  IGraphics* GetGraphics() const { return mGraphics; }
  OstrakonGuiEq* Eq() const { return mEq; }
  // stage 0 or 1; null otherwise.
  OstrakonGuiCompressor* Dyn(int stage) const { return stage == 0 ? mDyn1 : stage == 1 ? mDyn2 : nullptr; }
  int MeterIdx(int meter) const { return meter >= 0 && meter < kNumTopMeters ? mMeterIdx[meter] : -1; }
  int KnobIdx(int knob) const { return knob == 0 || knob == 1 ? mKnobIdx[knob] : -1; }
  IPeakMeter* Meter(int meter) const { return meter >= 0 && meter < kNumTopMeters ? mMeters[meter] : nullptr; }
  hrKnob* Knob(int knob) const { return knob == 0 || knob == 1 ? mKnobs[knob] : nullptr; }
  ISwitchControl* Switch(int s) const { return s >= 0 && s < kNumSwitches ? mSwitches[s] : nullptr; }
  bool IsBuilt() const { return mBuilt; }

  // The panel tops (dynamics 1, EQ, dynamics 2) for a routing value.
  struct PanelTops
  {
    int dyn1, eq, dyn2;
  };
  static PanelTops TopsFor(int routing);

private:
  IGraphics* mGraphics;
  OstrakonGuiEq* mEq = nullptr;
  OstrakonGuiCompressor* mDyn1 = nullptr;
  OstrakonGuiCompressor* mDyn2 = nullptr;
  int mMeterIdx[kNumTopMeters] = {};
  int mKnobIdx[2] = {};
  bool mBuilt = false;
  IPlugBase* mPlug;
  IPeakMeter* mMeters[kNumTopMeters] = {};
  hrKnob* mKnobs[2] = {};
  ISwitchControl* mSwitches[kNumSwitches] = {};
};
