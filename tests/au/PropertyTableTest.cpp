// The answer to the property-info call for every property id in every scope.

#include "AUTestUnit.h"

namespace {

constexpr OSStatus kOk = noErr;
constexpr OSStatus kBad = kAudioUnitErr_InvalidProperty;

struct Row {
  AudioUnitPropertyID id;
  AudioUnitElement element;
  OSStatus result[4];  // global, input, output, another scope (7)
  size_t size;         // when answered
  bool writable;
};

// The test plug-in: an instrument, "2-2", one input and one output bus, four
// automated parameters, no panel.
const Row kRows[] = {
    {kAudioUnitProperty_ClassInfo, 0, {kOk, kOk, kOk, kOk}, sizeof(CFPropertyListRef), true},
    {kAudioUnitProperty_MakeConnection, 0, {kOk, kOk, kBad, kBad}, sizeof(AudioUnitConnection), true},
    {kAudioUnitProperty_SampleRate, 0, {kOk, kOk, kOk, kOk}, sizeof(Float64), true},
    {kAudioUnitProperty_ParameterInfo, 0, {kOk, kBad, kBad, kBad}, sizeof(AudioUnitParameterInfo), false},
    {kAudioUnitProperty_ParameterInfo, 4, {kAudioUnitErr_InvalidElement, kBad, kBad, kBad}, 0, false},
    {kAudioUnitProperty_FastDispatch, kAudioUnitRenderSelect, {kOk, kOk, kOk, kOk}, sizeof(void*), false},
    {kAudioUnitProperty_FastDispatch, 0, {-10877, -10877, -10877, -10877}, 0, false},
    {kAudioUnitProperty_StreamFormat, 0, {kOk, kOk, kOk, kBad}, sizeof(AudioStreamBasicDescription), true},
    {kAudioUnitProperty_StreamFormat, 1, {kBad, kBad, kBad, kBad}, 0, false},
    {kAudioUnitProperty_ElementCount, 0, {kOk, kOk, kOk, kOk}, sizeof(UInt32), false},
    {kAudioUnitProperty_Latency, 0, {kOk, kBad, kBad, kBad}, sizeof(Float64), false},
    {kAudioUnitProperty_SupportedNumChannels, 0, {kOk, kBad, kBad, kBad}, sizeof(AUChannelInfo), false},
    {kAudioUnitProperty_MaximumFramesPerSlice, 0, {kOk, kBad, kBad, kBad}, sizeof(UInt32), true},
    {kAudioUnitProperty_ParameterValueStrings, AUTestPlug::kGain, {kBad, kBad, kBad, kBad}, 0, false},
    {kAudioUnitProperty_ParameterValueStrings, AUTestPlug::kMode, {kOk, kBad, kBad, kBad}, sizeof(CFArrayRef), false},
    {kAudioUnitProperty_ParameterValueStrings, 4, {-10877, kBad, kBad, kBad}, 0, false},
    {kAudioUnitProperty_GetUIComponentList, 0, {kBad, kBad, kBad, kBad}, 0, false},
    {kAudioUnitProperty_AudioChannelLayout, 0, {-10851, -10851, -10851, -10851}, 0, false},
    {kAudioUnitProperty_TailTime, 0, {kOk, kBad, kBad, kBad}, sizeof(Float64), false},
    {kAudioUnitProperty_BypassEffect, 0, {kOk, kBad, kBad, kBad}, sizeof(UInt32), true},
    {kAudioUnitProperty_LastRenderError, 0, {kOk, kBad, kBad, kBad}, sizeof(OSStatus), false},
    {kAudioUnitProperty_SetRenderCallback, 0, {kOk, kOk, kBad, kBad}, sizeof(AURenderCallbackStruct), true},
    {kAudioUnitProperty_SetRenderCallback, 1, {kBad, kBad, kBad, kBad}, 0, false},
    {kAudioUnitProperty_FactoryPresets, 0, {kOk, kOk, kOk, kOk}, sizeof(CFArrayRef), false},
    {kAudioUnitProperty_HostCallbacks, 0, {kOk, kBad, kBad, kBad}, sizeof(HostCallbackInfo), true},
    {kAudioUnitProperty_CurrentPreset, 0, {kOk, kOk, kOk, kOk}, sizeof(AUPreset), true},
    {kAudioUnitProperty_ElementName, 0, {kBad, kBad, kBad, kBad}, sizeof(CFStringRef), false},
    {kAudioUnitProperty_CocoaUI, 0, {kBad, kBad, kBad, kBad}, 0, false},
    {kAudioUnitProperty_SupportedChannelLayoutTags, 0, {kBad, kBad, kBad, kBad}, 0, false},
    {kAudioUnitProperty_ParameterStringFromValue,
     0,
     {kOk, kOk, kOk, kOk},
     sizeof(AudioUnitParameterStringFromValue),
     false},
    {kAudioUnitProperty_ParameterIDName, 0, {kOk, kOk, kOk, kOk}, sizeof(AudioUnitParameterIDName), false},
    {kAudioUnitProperty_ParameterClumpName, 0, {kOk, kOk, kOk, kOk}, sizeof(AudioUnitParameterNameInfo), false},
    {kAudioUnitProperty_PresentPreset, 0, {kOk, kOk, kOk, kOk}, sizeof(AUPreset), true},
    {kAudioUnitProperty_ParameterValueFromString,
     0,
     {kOk, kOk, kOk, kOk},
     sizeof(AudioUnitParameterValueFromString),
     false},
    {kMusicDeviceProperty_InstrumentCount, 0, {kOk, kBad, kBad, kBad}, sizeof(UInt32), false},
};

const AudioUnitScope kScopes[4] = {kAudioUnitScope_Global, kAudioUnitScope_Input, kAudioUnitScope_Output, 7};

TEST(PropertyTable, InfoCallAnswersEveryListedPropertyInEveryScope) {
  AUTestUnit u;
  for (const Row& row : kRows) {
    for (int s = 0; s < 4; ++s) {
      UInt32 size = 12345;
      Boolean writable = true;
      const OSStatus result = AudioUnitGetPropertyInfo(u.unit, row.id, kScopes[s], row.element, &size, &writable);
      SCOPED_TRACE("property " + std::to_string(row.id) + " element " + std::to_string(row.element) + " scope " +
                   std::to_string(kScopes[s]));
      EXPECT_EQ(result, row.result[s]);
      if (result == noErr || row.id == kAudioUnitProperty_ElementName) {
        EXPECT_EQ(size, row.size);
        EXPECT_EQ(bool(writable), row.writable);
      } else {
        EXPECT_FALSE(writable);
      }
    }
  }
}

TEST(PropertyTable, ParameterListCountsOnlyAutomatedParametersAndOnlyInTheGlobalScope) {
  AUTestUnit u;
  UInt32 size = 0;
  Boolean writable = true;
  EXPECT_EQ(
      AudioUnitGetPropertyInfo(u.unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Input, 0, &size, &writable),
      noErr);
  EXPECT_EQ(size, 0u);
  AudioUnitParameterID ids[8] = {};
  size = sizeof ids;
  ASSERT_EQ(AudioUnitGetProperty(u.unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids, &size),
            noErr);
  ASSERT_EQ(size, 4 * sizeof(AudioUnitParameterID));
  for (UInt32 i = 0; i < 4; ++i) EXPECT_EQ(ids[i], i);
}

TEST(PropertyTable, EveryUnlistedIdIsAnInvalidProperty) {
  AUTestUnit u;
  for (AudioUnitPropertyID id : {6u, 7u, 9u, 10u, 15u, 17u, 25u, 26u, 29u, 37u, 39u, 45u, 46u, 47u, 999u, 1001u}) {
    for (AudioUnitScope scope : kScopes) {
      UInt32 size = 0;
      Boolean writable = false;
      EXPECT_EQ(AudioUnitGetPropertyInfo(u.unit, id, scope, 0, &size, &writable), kAudioUnitErr_InvalidProperty) << id;
    }
  }
}

TEST(PropertyTable, InfoCallWithoutSizeOrWritablePointersStillAnswers) {
  AUTestUnit u;
  EXPECT_EQ(
      AudioUnitGetPropertyInfo(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, nullptr, nullptr),
      noErr);
}

}  // namespace
