#include "engine/Ostrakon.h"

#include "IPlug/IGraphics.h"
#include "dsp/StereoFrame.h"
#include "editor/Ostrakongui.h"

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

// One-pole factor for a time in ms at a processing rate.
double TimeCoef(double ms, int rate) { return std::exp(-1.0 / (ms / 1000.0 * rate)); }

// The expander's factor: the rate-times-seconds product is single precision.
double ExpanderCoef(int rate, float ms) { return std::exp(-1.0 / (double) ((float) rate * (ms / 1000.0f))); }

int CompressorRate(int sampleRate, bool oversampling, int factor)
{
  return oversampling ? sampleRate * factor : sampleRate;
}

// A compressor's rate-dependent coefficients and analogue block for the rate it
// runs at: its sample rate, times the factor while it oversamples.
void FollowProcessingRate(VintageFETCompressor& c)
{
  const int r = CompressorRate(c.sampleRate, c.oversampling, c.oversampleFactor);
  c.attackCoef = TimeCoef(c.attackMs, r);
  c.releaseCoef = TimeCoef(c.releaseMs, r);
  c.analogue.init(r, true, 1);
}

void FollowProcessingRate(VCACompressor& c)
{
  const int r = CompressorRate(c.sampleRate, c.oversampling, c.oversampleFactor);
  c.rmsCoef = std::exp(-1.0 / (r * 0.0825));
  c.attackCoef = TimeCoef(c.attackMs, r);
  c.releaseCoef = TimeCoef(c.releaseMs, r);
  c.analogue.init(r, false, 0);
}

void FollowProcessingRate(VintageOptoCompressor& c)
{
  const int r = CompressorRate(c.sampleRate, c.oversampling, c.oversampleFactor);
  c.setRate(r);
  c.analogue.init(r, true, 2);
}
} // namespace

Ostrakon::Ostrakon(const IPlugInstanceInfo& instanceInfo)
  : IPlugAU(instanceInfo, kNumParams, kOstrakonChannelIO, 0, kOstrakonEffectName, kOstrakonProductName,
              kOstrakonMfrName, kOstrakonVersion, kOstrakonUniqueID, kOstrakonMfrID,
              kOstrakonLatency, false, false, false)
{
  for (int i = 0; i < kNumParams; ++i) InitOstrakonParam(GetParam(i), kOstrakonParams[i]);
  CreateEditor();
}

Ostrakon::~Ostrakon() = default;

void Ostrakon::Reset()
{
  const int sr = (int) GetSampleRate();
  const float fsr = (float) sr;
  // The expanders' 12.12 Hz mean-square smoother.
  const double a = std::pow(2.718281828459045, -6.283185307179586 * (double) (12.12f / fsr));

  mEq.sampleRate = sr;
  mEq.analogue.init(sr, false, 0);
  setEqFilters();

  for (int s = 0; s < 2; ++s)
  {
    mVCA[s].init(sr);
    mFET[s].init((double) sr);
    mOpto[s].init((double) sr);
    // init works at the base rate and leaves the VCA's attack and release alone, so
    // an oversampling compressor, or a VCA after a rate change, would run with time
    // constants for another rate.
    if (mVCA[s].oversampling)
      FollowProcessingRate(mVCA[s]);
    else
    {
      mVCA[s].attackCoef = TimeCoef(mVCA[s].attackMs, sr);
      mVCA[s].releaseCoef = TimeCoef(mVCA[s].releaseMs, sr);
    }
    if (mFET[s].oversampling) FollowProcessingRate(mFET[s]);
    if (mOpto[s].oversampling) FollowProcessingRate(mOpto[s]);
    expander& x = mExpander[s];
    x.sampleRate = sr;
    x.attackCoef = std::exp(-1.0 / (double) (x.attackMs / 1000.0f * fsr));
    x.releaseCoef = std::exp(-1.0 / (double) (x.releaseMs / 1000.0f * fsr));
    x.msFilter.b0 = 1.0 - a;
    x.msFilter.b1 = 0.0;
    x.msFilter.a1 = a;
  }
}

// ----- parameter changes -----

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

void Ostrakon::OnAttack(int s, double t)
{
  const float a = (float) t;
  VCACompressor& vca = mVCA[s];
  vca.attackMs = 29.0f * a + 1.0f;
  vca.attackCoef =
      TimeCoef(vca.attackMs, CompressorRate(vca.sampleRate, vca.oversampling, vca.oversampleFactor));
  VintageFETCompressor& fet = mFET[s];
  fet.attackMs = ((double) a * 0.78 + 0.02) * 1.5;
  fet.attackCoef =
      TimeCoef(fet.attackMs, CompressorRate(fet.sampleRate, fet.oversampling, fet.oversampleFactor));
  expander& x = mExpander[s];
  x.attackMs = 29.0f * a + 1.0f;
  x.attackCoef = ExpanderCoef(x.sampleRate, x.attackMs);
}

