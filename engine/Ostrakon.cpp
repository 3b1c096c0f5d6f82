#include "engine/Ostrakon.h"

#include "IPlug/IGraphics.h"
#include "IPlug/SampleRates.h"
#include "dsp/StereoFrame.h"
#include "editor/Ostrakongui.h"

#include <climits>
#include <cmath>

namespace
{
// The slot's parameters: on/off, type, attack, release, input and output gain.
struct SlotParams
{
  int thresh, attack, release, ratio, on, type, inGain, outGain;
};
constexpr SlotParams kSlot[2] = {
  {kDyn1Thresh, kDyn1Attack, kDyn1Release, kDyn1Ratio, kDyn1On, kDyn1Type, kDyn1InputGain,
   kDyn1OutputGain},
  {kDyn2Thresh, kDyn2Attack, kDyn2Release, kDyn2Ratio, kDyn2On, kDyn2Type, kDyn2InputGain,
   kDyn2OutputGain},
};

// Scales both channels and returns their signed peaks (from 0) through peaks[0..1].
void GainAndPeaks(double* buffer, int nFrames, double gain, double* peaks)
{
  const StereoFrame g = Splat(gain);
  StereoFrame peak = Splat(0.0);
  for (int i = 0; i < nFrames; ++i)
  {
    const StereoFrame x = LoadFrame(buffer + 2 * i) * g;
    StoreFrame(x, buffer + 2 * i);
    peak = x > peak ? x : peak;
  }
  peaks[0] = peak[0];
  peaks[1] = peak[1];
}

// A knob position a across a time range, in single precision: span * a + minimum.
float AcrossRange(const DynTimeRange& r, float a) { return (float) (r.maxValue - r.minValue) * a + (float) r.minValue; }

// The FET runs its attack 1.5 times and its release 1.3 times as long as its knobs show.
constexpr double kFetAttackScale = 1.5;
constexpr double kFetReleaseScale = 1.3;

// The fifteen parameters setEqFilters converts are 0 to this.
constexpr int kLastEqBandParam = kFilterQ;

// The parameters a module law reads as a knob position rather than a value.
bool ReadsKnobPosition(int paramIdx)
{
  for (const SlotParams& sp : kSlot)
    if (paramIdx == sp.thresh || paramIdx == sp.attack || paramIdx == sp.release || paramIdx == sp.ratio)
      return true;
  return false;
}
} // namespace

Ostrakon::Ostrakon(const IPlugInstanceInfo& instanceInfo)
  : IPlugAdapter(instanceInfo, kNumParams, kOstrakonChannelIO, 0, kOstrakonEffectName, kOstrakonProductName,
                   kOstrakonMfrName, kOstrakonVersion, kOstrakonUniqueID, kOstrakonMfrID,
                   kOstrakonLatency, false, false, false)
{
  for (int i = 0; i < kNumParams; ++i)
  {
    IParam* param = GetParam(i);
    InitOstrakonParam(param, kOstrakonParams[i]);
    mReceived[i] = ReadsKnobPosition(i) ? param->GetNormalized() : param->Value();
  }
  CreateEditor();
}

Ostrakon::~Ostrakon() = default;

void Ostrakon::Reset()
{
  // No block runs meanwhile, so the audio thread's state is this thread's until the end;
  // changes still waiting for a block are taken first, in the order they were made.
  IRenderGate::Reinit hold(GetRenderGate());
  ApplyParamChanges();

  // Every road in refuses a rate outside the supported range, so the rate and the
  // compressors' raised rate are ints with room to spare.
  static_assert(kMaxSampleRate * 2 <= (double) INT_MAX, "the raised rate must fit an int");
  const int sr = (int) GetSampleRate();
  mEq.analogue.setTolerances(analogue_block::drawTolerances());
  mEq.init(sr);
  setEqFilters();
  for (int s = 0; s < 2; ++s)
  {
    mVCA[s].analogue.setTolerances(analogue_block::drawTolerances());
    mVCA[s].init(sr);
    mFET[s].analogue.setTolerances(analogue_block::drawTolerances());
    mFET[s].init(sr);
    mOpto[s].analogue.setTolerances(analogue_block::drawTolerances());
    mOpto[s].init(sr);
    mExpander[s].init(sr);
  }
}

