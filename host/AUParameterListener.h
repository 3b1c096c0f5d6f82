#pragma once
// A host's ear for a unit's parameter events: value changes (with the value in real
// units, read back from the unit) and the begin and end of the user's gestures, as a
// unit announces them with AUEventListenerNotify.

#include "host/AUHostUnit.h"
#include "platform/AudioToolbox/AudioUnitUtilities.h"

#include <functional>

struct AUParameterEvent
{
  AudioUnitEventType type; // kAudioUnitEvent_ParameterValueChange, _Begin/EndParameterChangeGesture
  AudioUnitParameterID id;
  AudioUnitParameterValue value; // value changes only
};

class AUParameterListener
{
public:
  using Handler = std::function<void(const AUParameterEvent&)>;

  AUParameterListener() = default;
  ~AUParameterListener();
  AUParameterListener(const AUParameterListener&) = delete;
  AUParameterListener& operator=(const AUParameterListener&) = delete;

  // Events of one parameter of unit, or of all of them, reach handler on the thread
  // that caused them until Stop; listening again replaces what was listened to. A
  // handler that throws loses that event, nothing else. Stopping (or destroying the
  // listener) while another thread causes events is the caller's to avoid.
  OSStatus Listen(const AUHostUnit& unit, Handler handler,
                  AudioUnitParameterID id = kAUParameterListener_AnyParameter);
  void Stop();
  bool IsListening() const { return mListener != nullptr; }

private:
  static void Deliver(void* refCon, void* object, const AudioUnitEvent* event, UInt64 hostTime,
                      AudioUnitParameterValue value);

  AUEventListenerRef mListener = nullptr;
  Handler mHandler;
};