void Ostrakon::OnRelease(int s, double t)
{
  const float a = (float) t;
  VCACompressor& vca = mVCA[s];
  vca.releaseMs = 3900.0f * a + 100.0f;
  vca.releaseCoef =
      TimeCoef(vca.releaseMs, CompressorRate(vca.sampleRate, vca.oversampling, vca.oversampleFactor));
  VintageFETCompressor& fet = mFET[s];
  fet.releaseMs = (double) (1150.0f * a + 50.0f) * 1.3;
  fet.releaseCoef =
      TimeCoef(fet.releaseMs, CompressorRate(fet.sampleRate, fet.oversampling, fet.oversampleFactor));
  expander& x = mExpander[s];
  x.releaseMs = 950.0f * a + 50.0f;
  x.releaseCoef = ExpanderCoef(x.sampleRate, x.releaseMs);
}

void Ostrakon::OnRatio(int s, double t)
{
  const float a = (float) t;
  mVCA[s].ratio = 19.0f * a + 1.0f;
  mFET[s].ratioAmount = a;
  mExpander[s].ratio = 19.0f * a + 1.0f;
}

void Ostrakon::OnType(int s)
{
  // The knobs keep their positions; only the displayed range follows the type.
  IParam* attack = GetParam(kSlot[s].attack);
  IParam* release = GetParam(kSlot[s].release);
  const double tA = attack->GetNormalized(), tR = release->GetNormalized();
  // From the table, not GetNameForHost: InitDouble would copy the name onto itself.
  const char* attackName = kOstrakonParams[kSlot[s].attack].name;
  const char* releaseName = kOstrakonParams[kSlot[s].release].name;
  switch (GetParam(kSlot[s].type)->Int())
  {
    case 0:
      attack->InitDouble(attackName, 1.0, 1.0, 30.0, 0.1, "ms");
      release->InitDouble(releaseName, 100.0, 100.0, 4000.0, 0.1, "ms");
      break;
    case 1:
      attack->InitDouble(attackName, 0.02, 0.02, 0.8, 0.01, "ms");
      release->InitDouble(releaseName, 50.0, 50.0, 1200.0, 0.1, "ms");
      break;
    case 3:
      attack->InitDouble(attackName, 1.0, 1.0, 30.0, 0.1, "ms");
      release->InitDouble(releaseName, 50.0, 50.0, 1000.0, 0.1, "ms");
      break;
    default: break;
  }
  attack->SetNormalized(tA);
  release->SetNormalized(tR);
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
  for (VintageFETCompressor& c : mFET)
  {
    c.oversampling = on;
    FollowProcessingRate(c);
  }
  for (VCACompressor& c : mVCA)
  {
    c.oversampling = on;
    FollowProcessingRate(c);
  }
  for (VintageOptoCompressor& c : mOpto)
  {
    c.oversampling = on;
    FollowProcessingRate(c);
  }
}

void Ostrakon::OnParamChange(int paramIdx)
{
  if (IParam* param = GetParam(paramIdx))
  {
    const double t = param->GetNormalized();
    switch (paramIdx)
    {
      case kDyn1Thresh: OnThreshold(0, t); break;
      case kDyn2Thresh: OnThreshold(1, t); break;
      case kDyn1Attack: OnAttack(0, t); break;
      case kDyn2Attack: OnAttack(1, t); break;
      case kDyn1Release: OnRelease(0, t); break;
      case kDyn2Release: OnRelease(1, t); break;
      case kDyn1Ratio: OnRatio(0, t); break;
      case kDyn2Ratio: OnRatio(1, t); break;
      case kDyn1Type: OnType(0); break;
      case kDyn2Type: OnType(1); break;
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
      case kAnalogueOn: OnAnalogue(param->Bool()); break;
      case kOversampling: OnOversampling(param->Value() != 0.0); break;
      default: break;
    }
    FollowInEditor(paramIdx, param);
  }
  setEqFilters();
}

void Ostrakon::setEqFilters()
{
  const float sr = (float) mEq.sampleRate;
  auto p = [this](int idx) { return (float) GetParam(idx)->Value(); };
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
  if (GetParam(kEqOn)->Value() == 0.0) return;
  double peaks[kNumPeakMeters];
  GainAndPeaks(buffer, nFrames, GetParam(kEqInputGain)->DBToAmp(), peaks);
  mEq.process(buffer, nFrames);
  GainAndPeaks(buffer, nFrames, GetParam(kEqOutputGain)->DBToAmp(), peaks + 2);
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
  if (GetParam(sp.on)->Value() == 0.0)
  {
    mGainReduction[s] = 1.0;
    return;
  }
  double peaks[kNumPeakMeters];
  GainAndPeaks(buffer, nFrames, GetParam(sp.inGain)->DBToAmp(), peaks);
  // Only the selected module runs; the others keep their state frozen. Over the pieces
  // of one block a compressor reads its smallest gain, the expander its last.
  const bool laterPiece = mLaterPiece && mDynRan[s];
  double reading = mGainReduction[s];
  bool blockMinimum = false;
  switch (GetParam(sp.type)->Int())
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
  GainAndPeaks(buffer, nFrames, GetParam(sp.outGain)->DBToAmp(), peaks + 2);
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
  const StereoFrame gIn = Splat(GetParam(kRevPhase)->Bool() ? -mInputGain : mInputGain);
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