// ----- parameter changes: the changing thread's share -----

void Ostrakon::OnParamChange(int paramIdx)
{
  IParam* param = GetParam(paramIdx);
  if (param)
  {
    switch (paramIdx)
    {
      case kDyn1Type: FollowDynType(this, 0); break;
      case kDyn2Type: FollowDynType(this, 1); break;
      case kOversampling: DrawOversamplingTolerances(); break;
      default: break;
    }
    // The editor follows on this thread, at once, like the records: greying, the
    // panels' order.
    FollowInEditor(paramIdx, param);
  }

  // The audio thread's share, for the start of its next block. Every change, even of an
  // unknown index, renews the EQ targets from the EQ parameters as they now stand, so
  // their values travel with it.
  for (int i = 0; i <= kLastEqBandParam; ++i) mChanges.Post(i, GetParam(i)->Value());
  if (param && paramIdx > kLastEqBandParam)
    mChanges.Post(paramIdx, ReadsKnobPosition(paramIdx) ? param->GetNormalized() : param->Value());
}

void Ostrakon::DrawOversamplingTolerances()
{
  for (auto& type : mSwitchTolerances)
    for (auto& slot : type)
    {
      const analogue_block::Tolerances t = analogue_block::drawTolerances();
      slot[0].store(t.first, std::memory_order_relaxed);
      slot[1].store(t.second, std::memory_order_relaxed);
    }
}

// ----- parameter changes: the audio thread's share -----

void Ostrakon::ApplyParamChanges()
{
  if (mChanges.Collect([this](int idx, double received) { ApplyChange(idx, received); })) setEqFilters();
}

void Ostrakon::ApplyChange(int paramIdx, double x)
{
  mReceived[paramIdx] = x;
  switch (paramIdx)
  {
    case kDyn1Thresh: OnThreshold(0, x); break;
    case kDyn2Thresh: OnThreshold(1, x); break;
    case kDyn1Attack: OnAttack(0, x); break;
    case kDyn2Attack: OnAttack(1, x); break;
    case kDyn1Release: OnRelease(0, x); break;
    case kDyn2Release: OnRelease(1, x); break;
    case kDyn1Ratio: OnRatio(0, x); break;
    case kDyn2Ratio: OnRatio(1, x); break;
    case kRouting: SetRouting(TruncToInt(x)); break;
    case kInputGain: mInputGain = DBToAmp(x); break;
    case kOutputGain: mOutputGain = DBToAmp(x); break;
    case kAnalogueOn: OnAnalogue(x >= 0.5); break;
    case kOversampling: OnOversampling(x != 0.0); break;
    default: break; // the rest is read from mReceived block by block
  }
}

void Ostrakon::OnThreshold(int s, double t)
{
  const float u = 1.0f - (float) t;
  mVCA[s].threshold = std::pow(10.0, (double) (u * -60.0f / 20.0f));
  // The FET and opto thresholds run the other way: 1.0 at the knob's minimum.
  const double fet = std::pow(10.0, (double) (1.0f - u) * -60.0 / 20.0);
  mFET[s].threshold = fet;
  mOpto[s].threshold = fet;
  mExpander[s].threshold = std::pow(10.0, (double) (u * -40.0f / 20.0f));
}

// Each module maps the knob position across its own type's range, whichever type the
// slot shows.
void Ostrakon::OnAttack(int s, double t)
{
  const float a = (float) t;
  VCACompressor& vca = mVCA[s];
  vca.attackMs = AcrossRange(kDynTimeRanges[kDynVCA].attack, a);
  vca.updateTimeConstants();
  VintageFETCompressor& fet = mFET[s];
  const DynTimeRange& f = kDynTimeRanges[kDynFET].attack;
  fet.attackMs = ((double) a * (f.maxValue - f.minValue) + f.minValue) * kFetAttackScale;
  fet.updateTimeConstants();
  expander& x = mExpander[s];
  x.attackMs = AcrossRange(kDynTimeRanges[kDynExpander].attack, a);
  x.updateTimeConstants();
}

