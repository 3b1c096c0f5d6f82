#include "IPlug/IPlugAU.h"

#include "IPlug/IGraphics.h"
#include "IPlug/SampleRates.h"
#include "IPlug/Trace.h"
#include "platform/CoreServices/Gestalt.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
constexpr int kDefaultBlockSize = 1024;
// Far above any host's slice, and small enough that the scratch sizes stay representable.
constexpr UInt32 kMaxFramesPerSlice = 1U << 20;
// Buffers of the list an input pull builds, and channels a host may put on one bus.
constexpr int kMaxBusChannels = 128;

constexpr AudioUnitParameterOptions kParamFlags =
    kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable |
    kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease;
constexpr UInt32 kStreamFormatFlags =
    kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
// The system version from which the Cocoa view is offered.
constexpr SInt32 kMinCocoaSystemVersion = 0x1050;

// GetProperty's verdict on the host's buffer before a value is written.
constexpr ComponentResult kWriteValue = 1;

// Argument idx of a call; slot 0 holds the instance.
template <class T>
T Arg(const ComponentParameters* params, int idx)
{
  static_assert(sizeof(T) <= sizeof(long), "one argument per slot");
  T value;
  memcpy(&value,
         reinterpret_cast<const unsigned char*>(params) + offsetof(ComponentParameters, params) +
             (size_t) (idx + 1) * sizeof(long),
         sizeof value);
  return value;
}

ComponentInstance CallInstance(const ComponentParameters* params)
{
  return Arg<ComponentInstance>(params, -1);
}

// Host memory carries no alignment promise beyond the platform's; copying never asks for one.
template <class T>
T Read(const void* data)
{
  T value;
  memcpy(&value, data, sizeof value);
  return value;
}

template <class T>
void Write(void* data, const T& value)
{
  memcpy(data, &value, sizeof value);
}

CFStringRef MakeCFString(const char* text)
{
  return CFStringCreateWithCString(kCFAllocatorDefault, text ? text : "", kCFStringEncodingUTF8);
}

// The UTF-8 text of a CF string, through a buffer sized for the UTF-8 form (a UTF-16
// length would only hold ASCII). False for anything that is not a string.
bool CFStringToUTF8(CFTypeRef str, WDL_String* out)
{
  out->Set("");
  if (!str || CFGetTypeID(str) != CFStringGetTypeID()) return false;
  CFStringRef s = (CFStringRef) str;
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  if (size <= 0 || size > INT_MAX) return false;
  WDL_TypedBuf<char> buf(256);
  if (!buf.Resize((int) size)) return false;
  if (!CFStringGetCString(s, buf.Get(), size, kCFStringEncodingUTF8)) return false;
  out->Set(buf.Get());
  return true;
}

// GetProperty reports the size (and, asked for information, whether the property is
// writable); with a data pointer the host's buffer must hold the whole value.
ComponentResult Reply(UInt32* dataSize, Boolean* writable, const void* data, UInt32 room, UInt32 size,
                      bool isWritable)
{
  *dataSize = size;
  if (isWritable) *writable = true;
  if (!data) return noErr;
  return room < size ? (ComponentResult) kAudioUnitErr_InvalidPropertyValue : kWriteValue;
}

// Bytes a host must pass to set a property; 0 for properties that cannot be set.
UInt32 SetPropertySize(AudioUnitPropertyID propID)
{
  switch (propID)
  {
    case kAudioUnitProperty_ClassInfo: return sizeof(CFPropertyListRef);
    case kAudioUnitProperty_MakeConnection: return sizeof(AudioUnitConnection);
    case kAudioUnitProperty_SampleRate: return sizeof(Float64);
    case kAudioUnitProperty_StreamFormat: return sizeof(AudioStreamBasicDescription);
    case kAudioUnitProperty_MaximumFramesPerSlice: return sizeof(UInt32);
    case kAudioUnitProperty_BypassEffect: return sizeof(UInt32);
    case kAudioUnitProperty_SetRenderCallback: return sizeof(AURenderCallbackStruct);
    // Hosts have passed this record with three, four and five procedures; one pointer
    // (the user data) is the least that makes sense.
    case kAudioUnitProperty_HostCallbacks: return sizeof(void*);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: return sizeof(AUPreset);
    case kAudioUnitProperty_OfflineRender: return sizeof(UInt32);
    case kAudioUnitProperty_AUHostIdentifier: return sizeof(AUHostIdentifier);
    default: return 0;
  }
}

// Properties that change what the render call reads (rates, sizes, formats, inputs) or
// re-initialise the plug-in: set only between blocks.
bool ReconfiguresRender(AudioUnitPropertyID propID)
{
  switch (propID)
  {
    case kAudioUnitProperty_MakeConnection:
    case kAudioUnitProperty_SampleRate:
    case kAudioUnitProperty_StreamFormat:
    case kAudioUnitProperty_MaximumFramesPerSlice:
    case kAudioUnitProperty_BypassEffect:
    case kAudioUnitProperty_SetRenderCallback: return true;
    default: return false;
  }
}

// An AudioBufferList with room for kMaxBusChannels buffers, on the stack.
struct LocalBufferList
{
  alignas(AudioBufferList) unsigned char mBytes[offsetof(AudioBufferList, mBuffers) +
                                                kMaxBusChannels * sizeof(AudioBuffer)];

  explicit LocalBufferList(int nBuffers, UInt32 nFrames)
  {
    AudioBufferList* list = new (mBytes) AudioBufferList;
    list->mNumberBuffers = (UInt32) nBuffers;
    for (int i = 0; i < nBuffers; ++i)
    {
      AudioBuffer* b = Buffer(i);
      b->mNumberChannels = 1;
      b->mDataByteSize = nFrames * (UInt32) sizeof(float);
      b->mData = nullptr;
    }
  }
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(mBytes); }
  AudioBuffer* Buffer(int i)
  {
    return reinterpret_cast<AudioBuffer*>(mBytes + offsetof(AudioBufferList, mBuffers)) + i;
  }
};

AudioBuffer* HostBuffer(AudioBufferList* list, int i)
{
  return reinterpret_cast<AudioBuffer*>(reinterpret_cast<unsigned char*>(list) +
                                        offsetof(AudioBufferList, mBuffers)) +
         i;
}
} // namespace

// ----- factory-preset records -----

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef presetName)
{
  CFAUPreset* p = (CFAUPreset*) CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0);
  if (!p) return nullptr;
  p->auPreset.presetNumber = presetNumber;
  p->auPreset.presetName = presetName ? CFStringCreateCopy(allocator, presetName) : nullptr;
  p->version = kCFAUPreset_CurrentVersion;
  p->allocator = allocator;
  p->retainCount = 1;
  return p;
}

const void* CFAUPresetRetain(CFAllocatorRef, const void* preset)
{
  CFAUPreset* p = (CFAUPreset*) preset;
  if (!p) return nullptr;
  if (p->auPreset.presetName) CFRetain(p->auPreset.presetName);
  ++p->retainCount;
  return p;
}

void CFAUPresetRelease(CFAllocatorRef, const void* preset)
{
  CFAUPreset* p = (CFAUPreset*) preset;
  if (!p || p->retainCount < 1) return;
  if (p->auPreset.presetName) CFRelease(p->auPreset.presetName);
  if (--p->retainCount == 0)
  {
    p->auPreset.presetName = nullptr;
    p->auPreset.presetNumber = 0;
    CFAllocatorDeallocate(p->allocator, p);
  }
}

CFStringRef CFAUPresetCopyDescription(const void* preset)
{
  const CFAUPreset* p = (const CFAUPreset*) preset;
  if (!p) return nullptr;
  WDL_String name;
  if (!CFStringToUTF8(p->auPreset.presetName, &name)) name.Set("(null)");
  WDL_String text;
  text.SetFormatted(64 + name.GetLength(), "AUPreset:\npreset number = %d\npreset name = %s",
                    (int) p->auPreset.presetNumber, name.Get());
  return MakeCFString(text.Get());
}

