#include "editor/OstrakonGuiCompressor.h"

#include "IPlug/IGraphics.h"
#include "editor/EditorBitmaps.h"
#include "engine/OstrakonParams.h"

#include <initializer_list>

namespace
{
enum EParamSlot
{
  kThresholdParam = 0,
  kRatioParam,
  kAttackParam,
  kReleaseParam,
  kTypeParam,
  kStateParam,
  kInGainParam,
  kOutGainParam
};

constexpr int kStageParams[2][8] = {
  {kDyn1Thresh, kDyn1Ratio, kDyn1Attack, kDyn1Release, kDyn1Type, kDyn1On, kDyn1InputGain, kDyn1OutputGain},
  {kDyn2Thresh, kDyn2Ratio, kDyn2Attack, kDyn2Release, kDyn2Type, kDyn2On, kDyn2InputGain, kDyn2OutputGain},
};

// Threshold knobs light from the maximum, the others from the minimum.
const EditorBitmap* const kKnobBitmaps[OstrakonGuiCompressor::kNumKnobs] = {&kKnobNeg, &kKnobPos, &kKnobPos,
                                                                            &kKnobPos};

constexpr int kMeterX[OstrakonGuiCompressor::kNumMeters] = {8, 20, 408, 420};
constexpr int kMeterY = 52, kMeterW = 3, kMeterH = 51;
constexpr int kTypeX = 314, kTypeY = 49;
constexpr int kFaderX[2] = {11, 411};
constexpr int kFaderY = 52, kFaderTravel = 51;
constexpr int kReductionX = 272, kReductionY = 13, kReductionW = 120, kReductionH = 10, kReductionSegments = 30;
constexpr int kArrangeX = 410;
} // namespace

OstrakonGuiCompressor::OstrakonGuiCompressor(IPlugBase* plug, IGraphics* graphics, int stage)
  : mArrangeParam(kRouting), mStage(stage), mGraphics(graphics), mPlug(plug)
{
  const int s = stage == 1 ? 1 : 0;
  for (int i = 0; i < 8; ++i) mParamIdx[i] = kStageParams[s][i];
}

void OstrakonGuiCompressor::display(int x, int y)
{
  // Bitmaps are taken from the cache only where controls are made: moving them takes no
  // lock, as an adapter may apply a routing change on the audio thread.
  IGraphics* g = mGraphics;
  if (mBackgroundIdx == 0)
  {
    const IBitmap background = LoadEditorBitmap(g, kDynBackground);
    mBackground = new IBitmapControl(mPlug, x, y, -1, &background);
    mBackgroundIdx = g->AttachControl(mBackground);
  }
  else
    mBackground->Move(x, y);

  if (mMeterIdx[0] == 0 && mMeterIdx[1] == 0 && mMeterIdx[2] == 0 && mMeterIdx[3] == 0)
    for (int i = 0; i < kNumMeters; ++i)
    {
      mMeters[i] = new IPeakMeter(mPlug, x + kMeterX[i], y + kMeterY, kMeterW, kMeterH);
      mMeterIdx[i] = g->AttachControl(mMeters[i]);
    }
  else
    for (int i = 0; i < kNumMeters; ++i) mMeters[i]->Move(x + kMeterX[i], y + kMeterY);

  if (mStateSwitchIdx == 0)
  {
    // A stage other than the two has no on/off picture.
    IBitmap state;
    if (mStage == 0 || mStage == 1) state = LoadEditorBitmap(g, mStage == 0 ? kDyn1State : kDyn2State);
    mStateSwitch = new ISwitchControl(mPlug, x, y, mParamIdx[kStateParam], &state);
    mStateSwitchIdx = g->AttachControl(mStateSwitch);
  }
  else
    mStateSwitch->Move(x, y);

  if (mTypeSwitchIdx == 0)
  {
    const IBitmap type = LoadEditorBitmap(g, kDynTypeSwitch);
    mTypeSwitch =
        new ISwitchControl(mPlug, x + kTypeX, y + kTypeY, mParamIdx[kTypeParam], &type, ISwitchControl::kVerticalSlices);
    mTypeSwitchIdx = g->AttachControl(mTypeSwitch);
  }
  else
    mTypeSwitch->Move(x + kTypeX, y + kTypeY);

  if (mFaderIdx[0] == 0 && mFaderIdx[1] == 0)
  {
    const IBitmap fader = LoadEditorBitmap(g, kFaderHandle);
    for (int i = 0; i < 2; ++i)
    {
      mFaders[i] =
          new IFaderControl(mPlug, x + kFaderX[i], y + kFaderY, kFaderTravel, mParamIdx[kInGainParam + i], &fader);
      mFaderIdx[i] = g->AttachControl(mFaders[i]);
    }
  }
  else
    for (int i = 0; i < 2; ++i) mFaders[i]->Move(x + kFaderX[i], y + kFaderY);

  if (mGainReductionIdx == 0)
  {
    mGainReduction = new IGainReductionMeter(mPlug, x + kReductionX, y + kReductionY, kReductionW, kReductionH,
                                             kReductionSegments);
    mGainReductionIdx = g->AttachControl(mGainReduction);
  }
  else
    mGainReduction->Move(x + kReductionX, y + kReductionY);

  if (mArrangeSwitchIdx == 0)
  {
    const IBitmap arrange = LoadEditorBitmap(g, kArrangeSwitch);
    mArrangeSwitch = new ISwitchControl(mPlug, x + kArrangeX, y, mArrangeParam, &arrange);
    mArrangeSwitchIdx = g->AttachControl(mArrangeSwitch);
  }
  else
    mArrangeSwitch->Move(x + kArrangeX, y);

  const int top = y + mKnobTop, left = x + mKnobLeft;
  if (mKnobIdx[0] == 0 && mKnobIdx[1] == 0 && mKnobIdx[2] == 0 && mKnobIdx[3] == 0)
    for (int i = 0; i < kNumKnobs; ++i)
    {
      const EditorBitmap* b = kKnobBitmaps[i];
      mKnobs[i] = new hrKnob(mPlug, left + i * mKnobSpacing, top, mParamIdx[i], b->id, b->name, b->frames, g);
      mKnobIdx[i] = g->AttachControl(mKnobs[i]);
    }
  else
    for (int i = 0; i < kNumKnobs; ++i) mKnobs[i]->move(left + i * mKnobSpacing, top);
}

void OstrakonGuiCompressor::grayOut(bool gray)
{
  if (mKnobs[kThreshold]) mKnobs[kThreshold]->GrayOut(gray);
  if (!mOpto)
    for (int i : {kRatio, kAttack, kRelease})
      if (mKnobs[i]) mKnobs[i]->GrayOut(gray);
  for (IPeakMeter* m : mMeters)
    if (m) m->GrayOut(gray);
  for (IFaderControl* f : mFaders)
    if (f) f->GrayOut(gray);
  if (mTypeSwitch) mTypeSwitch->GrayOut(gray);
  if (mBackground) mBackground->GrayOut(gray);
  if (mGainReduction) mGainReduction->GrayOut(gray);
}