void Ostrakon::OnRelease(int s, double t)
{
  const float a = (float) t;
  VCACompressor& vca = mVCA[s];
  vca.releaseMs = AcrossRange(kDynTimeRanges[kDynVCA].release, a);
  vca.updateTimeConstants();
  VintageFETCompressor& fet = mFET[s];
  fet.releaseMs = (double) AcrossRange(kDynTimeRanges[kDynFET].release, a) * kFetReleaseScale;
  fet.updateTimeConstants();
  expander& x = mExpander[s];
  x.releaseMs = AcrossRange(kDynTimeRanges[kDynExpander].release, a);
  x.updateTimeConstants();
}

void Ostrakon::OnRatio(int s, double t)
{
  const float a = (float) t;
  mVCA[s].ratio = 19.0f * a + 1.0f;
  mFET[s].ratioAmount = a;
  mExpander[s].ratio = 19.0f * a + 1.0f;
}

void Ostrakon::SetRouting(int routing)
{
  switch (routing)
  {
    case 0: mRouting[0] = kStageDyn1; mRouting[1] = kStageEq; mRouting[2] = kStageDyn2; break;
    case 1: mRouting[0] = kStageEq; mRouting[1] = kStageDyn1; mRouting[2] = kStageDyn2; break;
    case 2: mRouting[0] = kStageDyn1; mRouting[1] = kStageDyn2; mRouting[2] = kStageEq; break;
    default: break;
  }
}

void Ostrakon::OnAnalogue(bool on)
{
  mEq.analogueOn = on;
  for (VCACompressor& c : mVCA) c.analogueOn = on;
  for (VintageFETCompressor& c : mFET) c.analogueOn = on;
  for (VintageOptoCompressor& c : mOpto) c.analogueOn = on;
}

void Ostrakon::OnOversampling(bool on)
{
  // Each compressor sets itself up again for its new processing rate, with the
  // tolerances drawn when the switch was made.
  auto follow = [&](auto& c, int type, int slot) {
    const std::atomic<double>* t = mSwitchTolerances[type][slot];
    c.oversampling = on;
    c.analogue.setTolerances({t[0].load(std::memory_order_relaxed), t[1].load(std::memory_order_relaxed)});
    c.init(c.sampleRate);
  };
  for (int s = 0; s < 2; ++s) follow(mFET[s], kCompFET, s);
  for (int s = 0; s < 2; ++s) follow(mVCA[s], kCompVCA, s);
  for (int s = 0; s < 2; ++s) follow(mOpto[s], kCompOpto, s);
}

void Ostrakon::setEqFilters()
{
  const float sr = (float) mEq.sampleRate;
  auto p = [this](int idx) { return (float) mReceived[idx]; };
  // A peaking band's gain rises with its Q; its Q is scaled down.
  auto bandGain = [](float g, float q) { return (double) (float) ((0.125 * q * 0.2 + 1.0) * g); };
  auto bandQ = [](float q) { return (double) (float) (q / 2.2); };

  const float hp = p(kHiPassFreq);
  mEq.hpFreq = (double) (hp / sr);
  mEq.hpOn = hp > 20.0f;

  const float lp = p(kLowPassFreq);
  mEq.lpFreq = mEq.lpUserFreq = (double) (lp / sr);
  mEq.lpHz = (int) lp;
  mEq.lpOn = lp < 20000.0f;

  mEq.highShelfFreq = (double) ((float) (p(kHiShelfFreq) * 0.3) / sr);
  mEq.highShelfGain = (double) p(kHiShelfGain) * 1.08;

  const float ls = p(kLowShelfFreq);
  mEq.lowShelfFreq = (double) ((ls + ls) / sr);
  mEq.lowShelfGain = (double) p(kLowShelfGain);

  mEq.lowMidFreq = (double) (p(kLowMidFreq) / sr);
  mEq.lowMidGain = bandGain(p(kLowMidGain), p(kLowMidQ));
  mEq.lowMidQ = bandQ(p(kLowMidQ));

  mEq.hiMidFreq = (double) (p(kHiMidFreq) / sr);
  mEq.hiMidGain = bandGain(p(kHiMidGain), p(kHiMidQ));
  mEq.hiMidQ = bandQ(p(kHiMidQ));

  mEq.filterFreq = (double) (p(kFilterFreq) / sr);
  mEq.filterGain = bandGain(p(kFilterGain), p(kFilterQ));
  mEq.filterQ = bandQ(p(kFilterQ));
}

