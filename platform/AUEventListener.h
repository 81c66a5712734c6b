#pragma once
// Stand-in for the Audio Unit event listeners: a host registers listeners for
// parameter gestures and value changes of a unit; the unit announces them with
// AUEventListenerNotify.
//
// Delivery is synchronous on the notifying thread (the platform queues to the
// listener's run loop); a listener must not dispose itself from its own callback.
// threads: any (the registry has a lock; callbacks run outside it).

#include "AudioUnitAPI.h"

enum AudioUnitEventType : UInt32 {
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3,
};

// Matches every parameter of the unit when registered as the parameter id.
constexpr AudioUnitParameterID kAUParameterListener_AnyParameter = 0xFFFFFFFFu;

struct AudioUnitParameter {
  AudioUnit mAudioUnit;
  AudioUnitParameterID mParameterID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};

struct AudioUnitProperty {
  AudioUnit mAudioUnit;
  AudioUnitPropertyID mPropertyID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};

struct AudioUnitEvent {
  AudioUnitEventType mEventType;
  union {
    AudioUnitParameter mParameter;
    AudioUnitProperty mProperty;
  } mArgument;
};

// For a value change the parameter's current value is read from the unit and
// passed along; other events carry 0.
using AUEventListenerProc = void (*)(void* refCon, void* object, const AudioUnitEvent* event, UInt64 eventHostTime,
                                     AudioUnitParameterValue parameterValue);

struct AUEventListenerRecord;
using AUEventListenerRef = AUEventListenerRecord*;

OSStatus AUEventListenerCreate(AUEventListenerProc proc, void* refCon, AUEventListenerRef* out);
OSStatus AUEventListenerAddEventType(AUEventListenerRef listener, void* object, const AudioUnitEvent* event);
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef listener, void* object, const AudioUnitEvent* event);
OSStatus AUListenerDispose(AUEventListenerRef listener);
// Delivers the event to every listener registered for it, except the sender.
OSStatus AUEventListenerNotify(AUEventListenerRef sendingListener, void* sendingObject, const AudioUnitEvent* event);
