#pragma once
// Host-independent base of a plug-in: identity, parameters, presets and saved state,
// channel layouts and connections, host buffer attachment, the block process entries,
// rates and the plug-in's recursive lock. Host adapters drive it; the plug-in class
// overrides its hooks.
//
// Threads. A host renders on its audio thread while its other threads (interface,
// automation, state) change parameters, save and restore state and reconfigure.
//
// - The audio thread runs the render road: the adapter's render call, the process
//   entries below and ProcessDoubleReplacing. Through a host's fast path it takes no
//   lock (through an adapter's entry dispatcher the plug-in lock is held), never waits,
//   allocates nothing and makes no system call. The adapter holds a block of the
//   render gate (GetRenderGate) for the whole call and refuses the call when it cannot
//   have one. Of the editor it touches only IGraphics::SetControlFromPlug and
//   IGraphics::SetAllControlsDirty.
// - Parameter changes arrive on any thread, under the plug-in lock (SetParameterFromGUI,
//   UnserializeParams, OnParamReset, the adapters' parameter calls): the parameter
//   records, what hosts read back and the editor are updated at once on that thread,
//   and OnParamChange hands the audio thread its share without a lock (IParamChanges),
//   which the plug-in applies at the top of its next block. An adapter may change
//   parameters on the audio thread between blocks; never from inside one. The editor's
//   follow-up of a change (greying and moving controls) therefore takes no lock and
//   allocates nothing; such an adapter has no window drawing the editor meanwhile.
// - Re-initialisations (Reset, SetBlockSize, sample-rate and connection changes) run on
//   any thread but the audio thread's block in progress: they hold the render gate
//   (IRenderGate::Reinit), which waits for that block to end and refuses blocks until
//   they are done. While it is held, the holder may touch the audio thread's state.

#include "IPlug/ByteChunk.h"
#include "IPlug/IMidiMsg.h"
#include "IPlug/IParam.h"
#include "IPlug/IPlugVersion.h"
#include "IPlug/IPreset.h"
#include "IPlug/IRenderGate.h"
#include "IPlug/WDL/WDL_Mutex.h"
#include "IPlug/WDL/WDL_PtrList.h"
#include "IPlug/WDL/WDL_String.h"
#include "IPlug/WDL/WDL_TypedBuf.h"

#include <atomic>

class IGraphics;

constexpr int MAX_EFFECT_NAME_LEN = 128;

// The host's musical time, as far as the host reports it; GetTime leaves the fields it
// learns nothing about as the caller set them.
struct ITimeInfo
{
  double mTempo = 0.0;        // beats per minute
  double mSamplePos = 0.0;
  double mPPQPos = 0.0;       // in quarter notes
  double mLastBar = 0.0;      // in quarter notes
  double mCycleStart = 0.0;   // in beats
  double mCycleEnd = 0.0;     // in beats
  int mNumerator = 0;
  int mDenominator = 0;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

class IPlugBase
{
public:
  // channelIOStr lists the legal layouts as "in-out" pairs separated by spaces
  // ("1-1 2-2"); a malformed string is a programming error and stops the process.
  IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
            const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
            int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);
  virtual ~IPlugBase();

  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // Hooks for the plug-in. The defaults of the first three only take and release the lock.
  // Reset re-initialises for the sample rate: the caller's thread, never inside a block.
  virtual void Reset();
  virtual void OnParamChange(int paramIdx);
  // inputs and outputs may alias: a plug-in must read a sample before writing it.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  // Passes the message on to SendMidiMsg.
  virtual void ProcessMidiMsg(IMidiMsg* msg);
  virtual bool MidiNoteName(int noteNumber, char* name);

  // The state the host saves: the parameter state chunk, under the plug-in lock.
  virtual bool SerializeState(ByteChunk* chunk);
  virtual int UnserializeState(const ByteChunk* chunk, int startPos);

  // Supplied by the host adapter; neutral until one is attached.
  virtual void BeginInformHostOfParamChange(int) {}
  virtual void InformHostOfParamChange(int, double) {}
  virtual void EndInformHostOfParamChange(int) {}
  virtual void InformHostOfProgramChange() {}
  virtual int GetSamplePos() { return 0; }
  virtual double GetTempo() { return 0.0; }
  virtual void GetTimeSig(int*, int*) {}
  virtual void GetTime(ITimeInfo*) {}
  // The host's identity, -1 until known; an adapter identifies the host here first.
  virtual int GetHost() { return mHost; }
  virtual void ResizeGraphics(int, int) {}

