#include "host/AUHostUnit.h"

#include "host/CFText.h"

#include <cmath>
#include <cstring>

namespace
{
// The answer when there is no unit to ask.
constexpr OSStatus kNoUnit = badComponentInstance;

template <class F>
OSStatus Guarded(F&& f)
{
  try
  {
    return f();
  }
  catch (...)
  {
    // Only the host's own strings and lists allocate in here.
    return memFullErr;
  }
}

AudioTimeStamp SampleTimeStamp(Float64 sampleTime)
{
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof ts);
  ts.mSampleTime = sampleTime;
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  return ts;
}
} // namespace

AUHostUnit::~AUHostUnit() { Close(); }

OSStatus AUHostUnit::Open(const AUComponent& component)
{
  Close();
  if (!component.IsValid()) return invalidComponentID;
  ComponentInstance ci = nullptr;
  const OSErr r = OpenAComponent(component.Handle(), &ci);
  if (r != noErr) return r;
  mUnit = ci;
  mStorage = GetComponentInstanceStorage(ci);
  AudioUnitRenderProc proc = nullptr;
  if (Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, &proc) == noErr)
    mRenderProc = proc;
  return noErr;
}

OSStatus AUHostUnit::Close()
{
  if (!mUnit) return noErr;
  const OSErr r = CloseComponent(mUnit);
  mUnit = nullptr;
  mStorage = nullptr;
  mRenderProc = nullptr;
  return r;
}

// ----- identity -----

OSStatus AUHostUnit::GetDescription(ComponentDescription* description) const
{
  if (!mUnit) return kNoUnit;
  return GetComponentInfo(reinterpret_cast<Component>(mUnit), description, nullptr, nullptr, nullptr);
}

long AUHostUnit::GetVersion() const { return mUnit ? GetComponentVersion(mUnit) : (long) kNoUnit; }

bool AUHostUnit::CanDo(SInt16 selector) const
{
  return mUnit && ComponentFunctionImplemented(mUnit, selector) != 0;
}

OSStatus AUHostUnit::GetSupportedChannels(std::vector<AUChannelInfo>* configurations)
{
  return Guarded([&]() -> OSStatus {
    configurations->clear();
    UInt32 size = 0;
    bool writable = false;
    OSStatus r =
        GetPropertyInfo(kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, &size, &writable);
    if (r != noErr) return r;
    std::vector<AUChannelInfo> list(size / sizeof(AUChannelInfo));
    size = (UInt32) (list.size() * sizeof(AUChannelInfo));
    if (!list.empty())
    {
      r = GetProperty(kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, list.data(), &size);
      if (r != noErr) return r;
      list.resize(size / sizeof(AUChannelInfo));
    }
    configurations->swap(list);
    return noErr;
  });
}

// ----- set-up -----

OSStatus AUHostUnit::SetSampleRate(Float64 rate)
{
  return Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate);
}

OSStatus AUHostUnit::GetSampleRate(Float64* rate)
{
  return Get(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate);
}

OSStatus AUHostUnit::SetMaximumFrames(UInt32 frames)
{
  return Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, frames);
}

OSStatus AUHostUnit::GetMaximumFrames(UInt32* frames)
{
  return Get(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, frames);
}

OSStatus AUHostUnit::SetStreamFormat(AudioUnitScope scope, UInt32 channels, Float64 rate,
                                     AudioUnitElement bus)
{
  AudioStreamBasicDescription f;
  memset(&f, 0, sizeof f);
  f.mSampleRate = rate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
  f.mBytesPerPacket = sizeof(float);
  f.mFramesPerPacket = 1;
  f.mBytesPerFrame = sizeof(float);
  f.mChannelsPerFrame = channels;
  f.mBitsPerChannel = 8 * sizeof(float);
  return Set(kAudioUnitProperty_StreamFormat, scope, bus, f);
}

OSStatus AUHostUnit::GetStreamFormat(AudioUnitScope scope, AudioStreamBasicDescription* format,
                                     AudioUnitElement bus)
{
  return Get(kAudioUnitProperty_StreamFormat, scope, bus, format);
}

OSStatus AUHostUnit::Configure(Float64 rate, UInt32 maxFrames, UInt32 channels)
{
  OSStatus r = SetSampleRate(rate);
  if (r == noErr) r = SetMaximumFrames(maxFrames);
  if (r == noErr) r = SetStreamFormat(kAudioUnitScope_Input, channels, rate);
  if (r == noErr) r = SetStreamFormat(kAudioUnitScope_Output, channels, rate);
  return r;
}

OSStatus AUHostUnit::SetInputCallback(AURenderCallback proc, void* refCon, AudioUnitElement bus)
{
  const AURenderCallbackStruct callback = {proc, refCon};
  return Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, bus, callback);
}

OSStatus AUHostUnit::ConnectInput(const AUHostUnit& source, UInt32 sourceBus, UInt32 destBus)
{
  if (!source.mUnit) return kNoUnit;
  const AudioUnitConnection connection = {source.mUnit, sourceBus, destBus};
  return Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, destBus, connection);
}