Boolean CFAUPresetEqual(const void* preset1, const void* preset2)
{
  const CFAUPreset* a = (const CFAUPreset*) preset1;
  const CFAUPreset* b = (const CFAUPreset*) preset2;
  if (!a || !b) return a == b;
  return a->auPreset.presetNumber == b->auPreset.presetNumber &&
         CFStringCompare(a->auPreset.presetName, b->auPreset.presetName, 0) == kCFCompareEqualTo;
}

const CFArrayCallBacks kCFAUPresetArrayCallBacks = {kCFAUPreset_CurrentVersion, CFAUPresetRetain,
                                                    CFAUPresetRelease, CFAUPresetCopyDescription,
                                                    CFAUPresetEqual};

// ----- the saved-state dictionary -----

namespace
{
// The value stored under a plain-text key, or null.
CFTypeRef LookUp(CFDictionaryRef dict, const char* key)
{
  CFStringRef k = MakeCFString(key);
  if (!k) return nullptr;
  const void* value = nullptr;
  if (!CFDictionaryGetValueIfPresent(dict, k, &value)) value = nullptr;
  CFRelease(k);
  return value;
}

void PutInDict(CFMutableDictionaryRef dict, const char* key, CFTypeRef value)
{
  CFStringRef k = MakeCFString(key);
  if (k && value) CFDictionarySetValue(dict, k, value);
  if (k) CFRelease(k);
  if (value) CFRelease(value);
}
} // namespace

bool GetStrFromDict(CFDictionaryRef dict, const char* key, WDL_String* out)
{
  out->Set("");
  return CFStringToUTF8(LookUp(dict, key), out);
}

bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* out)
{
  CFTypeRef value = LookUp(dict, key);
  if (!value || CFGetTypeID(value) != CFDataGetTypeID()) return false;
  CFDataRef data = (CFDataRef) value;
  const CFIndex n = CFDataGetLength(data);
  if (n < 0 || n > INT_MAX || out->Resize((int) n) != (int) n) return false;
  if (n > 0) memcpy(out->GetData(), CFDataGetBytePtr(data), (size_t) n);
  return true;
}

bool GetNumberFromDict(CFDictionaryRef dict, const char* key, SInt32* out)
{
  CFTypeRef value = LookUp(dict, key);
  if (!value || CFGetTypeID(value) != CFNumberGetTypeID()) return false;
  SInt32 v = 0;
  if (!CFNumberGetValue((CFNumberRef) value, kCFNumberSInt32Type, &v)) return false;
  *out = v;
  return true;
}

void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value)
{
  PutInDict(dict, key, MakeCFString(value));
}

void PutDataInDict(CFMutableDictionaryRef dict, const char* key, const ByteChunk* data)
{
  PutInDict(dict, key, CFDataCreate(kCFAllocatorDefault, data->GetData(), data->Size()));
}

void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, SInt32 value)
{
  PutInDict(dict, key, CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value));
}

// ----- construction -----

IPlugAU::IPlugAU(const IPlugInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                 const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                 int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
                 bool plugIsInst, int plugScChans)
  : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID,
              mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst),
    mBundleID(instanceInfo.mBundleID), mCocoaViewFactoryClassName(instanceInfo.mCocoaViewFactoryClassName)
{
  Trace(__FUNCTION__, __LINE__, "%s", effectName ? effectName : "");

  auto addBus = [](WDL_PtrList<BusChannels>& buses, int nChannels, int start) {
    buses.Add(new BusChannels{false, -1, nChannels, start});
  };

  const int nInputs = NInChannels(), nOutputs = NOutChannels();
  const int nSideChain = plugScChans < 0 ? 0 : plugScChans > nInputs ? nInputs : plugScChans;
  if (nInputs > 0)
  {
    addBus(mInBuses, nInputs - nSideChain, 0);
    if (nSideChain > 0) addBus(mInBuses, nSideChain, nInputs - nSideChain);
  }
  if (plugIsInst)
    for (int start = 0; start < nOutputs; start += 2)
      addBus(mOutBuses, nOutputs - start < 2 ? nOutputs - start : 2, start);
  else if (nOutputs > 0)
    addBus(mOutBuses, nOutputs, 0);

  const int nConnections = mInBuses.GetSize();
  if (nConnections > 0 && mInBusConnections.Resize(nConnections))
    memset(mInBusConnections.Get(), 0, (size_t) nConnections * sizeof(InputBusConnection));

  AssessInputConnections();
  ResizeAUScratch(kDefaultBlockSize);
  IPlugBase::SetBlockSize(kDefaultBlockSize);
}

IPlugAU::~IPlugAU() = default;

const char* IPlugAU::AUInputTypeStr(EAUInputType type)
{
  switch (type)
  {
    case eNotConnected: return "NotConnected";
    case eDirectFastProc: return "DirectFastProc";
    case eDirectNoFastProc: return "DirectNoFastProc";
    case eRenderCallback: return "RenderCallback";
  }
  return "";
}

// ----- the entry and its dispatch -----

ComponentResult IPlugAU::IPlugAUEntry(ComponentParameters* params, void* storage, IPlugAU* (*makePlug)())
{
  if (!params) return paramErr;
  try
  {
    const int select = params->what;
    if (select == kComponentOpenSelect)
    {
      IPlugAU* plug = makePlug ? makePlug() : nullptr;
      if (!plug) return memFullErr;
      plug->HostSpecificInit();
      plug->PruneUninitializedPresets();
      plug->mCI = CallInstance(params);
      SetComponentInstanceStorage(plug->mCI, (Handle) plug);
      return noErr;
    }

    IPlugAU* plug = (IPlugAU*) storage;
    if (select == kComponentCloseSelect)
    {
      if (plug)
      {
        plug->ClearConnections();
        delete plug;
      }
      return noErr;
    }
    if (!plug) return badComponentInstance;

    IMutexLock lock(plug);
    return plug->Dispatch(params);
  }
  catch (...)
  {
    // Only an allocation can fail in here.
    return memFullErr;
  }
}

