#include "platform/AudioToolbox/AudioUnitUtilities.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

struct AUListenerBase
{
  AUEventListenerProc mProc;
  void* mUserData;
};

namespace
{
struct Registration
{
  AUListenerBase* mListener;
  void* mObject;
  AudioUnitEvent mEvent;
};

struct ListenerRegistry
{
  std::mutex mMutex;
  std::vector<AUListenerBase*> mListeners;
  std::vector<Registration> mRegistrations;

  bool IsLive(AUListenerBase* l) const
  {
    return std::find(mListeners.begin(), mListeners.end(), l) != mListeners.end();
  }
};

// Never destroyed: listeners a host forgets to dispose stay reachable until exit.
ListenerRegistry& GetRegistry()
{
  static ListenerRegistry* registry = new ListenerRegistry;
  return *registry;
}

bool IsParameterEvent(AudioUnitEventType t)
{
  return t == kAudioUnitEvent_ParameterValueChange || t == kAudioUnitEvent_BeginParameterChangeGesture ||
         t == kAudioUnitEvent_EndParameterChangeGesture;
}

bool SameEvent(const AudioUnitEvent& a, const AudioUnitEvent& b)
{
  if (a.mEventType != b.mEventType) return false;
  if (IsParameterEvent(a.mEventType))
  {
    const AudioUnitParameter& p = a.mArgument.mParameter;
    const AudioUnitParameter& q = b.mArgument.mParameter;
    return p.mAudioUnit == q.mAudioUnit && p.mParameterID == q.mParameterID && p.mScope == q.mScope &&
           p.mElement == q.mElement;
  }
  const AudioUnitProperty& p = a.mArgument.mProperty;
  const AudioUnitProperty& q = b.mArgument.mProperty;
  return p.mAudioUnit == q.mAudioUnit && p.mPropertyID == q.mPropertyID && p.mScope == q.mScope &&
         p.mElement == q.mElement;
}

bool Interested(const AudioUnitEvent& registered, const AudioUnitEvent& event)
{
  if (registered.mEventType != event.mEventType) return false;
  if (!IsParameterEvent(event.mEventType)) return SameEvent(registered, event);
  const AudioUnitParameter& r = registered.mArgument.mParameter;
  const AudioUnitParameter& e = event.mArgument.mParameter;
  if (r.mAudioUnit != e.mAudioUnit) return false;
  if (r.mParameterID == kAUParameterListener_AnyParameter ||
      e.mParameterID == kAUParameterListener_AnyParameter)
    return true;
  return r.mParameterID == e.mParameterID && r.mScope == e.mScope && r.mElement == e.mElement;
}

struct Delivery
{
  AUEventListenerProc mProc;
  void* mUserData;
  void* mObject;
};
} // namespace

extern "C" {

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, CFRunLoopRef, CFStringRef,
                               Float32, Float32, AUEventListenerRef* outListener)
{
  if (!inProc || !outListener) return paramErr;
  *outListener = nullptr;
  AUListenerBase* l = new (std::nothrow) AUListenerBase{inProc, inUserData};
  if (!l) return memFullErr;
  ListenerRegistry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  try
  {
    r.mListeners.push_back(l);
  }
  catch (...)
  {
    delete l;
    return memFullErr;
  }
  *outListener = l;
  return noErr;
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject,
                                     const AudioUnitEvent* inEvent)
{
  if (!inEvent) return paramErr;
  ListenerRegistry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  if (!r.IsLive(inListener)) return paramErr;
  for (const Registration& g : r.mRegistrations)
    if (g.mListener == inListener && g.mObject == inObject && SameEvent(g.mEvent, *inEvent)) return noErr;
  try
  {
    r.mRegistrations.push_back(Registration{inListener, inObject, *inEvent});
  }
  catch (...)
  {
    return memFullErr;
  }
  return noErr;
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                        const AudioUnitEvent* inEvent)
{
  if (!inEvent) return paramErr;
  ListenerRegistry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  if (!r.IsLive(inListener)) return paramErr;
  r.mRegistrations.erase(std::remove_if(r.mRegistrations.begin(), r.mRegistrations.end(),
                                        [&](const Registration& g) {
                                          return g.mListener == inListener && g.mObject == inObject &&
                                                 SameEvent(g.mEvent, *inEvent);
                                        }),
                         r.mRegistrations.end());
  return noErr;
}

OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent)
{
  if (!inEvent) return paramErr;

  // Read the value before the registry is locked: the unit takes its own lock, and a
  // listener running on another thread may hold that one and call in here.
  AudioUnitParameterValue value = 0.0f;
  const AudioUnitParameter& p = inEvent->mArgument.mParameter;
  if (inEvent->mEventType == kAudioUnitEvent_ParameterValueChange && p.mAudioUnit &&
      p.mParameterID != kAUParameterListener_AnyParameter &&
      AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value) != noErr)
    value = 0.0f;

  // Listeners run without the registry's lock, so that they may register and notify.
  std::vector<Delivery> deliveries;
  {
    ListenerRegistry& r = GetRegistry();
    std::lock_guard<std::mutex> lock(r.mMutex);
    try
    {
      for (const Registration& g : r.mRegistrations)
      {
        if (g.mListener == inSendingListener && (!inSendingObject || g.mObject == inSendingObject)) continue;
        if (Interested(g.mEvent, *inEvent))
          deliveries.push_back(Delivery{g.mListener->mProc, g.mListener->mUserData, g.mObject});
      }
    }
    catch (...)
    {
      return memFullErr;
    }
  }
  for (const Delivery& d : deliveries) d.mProc(d.mUserData, d.mObject, inEvent, 0, value);
  return noErr;
}

OSStatus AUListenerDispose(AUParameterListenerRef inListener)
{
  ListenerRegistry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  auto it = std::find(r.mListeners.begin(), r.mListeners.end(), inListener);
  if (it == r.mListeners.end()) return paramErr;
  r.mListeners.erase(it);
  r.mRegistrations.erase(std::remove_if(r.mRegistrations.begin(), r.mRegistrations.end(),
                                        [&](const Registration& g) { return g.mListener == inListener; }),
                         r.mRegistrations.end());
  delete inListener;
  return noErr;
}

} // extern "C"
