#include "platform/AudioUnit/AudioUnit.h"

#include <cstddef>
#include <cstring>

// Each call becomes a ComponentParameters record on the stack and goes to the unit's
// entry: nothing is allocated and no lock is taken here, so a render pull may use it.

namespace
{
constexpr int kMaxArgs = 7;

class Call
{
public:
  Call(AudioUnit unit, SInt16 what, int nArgs) : mUnit(unit)
  {
    memset(mBytes, 0, sizeof mBytes);
    Params()->what = what;
    Params()->paramSize = (UInt8) (nArgs * sizeof(long));
    Put(0, unit);
  }

  template <class T>
  Call& Put(int slot, T value)
  {
    static_assert(sizeof(T) <= sizeof(long), "one argument per slot");
    memcpy(mBytes + offsetof(ComponentParameters, params) + slot * sizeof(long), &value, sizeof value);
    return *this;
  }

  OSStatus Dispatch() { return mUnit ? CallComponentDispatch(Params()) : badComponentInstance; }

private:
  ComponentParameters* Params() { return reinterpret_cast<ComponentParameters*>(mBytes); }

  AudioUnit mUnit;
  alignas(ComponentParameters) unsigned char mBytes[sizeof(ComponentParameters) + kMaxArgs * sizeof(long)];
};
} // namespace

extern "C" {

OSStatus AudioUnitInitialize(AudioUnit inUnit)
{
  return Call(inUnit, kAudioUnitInitializeSelect, 0).Dispatch();
}

OSStatus AudioUnitUninitialize(AudioUnit inUnit)
{
  return Call(inUnit, kAudioUnitUninitializeSelect, 0).Dispatch();
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                  AudioUnitElement inElement, UInt32* outDataSize, Boolean* outWritable)
{
  return Call(inUnit, kAudioUnitGetPropertyInfoSelect, 5)
      .Put(1, inID)
      .Put(2, inScope)
      .Put(3, inElement)
      .Put(4, outDataSize)
      .Put(5, outWritable)
      .Dispatch();
}

OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void* outData, UInt32* ioDataSize)
{
  return Call(inUnit, kAudioUnitGetPropertySelect, 5)
      .Put(1, inID)
      .Put(2, inScope)
      .Put(3, inElement)
      .Put(4, outData)
      .Put(5, ioDataSize)
      .Dispatch();
}

OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void* inData, UInt32 inDataSize)
{
  return Call(inUnit, kAudioUnitSetPropertySelect, 5)
      .Put(1, inID)
      .Put(2, inScope)
      .Put(3, inElement)
      .Put(4, inData)
      .Put(5, inDataSize)
      .Dispatch();
}

OSStatus AudioUnitAddPropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID,
                                      AudioUnitPropertyListenerProc inProc, void* inProcUserData)
{
  return Call(inUnit, kAudioUnitAddPropertyListenerSelect, 3)
      .Put(1, inID)
      .Put(2, inProc)
      .Put(3, inProcUserData)
      .Dispatch();
}

OSStatus AudioUnitRemovePropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID,
                                         AudioUnitPropertyListenerProc inProc)
{
  return Call(inUnit, kAudioUnitRemovePropertyListenerSelect, 2).Put(1, inID).Put(2, inProc).Dispatch();
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit inUnit, AudioUnitPropertyID inID,
                                                     AudioUnitPropertyListenerProc inProc,
                                                     void* inProcUserData)
{
  return Call(inUnit, kAudioUnitRemovePropertyListenerWithUserDataSelect, 3)
      .Put(1, inID)
      .Put(2, inProc)
      .Put(3, inProcUserData)
      .Dispatch();
}

OSStatus AudioUnitAddRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData)
{
  return Call(inUnit, kAudioUnitAddRenderNotifySelect, 2).Put(1, inProc).Put(2, inProcUserData).Dispatch();
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData)
{
  return Call(inUnit, kAudioUnitRemoveRenderNotifySelect, 2)
      .Put(1, inProc)
      .Put(2, inProcUserData)
      .Dispatch();
}

OSStatus AudioUnitGetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue* outValue)
{
  return Call(inUnit, kAudioUnitGetParameterSelect, 4)
      .Put(1, inID)
      .Put(2, inScope)
      .Put(3, inElement)
      .Put(4, outValue)
      .Dispatch();
}

OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue,
                               UInt32 inBufferOffsetInFrames)
{
  return Call(inUnit, kAudioUnitSetParameterSelect, 5)
      .Put(1, inID)
      .Put(2, inScope)
      .Put(3, inElement)
      .Put(4, inValue)
      .Put(5, inBufferOffsetInFrames)
      .Dispatch();
}

OSStatus AudioUnitScheduleParameters(AudioUnit inUnit, const AudioUnitParameterEvent* inParameterEvent,
                                     UInt32 inNumParamEvents)
{
  return Call(inUnit, kAudioUnitScheduleParametersSelect, 2)
      .Put(1, inParameterEvent)
      .Put(2, inNumParamEvents)
      .Dispatch();
}

OSStatus AudioUnitRender(AudioUnit inUnit, AudioUnitRenderActionFlags* ioActionFlags,
                         const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                         UInt32 inNumberFrames, AudioBufferList* ioData)
{
  return Call(inUnit, kAudioUnitRenderSelect, 5)
      .Put(1, ioActionFlags)
      .Put(2, inTimeStamp)
      .Put(3, inOutputBusNumber)
      .Put(4, inNumberFrames)
      .Put(5, ioData)
      .Dispatch();
}

OSStatus AudioUnitReset(AudioUnit inUnit, AudioUnitScope inScope, AudioUnitElement inElement)
{
  return Call(inUnit, kAudioUnitResetSelect, 2).Put(1, inScope).Put(2, inElement).Dispatch();
}

OSStatus MusicDeviceMIDIEvent(AudioUnit inUnit, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                              UInt32 inOffsetSampleFrame)
{
  return Call(inUnit, kMusicDeviceMIDIEventSelect, 4)
      .Put(1, inStatus)
      .Put(2, inData1)
      .Put(3, inData2)
      .Put(4, inOffsetSampleFrame)
      .Dispatch();
}

} // extern "C"
