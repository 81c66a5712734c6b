// The component entry as a host calls it: selectors, listeners, notifications,
// parameter scheduling and host MIDI.

#include <vector>

#include "AUTestUnit.h"

namespace {

TEST(EntryDispatch, CanDoAnswersTheServedAudioUnitSelectorsOnly) {
  AUTestUnit u;
  for (int s : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17})
    EXPECT_EQ(CallComponent(u.unit, kComponentCanDoSelect, SInt16(s)), 1) << s;
  for (int s : {0, 8, 12, 13, 18, 19, 0x101, 0x102, 0x105, -1, -2})
    EXPECT_EQ(CallComponent(u.unit, kComponentCanDoSelect, SInt16(s)), 0) << s;
}

TEST(EntryDispatch, VersionIsThePackedVendorVersion) {
  AUTestUnit u;
  EXPECT_EQ(CallComponent(u.unit, kComponentVersionSelect), 0x20200);
}

TEST(EntryDispatch, UnknownSelectorsAreRefused) {
  AUTestUnit u;
  for (int s : {0, 8, 12, 13, 19, 0x100, 0x107, 0x301, -5})
    EXPECT_EQ(CallComponent(u.unit, SInt16(s)), badComponentSelector) << s;
}

TEST(EntryDispatch, CallsWithoutAnOpenInstanceAreRefused) {
  ComponentParameters block{};
  block.what = kAudioUnitInitializeSelect;
  EXPECT_EQ(Tavro_Entry(&block, nullptr), badComponentInstance);
  EXPECT_EQ(Tavro_Entry(nullptr, nullptr), paramErr);
}

TEST(EntryDispatch, OpenStoresThePlugInAndItsInstance) {
  AUTestUnit u;
  ASSERT_NE(u.Plug(), nullptr);
  EXPECT_EQ(u.Plug()->GetComponentInstance(), u.unit);
  EXPECT_EQ(u.Plug()->GetHost(), kHostUnknown);  // the test program has no bundle identifier
  EXPECT_STREQ(u.Plug()->GetBundleID(), "com.Orvane.audiounit.Tavro Editor");
  EXPECT_STREQ(u.Plug()->GetCocoaViewFactoryClassName(), "Tavro_View");
}

TEST(EntryDispatch, InitializeRefusesAnIllegalChannelConfiguration) {
  AUTestUnit u;
  // A "2-2" plug-in: a mono output bus is refused and left at 0 host channels,
  // and 0 outputs is no legal pair, so initialising is refused too.
  AudioStreamBasicDescription format;
  IModuleAU::MakeDefaultASBD(&format, 44100.0, 1, false);
  EXPECT_EQ(
      AudioUnitSetProperty(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, sizeof format),
      kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(u.Plug()->GetBus(kAudioUnitScope_Output, 0)->mNHostChannels, 0);
  EXPECT_EQ(AudioUnitInitialize(u.unit), badComponentSelector);
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  EXPECT_EQ(AudioUnitInitialize(u.unit), noErr);
  // Three input channels never pair with two outputs.
  IModuleAU::MakeDefaultASBD(&format, 44100.0, 3, false);
  EXPECT_EQ(
      AudioUnitSetProperty(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &format, sizeof format),
      kAudioUnitErr_InvalidProperty);
}

TEST(EntryDispatch, InitializeResetsAndActivates) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  const int resets = u.Plug()->ResetCount();
  EXPECT_EQ(AudioUnitInitialize(u.unit), noErr);
  EXPECT_EQ(u.Plug()->ResetCount(), resets + 1);
  EXPECT_EQ(AudioUnitReset(u.unit, kAudioUnitScope_Global, 0), noErr);
  EXPECT_EQ(u.Plug()->ResetCount(), resets + 2);
}

struct ListenerLog {
  std::vector<std::pair<AudioUnitPropertyID, void*>> calls;
};

void ListenA(void* log, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement element) {
  EXPECT_EQ(element, 0u);
  static_cast<ListenerLog*>(log)->calls.push_back({id, reinterpret_cast<void*>(&ListenA)});
}

void ListenB(void* log, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement) {
  static_cast<ListenerLog*>(log)->calls.push_back({id, reinterpret_cast<void*>(&ListenB)});
}

TEST(EntryDispatch, AddingTheSameListenerTwiceKeepsOne) {
  AUTestUnit u;
  ListenerLog log, other;
  const UInt32 frames = 256;
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenA, &log), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenA, &other), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenB, &log), noErr);
  ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames,
                                 sizeof frames),
            noErr);
  EXPECT_EQ(log.calls.size(), 2u);  // ListenA once (with the first user data), ListenB once
  EXPECT_TRUE(other.calls.empty());
}

TEST(EntryDispatch, ListenersHearEvenRefusedAndUnsupportedSets) {
  AUTestUnit u;
  ListenerLog log;
  const UInt32 value = 1;
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit, 9, ListenA, &log), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenA, &log), noErr);
  EXPECT_EQ(AudioUnitSetProperty(u.unit, 9, kAudioUnitScope_Global, 0, &value, sizeof value),
            kAudioUnitErr_InvalidProperty);
  const UInt32 zero = 0;
  EXPECT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &zero,
                                 sizeof zero),
            kAudioUnitErr_InvalidPropertyValue);
  ASSERT_EQ(log.calls.size(), 2u);
  EXPECT_EQ(log.calls[0].first, 9u);
}

