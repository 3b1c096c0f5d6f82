#pragma once
// The plug-in base as an Audio Unit effect: the component entry and its selector
// dispatch, buses and input connections, properties, the render call, parameter and
// state exchange with the host, notifications and host services.
//
// Nothing the host calls throws: a bad request is answered with a status code. The
// render call allocates nothing, and through the fast-dispatch address takes no lock;
// one that arrives while the unit is being reconfigured (rate, sizes, formats, inputs,
// initialise, reset) is refused with kAudioUnitErr_CannotDoInCurrentContext.

#include "IPlug/IPlugBase.h"
#include "IPlug/IPlugInstanceInfo.h"
#include "IPlug/WDL/WDL_PtrList.h"
#include "IPlug/WDL/WDL_String.h"
#include "IPlug/WDL/WDL_TypedBuf.h"
#include "platform/AudioToolbox/AudioUnitUtilities.h"
#include "platform/AudioUnit/AudioUnit.h"
#include "platform/CoreFoundation/CoreFoundation.h"
#include "platform/CoreServices/Components.h"

#include <atomic>

// ----- factory-preset records, the values of the FactoryPresets array -----

struct CFAUPreset
{
  AUPreset auPreset;
  UInt32 version;
  CFAllocatorRef allocator;
  CFIndex retainCount;
};
typedef CFAUPreset* CFAUPresetRef;

enum
{
  kCFAUPreset_CurrentVersion = 0
};

// A record with one reference and a copy of the name (which may be null).
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef presetName);
// The array callbacks; a record's name is retained and released with the record.
const void* CFAUPresetRetain(CFAllocatorRef allocator, const void* preset);
void CFAUPresetRelease(CFAllocatorRef allocator, const void* preset);
CFStringRef CFAUPresetCopyDescription(const void* preset);
Boolean CFAUPresetEqual(const void* preset1, const void* preset2);
extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;

// ----- the saved-state dictionary -----

// Each reader returns whether the key held a value of its type; an absent or mistyped
// value leaves out empty (the text) or unchanged (the chunk, the number).
bool GetStrFromDict(CFDictionaryRef dict, const char* key, WDL_String* out);
bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* out);
bool GetNumberFromDict(CFDictionaryRef dict, const char* key, SInt32* out);
void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value);
void PutDataInDict(CFMutableDictionaryRef dict, const char* key, const ByteChunk* data);
void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, SInt32 value);

class IPlugAU : public IPlugBase
{
public:
  // plugScChans of the inputs form a second, side-chain input bus.
  IPlugAU(const IPlugInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
          const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
          int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
          int plugScChans = 0);
  ~IPlugAU() override;

  // The component entry. Open creates the plug-in with makePlug and makes it the
  // instance's storage; every other selector is answered by the plug-in in storage,
  // under its lock (all but close).
  static ComponentResult IPlugAUEntry(ComponentParameters* params, void* storage, IPlugAU* (*makePlug)());

  // The fast-dispatch procedures; plug is the instance's storage.
  static OSStatus RenderProc(void* plug, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp,
                             UInt32 outputBus, UInt32 nFrames, AudioBufferList* bufferList);
  static OSStatus GetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* value);
  static OSStatus SetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset);

  // Notifications to the host: parameter events through AUEventListenerNotify, preset
  // and latency changes to the property listeners.
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override;

  // Time from the host's callbacks; each part is skipped when the host gave no callback.
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* numerator, int* denominator) override;
  void GetTime(ITimeInfo* timeInfo) override;
  // Identifies the host from its application bundle unless it said who it is.
  int GetHost() override;

  void ResizeGraphics(int, int) override {}
  void HostSpecificInit() override {}
  // Resizes the single-precision scratch arrays as well, zero-filled.
  void SetBlockSize(int blockSize) override;
  // The Latency listeners hear of it before the new value is stored.
  void SetLatency(int samples) override;

  enum EAUInputType
  {
    eNotConnected = 0,
    eDirectFastProc,
    eDirectNoFastProc,
    eRenderCallback
  };
  static const char* AUInputTypeStr(EAUInputType type);

  struct BusChannels
  {
    bool mConnected;
    int mNHostChannels; // -1 until known
    int mNPlugChannels;
    int mPlugChannelStartIdx;
  };

  // All zero: not connected.
  struct InputBusConnection
  {
    void* mUpstreamObj;
    AudioUnit mUpstreamUnit;
    int mUpstreamBusIdx;
    AudioUnitRenderProc mUpstreamRenderProc;
    AURenderCallbackStruct mUpstreamRenderCallback;
    EAUInputType mInputType;
  };

  // What the adapter knows of its host and its state.
  ComponentInstance GetComponentInstance() const { return mCI; }
  bool IsActive() const { return mActive; }
  bool IsBypassed() const { return mBypassed.load(std::memory_order_relaxed); }
  bool IsOffline() const { return mOffline; }
  const char* GetBundleID() const { return mBundleID.Get(); }
  const char* GetCocoaViewClassName() const { return mCocoaViewFactoryClassName.Get(); }

private:
  ComponentResult GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32* dataSize, Boolean* writable, void* data);
  ComponentResult SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32* dataSize, const void* data);
  ComponentResult GetParameterProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                       AudioUnitElement element, UInt32* dataSize, void* data, UInt32 room);
  ComponentResult MakeConnection(const AudioUnitConnection* connection);
  ComponentResult SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                  const AudioStreamBasicDescription* format);
  ComponentResult GetState(CFPropertyListRef* propList);
  ComponentResult SetState(CFPropertyListRef propList);

  BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);
  int NHostChannelsConnected(WDL_PtrList<BusChannels>* buses, int excludeIdx = -1);
  bool CheckLegalIO();
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  void AssessInputConnections();
  void ClearConnections();
  void InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope);
  void SendParamEvent(AudioUnitEventType type, int idx);
  OSStatus PullInputs(const AudioTimeStamp* timeStamp, UInt32 nFrames);
  void CallRenderNotifications(AudioUnitRenderActionFlags type, const AudioTimeStamp* timeStamp,
                               UInt32 outputBus, UInt32 nFrames, AudioBufferList* bufferList);
  ComponentResult Dispatch(ComponentParameters* params);
  // The single-precision scratch arrays for blocks of blockSize, zero-filled; false when
  // they could not be had.
  bool ResizeAUScratch(int blockSize);

  struct PropertyListener
  {
    AudioUnitPropertyID mPropID;
    AudioUnitPropertyListenerProc mListenerProc;
    void* mProcArgs;
  };

  WDL_String mBundleID;
  WDL_String mCocoaViewFactoryClassName;
  ComponentInstance mCI = nullptr;
  bool mActive = false;
  std::atomic<bool> mBypassed{false};
  bool mOffline = false;
  double mLastRenderSampleTime = -1.0;
  double mTempo = 120.0;
  HostCallbackInfo mHostCallbacks = {nullptr, nullptr, nullptr, nullptr};
  WDL_TypedBuf<float> mInScratchBuf;
  WDL_TypedBuf<float> mOutScratchBuf;
  // Read by the render call without the lock; room for a few entries is reserved up
  // front so that adding one while audio runs does not move the list.
  WDL_TypedBuf<AURenderCallbackStruct> mRenderNotify{16 * (int) sizeof(AURenderCallbackStruct)};
  WDL_PtrList_DeleteOnDestroy<BusChannels> mInBuses;
  WDL_PtrList_DeleteOnDestroy<BusChannels> mOutBuses;
  WDL_TypedBuf<InputBusConnection> mInBusConnections;
  WDL_PtrList_DeleteOnDestroy<PropertyListener> mPropertyListeners;
};
