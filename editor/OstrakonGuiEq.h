#pragma once
// The EQ panel: background, four peak meters, on/off and routing switches, fifteen knobs
// and the input and output gain faders, placed relative to the panel's corner.

#include "IPlug/controls/IBitmapControl.h"
#include "IPlug/controls/IFaderControl.h"
#include "IPlug/controls/ISwitchControl.h"
#include "editor/IPeakMeter.h"
#include "editor/hrKnob.h"

class IGraphics;
class IPlugBase;

class OstrakonGuiEq
{
public:
  static constexpr int kNumKnobs = 15;
  static constexpr int kNumMeters = 4;
  static constexpr int kWidth = 430, kHeight = 233;

  OstrakonGuiEq(IPlugBase* plug, IGraphics* graphics);

  // The first call creates the panel's controls with its corner at (x, y); later calls
  // move them there.
  void display(int x, int y);
  // Greys or restores the knobs, meters, faders and background; the on/off and routing
  // switches stay usable so a greyed panel can be switched back on and moved.
  void grayOut(bool gray);

  // Control indices (0: not created yet).
  const int* MeterIdx() const { return mMeterIdx; }
  int BackgroundIdx() const { return mBackgroundIdx; }
  int StateSwitchIdx() const { return mStateSwitchIdx; }
  const int* FaderIdx() const { return mFaderIdx; }
  int ArrangeSwitchIdx() const { return mArrangeSwitchIdx; }
  const int* KnobIdx() const { return mKnobIdx; }
  // The parameter of knob i, then of the state switch, the two faders and the routing switch.
  int ParamIdx(int i) const { return i >= 0 && i < kNumKnobs + 4 ? mParamIdx[i] : -1; }

  hrKnob* Knob(int i) const { return i >= 0 && i < kNumKnobs ? mKnobs[i] : nullptr; }
  IPeakMeter* Meter(int i) const { return i >= 0 && i < kNumMeters ? mMeters[i] : nullptr; }
  IFaderControl* Fader(int i) const { return i == 0 || i == 1 ? mFaders[i] : nullptr; }
  ISwitchControl* StateSwitch() const { return mStateSwitch; }
  ISwitchControl* ArrangeSwitch() const { return mArrangeSwitch; }
  IBitmapControl* Background() const { return mBackground; }

private:
  int mMeterIdx[kNumMeters] = {};
  int mBackgroundIdx = 0, mStateSwitchIdx = 0;
  int mFaderIdx[2] = {};
  int mArrangeSwitchIdx = 0;
  int mKnobIdx[kNumKnobs] = {};
  hrKnob* mKnobs[kNumKnobs] = {};
  int mParamIdx[kNumKnobs + 4];
  IGraphics* mGraphics;
  IPlugBase* mPlug;
  ISwitchControl* mStateSwitch = nullptr;
  ISwitchControl* mArrangeSwitch = nullptr;
  IBitmapControl* mBackground = nullptr;
  IFaderControl* mFaders[2] = {};
  IPeakMeter* mMeters[kNumMeters] = {};
};
