#pragma once
// The channel strip: its identity, 40 parameters, processing modules and the
// per-block pipeline (input stage, three routed stages, output stage, meters).

#include "IPlug/IParamChanges.h"
#include "IPlug/IPlugAdapter.h"
#include "IPlug/IPlugInstanceInfo.h"
#include "dsp/VCACompressor.h"
#include "dsp/VintageFETCompressor.h"
#include "dsp/VintageOptoCompressor.h"
#include "dsp/analog_eq.h"
#include "dsp/expander.h"
#include "engine/OstrakonIdentity.h"
#include "engine/OstrakonParams.h"

#include <atomic>
#include <limits>
#include <memory>

class Ostrakongui;

#if defined(IPLUG_AU)
// The component type of the bundle's component description.
constexpr OSType kOstrakonComponentType = kAudioUnitType_Effect;
#endif

class Ostrakon : public IPlugAdapter
{
public:
  // Longest piece the pipeline runs at once, the size of its working buffer; longer
  // blocks are cut into such pieces and meter as one.
  static constexpr int kMaxPieceFrames = 4096;
  // Input after the input gain is held within +-2^20 (about +120 dBFS): far above any
  // real signal, and low enough that every gain of the strip together cannot overflow
  // a stage's arithmetic, not even squared in single precision.
  static constexpr double kInputCeiling = 1048576.0;
  // The largest output sample magnitude: the largest finite float.
  static constexpr double kOutputCeiling = std::numeric_limits<float>::max();

  // Stages a routing slot can name.
  enum EStage
  {
    kStageEq = 0,
    kStageDyn1 = 1,
    kStageDyn2 = 2
  };

  // The strip's four peak meters, in posting order.
  enum EPeakMeter
  {
    kMeterInL = 0,
    kMeterInR,
    kMeterOutL,
    kMeterOutR,
    kNumPeakMeters
  };

  explicit Ostrakon(const IPlugInstanceInfo& instanceInfo);
  ~Ostrakon() override;

  // Re-initialises every module for the base's sample rate, holding the render gate.
  void Reset() override;
  // On the thread that made the change: the records (a type re-ranges its slot's time
  // knobs) at once; the modules, gain factors and routing at the start of the audio
  // thread's next block.
  void OnParamChange(int paramIdx) override;
  // Takes the parameter changes handed over since the last block, then processes it.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  // The audio thread's share of the changes handed over since it last looked: module
  // settings, gain factors, routing, EQ targets. The pipeline calls it at the top of
  // every block; others only where no block can run meanwhile (holding the render
  // gate, or before audio starts, as tests and tools do).
  void ApplyParamChanges();

  // Where the engine posts its readings in the graphics context (-1: no control).
  struct MeterControls
  {
    int strip[kNumPeakMeters] = {-1, -1, -1, -1};
    int eq[kNumPeakMeters] = {-1, -1, -1, -1};
    int dyn[2][kNumPeakMeters] = {{-1, -1, -1, -1}, {-1, -1, -1, -1}};
    int gainReduction[2] = {-1, -1};
  };
  void SetMeterControls(const MeterControls& controls) { mMeters = controls; }

  // The editor builder, made with the plug-in; its graphics context is attached.
  Ostrakongui* GetEditor() const { return mGui.get(); }
  static constexpr int kEditorWidth = 460, kEditorHeight = 640;

  // The stages of the routing slots (each processes interleaved stereo in place), and
  // the EQ module's targets from the EQ parameters as the audio thread has them.
  void setEqFilters();
  void processEq(double* buffer, int nFrames);
  void processDyn(double* buffer, int nFrames, int second);

