// Parameter gestures and changes reach the listeners a host registered.

#include <vector>

#include "AUEventListener.h"
#include "AUTestUnit.h"

namespace {

struct Heard {
  AudioUnitEventType type;
  AudioUnitParameterID param;
  AudioUnit unit;
  AudioUnitParameterValue value;
};

void Record(void* log, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value) {
  static_cast<std::vector<Heard>*>(log)->push_back(
      {event->mEventType, event->mArgument.mParameter.mParameterID, event->mArgument.mParameter.mAudioUnit, value});
}

AudioUnitEvent ParameterEvent(AudioUnitEventType type, AudioUnit unit, AudioUnitParameterID param) {
  AudioUnitEvent event = {};
  event.mEventType = type;
  event.mArgument.mParameter = {unit, param, kAudioUnitScope_Global, 0};
  return event;
}

TEST(EventListener, GesturesAndChangesReachTheListenersOfThatUnit) {
  AUTestUnit u, other;
  std::vector<Heard> log, otherLog;
  AUEventListenerRef listener = nullptr, otherListener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(Record, &log, &listener), noErr);
  ASSERT_EQ(AUEventListenerCreate(Record, &otherLog, &otherListener), noErr);
  for (auto type : {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                    kAudioUnitEvent_EndParameterChangeGesture}) {
    AudioUnitEvent event = ParameterEvent(type, u.unit, kAUParameterListener_AnyParameter);
    ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &event), noErr);
    ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &event), noErr);  // once is enough
    AudioUnitEvent elsewhere = ParameterEvent(type, other.unit, AUTestPlug::kGain);
    ASSERT_EQ(AUEventListenerAddEventType(otherListener, nullptr, &elsewhere), noErr);
  }
  ASSERT_EQ(AudioUnitSetParameter(u.unit, AUTestPlug::kChannel, kAudioUnitScope_Global, 0, 7.0f, 0), noErr);
  u.Plug()->BeginInformHostOfParamChange(AUTestPlug::kChannel);
  u.Plug()->InformHostOfParamChange(AUTestPlug::kChannel, 0.4);
  u.Plug()->EndInformHostOfParamChange(AUTestPlug::kChannel);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].type, kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(log[1].type, kAudioUnitEvent_ParameterValueChange);
  EXPECT_EQ(log[1].value, 7.0f);  // read from the unit, not taken from the call
  EXPECT_EQ(log[2].type, kAudioUnitEvent_EndParameterChangeGesture);
  for (const Heard& h : log) {
    EXPECT_EQ(h.param, UInt32(AUTestPlug::kChannel));
    EXPECT_EQ(h.unit, u.unit);
  }
  EXPECT_TRUE(otherLog.empty());

  other.Plug()->SendAUEvent(kAudioUnitEvent_ParameterValueChange, other.unit, AUTestPlug::kGain);
  other.Plug()->SendAUEvent(kAudioUnitEvent_ParameterValueChange, other.unit, AUTestPlug::kMode);
  ASSERT_EQ(otherLog.size(), 1u);
  EXPECT_EQ(otherLog[0].value, 50.0f);

  EXPECT_EQ(AUListenerDispose(listener), noErr);
  u.Plug()->BeginInformHostOfParamChange(AUTestPlug::kChannel);
  EXPECT_EQ(log.size(), 3u);
  EXPECT_EQ(AUListenerDispose(otherListener), noErr);
}

TEST(EventListener, RemovedEventTypesAreNoLongerDelivered) {
  AUTestUnit u;
  std::vector<Heard> log;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(Record, &log, &listener), noErr);
  AudioUnitEvent begin = ParameterEvent(kAudioUnitEvent_BeginParameterChangeGesture, u.unit, AUTestPlug::kGain);
  ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &begin), noErr);
  u.Plug()->BeginInformHostOfParamChange(AUTestPlug::kGain);
  ASSERT_EQ(AUEventListenerRemoveEventType(listener, nullptr, &begin), noErr);
  u.Plug()->BeginInformHostOfParamChange(AUTestPlug::kGain);
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(AUListenerDispose(listener), noErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, nullptr), paramErr);
  EXPECT_EQ(AUEventListenerCreate(nullptr, nullptr, &listener), paramErr);
}

struct PropertyLog {
  std::vector<AudioUnitPropertyID> ids;
};

void PropertyHeard(void* log, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement) {
  static_cast<PropertyLog*>(log)->ids.push_back(id);
}

TEST(EventListener, PresetAndLatencyChangesCallTheirPropertyListeners) {
  AUTestUnit u;
  PropertyLog log;
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_PresentPreset, PropertyHeard, &log), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_Latency, PropertyHeard, &log), noErr);
  u.Plug()->InformHostOfProgramChange();
  u.Plug()->SetLatency(256);
  ASSERT_EQ(log.ids.size(), 2u);
  EXPECT_EQ(log.ids[0], kAudioUnitProperty_PresentPreset);
  EXPECT_EQ(log.ids[1], kAudioUnitProperty_Latency);
  EXPECT_EQ(u.Plug()->GetLatency(), 256);
}

}  // namespace