ComponentResult IPlugAU::Dispatch(ComponentParameters* params)
{
  const int select = params->what;
  Trace(__FUNCTION__, __LINE__, "%d %s", select, AUSelectStr(select));

  switch (select)
  {
    case kComponentCanDoSelect:
    {
      switch (Arg<SInt16>(params, 0))
      {
        case kAudioUnitInitializeSelect:
        case kAudioUnitUninitializeSelect:
        case kAudioUnitGetPropertyInfoSelect:
        case kAudioUnitGetPropertySelect:
        case kAudioUnitSetPropertySelect:
        case kAudioUnitGetParameterSelect:
        case kAudioUnitSetParameterSelect:
        case kAudioUnitResetSelect:
        case kAudioUnitAddPropertyListenerSelect:
        case kAudioUnitRemovePropertyListenerSelect:
        case kAudioUnitRenderSelect:
        case kAudioUnitAddRenderNotifySelect:
        case kAudioUnitRemoveRenderNotifySelect:
        case kAudioUnitScheduleParametersSelect: return 1;
        default: return 0;
      }
    }
    case kComponentVersionSelect: return GetEffectVersion(false);

    case kAudioUnitInitializeSelect:
    {
      IRenderGate::Reinit hold(GetRenderGate());
      if (!CheckLegalIO()) return badComponentSelector;
      mActive = true;
      mLastRenderSampleTime = -1.0;
      OnParamReset();
      OnActivate(true);
      return noErr;
    }
    case kAudioUnitUninitializeSelect:
    {
      IRenderGate::Reinit hold(GetRenderGate());
      mActive = false;
      OnActivate(false);
      return noErr;
    }
    case kAudioUnitGetPropertyInfoSelect:
    {
      UInt32 localSize = 0;
      Boolean localWritable = false;
      UInt32* dataSize = Arg<UInt32*>(params, 3);
      Boolean* writable = Arg<Boolean*>(params, 4);
      if (!dataSize) dataSize = &localSize;
      if (!writable) writable = &localWritable;
      *writable = false;
      return GetProperty(Arg<AudioUnitPropertyID>(params, 0), Arg<AudioUnitScope>(params, 1),
                         Arg<AudioUnitElement>(params, 2), dataSize, writable, nullptr);
    }
    case kAudioUnitGetPropertySelect:
    {
      // Without a size the host's buffer has no known room, so only an empty value fits.
      UInt32 localSize = 0;
      Boolean writable = false;
      UInt32* dataSize = Arg<UInt32*>(params, 4);
      if (!dataSize) dataSize = &localSize;
      return GetProperty(Arg<AudioUnitPropertyID>(params, 0), Arg<AudioUnitScope>(params, 1),
                         Arg<AudioUnitElement>(params, 2), dataSize, &writable, Arg<void*>(params, 3));
    }
    case kAudioUnitSetPropertySelect:
    {
      UInt32 dataSize = Arg<UInt32>(params, 4);
      const AudioUnitPropertyID propID = Arg<AudioUnitPropertyID>(params, 0);
      if (ReconfiguresRender(propID))
      {
        IRenderGate::Reinit hold(GetRenderGate());
        return SetProperty(propID, Arg<AudioUnitScope>(params, 1), Arg<AudioUnitElement>(params, 2), &dataSize,
                           Arg<const void*>(params, 3));
      }
      return SetProperty(propID, Arg<AudioUnitScope>(params, 1), Arg<AudioUnitElement>(params, 2), &dataSize,
                         Arg<const void*>(params, 3));
    }
    case kAudioUnitGetParameterSelect:
      return GetParamProc(this, Arg<AudioUnitParameterID>(params, 0), Arg<AudioUnitScope>(params, 1),
                          Arg<AudioUnitElement>(params, 2), Arg<AudioUnitParameterValue*>(params, 3));
    case kAudioUnitSetParameterSelect:
      return SetParamProc(this, Arg<AudioUnitParameterID>(params, 0), Arg<AudioUnitScope>(params, 1),
                          Arg<AudioUnitElement>(params, 2), Arg<AudioUnitParameterValue>(params, 3),
                          Arg<UInt32>(params, 4));
    case kAudioUnitResetSelect:
    {
      IRenderGate::Reinit hold(GetRenderGate());
      Reset();
      // A host that starts again from an earlier time stamp gets fresh input.
      mLastRenderSampleTime = -1.0;
      return noErr;
    }
    case kAudioUnitAddPropertyListenerSelect:
    {
      const AudioUnitPropertyID propID = Arg<AudioUnitPropertyID>(params, 0);
      AudioUnitPropertyListenerProc proc = Arg<AudioUnitPropertyListenerProc>(params, 1);
      if (!proc) return paramErr;
      const int n = mPropertyListeners.GetSize();
      for (int i = 0; i < n; ++i)
      {
        const PropertyListener* l = mPropertyListeners.Get(i);
        if (l->mPropID == propID && l->mListenerProc == proc) return noErr;
      }
      mPropertyListeners.Add(new PropertyListener{propID, proc, Arg<void*>(params, 2)});
      return noErr;
    }
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
    {
      const bool withUserData = select == kAudioUnitRemovePropertyListenerWithUserDataSelect;
      const AudioUnitPropertyID propID = Arg<AudioUnitPropertyID>(params, 0);
      AudioUnitPropertyListenerProc proc = Arg<AudioUnitPropertyListenerProc>(params, 1);
      void* userData = withUserData ? Arg<void*>(params, 2) : nullptr;
      const int n = mPropertyListeners.GetSize();
      for (int i = 0; i < n; ++i)
      {
        const PropertyListener* l = mPropertyListeners.Get(i);
        if (l->mPropID == propID && l->mListenerProc == proc && (!withUserData || l->mProcArgs == userData))
        {
          mPropertyListeners.Delete(i, true);
          break;
        }
      }
      return noErr;
    }
    case kAudioUnitRenderSelect:
      return RenderProc(this, Arg<AudioUnitRenderActionFlags*>(params, 0),
                        Arg<const AudioTimeStamp*>(params, 1), Arg<UInt32>(params, 2), Arg<UInt32>(params, 3),
                        Arg<AudioBufferList*>(params, 4));
    case kAudioUnitAddRenderNotifySelect:
    {
      IRenderGate::Reinit hold(GetRenderGate());
      AURenderCallbackStruct cb = {Arg<AURenderCallback>(params, 0), Arg<void*>(params, 1)};
      if (!cb.inputProc) return paramErr;
      if (!mRenderNotify.Add(cb)) return memFullErr;
      return noErr;
    }
    case kAudioUnitRemoveRenderNotifySelect:
    {
      IRenderGate::Reinit hold(GetRenderGate());
      AURenderCallback proc = Arg<AURenderCallback>(params, 0);
      const int n = mRenderNotify.GetSize();
      AURenderCallbackStruct* list = mRenderNotify.Get();
      for (int i = 0; i < n; ++i)
        if (list[i].inputProc == proc)
        {
          memmove(list + i, list + i + 1, (size_t) (n - i - 1) * sizeof *list);
          mRenderNotify.Resize(n - 1);
          break;
        }
      return noErr;
    }
    case kAudioUnitScheduleParametersSelect:
    {
      const AudioUnitParameterEvent* events = Arg<const AudioUnitParameterEvent*>(params, 0);
      const UInt32 nEvents = Arg<UInt32>(params, 1);
      if (nEvents > 0 && !events) return paramErr;
      for (UInt32 i = 0; i < nEvents; ++i)
      {
        const AudioUnitParameterEvent& e = events[i];
        if (e.eventType != kParameterEvent_Immediate) continue;
        const OSStatus r = SetParamProc(this, e.parameter, e.scope, e.element, e.eventValues.immediate.value,
                                        e.eventValues.immediate.bufferOffset);
        if (r != noErr) return r;
      }
      return noErr;
    }
    case kMusicDeviceMIDIEventSelect:
    {
      IMidiMsg msg((int) Arg<UInt32>(params, 3), (unsigned char) Arg<UInt32>(params, 0),
                   (unsigned char) Arg<UInt32>(params, 1), (unsigned char) Arg<UInt32>(params, 2));
      ProcessMidiMsg(&msg);
      return noErr;
    }
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect: return noErr;
    case kMusicDeviceStartNoteSelect:
    {
      const MusicDeviceNoteParams* note = Arg<const MusicDeviceNoteParams*>(params, 4);
      IMidiMsg msg;
      if (note)
        msg.MakeNoteOnMsg(TruncToInt(note->mPitch), TruncToInt(note->mVelocity),
                          (int) Arg<UInt32>(params, 3));
      return noErr;
    }
    case kMusicDeviceStopNoteSelect:
    {
      IMidiMsg msg;
      msg.MakeNoteOffMsg((int) Arg<NoteInstanceID>(params, 1), (int) Arg<UInt32>(params, 2));
      return noErr;
    }
    default: return badComponentSelector;
  }
}

// ----- properties -----