// ----- processing -----

void Ostrakon::PostMeters(const int controls[kNumPeakMeters], const double peaks[kNumPeakMeters])
{
  if (IGraphics* g = GetGUI())
    for (int i = 0; i < kNumPeakMeters; ++i) g->SetControlFromPlug(controls[i], peaks[i]);
}

void Ostrakon::processEq(double* buffer, int nFrames)
{
  // Off bypasses the whole stage, gains included, and freezes its state.
  if (mReceived[kEqOn] == 0.0) return;
  double peaks[kNumPeakMeters];
  GainAndPeaks(buffer, nFrames, DBToAmp(mReceived[kEqInputGain]), peaks);
  mEq.process(buffer, nFrames);
  GainAndPeaks(buffer, nFrames, DBToAmp(mReceived[kEqOutputGain]), peaks + 2);
  MergePiecePeaks(mEqPeaks, &mEqRan, peaks);
  PostMeters(mMeters.eq, mEqPeaks);
}

void Ostrakon::MergePiecePeaks(double blockPeaks[kNumPeakMeters], bool* ran,
                               const double peaks[kNumPeakMeters]) const
{
  // A block cut into pieces meters as one: peaks are the maximum over its pieces.
  const bool merge = mLaterPiece && *ran;
  for (int i = 0; i < kNumPeakMeters; ++i)
    blockPeaks[i] = merge && blockPeaks[i] > peaks[i] ? blockPeaks[i] : peaks[i];
  *ran = true;
}

void Ostrakon::processDyn(double* buffer, int nFrames, int s)
{
  const SlotParams& sp = kSlot[s & 1];
  s &= 1;
  if (mReceived[sp.on] == 0.0)
  {
    mGainReduction[s] = 1.0;
    return;
  }
  double peaks[kNumPeakMeters];
  GainAndPeaks(buffer, nFrames, DBToAmp(mReceived[sp.inGain]), peaks);
  // Only the selected module runs; the others keep their state frozen. Over the pieces
  // of one block a compressor reads its smallest gain, the expander its last.
  const bool laterPiece = mLaterPiece && mDynRan[s];
  double reading = mGainReduction[s];
  bool blockMinimum = false;
  switch (TruncToInt(mReceived[sp.type]))
  {
    case 0:
      mVCA[s].process(buffer, nFrames);
      reading = (double) (float) mVCA[s].minGain;
      blockMinimum = true;
      break;
    case 1:
      mFET[s].process(buffer, nFrames);
      reading = (double) (float) mFET[s].minGain;
      blockMinimum = true;
      break;
    case 2:
      mOpto[s].process(buffer, nFrames);
      reading = (double) (float) mOpto[s].minGain;
      blockMinimum = true;
      break;
    case 3:
      mExpander[s].process(buffer, nFrames);
      reading = (double) (float) mExpander[s].gain;
      break;
    default: break;
  }
  if (!(blockMinimum && laterPiece && mGainReduction[s] < reading)) mGainReduction[s] = reading;
  GainAndPeaks(buffer, nFrames, DBToAmp(mReceived[sp.outGain]), peaks + 2);
  MergePiecePeaks(mDynPeaks[s], &mDynRan[s], peaks);
  PostMeters(mMeters.dyn[s], mDynPeaks[s]);
  if (IGraphics* g = GetGUI())
  {
    g->SetControlFromPlug(mMeters.gainReduction[0], mGainReduction[0]);
    g->SetControlFromPlug(mMeters.gainReduction[1], mGainReduction[1]);
  }
}

