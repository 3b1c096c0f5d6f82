#include "host/AUParameterListener.h"

#include <cstring>

AUParameterListener::~AUParameterListener() { Stop(); }

OSStatus AUParameterListener::Listen(const AUHostUnit& unit, Handler handler, AudioUnitParameterID id)
{
  Stop();
  if (!unit.IsOpen()) return badComponentInstance;
  if (!handler) return paramErr;
  try
  {
    mHandler = std::move(handler);
  }
  catch (...)
  {
    return memFullErr;
  }
  OSStatus r = AUEventListenerCreate(Deliver, this, nullptr, nullptr, 0.0f, 0.0f, &mListener);
  for (AudioUnitEventType type :
       {kAudioUnitEvent_ParameterValueChange, kAudioUnitEvent_BeginParameterChangeGesture,
        kAudioUnitEvent_EndParameterChangeGesture})
  {
    if (r != noErr) break;
    AudioUnitEvent event;
    memset(&event, 0, sizeof event);
    event.mEventType = type;
    event.mArgument.mParameter = {unit.Unit(), id, kAudioUnitScope_Global, 0};
    r = AUEventListenerAddEventType(mListener, nullptr, &event);
  }
  if (r != noErr) Stop();
  return r;
}

void AUParameterListener::Stop()
{
  if (mListener) AUListenerDispose(mListener);
  mListener = nullptr;
  mHandler = nullptr;
}

void AUParameterListener::Deliver(void* refCon, void*, const AudioUnitEvent* event, UInt64,
                                  AudioUnitParameterValue value)
{
  AUParameterListener* self = (AUParameterListener*) refCon;
  if (!self || !event || !self->mHandler) return;
  const AUParameterEvent e = {event->mEventType, event->mArgument.mParameter.mParameterID,
                              event->mEventType == kAudioUnitEvent_ParameterValueChange ? value : 0.0f};
  // The call comes from inside the unit: nothing may unwind through it.
  try
  {
    self->mHandler(e);
  }
  catch (...)
  {
  }
}