OSStatus AUHostUnit::DisconnectInput(UInt32 destBus)
{
  const AudioUnitConnection connection = {nullptr, 0, destBus};
  return Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, destBus, connection);
}

OSStatus AUHostUnit::SetBypass(bool bypass)
{
  return Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) (bypass ? 1 : 0));
}

OSStatus AUHostUnit::GetBypass(bool* bypass)
{
  UInt32 v = 0;
  const OSStatus r = Get(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &v);
  if (r == noErr) *bypass = v != 0;
  return r;
}

OSStatus AUHostUnit::SetHostIdentity(const char* name, UInt8 majorVersion, UInt8 minorAndBugVersion)
{
  return Guarded([&]() -> OSStatus {
    CFRef text = CFTextFromUTF8(name ? name : "");
    if (!text) return paramErr;
    AUHostIdentifier id;
    memset(&id, 0, sizeof id);
    id.hostName = text.As<CFStringRef>();
    id.hostVersion.majorRev = majorVersion;
    id.hostVersion.minorAndBugRev = minorAndBugVersion;
    return Set(kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, id);
  });
}

OSStatus AUHostUnit::SetHostCallbacks(const HostCallbackInfo& callbacks)
{
  return Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, callbacks);
}

OSStatus AUHostUnit::Initialize() { return mUnit ? AudioUnitInitialize(mUnit) : kNoUnit; }

OSStatus AUHostUnit::Uninitialize() { return mUnit ? AudioUnitUninitialize(mUnit) : kNoUnit; }

OSStatus AUHostUnit::Reset() { return mUnit ? AudioUnitReset(mUnit, kAudioUnitScope_Global, 0) : kNoUnit; }

// ----- rendering -----

OSStatus AUHostUnit::Render(AudioBufferList* buffers, UInt32 nFrames, Float64 sampleTime, UInt32 outputBus)
{
  if (!mUnit) return kNoUnit;
  AudioUnitRenderActionFlags flags = 0;
  const AudioTimeStamp ts = SampleTimeStamp(sampleTime);
  if (mRenderProc) return mRenderProc(mStorage, &flags, &ts, outputBus, nFrames, buffers);
  return AudioUnitRender(mUnit, &flags, &ts, outputBus, nFrames, buffers);
}

OSStatus AUHostUnit::AddRenderNotify(AURenderCallback proc, void* refCon)
{
  return mUnit ? AudioUnitAddRenderNotify(mUnit, proc, refCon) : kNoUnit;
}

OSStatus AUHostUnit::RemoveRenderNotify(AURenderCallback proc, void* refCon)
{
  return mUnit ? AudioUnitRemoveRenderNotify(mUnit, proc, refCon) : kNoUnit;
}

// ----- property listeners -----

OSStatus AUHostUnit::AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                         void* userData)
{
  return mUnit ? AudioUnitAddPropertyListener(mUnit, id, proc, userData) : kNoUnit;
}

OSStatus AUHostUnit::RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                            void* userData)
{
  if (!mUnit) return kNoUnit;
  if (CanDo(kAudioUnitRemovePropertyListenerWithUserDataSelect))
    return AudioUnitRemovePropertyListenerWithUserData(mUnit, id, proc, userData);
  return AudioUnitRemovePropertyListener(mUnit, id, proc);
}

// ----- parameters -----

OSStatus AUHostUnit::GetParameterList(std::vector<AudioUnitParameterID>* ids, AudioUnitScope scope)
{
  return Guarded([&]() -> OSStatus {
    ids->clear();
    UInt32 size = 0;
    bool writable = false;
    OSStatus r = GetPropertyInfo(kAudioUnitProperty_ParameterList, scope, 0, &size, &writable);
    if (r != noErr) return r;
    std::vector<AudioUnitParameterID> list(size / sizeof(AudioUnitParameterID));
    if (!list.empty())
    {
      size = (UInt32) (list.size() * sizeof(AudioUnitParameterID));
      r = GetProperty(kAudioUnitProperty_ParameterList, scope, 0, list.data(), &size);
      if (r != noErr) return r;
      list.resize(size / sizeof(AudioUnitParameterID));
    }
    ids->swap(list);
    return noErr;
  });
}