ComponentResult IPlugAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                     AudioUnitElement element, UInt32* dataSize, Boolean* writable,
                                     void* data)
{
  Trace(__FUNCTION__, __LINE__, "%u %s %u %s %u", propID, AUPropertyStr((int) propID), scope,
        AUScopeStr((int) scope), element);

  const UInt32 room = data ? *dataSize : 0;
  const bool global = scope == kAudioUnitScope_Global;

  switch (propID)
  {
    case kAudioUnitProperty_ClassInfo:
    {
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(CFPropertyListRef), true);
          r != kWriteValue)
        return r;
      CFPropertyListRef dict = nullptr;
      const ComponentResult r = GetState(&dict);
      if (r == noErr) Write(data, dict);
      return r;
    }
    case kAudioUnitProperty_MakeConnection:
    {
      if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
      const ComponentResult r = Reply(dataSize, writable, data, room, sizeof(AudioUnitConnection), true);
      return r == kWriteValue ? noErr : r;
    }
    case kAudioUnitProperty_SampleRate:
    {
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(Float64), true); r != kWriteValue)
        return r;
      Write(data, (Float64) GetSampleRate());
      return noErr;
    }
    case kAudioUnitProperty_ParameterList:
    {
      const UInt32 n = global ? (UInt32) NParams() : 0;
      if (ComponentResult r = Reply(dataSize, writable, data, room, n * sizeof(AudioUnitParameterID), false);
          r != kWriteValue)
        return r;
      for (UInt32 i = 0; i < n; ++i)
        Write((unsigned char*) data + i * sizeof(AudioUnitParameterID), (AudioUnitParameterID) i);
      return noErr;
    }
    case kAudioUnitProperty_FastDispatch:
    {
      if (element != kAudioUnitGetParameterSelect && element != kAudioUnitSetParameterSelect &&
          element != kAudioUnitRenderSelect)
        return kAudioUnitErr_InvalidElement;
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(void*), false); r != kWriteValue)
        return r;
      if (element == kAudioUnitGetParameterSelect) Write(data, (AudioUnitGetParameterProc) GetParamProc);
      else if (element == kAudioUnitSetParameterSelect) Write(data, (AudioUnitSetParameterProc) SetParamProc);
      else Write(data, (AudioUnitRenderProc) RenderProc);
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat:
    {
      BusChannels* bus = GetBus(scope, element);
      if (!bus) return kAudioUnitErr_InvalidProperty;
      if (ComponentResult r =
              Reply(dataSize, writable, data, room, sizeof(AudioStreamBasicDescription), true);
          r != kWriteValue)
        return r;
      AudioStreamBasicDescription asbd;
      memset(&asbd, 0, sizeof asbd);
      asbd.mSampleRate = GetSampleRate();
      asbd.mFormatID = kAudioFormatLinearPCM;
      asbd.mFormatFlags = kStreamFormatFlags;
      asbd.mBytesPerPacket = sizeof(float);
      asbd.mFramesPerPacket = 1;
      asbd.mBytesPerFrame = sizeof(float);
      asbd.mChannelsPerFrame =
          (UInt32) (bus->mNHostChannels >= 0 ? bus->mNHostChannels : bus->mNPlugChannels);
      asbd.mBitsPerChannel = 8 * sizeof(float);
      Write(data, asbd);
      return noErr;
    }
    case kAudioUnitProperty_ElementCount:
    {
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(UInt32), false); r != kWriteValue)
        return r;
      UInt32 n = 0;
      if (global) n = 1;
      else if (scope == kAudioUnitScope_Input) n = (UInt32) mInBuses.GetSize();
      else if (scope == kAudioUnitScope_Output) n = (UInt32) mOutBuses.GetSize();
      Write(data, n);
      return noErr;
    }
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(Float64), false); r != kWriteValue)
        return r;
      Write(data, (Float64) GetLatency() / GetSampleRate());
      return noErr;
    }
    case kAudioUnitProperty_SupportedNumChannels:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      const int n = NChannelIO();
      if (ComponentResult r =
              Reply(dataSize, writable, data, room, (UInt32) n * sizeof(AUChannelInfo), false);
          r != kWriteValue)
        return r;
      for (int i = 0; i < n; ++i)
      {
        int nIn = 0, nOut = 0;
        GetChannelIO(i, &nIn, &nOut);
        const AUChannelInfo info = {(SInt16) nIn, (SInt16) nOut};
        Write((unsigned char*) data + (size_t) i * sizeof info, info);
      }
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(UInt32), true); r != kWriteValue)
        return r;
      Write(data, (UInt32) GetBlockSize());
      return noErr;
    }
    case kAudioUnitProperty_ParameterInfo:
    case kAudioUnitProperty_ParameterValueStrings:
    case kAudioUnitProperty_ParameterStringFromValue:
    case kAudioUnitProperty_ParameterIDName:
    case kAudioUnitProperty_ParameterValueFromString:
      return GetParameterProperty(propID, scope, element, dataSize, data, room);
    case kAudioUnitProperty_GetUIComponentList:
    {
      if (!GetGUI()) return kAudioUnitErr_InvalidProperty;
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(ComponentDescription), false);
          r != kWriteValue)
        return r;
      const ComponentDescription cd = {kAudioUnitCarbonViewComponentType, (OSType) GetUniqueID(),
                                       (OSType) GetMfrID(), 0, 0};
      Write(data, cd);
      return noErr;
    }
    case kAudioUnitProperty_BypassEffect:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(UInt32), true); r != kWriteValue)
        return r;
      Write(data, (UInt32) (IsBypassed() ? 1 : 0));
      return noErr;
    }
    case kAudioUnitProperty_LastRenderError:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(OSStatus), false);
          r != kWriteValue)
        return r;
      Write(data, (OSStatus) noErr);
      return noErr;
    }
    case kAudioUnitProperty_SetRenderCallback:
    {
      if ((!global && scope != kAudioUnitScope_Input) || element >= (UInt32) mInBuses.GetSize())
        return kAudioUnitErr_InvalidProperty;
      const ComponentResult r = Reply(dataSize, writable, data, room, sizeof(AURenderCallbackStruct), true);
      return r == kWriteValue ? noErr : r;
    }
    case kAudioUnitProperty_FactoryPresets:
    {
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(CFArrayRef), false);
          r != kWriteValue)
        return r;
      const int n = NPresets();
      CFMutableArrayRef presets = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFAUPresetArrayCallBacks);
      if (!presets) return coreFoundationUnknownErr;
      for (int i = 0; i < n; ++i)
      {
        CFStringRef name = MakeCFString(GetPresetName(i));
        CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, i, name);
        if (name) CFRelease(name);
        if (!preset) continue;
        CFArrayAppendValue(presets, preset);
        CFAUPresetRelease(kCFAllocatorDefault, preset);
      }
      Write(data, (CFArrayRef) presets);
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      const ComponentResult r = Reply(dataSize, writable, data, room, sizeof(HostCallbackInfo), true);
      return r == kWriteValue ? noErr : r;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    {
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(AUPreset), true); r != kWriteValue)
        return r;
      const int idx = GetCurrentPresetIdx();
      const AUPreset preset = {idx, MakeCFString(GetPresetName(idx))};
      Write(data, preset);
      return noErr;
    }
    case kAudioUnitProperty_CocoaUI:
    {
      SInt32 systemVersion = 0;
      if (!GetGUI() || Gestalt(gestaltSystemVersion, &systemVersion) != noErr ||
          systemVersion < kMinCocoaSystemVersion)
        return kAudioUnitErr_InvalidProperty;
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(AudioUnitCocoaViewInfo), false);
          r != kWriteValue)
        return r;
      CFStringRef bundleID = MakeCFString(mBundleID.Get());
      CFBundleRef bundle = bundleID ? CFBundleGetBundleWithIdentifier(bundleID) : nullptr;
      if (bundleID) CFRelease(bundleID);
      if (!bundle) return kAudioUnitErr_InvalidProperty;
      AudioUnitCocoaViewInfo info;
      info.mCocoaAUViewBundleLocation = CFBundleCopyBundleURL(bundle);
      info.mCocoaAUViewClass[0] = MakeCFString(mCocoaViewFactoryClassName.Get());
      Write(data, info);
      return noErr;
    }
    case kMusicDeviceProperty_InstrumentCount:
    {
      if (!global || !IsInst()) return kAudioUnitErr_InvalidProperty;
      if (ComponentResult r = Reply(dataSize, writable, data, room, sizeof(UInt32), false); r != kWriteValue)
        return r;
      Write(data, (UInt32) 1);
      return noErr;
    }
    default: return kAudioUnitErr_InvalidProperty;
  }
}

