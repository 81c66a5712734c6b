// What the plug-in tells the host (parameter gestures, preset and latency
// changes), host identification, and MIDI output on the hardware port.

#include "AUEventListener.h"
#include "Framework/IModuleAU.h"

void IModuleAU::SendAUEvent(UInt32 eventType, AudioUnit unit, int paramIdx) {
  AudioUnitEvent event = {};
  event.mEventType = AudioUnitEventType(eventType);
  event.mArgument.mParameter = {unit, AudioUnitParameterID(paramIdx), kAudioUnitScope_Global, 0};
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IModuleAU::BeginInformHostOfParamChange(int paramIdx) {
  SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, mCI, paramIdx);
}

void IModuleAU::InformHostOfParamChange(int paramIdx, double) {
  SendAUEvent(kAudioUnitEvent_ParameterValueChange, mCI, paramIdx);
}

void IModuleAU::EndInformHostOfParamChange(int paramIdx) {
  SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, mCI, paramIdx);
}

void IModuleAU::InformHostOfProgramChange() { CallPropertyListeners(kAudioUnitProperty_PresentPreset, 0); }

void IModuleAU::SetLatency(int samples) {
  CallPropertyListeners(kAudioUnitProperty_Latency, 0);
  IModuleBase::SetLatency(samples);
}

EHost IModuleAU::GetHost() {
  if (mHost != kHostUninit) return mHost;
  CFBundleRef main = CFBundleGetMainBundle();
  CFStringRef id = main ? CFBundleGetIdentifier(main) : nullptr;
  if (id) {
    SetHost(CFStringGetCStringPtr(id, kCFStringEncodingUTF8), 0);
    if (mHost > kHostUnknown) return mHost;
  }
  SetHost("", 0);
  return mHost;
}

void IModuleAU::HostSpecificInit() {
  GetHost();
  OnHostIdentified();
}

void IModuleAU::ResizeGraphics(int, int) {
  if (GetGUI()) OnWindowResize();
}

bool IModuleAU::SendMidiMsg(IMidiMsg* msg) { return msg && GetMidiPorts().SendMidiMsg(*msg); }

bool IModuleAU::SendMidiSysex(unsigned char* data, int size) { return GetMidiPorts().SendMidiSysex(data, size); }

bool IModuleAU::SendPatchSysex(unsigned char* data, int size) { return GetMidiPorts().SendPatchSysex(data, size); }

bool IModuleAU::SendMidiSysex2(std::vector<unsigned char> data) { return GetMidiPorts().SendMidiSysex2(data); }