OSStatus AUHostUnit::GetParameterInfo(AudioUnitParameterID id, AUParamInfo* info)
{
  AudioUnitParameterInfo raw;
  memset(&raw, 0, sizeof raw);
  const OSStatus r = Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &raw);
  if (r != noErr) return r;
  // Taken over at once, so that they are released whatever happens next.
  const bool owned = (raw.flags & kAudioUnitParameterFlag_CFNameRelease) != 0;
  CFRef cfName = owned ? CFRef(raw.cfNameString) : CFRef::Retained(raw.cfNameString);
  const bool custom = raw.unit == kAudioUnitParameterUnit_CustomUnit;
  CFRef unitName = owned && custom ? CFRef(raw.unitName) : CFRef::Retained(custom ? raw.unitName : nullptr);

  return Guarded([&]() -> OSStatus {
    AUParamInfo out;
    if (!(raw.flags & kAudioUnitParameterFlag_HasCFNameString) || !CFTextToUTF8(cfName.Get(), &out.name))
      out.name.assign(raw.name, strnlen(raw.name, sizeof raw.name));
    out.unit = raw.unit;
    if (custom) CFTextToUTF8(unitName.Get(), &out.unitName);
    out.minValue = raw.minValue;
    out.maxValue = raw.maxValue;
    out.defaultValue = raw.defaultValue;
    out.flags = raw.flags;
    *info = out;
    return noErr;
  });
}

OSStatus AUHostUnit::GetParameter(AudioUnitParameterID id, AudioUnitParameterValue* value)
{
  return mUnit ? AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, value) : kNoUnit;
}

OSStatus AUHostUnit::SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value)
{
  return mUnit ? AudioUnitSetParameter(mUnit, id, kAudioUnitScope_Global, 0, value, 0) : kNoUnit;
}

OSStatus AUHostUnit::GetValueStrings(AudioUnitParameterID id, std::vector<std::string>* strings)
{
  strings->clear();
  CFArrayRef array = nullptr;
  const OSStatus r = Get(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, &array);
  if (r != noErr) return r;
  CFRef held(array);
  if (!held.Is(CFArrayGetTypeID())) return kAudioUnitErr_InvalidPropertyValue;
  return Guarded([&]() -> OSStatus {
    std::vector<std::string> list;
    const CFIndex n = CFArrayGetCount(array);
    for (CFIndex i = 0; i < n; ++i)
    {
      std::string text;
      CFTextToUTF8(CFArrayGetValueAtIndex(array, i), &text);
      list.push_back(text);
    }
    strings->swap(list);
    return noErr;
  });
}

OSStatus AUHostUnit::StringFromValue(AudioUnitParameterID id, const AudioUnitParameterValue* value,
                                     std::string* text)
{
  text->clear();
  AudioUnitParameterStringFromValue request = {id, value, nullptr};
  const OSStatus r = Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &request);
  CFRef held(request.outString);
  if (r != noErr) return r;
  return Guarded([&]() -> OSStatus {
    return CFTextToUTF8(held.Get(), text) ? (OSStatus) noErr : (OSStatus) kAudioUnitErr_InvalidPropertyValue;
  });
}

OSStatus AUHostUnit::ValueFromString(AudioUnitParameterID id, const std::string& text,
                                     AudioUnitParameterValue* value)
{
  return Guarded([&]() -> OSStatus {
    CFRef string = CFTextFromUTF8(text);
    if (!string) return kAudioUnitErr_InvalidPropertyValue;
    // A reply the unit leaves untouched still holds this.
    AudioUnitParameterValueFromString request = {id, string.As<CFStringRef>(), std::nanf("")};
    const OSStatus r = Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, &request);
    if (r != noErr) return r;
    if (std::isnan(request.outValue)) return kAudioUnitErr_InvalidPropertyValue;
    *value = request.outValue;
    return noErr;
  });
}

OSStatus AUHostUnit::GetParameterName(AudioUnitParameterID id, SInt32 length, std::string* name)
{
  name->clear();
  AudioUnitParameterIDName request = {id, length, nullptr};
  const OSStatus r = Get(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, &request);
  CFRef held(request.outName);
  if (r != noErr) return r;
  return Guarded([&]() -> OSStatus {
    return CFTextToUTF8(held.Get(), name) ? (OSStatus) noErr : (OSStatus) kAudioUnitErr_InvalidPropertyValue;
  });
}

// ----- state -----

OSStatus AUHostUnit::SaveState(CFRef* state)
{
  CFPropertyListRef dict = nullptr;
  const OSStatus r = Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &dict);
  CFRef held(dict);
  if (r != noErr) return r;
  *state = std::move(held);
  return noErr;
}

OSStatus AUHostUnit::RestoreState(CFPropertyListRef state)
{
  return Set(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state);
}

// ----- any property -----

OSStatus AUHostUnit::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     UInt32* size, bool* writable)
{
  if (!mUnit) return kNoUnit;
  Boolean w = false;
  const OSStatus r = AudioUnitGetPropertyInfo(mUnit, id, scope, element, size, &w);
  if (writable) *writable = w != 0;
  return r;
}

OSStatus AUHostUnit::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 void* data, UInt32* size)
{
  return mUnit ? AudioUnitGetProperty(mUnit, id, scope, element, data, size) : kNoUnit;
}

OSStatus AUHostUnit::SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 const void* data, UInt32 size)
{
  return mUnit ? AudioUnitSetProperty(mUnit, id, scope, element, data, size) : kNoUnit;
}