ComponentResult IPlugAU::GetParameterProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                              AudioUnitElement element, UInt32* dataSize, void* data,
                                              UInt32 room)
{
  Boolean notWritable = false;
  const bool global = scope == kAudioUnitScope_Global;
  auto param = [this](AudioUnitParameterID id)
  { return id < (UInt32) NParams() ? GetParam((int) id) : nullptr; };

  switch (propID)
  {
    case kAudioUnitProperty_ParameterInfo:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      const IParam* p = param(element);
      if (!p) return kAudioUnitErr_InvalidParameter;
      if (ComponentResult r =
              Reply(dataSize, &notWritable, data, room, sizeof(AudioUnitParameterInfo), false);
          r != kWriteValue)
        return r;
      AudioUnitParameterInfo info;
      memset(&info, 0, sizeof info);
      info.flags = kParamFlags;
      CopyBounded(info.name, p->GetNameForHost(), (int) sizeof info.name);
      info.cfNameString = MakeCFString(p->GetNameForHost());
      if (!info.cfNameString) info.flags &= ~kAudioUnitParameterFlag_HasCFNameString;
      switch (p->Type())
      {
        case IParam::kTypeInt:
        case IParam::kTypeEnum: info.unit = kAudioUnitParameterUnit_Indexed; break;
        case IParam::kTypeBool: info.unit = kAudioUnitParameterUnit_Boolean; break;
        default:
        {
          const char* label = p->GetLabelForHost();
          info.unitName = label && *label ? MakeCFString(label) : nullptr;
          info.unit = info.unitName ? kAudioUnitParameterUnit_CustomUnit : kAudioUnitParameterUnit_Generic;
          break;
        }
      }
      double minVal = 0.0, maxVal = 1.0;
      p->GetBounds(&minVal, &maxVal);
      info.minValue = (AudioUnitParameterValue) minVal;
      info.maxValue = (AudioUnitParameterValue) maxVal;
      info.defaultValue = (AudioUnitParameterValue) p->Value();
      Write(data, info);
      return noErr;
    }
    case kAudioUnitProperty_ParameterValueStrings:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      const IParam* p = param(element);
      if (!p) return kAudioUnitErr_InvalidParameter;
      const int n = p->GetNDisplayTexts();
      if (n == 0)
      {
        *dataSize = 0;
        return kAudioUnitErr_InvalidProperty;
      }
      if (ComponentResult r = Reply(dataSize, &notWritable, data, room, sizeof(CFArrayRef), false);
          r != kWriteValue)
        return r;
      CFMutableArrayRef texts = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
      if (!texts) return coreFoundationUnknownErr;
      for (int i = 0; i < n; ++i)
      {
        CFStringRef text = MakeCFString(p->GetDisplayText(i));
        if (!text) continue;
        CFArrayAppendValue(texts, text);
        CFRelease(text);
      }
      Write(data, (CFArrayRef) texts);
      return noErr;
    }
    case kAudioUnitProperty_ParameterStringFromValue:
    {
      if (ComponentResult r =
              Reply(dataSize, &notWritable, data, room, sizeof(AudioUnitParameterStringFromValue), false);
          r != kWriteValue || !global)
        return r == kWriteValue ? noErr : r;
      AudioUnitParameterStringFromValue sfv = Read<AudioUnitParameterStringFromValue>(data);
      const IParam* p = param(sfv.inParamID);
      if (!p) return kAudioUnitErr_InvalidParameter;
      const double v = sfv.inValue ? (double) *sfv.inValue : p->Value();
      sfv.outString = MakeCFString(p->GetDisplayText(TruncToInt(v)));
      Write(data, sfv);
      return noErr;
    }
    case kAudioUnitProperty_ParameterIDName:
    {
      if (ComponentResult r =
              Reply(dataSize, &notWritable, data, room, sizeof(AudioUnitParameterIDName), false);
          r != kWriteValue || !global)
        return r == kWriteValue ? noErr : r;
      AudioUnitParameterIDName idName = Read<AudioUnitParameterIDName>(data);
      const IParam* p = param(idName.inID);
      if (!p) return kAudioUnitErr_InvalidParameter;
      WDL_String name(p->GetNameForHost());
      if (idName.inDesiredLength != kAudioUnitParameterName_Full)
      {
        // Other negative lengths ask for nothing; a cut never splits a UTF-8 sequence.
        int len = idName.inDesiredLength < 0 ? 0 : idName.inDesiredLength;
        if (len > MAX_PARAM_NAME_LEN - 1) len = MAX_PARAM_NAME_LEN - 1;
        const char* s = name.Get();
        if (len < name.GetLength())
        {
          while (len > 0 && ((unsigned char) s[len] & 0xC0) == 0x80) --len;
          name.SetLen(len);
        }
      }
      idName.outName = MakeCFString(name.Get());
      Write(data, idName);
      return noErr;
    }
    case kAudioUnitProperty_ParameterValueFromString:
    {
      if (ComponentResult r =
              Reply(dataSize, &notWritable, data, room, sizeof(AudioUnitParameterValueFromString), false);
          r != kWriteValue || !global)
        return r == kWriteValue ? noErr : r;
      AudioUnitParameterValueFromString vfs = Read<AudioUnitParameterValueFromString>(data);
      const IParam* p = param(vfs.inParamID);
      if (!p) return kAudioUnitErr_InvalidParameter;
      WDL_String text;
      if (!CFStringToUTF8(vfs.inString, &text)) return kAudioUnitErr_InvalidPropertyValue;
      if (p->GetNDisplayTexts() > 0)
      {
        int v = 0;
        if (!p->MapDisplayText(text.Get(), &v)) return noErr;
        vfs.outValue = (AudioUnitParameterValue) v;
      }
      else
      {
        const double v = atof(text.Get());
        vfs.outValue = (AudioUnitParameterValue) (p->GetNegateDisplay() ? -v : v);
      }
      Write(data, vfs);
      return noErr;
    }
    default: return kAudioUnitErr_InvalidProperty;
  }
}

