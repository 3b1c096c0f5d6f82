#pragma once
// A dynamics panel: background, four peak meters, on/off switch, type selector, input and
// output gain faders, gain-reduction meter, routing switch and the threshold, ratio,
// attack and release knobs, placed relative to the panel's corner.

#include "IPlug/controls/IBitmapControl.h"
#include "IPlug/controls/IFaderControl.h"
#include "IPlug/controls/ISwitchControl.h"
#include "editor/IGainReductionMeter.h"
#include "editor/IPeakMeter.h"
#include "editor/hrKnob.h"

class IGraphics;
class IPlugBase;

class OstrakonGuiCompressor
{
public:
  enum EKnob
  {
    kThreshold = 0,
    kRatio,
    kAttack,
    kRelease,
    kNumKnobs
  };
  static constexpr int kNumMeters = 4;
  static constexpr int kWidth = 430, kHeight = 135;

  // stage 0 is dynamics 1, stage 1 dynamics 2.
  OstrakonGuiCompressor(IPlugBase* plug, IGraphics* graphics, int stage);

  // The first call creates the panel's controls with its corner at (x, y); later calls
  // move them there.
  void display(int x, int y);
  // Greys or restores the panel except its on/off and routing switches. While the opto
  // flag is set the ratio, attack and release knobs are left as they are.
  void grayOut(bool gray);

  // Set by the engine while this stage runs the opto compressor, which ignores the
  // ratio, attack and release knobs (the engine keeps them grey meanwhile).
  bool GetOpto() const { return mOpto; }
  void SetOpto(bool opto) { mOpto = opto; }

  int Stage() const { return mStage; }
  // Control indices (0: not created yet).
  const int* MeterIdx() const { return mMeterIdx; }
  int GainReductionIdx() const { return mGainReductionIdx; }
  int BackgroundIdx() const { return mBackgroundIdx; }
  int StateSwitchIdx() const { return mStateSwitchIdx; }
  int TypeSwitchIdx() const { return mTypeSwitchIdx; }
  const int* FaderIdx() const { return mFaderIdx; }
  int ArrangeSwitchIdx() const { return mArrangeSwitchIdx; }
  const int* KnobIdx() const { return mKnobIdx; }
  // Threshold, ratio, attack, release, type, on/off, input gain, output gain.
  int ParamIdx(int i) const { return i >= 0 && i < 8 ? mParamIdx[i] : -1; }

  hrKnob* Knob(int i) const { return i >= 0 && i < kNumKnobs ? mKnobs[i] : nullptr; }
  IPeakMeter* Meter(int i) const { return i >= 0 && i < kNumMeters ? mMeters[i] : nullptr; }
  IGainReductionMeter* GainReductionMeter() const { return mGainReduction; }
  IFaderControl* Fader(int i) const { return i == 0 || i == 1 ? mFaders[i] : nullptr; }
  ISwitchControl* StateSwitch() const { return mStateSwitch; }
  ISwitchControl* TypeSwitch() const { return mTypeSwitch; }
  ISwitchControl* ArrangeSwitch() const { return mArrangeSwitch; }
  IBitmapControl* Background() const { return mBackground; }

private:
  int mMeterIdx[kNumMeters] = {};
  int mGainReductionIdx = 0, mBackgroundIdx = 0, mStateSwitchIdx = 0, mTypeSwitchIdx = 0;
  int mFaderIdx[2] = {};
  int mArrangeSwitchIdx = 0;
  int mKnobIdx[kNumKnobs] = {};
  hrKnob* mKnobs[kNumKnobs] = {};
  bool mOpto = false;
  int mParamIdx[8];
  int mArrangeParam;
  int mKnobTop = 63, mKnobLeft = 42, mKnobSpacing = 60;
  int mStage;
  IGraphics* mGraphics;
  IPlugBase* mPlug;
  IBitmapControl* mBackground = nullptr;
  ISwitchControl* mStateSwitch = nullptr;
  ISwitchControl* mTypeSwitch = nullptr;
  ISwitchControl* mArrangeSwitch = nullptr;
  IFaderControl* mFaders[2] = {};
  IPeakMeter* mMeters[kNumMeters] = {};
  IGainReductionMeter* mGainReduction = nullptr;
};
