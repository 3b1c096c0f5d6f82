#pragma once
// Drives a component the way a Mac host does: through the Component Manager and the
// Audio Unit calls, with the host's own buffer lists, time stamps and callbacks.

#include "tests/support/CFLeakCheck.h"
#include "dsp/AnalogueClock.h"
#include "engine/Ostrakon.h"
#include "platform/StandIn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

inline Component OstrakonComponent()
{
  static Component component = []
  {
    ComponentDescription cd = {kOstrakonComponentType, (OSType) kOstrakonUniqueID, (OSType) kOstrakonMfrID, 0,
                               0};
    return RegisterComponent(&cd, Ostrakon_Entry, 0, nullptr, nullptr, nullptr);
  }();
  return component;
}

inline AudioTimeStamp Stamp(double sampleTime, UInt32 flags = kAudioTimeStampSampleTimeValid)
{
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof ts);
  ts.mSampleTime = sampleTime;
  ts.mFlags = flags;
  return ts;
}

// A host's buffer list: nBuffers mono buffers of nFrames floats, or null data pointers.
class HostBufferList
{
public:
  HostBufferList(int nBuffers, int nFrames, bool nullData = false, float fill = -7.0f)
    : mBytes(offsetof(AudioBufferList, mBuffers) + (size_t) std::max(nBuffers, 1) * sizeof(AudioBuffer)),
      mData((size_t) nBuffers, std::vector<float>((size_t) nFrames, fill))
  {
    AudioBufferList* list = new (mBytes.data()) AudioBufferList;
    list->mNumberBuffers = (UInt32) nBuffers;
    for (int i = 0; i < nBuffers; ++i)
    {
      Buffer(i).mNumberChannels = 1;
      Buffer(i).mDataByteSize = (UInt32) (nFrames * sizeof(float));
      Buffer(i).mData = nullData ? nullptr : mData[(size_t) i].data();
    }
  }
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(mBytes.data()); }
  AudioBuffer& Buffer(int i)
  {
    return reinterpret_cast<AudioBuffer*>(mBytes.data() + offsetof(AudioBufferList, mBuffers))[i];
  }
  float* Data(int i) { return (float*) Buffer(i).mData; }
  float* Own(int i) { return mData[(size_t) i].data(); }

private:
  std::vector<unsigned char> mBytes;
  std::vector<std::vector<float>> mData;
};

// An input render callback serving a fixed signal, indexed by the sample time.
struct InputSource
{
  std::vector<std::vector<float>> channels;
  int pulls = 0;
  OSStatus result = noErr;

  static OSStatus Callback(void* ref, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32,
                           UInt32 nFrames, AudioBufferList* io)
  {
    InputSource* s = (InputSource*) ref;
    ++s->pulls;
    if (s->result != noErr) return s->result;
    const size_t start = (size_t) ts->mSampleTime;
    for (UInt32 b = 0; b < io->mNumberBuffers; ++b)
    {
      float* d = (float*) io->mBuffers[b].mData;
      const std::vector<float>& ch = s->channels[std::min<size_t>(b, s->channels.size() - 1)];
      for (UInt32 i = 0; i < nFrames; ++i) d[i] = start + i < ch.size() ? ch[start + i] : 0.0f;
    }
    return noErr;
  }
};

// A repeatable test signal: a chord of sines with some noise from a fixed generator.
inline std::vector<float> TestSignal(int n, int seed)
{
  std::vector<float> x((size_t) n);
  unsigned state = 12345u + (unsigned) seed * 7919u;
  for (int i = 0; i < n; ++i)
  {
    state = state * 1664525u + 1013904223u;
    const double noise = ((double) (state >> 8) / 16777216.0 - 0.5) * 0.05;
    x[(size_t) i] = (float) (0.4 * std::sin(0.031 * i * (1 + seed)) + 0.2 * std::sin(0.0071 * i) + noise);
  }
  return x;
}

class AUHost
{
public:
  // The strip's construction draws are fixed, so that two hosts built alike sound alike.
  explicit AUHost(Component component = OstrakonComponent())
  {
    srand(1);
    AnalogueClock::SetFixed(1700000000);
    EXPECT_EQ(OpenAComponent(component, &unit), noErr);
  }
  ~AUHost()
  {
    if (unit) CloseComponent(unit);
  }
  AUHost(const AUHost&) = delete;
  AUHost& operator=(const AUHost&) = delete;