ComponentResult IPlugAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                     AudioUnitElement element, UInt32* dataSize, const void* data)
{
  Trace(__FUNCTION__, __LINE__, "%u %s %u %s %u", propID, AUPropertyStr((int) propID), scope,
        AUScopeStr((int) scope), element);

  // A value that cannot be read whole is refused before anyone hears of it.
  const UInt32 need = SetPropertySize(propID);
  const UInt32 size = dataSize ? *dataSize : 0;
  if (need > 0 && (!data || size < need)) return kAudioUnitErr_InvalidPropertyValue;

  // Listeners hear of a change before it is applied.
  InformListeners(propID, scope);

  switch (propID)
  {
    case kAudioUnitProperty_ClassInfo: return SetState(Read<CFPropertyListRef>(data));
    case kAudioUnitProperty_MakeConnection:
    {
      const AudioUnitConnection connection = Read<AudioUnitConnection>(data);
      if ((scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) ||
          connection.destInputNumber >= (UInt32) mInBusConnections.GetSize())
        return kAudioUnitErr_InvalidProperty;
      return MakeConnection(&connection);
    }
    case kAudioUnitProperty_SampleRate:
    {
      // Every rate-dependent coefficient and the latency in seconds divide by it, and
      // the modules are designed only for the supported rates.
      const Float64 rate = Read<Float64>(data);
      if (!IsSupportedSampleRate(rate)) return kAudioUnitErr_InvalidPropertyValue;
      SetSampleRate(rate);
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat:
    {
      const AudioStreamBasicDescription format = Read<AudioStreamBasicDescription>(data);
      return SetStreamFormat(scope, element, &format);
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
    {
      const UInt32 frames = Read<UInt32>(data);
      if (frames > kMaxFramesPerSlice) return kAudioUnitErr_InvalidPropertyValue;
      SetBlockSize((int) frames);
      if (GetBlockSize() != (int) frames) return kAudioUnitErr_InvalidPropertyValue;
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_BypassEffect:
    {
      mBypassed.store(Read<UInt32>(data) != 0, std::memory_order_relaxed);
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_SetRenderCallback:
    {
      if (scope != kAudioUnitScope_Input || element >= (UInt32) mInBusConnections.GetSize())
        return kAudioUnitErr_InvalidProperty;
      InputBusConnection* connection = mInBusConnections.Get() + element;
      memset(connection, 0, sizeof *connection);
      const AURenderCallbackStruct callback = Read<AURenderCallbackStruct>(data);
      if (callback.inputProc) connection->mUpstreamRenderCallback = callback;
      AssessInputConnections();
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks:
    {
      if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
      // Procedures the host's record does not reach stay null.
      HostCallbackInfo callbacks = {nullptr, nullptr, nullptr, nullptr};
      const UInt32 taken = size < sizeof callbacks ? size / sizeof(void*) * sizeof(void*) : sizeof callbacks;
      memcpy(&callbacks, data, taken);
      mHostCallbacks = callbacks;
      return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    {
      RestorePreset((int) Read<AUPreset>(data).presetNumber);
      return noErr;
    }
    case kAudioUnitProperty_OfflineRender:
    {
      mOffline = Read<UInt32>(data) != 0;
      return noErr;
    }
    case kAudioUnitProperty_AUHostIdentifier:
    {
      const AUHostIdentifier host = Read<AUHostIdentifier>(data);
      WDL_String name;
      CFStringToUTF8(host.hostName, &name);
      SetHost(name.Get(), (host.hostVersion.majorRev << 16) + (host.hostVersion.minorAndBugRev << 8));
      return noErr;
    }
    default: return kAudioUnitErr_InvalidProperty;
  }
}

ComponentResult IPlugAU::MakeConnection(const AudioUnitConnection* connection)
{
  InputBusConnection* record = mInBusConnections.Get() + connection->destInputNumber;
  memset(record, 0, sizeof *record);

  bool ok = true;
  AudioUnit source = connection->sourceAudioUnit;
  if (source)
  {
    AudioStreamBasicDescription format;
    UInt32 size = sizeof format;
    ok = AudioUnitGetProperty(source, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                              connection->sourceOutputNumber, &format, &size) == noErr &&
         size >= sizeof format &&
         SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, connection->destInputNumber,
                     &size, &format) == noErr;
    if (ok)
    {
      record->mUpstreamUnit = source;
      record->mUpstreamBusIdx = (int) connection->sourceOutputNumber;
      AudioUnitRenderProc proc = nullptr;
      UInt32 procSize = sizeof proc;
      if (AudioUnitGetProperty(source, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                               kAudioUnitRenderSelect, &proc, &procSize) == noErr &&
          proc)
      {
        record->mUpstreamRenderProc = proc;
        record->mUpstreamObj = GetComponentInstanceStorage(source);
      }
    }
  }
  AssessInputConnections();
  return ok ? (ComponentResult) noErr : (ComponentResult) kAudioUnitErr_InvalidProperty;
}

ComponentResult IPlugAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                         const AudioStreamBasicDescription* format)
{
  BusChannels* bus = GetBus(scope, element);
  if (!bus) return kAudioUnitErr_InvalidProperty;
  bus->mNHostChannels = 0;
  // The render call re-applies an output bus's channel connections only when its flag
  // is down; channels connected for a wider format would keep the pointers of the
  // host's earlier, wider buffer lists and be written through them.
  if (scope != kAudioUnitScope_Input) bus->mConnected = false;
  const UInt32 nChannels = format->mChannelsPerFrame;
  // A rate of 0 leaves the rate as it is; any other must be one the strip runs at.
  const Float64 rate = format->mSampleRate;
  const bool ok = nChannels >= 1 && nChannels <= (UInt32) kMaxBusChannels &&
                  CheckLegalIO(scope, (int) element, (int) nChannels) &&
                  format->mFormatID == kAudioFormatLinearPCM &&
                  (format->mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked)) != 0 &&
                  (rate == 0.0 || IsSupportedSampleRate(rate));
  if (ok)
  {
    bus->mNHostChannels = (int) nChannels;
    // Hosts often announce the rate only here; the coefficients must follow it.
    if (rate != 0.0 && rate != GetSampleRate())
    {
      SetSampleRate(rate);
      Reset();
    }
  }
  AssessInputConnections();
  return ok ? (ComponentResult) noErr : (ComponentResult) kAudioUnitErr_InvalidProperty;
}

// ----- buses and connections -----

IPlugAU::BusChannels* IPlugAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx)
{
  if (busIdx > (UInt32) INT_MAX) return nullptr;
  const int idx = (int) busIdx;
  if (scope == kAudioUnitScope_Input) return mInBuses.Get(idx);
  // The global scope stands for the output buses.
  if (scope == kAudioUnitScope_Output || (scope == kAudioUnitScope_Global && mOutBuses.GetSize() > 0))
    return mOutBuses.Get(idx);
  return nullptr;
}

int IPlugAU::NHostChannelsConnected(WDL_PtrList<BusChannels>* buses, int excludeIdx)
{
  bool known = false;
  int n = 0;
  const int nBuses = buses->GetSize();
  for (int i = 0; i < nBuses; ++i)
  {
    const int nHost = buses->Get(i)->mNHostChannels;
    if (i != excludeIdx && nHost >= 0)
    {
      n += nHost;
      known = true;
    }
  }
  return known ? n : -1;
}

bool IPlugAU::CheckLegalIO()
{
  const int nIn = NHostChannelsConnected(&mInBuses);
  const int nOut = NHostChannelsConnected(&mOutBuses);
  return (nIn == 0 && nOut == 0) || LegalIO(nIn, nOut);
}

bool IPlugAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels)
{
  if (scope == kAudioUnitScope_Input)
  {
    const int others = NHostChannelsConnected(&mInBuses, busIdx);
    const int nIn = (others > 0 ? others : 0) + nChannels;
    const int nOut = mActive ? NHostChannelsConnected(&mOutBuses) : -1;
    return LegalIO(nIn, nOut);
  }
  const int others = NHostChannelsConnected(&mOutBuses, busIdx);
  const int nIn = mActive ? NHostChannelsConnected(&mInBuses) : -1;
  const int nOut = (others > 0 ? others : 0) + nChannels;
  return LegalIO(nIn, nOut);
}

void IPlugAU::AssessInputConnections()
{
  IMutexLock lock(this);
  SetInputChannelConnections(0, NInChannels(), false);

  const int nBuses = mInBuses.GetSize();
  for (int i = 0; i < nBuses; ++i)
  {
    BusChannels* bus = mInBuses.Get(i);
    InputBusConnection* connection = mInBusConnections.Get() + i;
    if (connection->mUpstreamRenderProc && connection->mUpstreamObj)
      connection->mInputType = eDirectFastProc;
    else if (connection->mUpstreamUnit)
      connection->mInputType = eDirectNoFastProc;
    else if (connection->mUpstreamRenderCallback.inputProc)
      connection->mInputType = eRenderCallback;
    else
      connection->mInputType = eNotConnected;

    if (connection->mInputType == eNotConnected)
    {
      bus->mConnected = false;
      continue;
    }
    bus->mConnected = true;
    if (bus->mNHostChannels < 0) bus->mNHostChannels = bus->mNPlugChannels;
    // A bus never marks channels beyond its own, which belong to the next bus.
    const int nConnected =
        bus->mNHostChannels < bus->mNPlugChannels ? bus->mNHostChannels : bus->mNPlugChannels;
    SetInputChannelConnections(bus->mPlugChannelStartIdx, nConnected, true);
    SetInputChannelConnections(bus->mPlugChannelStartIdx + nConnected, bus->mNPlugChannels - nConnected,
                               false);
  }
}

void IPlugAU::ClearConnections()
{
  const int nIn = mInBuses.GetSize();
  for (int i = 0; i < nIn; ++i)
  {
    BusChannels* bus = mInBuses.Get(i);
    bus->mConnected = false;
    bus->mNHostChannels = -1;
    memset(mInBusConnections.Get() + i, 0, sizeof(InputBusConnection));
  }
  const int nOut = mOutBuses.GetSize();
  for (int i = 0; i < nOut; ++i)
  {
    BusChannels* bus = mOutBuses.Get(i);
    bus->mConnected = false;
    bus->mNHostChannels = -1;
  }
}

void IPlugAU::InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope)
{
  // A listener may remove itself (or others) while it is called.
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i)
  {
    const PropertyListener* l = mPropertyListeners.Get(i);
    if (l->mPropID != propID) continue;
    const PropertyListener copy = *l;
    copy.mListenerProc(copy.mProcArgs, mCI, propID, scope, 0);
  }
}

// ----- rendering -----

void IPlugAU::CallRenderNotifications(AudioUnitRenderActionFlags type, const AudioTimeStamp* timeStamp,
                                      UInt32 outputBus, UInt32 nFrames, AudioBufferList* bufferList)
{
  for (int i = 0; i < mRenderNotify.GetSize(); ++i)
  {
    const AURenderCallbackStruct cb = mRenderNotify.Get()[i];
    AudioUnitRenderActionFlags flags = type;
    cb.inputProc(cb.inputProcRefCon, &flags, timeStamp, outputBus, nFrames, bufferList);
  }
}

