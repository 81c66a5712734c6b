#pragma once
// Opens the test plug-in through its exported entry, as a host does, and
// closes it again.

#include <gtest/gtest.h>

#include "AUTestPlug.h"
#include "AudioUnitAPI.h"

extern "C" ComponentResult Tavro_Entry(ComponentParameters* params, void* storage);
extern "C" ComponentResult Tavro_ViewEntry(ComponentParameters* params, void* storage);

inline const ComponentRecord& TestPlugComponent() {
  static const ComponentRecord record{{kAudioUnitType_MusicDevice, FourCC("tvrq"), FourCC("Orv1"), 0, 0}, &Tavro_Entry};
  return record;
}

class AUTestUnit {
public:
  AUTestUnit() { EXPECT_EQ(OpenAComponent(&TestPlugComponent(), &unit), noErr); }
  ~AUTestUnit() {
    if (unit) CloseComponent(unit);
  }
  AUTestUnit(const AUTestUnit&) = delete;
  AUTestUnit& operator=(const AUTestUnit&) = delete;

  AUTestPlug* Plug() const { return static_cast<AUTestPlug*>(GetComponentInstanceStorage(unit)); }

  // Sets a stereo float output format on output bus 0.
  OSStatus SetStereoOutput() {
    AudioStreamBasicDescription format;
    IModuleAU::MakeDefaultASBD(&format, 48000.0, 2, false);
    return AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                sizeof format);
  }

  // The render call a host takes through fast dispatch, which skips the entry; null
  // when the unit does not offer it.
  AudioUnitRenderProc FastRender() const {
    AudioUnitRenderProc render = nullptr;
    UInt32 size = sizeof render;
    const OSStatus got = AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                              kAudioUnitRenderSelect, &render, &size);
    return got == noErr ? render : nullptr;
  }

  AudioUnit unit = nullptr;
};