  // Readings of the last block, for tests and tools.
  double GetPeak(EPeakMeter meter) const { return mPeaks[meter]; }
  int GetRoutingSlot(int position) const
  {
    return position >= 0 && position < 3 ? mRouting[position] : -1;
  }
  double GetInputGainFactor() const { return mInputGain; }
  double GetOutputGainFactor() const { return mOutputGain; }
  double GetGainReduction(int slot) const { return slot == 0 || slot == 1 ? mGainReduction[slot] : 1.0; }
  // A stage's input and output peaks of the last block, in EPeakMeter order; 0 when the
  // stage did not run in it (switched off or not routed).
  double GetEqPeak(EPeakMeter meter) const { return mEqRan ? mEqPeaks[meter] : 0.0; }
  double GetDynPeak(int slot, EPeakMeter meter) const
  {
    return (slot == 0 || slot == 1) && mDynRan[slot] ? mDynPeaks[slot][meter] : 0.0;
  }

  // The modules, for tests and tools; the engine writes their settings.
  analog_eq& Eq() { return mEq; }
  VCACompressor& VCA(int slot) { return mVCA[slot & 1]; }
  VintageFETCompressor& FET(int slot) { return mFET[slot & 1]; }
  VintageOptoCompressor& Opto(int slot) { return mOpto[slot & 1]; }
  expander& Expander(int slot) { return mExpander[slot & 1]; }

private:
  // The compressors' types, as the oversampling switch takes them in turn.
  enum ECompressor
  {
    kCompFET = 0,
    kCompVCA,
    kCompOpto,
    kNumCompressorTypes
  };

  void ApplyChange(int paramIdx, double received);
  void DrawOversamplingTolerances();
  void ProcessPiece(double** inputs, double** outputs, int offset, int nFrames);
  void RunStage(int stage, double* buffer, int nFrames);
  void PostMeters(const int controls[kNumPeakMeters], const double peaks[kNumPeakMeters]);
  void MergePiecePeaks(double blockPeaks[kNumPeakMeters], bool* ran,
                       const double peaks[kNumPeakMeters]) const;
  void OnThreshold(int slot, double t);
  void OnAttack(int slot, double t);
  void OnRelease(int slot, double t);
  void OnRatio(int slot, double t);
  void SetRouting(int routing);
  void OnAnalogue(bool on);
  void OnOversampling(bool on);
  // The editor: built and attached by the constructor, kept consistent with every change.
  void CreateEditor();
  void FollowInEditor(int paramIdx, const IParam* param);

  // ----- the audio thread's state, touched by others only under the render gate -----
  analog_eq mEq;
  VCACompressor mVCA[2];
  VintageFETCompressor mFET[2];
  VintageOptoCompressor mOpto[2];
  expander mExpander[2];
  double mInputGain = 1.0;
  double mOutputGain = 1.0;
  double mGainReduction[2] = {1.0, 1.0};
  int mRouting[3] = {kStageDyn1, kStageEq, kStageDyn2};

  double mPeaks[kNumPeakMeters] = {};
  // Stage meters of the current block, merged over its pieces.
  double mEqPeaks[kNumPeakMeters] = {};
  double mDynPeaks[2][kNumPeakMeters] = {};
  bool mEqRan = false;
  bool mDynRan[2] = {false, false};
  bool mLaterPiece = false; // the pipeline is past the first piece of a block
  MeterControls mMeters;
  // Every parameter as the audio thread last received it: its value, or for the
  // parameters read through a module law (threshold, attack, release, ratio) its knob
  // position, normalised where the change was made while the ranges were current.
  double mReceived[kNumParams];
  alignas(16) double mWork[2 * kMaxPieceFrames];

  // ----- the hand-off from the threads that change parameters -----
  IParamChanges mChanges{kNumParams};
  // The analogue tolerances for the compressors' next oversampling switch, by type and
  // slot: drawn where the change is made, as the draw takes the C library's lock.
  std::atomic<double> mSwitchTolerances[kNumCompressorTypes][2][2] = {};

  // ----- the editor, kept by the threads that change parameters -----
  std::unique_ptr<Ostrakongui> mGui;
};

// Creates one instance, one thread at a time.
Ostrakon* MakePlug();

#if defined(IPLUG_AU)
// The component entry a host opens the strip through.
extern "C" ComponentResult Ostrakon_Entry(ComponentParameters* params, void* storage);
#endif