OSStatus IPlugAU::PullInputs(const AudioTimeStamp* timeStamp, UInt32 nFrames)
{
  const int nBuses = mInBuses.GetSize();
  const int nInputs = NInChannels();
  for (int i = 0; i < nBuses; ++i)
  {
    const BusChannels* bus = mInBuses.Get(i);
    if (!bus->mConnected) continue;
    const InputBusConnection* connection = mInBusConnections.Get() + i;
    const int start = bus->mPlugChannelStartIdx;

    int nBuffers = bus->mNHostChannels < 0 ? 0 : bus->mNHostChannels;
    if (nBuffers > kMaxBusChannels) nBuffers = kMaxBusChannels;
    // Buffers the unit provides lie in its input scratch, which ends with its last channel.
    if (connection->mInputType == eRenderCallback && nBuffers > nInputs - start)
      nBuffers = nInputs - start > 0 ? nInputs - start : 0;

    LocalBufferList local(nBuffers, nFrames);
    AudioBufferList* list = local.List();
    AudioUnitRenderActionFlags flags = 0;
    OSStatus result = noErr;
    switch (connection->mInputType)
    {
      case eRenderCallback:
      {
        float* scratch = mInScratchBuf.Get();
        for (int c = 0; c < nBuffers; ++c) local.Buffer(c)->mData = scratch + (size_t) (start + c) * nFrames;
        const AURenderCallbackStruct& cb = connection->mUpstreamRenderCallback;
        result = cb.inputProc(cb.inputProcRefCon, &flags, timeStamp, (UInt32) i, nFrames, list);
        break;
      }
      case eDirectNoFastProc:
        result = AudioUnitRender(connection->mUpstreamUnit, &flags, timeStamp,
                                 (UInt32) connection->mUpstreamBusIdx, nFrames, list);
        break;
      case eDirectFastProc:
        result = connection->mUpstreamRenderProc(connection->mUpstreamObj, &flags, timeStamp,
                                                 (UInt32) connection->mUpstreamBusIdx, nFrames, list);
        break;
      case eNotConnected: continue;
    }
    if (result != noErr) return result;

    const int nFilled = (int) list->mNumberBuffers < nBuffers ? (int) list->mNumberBuffers : nBuffers;
    for (int c = 0; c < nBuffers; ++c)
    {
      const AudioBuffer* b = local.Buffer(c);
      // A buffer that was dropped from the list or is shorter than the block reads as silence.
      float* samples =
          c < nFilled && b->mDataByteSize >= nFrames * sizeof(float) ? (float*) b->mData : nullptr;
      AttachInputBuffers(start + c, 1, &samples, (int) nFrames);
    }
  }
  return noErr;
}

OSStatus IPlugAU::RenderProc(void* plug, AudioUnitRenderActionFlags*, const AudioTimeStamp* timeStamp,
                             UInt32 outputBus, UInt32 nFrames, AudioBufferList* bufferList)
{
  IPlugAU* _this = (IPlugAU*) plug;
  if (!_this || !timeStamp || !bufferList) return kAudioUnitErr_InvalidPropertyValue;
  // Nothing this call reads is reconfigured under it: while a re-initialisation holds
  // the gate the block is refused, as a unit being reconfigured refuses it.
  IRenderGate::Block block(_this->GetRenderGate());
  if (!block.Entered()) return kAudioUnitErr_CannotDoInCurrentContext;
  if (!(timeStamp->mFlags & kAudioTimeStampSampleTimeValid) ||
      outputBus >= (UInt32) _this->mOutBuses.GetSize() || nFrames > (UInt32) _this->GetBlockSize())
    return kAudioUnitErr_InvalidPropertyValue;

  try
  {
    BusChannels* outBus = _this->mOutBuses.Get((int) outputBus);
    const int start = outBus->mPlugChannelStartIdx;
    const int nBuffers =
        bufferList->mNumberBuffers > (UInt32) INT_MAX ? INT_MAX : (int) bufferList->mNumberBuffers;
    // Buffers past the bus's own channels are left alone: their scratch would lie beyond
    // the end of the unit's, and no channel of this bus would fill them.
    int nUsable = nBuffers < outBus->mNPlugChannels ? nBuffers : outBus->mNPlugChannels;
    if (nUsable > _this->NOutChannels() - start) nUsable = _this->NOutChannels() - start;
    for (int b = 0; b < nUsable; ++b)
    {
      const AudioBuffer* buf = HostBuffer(bufferList, b);
      if (buf->mData && buf->mDataByteSize < nFrames * sizeof(float))
        return kAudioUnitErr_InvalidPropertyValue;
    }

    _this->CallRenderNotifications(kAudioUnitRenderAction_PreRender, timeStamp, outputBus, nFrames,
                                   bufferList);

    // Several output buses rendered for one time stamp share one pull of the inputs.
    if (timeStamp->mSampleTime != _this->mLastRenderSampleTime)
    {
      const OSStatus result = _this->PullInputs(timeStamp, nFrames);
      if (result != noErr) return result;
      _this->mLastRenderSampleTime = timeStamp->mSampleTime;
    }

    if (!outBus->mConnected || outBus->mNHostChannels != nBuffers)
    {
      int k = nBuffers;
      if (outBus->mNHostChannels >= 0 && outBus->mNHostChannels < k) k = outBus->mNHostChannels;
      if (k > outBus->mNPlugChannels) k = outBus->mNPlugChannels;
      _this->SetOutputChannelConnections(start, k, true);
      _this->SetOutputChannelConnections(start + k, outBus->mNPlugChannels - k, false);
      outBus->mConnected = true;
    }

    float* scratch = _this->mOutScratchBuf.Get();
    for (int b = 0; b < nUsable; ++b)
    {
      AudioBuffer* buf = HostBuffer(bufferList, b);
      if (!buf->mData)
      {
        buf->mData = scratch + (size_t) (start + b) * nFrames;
        buf->mDataByteSize = nFrames * (UInt32) sizeof(float);
      }
      float* samples = (float*) buf->mData;
      _this->AttachOutputBuffers(start + b, 1, &samples);
    }

    if (_this->IsBypassed())
      _this->PassThroughBuffers(0.0f, (int) nFrames);
    else
      _this->ProcessBuffers(0.0f, (int) nFrames);

    _this->CallRenderNotifications(kAudioUnitRenderAction_PostRender, timeStamp, outputBus, nFrames,
                                   bufferList);
    return noErr;
  }
  catch (...)
  {
    return kAudioUnitErr_CannotDoInCurrentContext;
  }
}

// ----- parameters -----

OSStatus IPlugAU::GetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement, AudioUnitParameterValue* value)
{
  IPlugAU* _this = (IPlugAU*) plug;
  if (!_this) return badComponentInstance;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  if (!value) return paramErr;
  IMutexLock lock(_this);
  const IParam* p = paramID < (UInt32) _this->NParams() ? _this->GetParam((int) paramID) : nullptr;
  if (!p) return kAudioUnitErr_InvalidParameter;
  *value = (AudioUnitParameterValue) p->Value();
  return noErr;
}

OSStatus IPlugAU::SetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement, AudioUnitParameterValue value, UInt32)
{
  IPlugAU* _this = (IPlugAU*) plug;
  if (!_this) return badComponentInstance;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  // A NaN would pass the clamp and reach every stage.
  if (value != value) return kAudioUnitErr_InvalidPropertyValue;
  try
  {
    IMutexLock lock(_this);
    IParam* p = paramID < (UInt32) _this->NParams() ? _this->GetParam((int) paramID) : nullptr;
    if (!p) return kAudioUnitErr_InvalidParameter;
    double minVal = 0.0, maxVal = 1.0;
    p->GetBounds(&minVal, &maxVal);
    double v = value;
    if (v < minVal) v = minVal;
    if (v > maxVal) v = maxVal;
    p->Set(v);
    // The editor is sent the host's own value; it does its own clamping.
    if (IGraphics* graphics = _this->GetGUI()) graphics->SetParameterFromPlug((int) paramID, value, false);
    _this->OnParamChange((int) paramID);
    return noErr;
  }
  catch (...)
  {
    return memFullErr;
  }
}

// ----- state -----