void Ostrakon::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  ApplyParamChanges();
  if (NInChannels() >= 2)
  {
    mEq.setStereo(true);
    for (int s = 0; s < 2; ++s)
    {
      mVCA[s].setStereo(true);
      mFET[s].setStereo(true);
      mOpto[s].setStereo(true);
    }
  }

  for (double& p : mPeaks) p = 0.0;
  mEqRan = mDynRan[0] = mDynRan[1] = false;
  if (nFrames < 0) nFrames = 0;
  mLaterPiece = false;

  // A zero-frame block still runs the stages once, so their meters read 0.
  int done = 0;
  do
  {
    const int n = nFrames - done < kMaxPieceFrames ? nFrames - done : kMaxPieceFrames;
    ProcessPiece(inputs, outputs, done, n);
    done += n;
    mLaterPiece = true;
  } while (done < nFrames);
  mLaterPiece = false; // stages called on their own are whole blocks

  if (IGraphics* g = GetGUI())
  {
    PostMeters(mMeters.strip, mPeaks);
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
  // Phase reverse and input gain as one factor: -x * g and x * -g are the same bits.
  const StereoFrame gIn = Splat(mReceived[kRevPhase] >= 0.5 ? -mInputGain : mInputGain);
  const StereoFrame zero = Splat(0.0), offsetTiny = Splat(1e-24);
  const StereoFrame ceiling = Splat(kInputCeiling), bottom = Splat(-kInputCeiling);
  StereoFrame peak = {mPeaks[kMeterInL], mPeaks[kMeterInR]};

  // Interleave, phase reverse, input gain, input peaks and the denormal offset, one pass.
  // Inputs and outputs may alias; every input is read here before any output is written.
  for (int i = 0; i < nFrames; ++i)
  {
    StereoFrame x = {inL[i], inR[i]};
    // One non-finite sample must not poison the stages' histories for the session:
    // x - x is 0 exactly for finite x and NaN otherwise.
    x = x - x == zero ? x : zero;
    x = x * gIn;
    // Nor may absurd finite input overflow a stage's arithmetic.
    x = x > ceiling ? ceiling : x;
    x = x < bottom ? bottom : x;
    peak = x > peak ? x : peak;
    StoreFrame(x + offsetTiny, buf + 2 * i);
  }
  mPeaks[kMeterInL] = peak[0];
  mPeaks[kMeterInR] = peak[1];

  for (int slot = 0; slot < 3; ++slot) RunStage(mRouting[slot], buf, nFrames);

  double* outL = outputs[0] + offset;
  double* outR = outputs[1] + offset;
  const StereoFrame gOut = Splat(mOutputGain);
  const StereoFrame floatMax = Splat(kOutputCeiling), floatMin = Splat(-kOutputCeiling);
  peak = StereoFrame{mPeaks[kMeterOutL], mPeaks[kMeterOutR]};
  for (int i = 0; i < nFrames; ++i)
  {
    StereoFrame y = LoadFrame(buf + 2 * i) * gOut;
    // Whatever a stage did, the host gets a finite single-precision sample: NaN, the
    // infinities and values beyond the float range leave as silence.
    y = y <= floatMax ? y : zero;
    y = y >= floatMin ? y : zero;
    peak = y > peak ? y : peak;
    outL[i] = y[0];
    outR[i] = y[1];
  }
  mPeaks[kMeterOutL] = peak[0];
  mPeaks[kMeterOutR] = peak[1];
}

void Ostrakon::RunStage(int stage, double* buffer, int nFrames)
{
  switch (stage)
  {
    case kStageEq: processEq(buffer, nFrames); break;
    case kStageDyn1: processDyn(buffer, nFrames, 0); break;
    case kStageDyn2: processDyn(buffer, nFrames, 1); break;
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
