#pragma once
// One Audio Unit instance, driven the way a Mac host drives it: opened through its
// component's entry, set up with formats, maximum frames, sample rate and an input,
// initialised, rendered through its fast-dispatch render entry, its parameters read
// and written in real units, its state saved and restored as the class-info
// dictionary, and closed.
//
// Every call answers with the unit's status code (or the platform's, for what the
// host itself could not do) and throws nothing. Everything the unit hands over is
// released here unless the call passes it on to the caller.

#include "host/AUBufferList.h"
#include "host/AUComponent.h"
#include "host/CFRef.h"
#include "platform/AudioUnit/AudioUnit.h"

#include <string>
#include <vector>

// What ParameterInfo tells a host about one parameter.
struct AUParamInfo
{
  std::string name;
  AudioUnitParameterUnit unit = kAudioUnitParameterUnit_Generic;
  std::string unitName; // for kAudioUnitParameterUnit_CustomUnit
  AudioUnitParameterValue minValue = 0.0f;
  AudioUnitParameterValue maxValue = 0.0f;
  AudioUnitParameterValue defaultValue = 0.0f;
  AudioUnitParameterOptions flags = 0;
};

class AUHostUnit
{
public:
  AUHostUnit() = default;
  ~AUHostUnit();
  AUHostUnit(const AUHostUnit&) = delete;
  AUHostUnit& operator=(const AUHostUnit&) = delete;

  OSStatus Open(const AUComponent& component);
  // Closing a unit that another still pulls from is the caller's to avoid, as on a Mac.
  OSStatus Close();
  bool IsOpen() const { return mUnit != nullptr; }
  AudioUnit Unit() const { return mUnit; }
  // The instance's storage, which the fast-dispatch procedures take.
  void* Storage() const { return mStorage; }

  // ----- identity, as the Component Manager and the unit report it -----
  OSStatus GetDescription(ComponentDescription* description) const;
  long GetVersion() const;
  bool CanDo(SInt16 selector) const;
  OSStatus GetSupportedChannels(std::vector<AUChannelInfo>* configurations);

  // ----- set-up -----
  OSStatus SetSampleRate(Float64 rate);
  OSStatus GetSampleRate(Float64* rate);
  OSStatus SetMaximumFrames(UInt32 frames);
  OSStatus GetMaximumFrames(UInt32* frames);
  // 32-bit float, non-interleaved, one buffer per channel.
  OSStatus SetStreamFormat(AudioUnitScope scope, UInt32 channels, Float64 rate, AudioUnitElement bus = 0);
  OSStatus GetStreamFormat(AudioUnitScope scope, AudioStreamBasicDescription* format,
                           AudioUnitElement bus = 0);
  // Sample rate, maximum frames, then the input and output formats, in a host's usual
  // order. The rate goes first as a property of its own: the strip takes a rate that
  // comes only with a format without re-initialising its engine for it.
  OSStatus Configure(Float64 rate, UInt32 maxFrames, UInt32 channels);
  // A null procedure disconnects the input.
  OSStatus SetInputCallback(AURenderCallback proc, void* refCon, AudioUnitElement bus = 0);
  // The unit pulls its input from source's output, which must stay open while it does.
  OSStatus ConnectInput(const AUHostUnit& source, UInt32 sourceBus = 0, UInt32 destBus = 0);
  OSStatus DisconnectInput(UInt32 destBus = 0);
  OSStatus SetBypass(bool bypass);
  OSStatus GetBypass(bool* bypass);
  // Tells the unit who its host is (the AUHostIdentifier property).
  OSStatus SetHostIdentity(const char* name, UInt8 majorVersion, UInt8 minorAndBugVersion);
  // Tempo, musical time and transport; the procedures must outlive the unit's use of them.
  OSStatus SetHostCallbacks(const HostCallbackInfo& callbacks);

  OSStatus Initialize();
  OSStatus Uninitialize();
  OSStatus Reset();

  // ----- rendering -----
  // Through the fast-dispatch render entry (the entry's render selector when the unit
  // offers none). Allocates nothing.
  OSStatus Render(AudioBufferList* buffers, UInt32 nFrames, Float64 sampleTime, UInt32 outputBus = 0);
  OSStatus Render(AUBufferList& buffers, UInt32 nFrames, Float64 sampleTime, UInt32 outputBus = 0)
  {
    return Render(buffers.List(), nFrames, sampleTime, outputBus);
  }
  OSStatus AddRenderNotify(AURenderCallback proc, void* refCon);
  OSStatus RemoveRenderNotify(AURenderCallback proc, void* refCon);

  // ----- property listeners -----
  OSStatus AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData);
  // Matches the user data only where the unit says it can (kComponentCanDoSelect);
  // otherwise the first listener with this property and procedure goes.
  OSStatus RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData);

  // ----- parameters, in real units -----
  OSStatus GetParameterList(std::vector<AudioUnitParameterID>* ids,
                            AudioUnitScope scope = kAudioUnitScope_Global);
  OSStatus GetParameterInfo(AudioUnitParameterID id, AUParamInfo* info);
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitParameterValue* value);
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value);
  // kAudioUnitErr_InvalidProperty (and no strings) for a parameter without them.
  OSStatus GetValueStrings(AudioUnitParameterID id, std::vector<std::string>* strings);
  // The text for a value, or for the current value when value is null.
  OSStatus StringFromValue(AudioUnitParameterID id, const AudioUnitParameterValue* value, std::string* text);
  // kAudioUnitErr_InvalidPropertyValue when the unit knows no value for the text: it
  // answers noErr then and leaves its reply untouched.
  OSStatus ValueFromString(AudioUnitParameterID id, const std::string& text, AudioUnitParameterValue* value);
  // The name cut to length characters; kAudioUnitParameterName_Full for all of it.
  OSStatus GetParameterName(AudioUnitParameterID id, SInt32 length, std::string* name);

  // ----- state: the class-info dictionary -----
  OSStatus SaveState(CFRef* state);
  OSStatus RestoreState(CFPropertyListRef state);

  // ----- any property -----
  OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                           UInt32* size, bool* writable);
  OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* data,
                       UInt32* size);
  OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                       const void* data, UInt32 size);
  template <class T>
  OSStatus Get(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T* value)
  {
    UInt32 size = sizeof(T);
    return GetProperty(id, scope, element, value, &size);
  }
  template <class T>
  OSStatus Set(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const T& value)
  {
    return SetProperty(id, scope, element, &value, sizeof(T));
  }

private:
  AudioUnit mUnit = nullptr;
  void* mStorage = nullptr;
  AudioUnitRenderProc mRenderProc = nullptr;
};
