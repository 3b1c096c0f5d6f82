#include "engine/Ostrakon.h"

#include "IPlug/IGraphics.h"

#include <cmath>

Ostrakon::Ostrakon(const IPlugInstanceInfo&)
  : IPlugBase(kNumParams, kOstrakonChannelIO, 0, kOstrakonEffectName, kOstrakonProductName,
              kOstrakonMfrName, kOstrakonVersion, kOstrakonUniqueID, kOstrakonMfrID,
              kOstrakonLatency, false, false, false)
{
  for (int i = 0; i < kNumParams; ++i) InitOstrakonParam(GetParam(i), kOstrakonParams[i]);
}

Ostrakon::~Ostrakon() = default;

void Ostrakon::Reset() {}

void Ostrakon::OnParamChange(int paramIdx)
{
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  switch (paramIdx)
  {
    case kRouting:
      switch (param->Int())
      {
        case 0: mRouting[0] = kStageDyn1; mRouting[1] = kStageEq; mRouting[2] = kStageDyn2; break;
        case 1: mRouting[0] = kStageEq; mRouting[1] = kStageDyn1; mRouting[2] = kStageDyn2; break;
        case 2: mRouting[0] = kStageDyn1; mRouting[1] = kStageDyn2; mRouting[2] = kStageEq; break;
        default: break;
      }
      break;
    case kInputGain: mInputGain = param->DBToAmp(); break;
    case kOutputGain: mOutputGain = param->DBToAmp(); break;
    default: break;
  }
}

void Ostrakon::SetPeakMeterControls(const int controlIdx[kNumPeakMeters])
{
  for (int i = 0; i < kNumPeakMeters; ++i) mPeakMeterControls[i] = controlIdx[i];
}

void Ostrakon::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  for (double& p : mPeaks) p = 0.0;
  if (nFrames < 0) nFrames = 0;

  // A zero-frame block still runs the stages once, so their meters read 0.
  int done = 0;
  do
  {
    const int n = nFrames - done < kMaxPieceFrames ? nFrames - done : kMaxPieceFrames;
    ProcessPiece(inputs, outputs, done, n);
    done += n;
  } while (done < nFrames);

  if (IGraphics* g = GetGUI())
  {
    for (int i = 0; i < kNumPeakMeters; ++i) g->SetControlFromPlug(mPeakMeterControls[i], mPeaks[i]);
    g->SetAllControlsDirty();
  }
}

void Ostrakon::ProcessPiece(double** inputs, double** outputs, int offset, int nFrames)
{
  // Peaks start from 0 and compare signed values, so a block of only negative samples
  // reads 0; taking the maximum over pieces gives the peak of the whole block.
  double* buf = mWork;
  const double* inL = inputs[0] + offset;
  const double* inR = inputs[1] + offset;
  const bool reverse = GetParam(kRevPhase)->Bool();
  const double gIn = mInputGain;
  double peakL = mPeaks[kMeterInL], peakR = mPeaks[kMeterInR];

  // Interleave, phase reverse, input gain, input peaks and the denormal offset, one pass.
  // Inputs and outputs may alias; every input is read here before any output is written.
  for (int i = 0; i < nFrames; ++i)
  {
    double l = inL[i], r = inR[i];
    // One non-finite sample must not poison the stages' histories for the session.
    if (!std::isfinite(l)) l = 0.0;
    if (!std::isfinite(r)) r = 0.0;
    if (reverse)
    {
      l = -l;
      r = -r;
    }
    l *= gIn;
    r *= gIn;
    if (l > peakL) peakL = l;
    if (r > peakR) peakR = r;
    buf[2 * i] = l + 1e-24;
    buf[2 * i + 1] = r + 1e-24;
  }
  mPeaks[kMeterInL] = peakL;
  mPeaks[kMeterInR] = peakR;

  for (int slot = 0; slot < 3; ++slot) RunStage(mRouting[slot], buf, nFrames);

  double* outL = outputs[0] + offset;
  double* outR = outputs[1] + offset;
  const double gOut = mOutputGain;
  peakL = mPeaks[kMeterOutL];
  peakR = mPeaks[kMeterOutR];
  for (int i = 0; i < nFrames; ++i)
  {
    const double l = buf[2 * i] * gOut, r = buf[2 * i + 1] * gOut;
    if (l > peakL) peakL = l;
    if (r > peakR) peakR = r;
    outL[i] = l;
    outR[i] = r;
  }
  mPeaks[kMeterOutL] = peakL;
  mPeaks[kMeterOutR] = peakR;
}

void Ostrakon::RunStage(int stage, double*, int)
{
  switch (stage)
  {
    case kStageEq:
    case kStageDyn1:
    case kStageDyn2:
    default: break;
  }
}

Ostrakon* MakePlug()
{
  // Created on first use, destroyed at process exit.
  static WDL_Mutex sMakePlugMutex;
  WDL_MutexLock lock(&sMakePlugMutex);
  IPlugInstanceInfo info;
  info.mBundleID.Set(kOstrakonBundleID);
  info.mCocoaViewFactoryClassName.Set(kOstrakonViewClass);
  return new Ostrakon(info);
}
