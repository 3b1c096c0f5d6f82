#pragma once
// Host-independent base of a plug-in: identity, parameters, channel layouts and
// connections, host buffer attachment, the block process entries, rates and the
// plug-in's recursive lock. Host adapters drive it; the plug-in class overrides its hooks.

#include "IPlug/IParam.h"
#include "IPlug/WDL/WDL_Mutex.h"
#include "IPlug/WDL/WDL_PtrList.h"
#include "IPlug/WDL/WDL_TypedBuf.h"

class IGraphics;

constexpr int MAX_EFFECT_NAME_LEN = 128;

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
  virtual void Reset();
  virtual void OnParamChange(int paramIdx);
  // inputs and outputs may alias: a plug-in must read a sample before writing it.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  virtual bool MidiNoteName(int noteNumber, char* name);

  // Supplied by the host adapter; neutral until one is attached.
  virtual void BeginInformHostOfParamChange(int) {}
  virtual void InformHostOfParamChange(int, double) {}
  virtual void EndInformHostOfParamChange(int) {}
  virtual double GetTempo() { return 0.0; }

  virtual void UserResizedWindow() {}
  virtual void AttachGraphics(IGraphics* graphics);
  virtual void SetBlockSize(int blockSize);
  virtual void SetLatency(int samples);

  // Identity.
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion() const { return mVersion; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }
  int NPresets() const { return mNPresets; }

  // Parameters: null outside the list.
  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  IGraphics* GetGUI() const { return mGraphics; }

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

protected:
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
  void ResizeScratch(int blockSize);
  void EnsureScratch(int nFrames);
  void ConvertOutputs(int nFrames, bool accumulate);
  void CopyThrough(int nFrames);

  WDL_PtrList_DeleteOnDestroy<ChannelIO> mChannelIO;
  WDL_Mutex mMutex;
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
  int mNPresets;
  WDL_PtrList_DeleteOnDestroy<IParam> mParams;
  IGraphics* mGraphics = nullptr;
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
