#include "editor/OstrakonGuiEq.h"

#include "IPlug/IGraphics.h"
#include "editor/EditorBitmaps.h"
#include "engine/OstrakonParams.h"

namespace
{
struct KnobPlace
{
  int x, y, param;
  const EditorBitmap* bitmap;
};

// In creation (and drawing) order.
const KnobPlace kKnobs[OstrakonGuiEq::kNumKnobs] = {
  {8, 79, kHiPassFreq, &kKnobPos},    {61, 79, kLowShelfFreq, &kKnobPos},  {61, 137, kLowShelfGain, &kKnobMid},
  {139, 79, kLowMidFreq, &kKnobPos},  {115, 24, kLowMidGain, &kKnobMid},   {165, 24, kLowMidQ, &kKnobPos},
  {192, 160, kFilterFreq, &kKnobPos}, {140, 160, kFilterGain, &kKnobMid},  {246, 160, kFilterQ, &kKnobPos},
  {246, 79, kHiMidFreq, &kKnobPos},   {221, 24, kHiMidGain, &kKnobMid},    {271, 24, kHiMidQ, &kKnobPos},
  {325, 79, kHiShelfFreq, &kKnobPos}, {325, 137, kHiShelfGain, &kKnobMid}, {376, 79, kLowPassFreq, &kKnobPos},
};

constexpr int kMeterX[OstrakonGuiEq::kNumMeters] = {8, 20, 408, 420};
constexpr int kMeterY = 150, kMeterW = 3, kMeterH = 51;
constexpr int kFaderX[2] = {11, 411};
constexpr int kFaderY = 150, kFaderTravel = 51;
constexpr int kArrangeX = 410;

enum EExtraParam
{
  kStateParam = OstrakonGuiEq::kNumKnobs,
  kInFaderParam,
  kOutFaderParam,
  kArrangeParam
};
} // namespace

OstrakonGuiEq::OstrakonGuiEq(IPlugBase* plug, IGraphics* graphics) : mGraphics(graphics), mPlug(plug)
{
  for (int i = 0; i < kNumKnobs; ++i) mParamIdx[i] = kKnobs[i].param;
  mParamIdx[kStateParam] = kEqOn;
  mParamIdx[kInFaderParam] = kEqInputGain;
  mParamIdx[kOutFaderParam] = kEqOutputGain;
  mParamIdx[kArrangeParam] = kRouting;
}

void OstrakonGuiEq::display(int x, int y)
{
  // Bitmaps are taken from the cache only where controls are made: moving them takes no
  // lock, as an adapter may apply a routing change on the audio thread.
  IGraphics* g = mGraphics;
  if (mBackgroundIdx == 0)
  {
    const IBitmap background = LoadEditorBitmap(g, kEqBackground);
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
    const IBitmap state = LoadEditorBitmap(g, kEqState);
    mStateSwitch = new ISwitchControl(mPlug, x, y, mParamIdx[kStateParam], &state);
    mStateSwitchIdx = g->AttachControl(mStateSwitch);
  }
  else
    mStateSwitch->Move(x, y);

  if (mArrangeSwitchIdx == 0)
  {
    const IBitmap arrange = LoadEditorBitmap(g, kArrangeSwitch);
    mArrangeSwitch = new ISwitchControl(mPlug, x + kArrangeX, y, mParamIdx[kArrangeParam], &arrange);
    mArrangeSwitchIdx = g->AttachControl(mArrangeSwitch);
  }
  else
    mArrangeSwitch->Move(x + kArrangeX, y);

  if (mKnobIdx[0] == 0)
    for (int i = 0; i < kNumKnobs; ++i)
    {
      const KnobPlace& k = kKnobs[i];
      mKnobs[i] = new hrKnob(mPlug, x + k.x, y + k.y, k.param, k.bitmap->id, k.bitmap->name, k.bitmap->frames, g);
      mKnobIdx[i] = g->AttachControl(mKnobs[i]);
    }
  else
    for (int i = 0; i < kNumKnobs; ++i) mKnobs[i]->move(x + kKnobs[i].x, y + kKnobs[i].y);

  if (mFaderIdx[0] == 0 && mFaderIdx[1] == 0)
  {
    const IBitmap fader = LoadEditorBitmap(g, kFaderHandle);
    for (int i = 0; i < 2; ++i)
    {
      mFaders[i] =
          new IFaderControl(mPlug, x + kFaderX[i], y + kFaderY, kFaderTravel, mParamIdx[kInFaderParam + i], &fader);
      mFaderIdx[i] = g->AttachControl(mFaders[i]);
    }
  }
  else
    for (int i = 0; i < 2; ++i) mFaders[i]->Move(x + kFaderX[i], y + kFaderY);
}

void OstrakonGuiEq::grayOut(bool gray)
{
  for (hrKnob* k : mKnobs)
    if (k) k->GrayOut(gray);
  for (IPeakMeter* m : mMeters)
    if (m) m->GrayOut(gray);
  for (IFaderControl* f : mFaders)
    if (f) f->GrayOut(gray);
  if (mBackground) mBackground->GrayOut(gray);
}