  IPlugAU* Plug() const { return (IPlugAU*) GetComponentInstanceStorage(unit); }
  Ostrakon* Strip() const { return static_cast<Ostrakon*>(Plug()); }

  template <class T>
  OSStatus Set(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const T& value,
               UInt32 size = sizeof(T))
  {
    return AudioUnitSetProperty(unit, id, scope, element, &value, size);
  }
  template <class T>
  OSStatus Get(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T* value,
               UInt32 size = sizeof(T))
  {
    return AudioUnitGetProperty(unit, id, scope, element, value, &size);
  }

  OSStatus SetFormat(AudioUnitScope scope, UInt32 channels, double rate = 44100.0,
                     AudioUnitElement element = 0)
  {
    AudioStreamBasicDescription f;
    memset(&f, 0, sizeof f);
    f.mSampleRate = rate;
    f.mFormatID = kAudioFormatLinearPCM;
    f.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
    f.mBytesPerPacket = f.mBytesPerFrame = 4;
    f.mFramesPerPacket = 1;
    f.mBitsPerChannel = 32;
    f.mChannelsPerFrame = channels;
    return Set(kAudioUnitProperty_StreamFormat, scope, element, f);
  }
  UInt32 Channels(AudioUnitScope scope, AudioUnitElement element = 0)
  {
    AudioStreamBasicDescription f;
    memset(&f, 0, sizeof f);
    EXPECT_EQ(Get(kAudioUnitProperty_StreamFormat, scope, element, &f), noErr);
    return f.mChannelsPerFrame;
  }

  OSStatus SetInput(InputSource* source)
  {
    const AURenderCallbackStruct cb = {InputSource::Callback, source};
    return Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb);
  }

  // The usual set-up: rate, maximum frames, formats, input callback, initialise.
  OSStatus Prepare(UInt32 channels, UInt32 maxFrames, double rate, InputSource* source)
  {
    OSStatus r = Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, (Float64) rate);
    if (r == noErr) r = Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, maxFrames);
    if (r == noErr) r = SetFormat(kAudioUnitScope_Input, channels, rate);
    if (r == noErr) r = SetFormat(kAudioUnitScope_Output, channels, rate);
    if (r == noErr && source) r = SetInput(source);
    if (r == noErr) r = AudioUnitInitialize(unit);
    return r;
  }

  OSStatus Render(AudioBufferList* list, UInt32 nFrames, double sampleTime, UInt32 bus = 0)
  {
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp ts = Stamp(sampleTime);
    return AudioUnitRender(unit, &flags, &ts, bus, nFrames, list);
  }
  // Through the fast-dispatch address, as hosts render.
  OSStatus RenderFast(AudioBufferList* list, UInt32 nFrames, double sampleTime, UInt32 bus = 0)
  {
    AudioUnitRenderProc proc = nullptr;
    EXPECT_EQ(Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, &proc),
              noErr);
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp ts = Stamp(sampleTime);
    return proc(GetComponentInstanceStorage(unit), &flags, &ts, bus, nFrames, list);
  }

  float Param(AudioUnitParameterID id)
  {
    AudioUnitParameterValue v = -12345.0f;
    EXPECT_EQ(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &v), noErr);
    return v;
  }
  OSStatus SetParam(AudioUnitParameterID id, AudioUnitParameterValue v)
  {
    return AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, v, 0);
  }

  AudioUnit unit = nullptr;
};

// Calls any selector with the given arguments, as the Component Manager would pass them.
template <class... Args>
ComponentResult CallSelector(AudioUnit unit, SInt16 what, Args... args)
{
  alignas(ComponentParameters) unsigned char bytes[sizeof(ComponentParameters) + 8 * sizeof(long)] = {};
  ComponentParameters* cp = reinterpret_cast<ComponentParameters*>(bytes);
  cp->what = what;
  cp->paramSize = (UInt8) (sizeof...(args) * sizeof(long));
  unsigned char* slot = bytes + offsetof(ComponentParameters, params);
  memcpy(slot, &unit, sizeof unit);
  int i = 1;
  ((memcpy(slot + (i++) * sizeof(long), &args, sizeof args)), ...);
  return CallComponentDispatch(cp);
}


inline std::string CFText(CFTypeRef s)
{
  if (!s || CFGetTypeID(s) != CFStringGetTypeID()) return "<not a string>";
  char buf[256];
  return CFStringGetCString((CFStringRef) s, buf, sizeof buf, kCFStringEncodingUTF8) ? buf : "<too long>";
}
