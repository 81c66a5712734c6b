#include "AUEventListener.h"

#include <algorithm>
#include <mutex>
#include <vector>

struct AUEventListenerRecord {
  AUEventListenerProc proc;
  void* refCon;
};

namespace {

struct Registration {
  AUEventListenerRef listener;
  void* object;
  AudioUnitEvent event;
};

struct Registry {
  std::mutex lock;
  std::vector<Registration> entries;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

bool SameTarget(const AudioUnitEvent& a, const AudioUnitEvent& b) {
  if (a.mEventType != b.mEventType) return false;
  if (a.mEventType == kAudioUnitEvent_PropertyChange) {
    const AudioUnitProperty& p = a.mArgument.mProperty;
    const AudioUnitProperty& q = b.mArgument.mProperty;
    return p.mAudioUnit == q.mAudioUnit && p.mPropertyID == q.mPropertyID && p.mScope == q.mScope &&
           p.mElement == q.mElement;
  }
  const AudioUnitParameter& p = a.mArgument.mParameter;
  const AudioUnitParameter& q = b.mArgument.mParameter;
  return p.mAudioUnit == q.mAudioUnit && p.mParameterID == q.mParameterID && p.mScope == q.mScope &&
         p.mElement == q.mElement;
}

// Does a registration for `wanted` receive the notified event `sent`?
bool Receives(const AudioUnitEvent& wanted, const AudioUnitEvent& sent) {
  if (wanted.mEventType == kAudioUnitEvent_PropertyChange || sent.mEventType == kAudioUnitEvent_PropertyChange ||
      wanted.mArgument.mParameter.mParameterID != kAUParameterListener_AnyParameter)
    return SameTarget(wanted, sent);
  AudioUnitEvent widened = sent;
  widened.mArgument.mParameter.mParameterID = kAUParameterListener_AnyParameter;
  return SameTarget(wanted, widened);
}

}  // namespace

OSStatus AUEventListenerCreate(AUEventListenerProc proc, void* refCon, AUEventListenerRef* out) {
  if (!out || !proc) return paramErr;
  *out = new AUEventListenerRecord{proc, refCon};
  return noErr;
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef listener, void* object, const AudioUnitEvent* event) {
  if (!listener || !event) return paramErr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  for (const Registration& r : registry.entries)
    if (r.listener == listener && SameTarget(r.event, *event)) return noErr;
  registry.entries.push_back({listener, object, *event});
  return noErr;
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef listener, void* object, const AudioUnitEvent* event) {
  if (!listener || !event) return paramErr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto& entries = registry.entries;
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const Registration& r) {
                                 return r.listener == listener && r.object == object && SameTarget(r.event, *event);
                               }),
                entries.end());
  return noErr;
}

OSStatus AUListenerDispose(AUEventListenerRef listener) {
  if (!listener) return paramErr;
  {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto& entries = registry.entries;
    entries.erase(
        std::remove_if(entries.begin(), entries.end(), [&](const Registration& r) { return r.listener == listener; }),
        entries.end());
  }
  delete listener;
  return noErr;
}

OSStatus AUEventListenerNotify(AUEventListenerRef sendingListener, void* sendingObject, const AudioUnitEvent* event) {
  if (!event) return paramErr;
  struct Delivery {
    AUEventListenerRecord record;
    void* object;
  };
  std::vector<Delivery> deliveries;
  {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (const Registration& r : registry.entries) {
      if (r.listener == sendingListener && r.object == sendingObject && sendingListener) continue;
      if (Receives(r.event, *event)) deliveries.push_back({*r.listener, r.object});
    }
  }
  AudioUnitParameterValue value = 0;
  if (!deliveries.empty() && event->mEventType == kAudioUnitEvent_ParameterValueChange) {
    const AudioUnitParameter& p = event->mArgument.mParameter;
    if (AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value) != noErr) value = 0;
  }
  for (const Delivery& d : deliveries) d.record.proc(d.record.refCon, d.object, event, 0, value);
  return noErr;
}