ComponentResult IPlugAU::GetState(CFPropertyListRef* propList)
{
  ComponentDescription cd;
  const ComponentResult r =
      GetComponentInfo(reinterpret_cast<Component>(mCI), &cd, nullptr, nullptr, nullptr);
  if (r != noErr) return r;

  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
      kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!dict) return coreFoundationUnknownErr;
  PutNumberInDict(dict, kAUPresetVersionKey, GetEffectVersion(false));
  PutNumberInDict(dict, kAUPresetTypeKey, (SInt32) cd.componentType);
  PutNumberInDict(dict, kAUPresetSubtypeKey, (SInt32) cd.componentSubType);
  PutNumberInDict(dict, kAUPresetManufacturerKey, (SInt32) cd.componentManufacturer);
  PutStrInDict(dict, kAUPresetNameKey, GetPresetName(GetCurrentPresetIdx()));

  ByteChunk chunk;
  if (DoesStateChunks())
  {
    if (SerializeState(&chunk)) PutDataInDict(dict, kAUPresetDataKey, &chunk);
  }
  else
  {
    SerializeParams(&chunk);
    PutDataInDict(dict, kAUPresetDataKey, &chunk);
  }
  *propList = dict;
  return noErr;
}

ComponentResult IPlugAU::SetState(CFPropertyListRef propList)
{
  if (!propList || CFGetTypeID(propList) != CFDictionaryGetTypeID())
    return kAudioUnitErr_InvalidPropertyValue;
  CFDictionaryRef dict = (CFDictionaryRef) propList;

  ComponentDescription cd;
  const ComponentResult r =
      GetComponentInfo(reinterpret_cast<Component>(mCI), &cd, nullptr, nullptr, nullptr);
  if (r != noErr) return r;

  SInt32 version = 0, type = 0, subtype = 0, mfr = 0;
  if (!GetNumberFromDict(dict, kAUPresetVersionKey, &version) ||
      !GetNumberFromDict(dict, kAUPresetTypeKey, &type) ||
      !GetNumberFromDict(dict, kAUPresetSubtypeKey, &subtype) ||
      !GetNumberFromDict(dict, kAUPresetManufacturerKey, &mfr))
    return kAudioUnitErr_InvalidPropertyValue;
  WDL_String name;
  if (!GetStrFromDict(dict, kAUPresetNameKey, &name)) return kAudioUnitErr_InvalidPropertyValue;
  if ((OSType) type != cd.componentType || (OSType) subtype != cd.componentSubType ||
      (OSType) mfr != cd.componentManufacturer)
    return kAudioUnitErr_InvalidPropertyValue;

  RestorePreset(name.Get());

  ByteChunk chunk;
  if (!GetDataFromDict(dict, kAUPresetDataKey, &chunk)) return kAudioUnitErr_InvalidPropertyValue;
  const int pos = DoesStateChunks() ? UnserializeState(&chunk, 0) : UnserializeParams(&chunk, 0);
  if (pos == 0) return kAudioUnitErr_InvalidPropertyValue;
  RedrawParamControls();
  return noErr;
}

// ----- notifications -----

void IPlugAU::SendParamEvent(AudioUnitEventType type, int idx)
{
  AudioUnitEvent event;
  memset(&event, 0, sizeof event);
  event.mEventType = type;
  event.mArgument.mParameter.mAudioUnit = mCI;
  event.mArgument.mParameter.mParameterID = (AudioUnitParameterID) idx;
  event.mArgument.mParameter.mScope = kAudioUnitScope_Global;
  event.mArgument.mParameter.mElement = 0;
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IPlugAU::BeginInformHostOfParamChange(int idx)
{
  SendParamEvent(kAudioUnitEvent_BeginParameterChangeGesture, idx);
}

// The value is not carried: listeners read it back in real units.
void IPlugAU::InformHostOfParamChange(int idx, double)
{
  SendParamEvent(kAudioUnitEvent_ParameterValueChange, idx);
}

void IPlugAU::EndInformHostOfParamChange(int idx)
{
  SendParamEvent(kAudioUnitEvent_EndParameterChangeGesture, idx);
}

void IPlugAU::InformHostOfProgramChange()
{
  InformListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global);
}

void IPlugAU::SetLatency(int samples)
{
  InformListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
  IPlugBase::SetLatency(samples);
}

// ----- rates and sizes -----

bool IPlugAU::ResizeAUScratch(int blockSize)
{
  const long long nIn = (long long) NInChannels() * blockSize, nOut = (long long) NOutChannels() * blockSize;
  if (nIn > INT_MAX || nOut > INT_MAX) return false;
  float* in = mInScratchBuf.Resize((int) nIn);
  float* out = mOutScratchBuf.Resize((int) nOut);
  if ((nIn > 0 && !in) || (nOut > 0 && !out)) return false;
  if (in) memset(in, 0, (size_t) nIn * sizeof(float));
  if (out) memset(out, 0, (size_t) nOut * sizeof(float));
  return true;
}

void IPlugAU::SetBlockSize(int blockSize)
{
  // The scratch arrays move: no block may be using them.
  IRenderGate::Reinit hold(GetRenderGate());
  if (blockSize < 0) blockSize = 0;
  // Without room for the block, no block is accepted rather than one that overruns.
  if (!ResizeAUScratch(blockSize))
  {
    ResizeAUScratch(0);
    blockSize = 0;
  }
  IPlugBase::SetBlockSize(blockSize);
}

// ----- host services -----

double IPlugAU::GetTempo()
{
  if (mHostCallbacks.beatAndTempoProc)
  {
    Float64 beat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
    if (tempo > 0.0) mTempo = tempo;
  }
  return mTempo;
}

int IPlugAU::GetSamplePos()
{
  if (!mHostCallbacks.transportStateProc) return 0;
  Boolean playing = false, changed = false, cycling = false;
  Float64 sample = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
  mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &sample, &cycling,
                                    &cycleStart, &cycleEnd);
  return TruncToInt(sample + 0.5);
}

void IPlugAU::GetTimeSig(int* numerator, int* denominator)
{
  if (!mHostCallbacks.musicalTimeLocationProc) return;
  UInt32 deltaToNextBeat = 0, denom = 0;
  Float32 num = 0.0f;
  Float64 downBeat = 0.0;
  mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &deltaToNextBeat, &num, &denom,
                                         &downBeat);
  if (numerator) *numerator = TruncToInt(num);
  if (denominator) *denominator = (int) denom;
}

void IPlugAU::GetTime(ITimeInfo* timeInfo)
{
  if (!timeInfo) return;
  if (mHostCallbacks.beatAndTempoProc)
  {
    Float64 beat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
    if (tempo > 0.0) timeInfo->mTempo = tempo;
    if (beat > 0.0) timeInfo->mPPQPos = beat;
  }
  if (mHostCallbacks.transportStateProc)
  {
    Boolean playing = false, changed = false, cycling = false;
    Float64 sample = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &sample, &cycling,
                                      &cycleStart, &cycleEnd);
    if (sample > 0.0) timeInfo->mSamplePos = sample;
    if (cycleStart > 0.0) timeInfo->mCycleStart = cycleStart;
    if (cycleEnd > 0.0) timeInfo->mCycleEnd = cycleEnd;
    timeInfo->mTransportIsRunning = playing;
    timeInfo->mTransportLoopEnabled = cycling;
  }
  if (mHostCallbacks.musicalTimeLocationProc)
  {
    UInt32 deltaToNextBeat = 0, denom = 0;
    Float32 num = 0.0f;
    Float64 downBeat = 0.0;
    mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &deltaToNextBeat, &num, &denom,
                                           &downBeat);
    timeInfo->mNumerator = TruncToInt(num);
    timeInfo->mDenominator = (int) denom;
    if (downBeat > 0.0) timeInfo->mLastBar = downBeat;
  }
}

int IPlugAU::GetHost()
{
  if (IPlugBase::GetHost() != -1) return IPlugBase::GetHost();
  CFBundleRef mainBundle = CFBundleGetMainBundle();
  CFStringRef identifier = mainBundle ? CFBundleGetIdentifier(mainBundle) : nullptr;
  WDL_String name;
  if (CFStringToUTF8(identifier, &name)) SetHost(name.Get(), 0);
  if (IPlugBase::GetHost() == -1) SetHost("", 0);
  return IPlugBase::GetHost();
}
