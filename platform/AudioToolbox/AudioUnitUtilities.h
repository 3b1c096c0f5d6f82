#pragma once
// Audio Unit event listeners: hosts register for parameter, gesture and property events
// of a unit; whoever changes something announces it with AUEventListenerNotify.
//
// On this platform events are delivered at once, on the notifying thread, to every
// matching listener except the sender; the run loop, interval and granularity arguments
// are accepted and not used.

#include "platform/AudioUnit/AudioUnitProperties.h"

#ifdef __cplusplus
extern "C" {
#endif

enum
{
  kAUParameterListener_AnyParameter = 0xFFFFFFFF
};

typedef UInt32 AudioUnitEventType;
enum
{
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3
};

typedef struct AudioUnitEvent
{
  AudioUnitEventType mEventType;
  union
  {
    AudioUnitParameter mParameter; // the three parameter event types
    AudioUnitProperty mProperty;   // kAudioUnitEvent_PropertyChange
  } mArgument;
} AudioUnitEvent;

typedef struct AUListenerBase* AUParameterListenerRef;
typedef AUParameterListenerRef AUEventListenerRef;

// inParameterValue is the unit's value of the parameter, read with AudioUnitGetParameter
// before delivery, for value changes of one parameter; 0 otherwise. The host time is 0.
typedef void (*AUEventListenerProc)(void* inCallbackRefCon, void* inObject, const AudioUnitEvent* inEvent,
                                    UInt64 inEventHostTime, AudioUnitParameterValue inParameterValue);

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                               CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                               Float32 inValueChangeGranularity, AUEventListenerRef* outListener);
// Registers interest, on behalf of inObject, in events like inEvent: same type and unit,
// same scope and element, and the same parameter (kAUParameterListener_AnyParameter on
// either side matches every parameter) or property.
OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject,
                                     const AudioUnitEvent* inEvent);
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                        const AudioUnitEvent* inEvent);
// The sending listener is skipped for inSendingObject's registrations, or for all of
// them when inSendingObject is null.
OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent);
OSStatus AUListenerDispose(AUParameterListenerRef inListener);

#ifdef __cplusplus
}
#endif