TEST(EntryDispatch, RemovingListenersByProcedureAndByUserData) {
  AUTestUnit u;
  ListenerLog log, other;
  const UInt32 frames = 128;
  auto set = [&] {
    return AudioUnitSetProperty(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames,
                                sizeof frames);
  };
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenA, &log), noErr);
  // With other user data nothing matches: the list stays as it was.
  EXPECT_EQ(
      AudioUnitRemovePropertyListenerWithUserData(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenA, &other),
      noErr);
  set();
  EXPECT_EQ(log.calls.size(), 1u);
  EXPECT_EQ(
      AudioUnitRemovePropertyListenerWithUserData(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenA, &log),
      noErr);
  set();
  EXPECT_EQ(log.calls.size(), 1u);
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenB, &log), noErr);
  EXPECT_EQ(AudioUnitRemovePropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenA), noErr);
  EXPECT_EQ(AudioUnitRemovePropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenB), noErr);
  set();
  EXPECT_EQ(log.calls.size(), 1u);
}

TEST(EntryDispatch, ScheduleParametersAppliesImmediateEventsOnly) {
  AUTestUnit u;
  AudioUnitParameterEvent events[3] = {};
  events[0].parameter = AUTestPlug::kGain;
  events[0].eventType = kParameterEvent_Ramped;
  events[0].eventValues.ramp.endValue = 10.0f;
  events[1].parameter = AUTestPlug::kChannel;
  events[1].eventType = kParameterEvent_Immediate;
  events[1].eventValues.immediate.value = 9.0f;
  events[2].parameter = 999;  // no such parameter: stops the loop with its result
  events[2].eventType = kParameterEvent_Immediate;
  EXPECT_EQ(AudioUnitScheduleParameters(u.unit, events, 2), noErr);
  EXPECT_EQ(u.Plug()->GetParam(AUTestPlug::kGain)->Value(), 50.0);
  EXPECT_EQ(u.Plug()->GetParam(AUTestPlug::kChannel)->Value(), 9.0);
  EXPECT_EQ(AudioUnitScheduleParameters(u.unit, events, 3), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitScheduleParameters(u.unit, nullptr, 1), paramErr);
}

TEST(EntryDispatch, HostMidiReachesThePlugIn) {
  AUTestUnit u;
  EXPECT_EQ(MusicDeviceMIDIEvent(u.unit, 0x90, 60, 100, 0), noErr);
  const UInt8 sysex[] = {0xF0, 0x41, 0x10, 0xF7};
  EXPECT_EQ(MusicDeviceSysEx(u.unit, sysex, sizeof sysex), noErr);
  EXPECT_EQ(u.Plug()->GetParam(AUTestPlug::kMidiCount)->Value(), 2.0);
  EXPECT_EQ(u.Plug()->LastSysExSize(), 4);
  EXPECT_EQ(MusicDeviceSysEx(u.unit, nullptr, 4), paramErr);
}

TEST(EntryDispatch, StartNoteWritesThePitchAndNothingElse) {
  AUTestUnit u;
  MusicDeviceNoteParams note{2, 64.7f, 100.0f};
  NoteInstanceID id = 0;
  EXPECT_EQ(MusicDeviceStartNote(u.unit, 0, 0, &id, 0, &note), noErr);
  EXPECT_EQ(id, 64u);
  EXPECT_EQ(MusicDeviceStartNote(u.unit, 0, 0, nullptr, 0, &note), noErr);
  EXPECT_EQ(MusicDeviceStopNote(u.unit, 0, id, 0), noErr);
  EXPECT_EQ(u.Plug()->GetParam(AUTestPlug::kMidiCount)->Value(), 0.0);
}

OSStatus SilentInput(void* pulls, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                     AudioBufferList*) {
  ++*static_cast<int*>(pulls);
  return noErr;
}

// What close does to the buses before the object goes.
TEST(EntryDispatch, ClearingConnectionsResetsEveryBusAndForgetsTheInputs) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  int pulls = 0;
  AURenderCallbackStruct callback{SilentInput, &pulls};
  ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                                 sizeof callback),
            noErr);
  IModuleAU* plug = u.Plug();
  ASSERT_TRUE(plug->GetBus(kAudioUnitScope_Input, 0)->mConnected);
  ASSERT_EQ(plug->GetBus(kAudioUnitScope_Input, 0)->mNHostChannels, 2);
  ASSERT_EQ(plug->GetBus(kAudioUnitScope_Output, 0)->mNHostChannels, 2);

  plug->ClearConnections();
  for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output}) {
    EXPECT_FALSE(plug->GetBus(scope, 0)->mConnected) << scope;
    EXPECT_EQ(plug->GetBus(scope, 0)->mNHostChannels, -1) << scope;
  }
  plug->AssessInputConnections();  // the host's callback is gone with the connection
  EXPECT_FALSE(plug->GetBus(kAudioUnitScope_Input, 0)->mConnected);
  EXPECT_FALSE(plug->IsInChannelConnected(0));
  EXPECT_EQ(pulls, 0);
}

TEST(EntryDispatch, CloseFreesTheInstanceStorage) {
  ComponentInstance unit = nullptr;
  ASSERT_EQ(OpenAComponent(&TestPlugComponent(), &unit), noErr);
  ASSERT_NE(GetComponentInstanceStorage(unit), nullptr);
  EXPECT_EQ(CloseComponent(unit), noErr);  // the sanitizer build checks that nothing is left
}

}  // namespace