  virtual void UserResizedWindow() {}
  virtual void HostSpecificInit() {}
  virtual void AttachGraphics(IGraphics* graphics);
  virtual void SetBlockSize(int blockSize);
  virtual void SetLatency(int samples);
  // This effect sends no MIDI; SendMidiMsgs offers each message to SendMidiMsg.
  virtual bool SendMidiMsg(IMidiMsg*) { return false; }
  virtual bool SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* msgs);

  // The parameter state chunk: one double per parameter, its normalised value, in
  // index order, with no header. Unserialising returns the position after the values
  // read, or -1 when the chunk ran out (the values read so far are applied, the rest
  // keep theirs); either way every parameter is then passed to OnParamChange.
  virtual bool SerializeParams(ByteChunk* chunk);
  virtual int UnserializeParams(const ByteChunk* chunk, int startPos);
  // Pushes every parameter's value into the attached editor; nothing without one.
  virtual void RedrawParamControls();
  // The whole preset list: per entry its name, its initialised flag and, if set, its chunk.
  virtual bool SerializePresets(ByteChunk* chunk);
  virtual int UnserializePresets(const ByteChunk* chunk, int startPos);
  // Called after a preset was restored.
  virtual void PresetsChangedByHost() {}

  // Identity.
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }

  // Versions, raw (0xMMMMmmbb) or decimal (major * 10000 + minor * 100 + bug-fix).
  // The texts need MAX_VERSION_STR_LEN bytes.
  int GetEffectVersion(bool decimal = false) const;
  void GetEffectVersionStr(char* out) const;
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* out);

  // Presets. Restoring an uninitialised entry turns it into a user preset holding the
  // current values; restoring an initialised one applies its values. Unknown indices
  // and names fail and change nothing.
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const; // "" outside the list
  // Re-captures the current values into the current preset; a non-empty name renames it.
  void ModifyCurrentPreset(const char* name = nullptr);
  void PruneUninitializedPresets();

  // Preset makers for a plug-in's constructor; each fills the first uninitialised entry
  // and does nothing when none is left. MakePreset takes one value per parameter in
  // index order, MakePresetFromNamedParams nParamsNamed (index, value) pairs; values
  // are in real units, an int for bool, int and enum parameters and a double otherwise,
  // and are stored normalised, so that restoring gives them back.
  void MakeDefaultPreset(const char* name = nullptr, int n = 1);
  void EnsureDefaultPreset();
  void MakePreset(const char* name, ...);
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, const ByteChunk* chunk);
  // blob is base64; the chunk is sizeOfChunk bytes, zero-padded or cut to fit.
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);

  // Program and bank files (.fxp, .fxb) in the published VST layouts, the file chosen in
  // the editor's file dialog, which opens in the folder chosen last. False without an
  // editor (nothing is asked), when the dialog is cancelled, or when the file cannot be
  // written or is refused. A file is replaced only by a complete image. A refused program
  // changes nothing; a bank whose programs go bad part way keeps the programs before.
  // A plug-in that saves opaque state writes and reads its state and its preset list
  // rather than values.
  bool SaveProgramAsFXP(const char* defaultFileName);
  bool SaveBankAsFXB(const char* defaultFileName);
  bool LoadProgramFromFXP();
  bool LoadBankFromFXB();
  // The same without the dialog: the image of the current program or of the preset list,
  // and loading one. A program's values are the current ones; a bank's are its presets'.
  bool MakeFXPImage(ByteChunk* image);
  bool MakeFXBImage(ByteChunk* image);
  bool LoadFXPImage(const ByteChunk* image);
  bool LoadFXBImage(const ByteChunk* image);

  // Developer aids: write the current values as a MakePresetFromNamedParams call, or
  // the current preset as a MakePresetFromBlob call. False when nothing was written.
  bool DumpPresetSrcCode(const char* filename, const char* const* paramEnumNames);
  bool DumpPresetBlob(const char* filename);

  // Parameter traffic. A change from the editor is stored, reported to the host and
  // passed to OnParamChange, under the plug-in lock.
  void SetParameterFromGUI(int idx, double normalizedValue);
  // Reports every parameter's value to the host.
  void DirtyParameters();
  // OnParamChange for every parameter, from index 0 upward.
  void OnParamReset();

  // Parameters: null outside the list.
  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  // The attached editor, or null. Read by the audio thread, hence atomic: a context is
  // published complete, after its controls and bitmaps exist.
  IGraphics* GetGUI() const { return mGraphics.load(std::memory_order_acquire); }

  // Channel layouts and connections.
  int NChannelIO() const { return mChannelIO.GetSize(); }
  bool GetChannelIO(int idx, int* nIn, int* nOut) const;
  bool LegalIO(int nIn, int nOut) const; // a negative count matches any
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  bool IsInChannelConnected(int idx) const;
  bool IsOutChannelConnected(int idx) const;
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);

  // Host buffers. The float forms convert through the channels' scratch buffers;
  // the double forms point straight at the host's memory.
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, float** ppData);
  void AttachOutputBuffers(int idx, int n, double** ppData);

  // Process entries; the first argument only selects the sample type.
  void ProcessBuffers(float, int nFrames);
  void ProcessBuffers(double, int nFrames);
  void ProcessBuffersAccumulating(float, int nFrames);
  void PassThroughBuffers(float, int nFrames);
  void PassThroughBuffers(double, int nFrames);

  // Rates and sizes.
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  double GetSamplesPerBeat();

  WDL_Mutex* GetMutex() { return &mMutex; }
  // Keeps the audio thread's blocks and the re-initialisations apart.
  IRenderGate* GetRenderGate() { return &mRenderGate; }

