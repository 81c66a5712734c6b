#include "AudioUnitAPI.h"

OSStatus AudioUnitInitialize(AudioUnit unit) { return CallComponent(unit, kAudioUnitInitializeSelect); }

OSStatus AudioUnitUninitialize(AudioUnit unit) { return CallComponent(unit, kAudioUnitUninitializeSelect); }

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* dataSize, Boolean* writable) {
  return CallComponent(unit, kAudioUnitGetPropertyInfoSelect, id, scope, element, dataSize, writable);
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* data, UInt32* dataSize) {
  return CallComponent(unit, kAudioUnitGetPropertySelect, id, scope, element, data, dataSize);
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* data, UInt32 dataSize) {
  return CallComponent(unit, kAudioUnitSetPropertySelect, id, scope, element, data, dataSize);
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue* value) {
  return CallComponent(unit, kAudioUnitGetParameterSelect, id, scope, element, value);
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue value, UInt32 bufferOffset) {
  return CallComponent(unit, kAudioUnitSetParameterSelect, id, scope, element, value, bufferOffset);
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 count) {
  return CallComponent(unit, kAudioUnitScheduleParametersSelect, events, count);
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element) {
  return CallComponent(unit, kAudioUnitResetSelect, scope, element);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* userData) {
  return CallComponent(unit, kAudioUnitAddPropertyListenerSelect, id, proc, userData);
}

OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc) {
  return CallComponent(unit, kAudioUnitRemovePropertyListenerSelect, id, proc);
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* userData) {
  return CallComponent(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect, id, proc, userData);
}

OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon) {
  return CallComponent(unit, kAudioUnitAddRenderNotifySelect, proc, refCon);
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon) {
  return CallComponent(unit, kAudioUnitRemoveRenderNotifySelect, proc, refCon);
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timeStamp,
                         UInt32 outputBusNumber, UInt32 frames, AudioBufferList* data) {
  return CallComponent(unit, kAudioUnitRenderSelect, actionFlags, timeStamp, outputBusNumber, frames, data);
}

OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame) {
  return CallComponent(unit, kMusicDeviceMIDIEventSelect, status, data1, data2, offsetSampleFrame);
}

OSStatus MusicDeviceSysEx(AudioUnit unit, const UInt8* data, UInt32 length) {
  return CallComponent(unit, kMusicDeviceSysExSelect, data, length);
}

OSStatus MusicDeviceStartNote(AudioUnit unit, MusicDeviceInstrumentID instrument, MusicDeviceGroupID group,
                              NoteInstanceID* noteInstance, UInt32 offsetSampleFrame,
                              const MusicDeviceNoteParams* params) {
  return CallComponent(unit, kMusicDeviceStartNoteSelect, instrument, group, noteInstance, offsetSampleFrame, params);
}

OSStatus MusicDeviceStopNote(AudioUnit unit, MusicDeviceGroupID group, NoteInstanceID noteInstance,
                             UInt32 offsetSampleFrame) {
  return CallComponent(unit, kMusicDeviceStopNoteSelect, group, noteInstance, offsetSampleFrame);
}