protected:
  // Where the adapter records what it learnt of the host.
  void SetHostIdentity(int host, int hostVersion)
  {
    mHost = host;
    mHostVersion = hostVersion;
  }
  // The host as LookUpHost names it, and its version (0xMMMMmmbb).
  void SetHost(const char* name, int version);

  IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }

  struct ChannelIO
  {
    int mIn, mOut;
  };
  struct InChannel
  {
    bool mConnected = false;
    double** mSrc = nullptr; // this channel's entry of the input data array
    WDL_TypedBuf<double> mScratchBuf;
  };
  struct OutChannel
  {
    bool mConnected = false;
    double** mDest = nullptr; // this channel's entry of the output data array
    float* mFDest = nullptr;  // the host's single-precision destination
    WDL_TypedBuf<double> mScratchBuf;
  };

  double** InputData() const { return mInData.Get(); }
  double** OutputData() const { return mOutData.Get(); }

private:
  void MarkCurrentPresetInitialized();
  bool ResizeScratch(int blockSize);
  bool EnsureScratch(int nFrames);
  void ConvertOutputs(int nFrames, bool accumulate);
  void CopyThrough(int nFrames);

  WDL_PtrList_DeleteOnDestroy<ChannelIO> mChannelIO;
  WDL_Mutex mMutex;
  IRenderGate mRenderGate;
  char mEffectName[MAX_EFFECT_NAME_LEN];
  char mProductName[MAX_EFFECT_NAME_LEN];
  char mMfrName[MAX_EFFECT_NAME_LEN];
  int mUniqueID;
  int mMfrID;
  int mVersion;
  int mHost = -1;
  int mHostVersion = 0;
  bool mStateChunks;
  bool mIsInst;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency;
  WDL_PtrList_DeleteOnDestroy<IParam> mParams;
  std::atomic<IGraphics*> mGraphics{nullptr};
  WDL_PtrList_DeleteOnDestroy<IPreset> mPresets;
  int mCurrentPresetIdx = 0;
  WDL_String mPreviousPath; // the folder of the last program or bank file chosen
  WDL_TypedBuf<double*> mInData;
  WDL_TypedBuf<double*> mOutData;
  WDL_PtrList_DeleteOnDestroy<InChannel> mInChannels;
  WDL_PtrList_DeleteOnDestroy<OutChannel> mOutChannels;
};

// RAII hold of a plug-in's recursive lock.
class IMutexLock
{
public:
  explicit IMutexLock(IPlugBase* plug) : mLock(plug->GetMutex()) {}

private:
  WDL_MutexLock mLock;
};
