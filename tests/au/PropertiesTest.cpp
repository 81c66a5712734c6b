// Getting and setting properties with data: values, size checks, texts cut to
// their fields, ids out of range.

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "AUTestUnit.h"
#include "CFTestText.h"
#include "Framework/IGraphicsMac.h"

namespace {

template <typename T>
OSStatus Get(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T& value) {
  UInt32 size = sizeof(T);
  return AudioUnitGetProperty(unit, id, scope, element, &value, &size);
}

template <typename T>
OSStatus Set(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const T& value) {
  return AudioUnitSetProperty(unit, id, scope, element, &value, sizeof(T));
}

TEST(Properties, TooSmallABufferIsRefusedAndLeftUntouched) {
  AUTestUnit u;
  UInt32 room[1] = {0xAAAAAAAA};
  UInt32 size = sizeof room;  // a Float64 needs 8
  EXPECT_EQ(AudioUnitGetProperty(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, room, &size),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(room[0], 0xAAAAAAAAu);
  EXPECT_EQ(size, sizeof(Float64));
  Float64 rate = 0;
  EXPECT_EQ(AudioUnitGetProperty(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, nullptr),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(rate, 0.0);
  AudioUnitParameterID ids[2];
  size = sizeof ids;  // four parameters need 16 bytes
  EXPECT_EQ(AudioUnitGetProperty(u.unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids, &size),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST(Properties, SetsCheckTheSizeAndThePointerBeforeReading) {
  AUTestUnit u;
  const UInt16 small = 256;
  EXPECT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &small,
                                 sizeof small),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, nullptr, 8),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, nullptr, 0),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(u.Plug()->GetBlockSize(), 1024);
}

TEST(Properties, SampleRateAndBlockSizeResetThePlugIn) {
  AUTestUnit u;
  const int resets = u.Plug()->ResetCount();
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, Float64(96000)), noErr);
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, UInt32(256)), noErr);
  EXPECT_EQ(u.Plug()->ResetCount(), resets + 2);
  Float64 rate = 0;
  UInt32 frames = 0;
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, rate), noErr);
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, frames), noErr);
  EXPECT_EQ(rate, 96000.0);
  EXPECT_EQ(frames, 256u);
}

TEST(Properties, SampleRatesNoHardwareRunsAtAreRefusedAndTheOldRateKept) {
  AUTestUnit u;
  ASSERT_EQ(Set(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, Float64(96000)), noErr);
  const int resets = u.Plug()->ResetCount();
  for (Float64 bad : {std::nan(""), 0.0, -44100.0, 1e-300, IModuleAU::kMinSampleRate - 1, IModuleAU::kMaxSampleRate * 2,
                      HUGE_VAL, -HUGE_VAL}) {
    EXPECT_EQ(Set(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, bad),
              kAudioUnitErr_InvalidPropertyValue)
        << bad;
    EXPECT_EQ(u.Plug()->GetSampleRate(), 96000.0) << bad;
  }
  EXPECT_EQ(u.Plug()->ResetCount(), resets);
  Float64 latency = -1;
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, latency), noErr);
  EXPECT_LE(latency, 1.0);

  // The same rates in a stream format refuse the format; 0 names no rate.
  AudioStreamBasicDescription format{};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format), noErr);
  for (Float64 bad : {std::nan(""), -1.0, 1e-300}) {
    format.mSampleRate = bad;
    EXPECT_EQ(Set(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format),
              kAudioUnitErr_InvalidProperty)
        << bad;
  }
  format.mSampleRate = 0;
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format), noErr);
  EXPECT_EQ(u.Plug()->GetSampleRate(), 96000.0);

  for (Float64 edge : {IModuleAU::kMinSampleRate, IModuleAU::kMaxSampleRate}) {
    EXPECT_EQ(Set(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, edge), noErr);
    EXPECT_EQ(u.Plug()->GetSampleRate(), edge);
  }
}

TEST(Properties, BlockSizesOfZeroOrBeyondTheMaximumAreRefused) {
  AUTestUnit u;
  for (UInt32 bad : {0u, UInt32(IModuleAU::kMaxBlockSize) + 1, 0xFFFFFFFFu})
    EXPECT_EQ(Set(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, bad),
              kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(u.Plug()->GetBlockSize(), 1024);
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                UInt32(IModuleAU::kMaxBlockSize)),
            noErr);
  EXPECT_EQ(u.Plug()->GetBlockSize(), IModuleAU::kMaxBlockSize);
}

TEST(Properties, StreamFormatDescribesTheBusAndTakesTheHostsChannels) {
  AUTestUnit u;
  AudioStreamBasicDescription format{};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format), noErr);
  EXPECT_EQ(format.mSampleRate, 44100.0);
  EXPECT_EQ(format.mFormatID, kAudioFormatLinearPCM);
  EXPECT_EQ(format.mFormatFlags, 41u);
  EXPECT_EQ(format.mChannelsPerFrame, 2u);
  EXPECT_EQ(format.mBytesPerFrame, 4u);
  EXPECT_EQ(format.mBitsPerChannel, 32u);

  format.mChannelsPerFrame = 0;
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(u.Plug()->GetBus(kAudioUnitScope_Output, 0)->mNHostChannels, 0);
  format.mChannelsPerFrame = 2;
  format.mFormatID = FourCC("aac ");
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format),
            kAudioUnitErr_InvalidProperty);
  format.mFormatID = kAudioFormatLinearPCM;
  format.mSampleRate = 48000.0;
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format), noErr);
  EXPECT_EQ(u.Plug()->GetBus(kAudioUnitScope_Output, 0)->mNHostChannels, 2);
  EXPECT_EQ(u.Plug()->GetSampleRate(), 48000.0);
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 1, format),
            kAudioUnitErr_InvalidProperty);
}

TEST(Properties, ElementNamesAreTheBusLabels) {
  AUTestUnit u;
  CFStringRef name = nullptr;
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 1, name), noErr);
  EXPECT_EQ(Text(name), "aux input");
  CFRelease(name);
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, name), noErr);
  EXPECT_EQ(Text(name), "input");
  CFRelease(name);
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 0, name), noErr);
  EXPECT_EQ(Text(name), "output 1");
  CFRelease(name);
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 2, name), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 1, name), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Global, 0, name), kAudioUnitErr_InvalidScope);
}

TEST(Properties, CountsLatencyChannelsAndInstrument) {
  AUTestUnit u;
  UInt32 count = 0;
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Global, 0, count), noErr);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, count), noErr);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Get(u.unit, 11, 9, 0, count), noErr);
  EXPECT_EQ(count, 0u);
  Float64 latency = 0;
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, latency), noErr);
  EXPECT_DOUBLE_EQ(latency, 128.0 / 44100.0);
  AUChannelInfo pairs[2] = {};
  UInt32 size = sizeof pairs;
  EXPECT_EQ(
      AudioUnitGetProperty(u.unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, pairs, &size),
      noErr);
  EXPECT_EQ(size, sizeof(AUChannelInfo));
  EXPECT_EQ(pairs[0].inChannels, 2);
  EXPECT_EQ(pairs[0].outChannels, 2);
  EXPECT_EQ(Get(u.unit, kMusicDeviceProperty_InstrumentCount, kAudioUnitScope_Global, 0, count), noErr);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Get(u.unit, kMusicDeviceProperty_InstrumentCount, kAudioUnitScope_Output, 0, count),
            kAudioUnitErr_InvalidProperty);
}

TEST(Properties, ParameterInfoDescribesEachAutomatedParameter) {
  AUTestUnit u;
  AudioUnitParameterInfo info;
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, AUTestPlug::kGain, info), noErr);
  EXPECT_STREQ(info.name, "Gain");
  EXPECT_EQ(Text(info.cfNameString), "Gain");
  EXPECT_EQ(info.unit, kAudioUnitParameterUnit_CustomUnit);
  EXPECT_EQ(Text(info.unitName), "%");
  EXPECT_EQ(info.minValue, 0.0f);
  EXPECT_EQ(info.maxValue, 100.0f);
  EXPECT_EQ(info.defaultValue, 50.0f);
  EXPECT_EQ(info.flags, kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable |
                            kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease |
                            kAudioUnitParameterFlag_HasClump);
  EXPECT_EQ(info.clumpID, 1u);
  CFRelease(info.cfNameString);
  CFRelease(info.unitName);

  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, AUTestPlug::kChannel, info), noErr);
  EXPECT_EQ(info.unit, kAudioUnitParameterUnit_Indexed);
  EXPECT_EQ(info.clumpID, 2u);  // "MIDI" is the second group asked for
  CFRelease(info.cfNameString);
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, AUTestPlug::kMode, info), noErr);
  EXPECT_EQ(info.clumpID, 1u);  // same group as Gain
  CFRelease(info.cfNameString);
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, AUTestPlug::kEnabled, info), noErr);
  EXPECT_EQ(info.unit, kAudioUnitParameterUnit_Boolean);
  EXPECT_EQ(info.flags & kAudioUnitParameterFlag_HasClump, 0u);
  CFRelease(info.cfNameString);

  AudioUnitParameterNameInfo clump{1, -1, nullptr};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterClumpName, kAudioUnitScope_Global, 0, clump), noErr);
  EXPECT_EQ(Text(clump.outName), "Level");
  CFRelease(clump.outName);
  clump = {2, 2, nullptr};  // the desired length is not applied to clump names
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterClumpName, kAudioUnitScope_Global, 0, clump), noErr);
  EXPECT_EQ(Text(clump.outName), "MIDI");
  CFRelease(clump.outName);
  for (UInt32 bad : {0u, 3u, 0xFFFFFFFFu}) {
    clump = {bad, -1, nullptr};
    EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ParameterClumpName, kAudioUnitScope_Global, 0, clump),
              kAudioUnitErr_PropertyNotInUse);
  }
}

TEST(Properties, LongParameterNamesAreCutToTheNameField) {
  AUTestUnit u;
  const std::string longName(54, 'n');
  u.Plug()->GetParam(AUTestPlug::kGain)->InitDouble(longName.c_str(), 50, 0, 100, 0.5, "%", "Level");
  AudioUnitParameterInfo info;
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, AUTestPlug::kGain, info), noErr);
  EXPECT_EQ(std::string(info.name), longName.substr(0, 51));
  EXPECT_EQ(Text(info.cfNameString), longName);
  CFRelease(info.cfNameString);
  CFRelease(info.unitName);

  AudioUnitParameterIDName idName{AUTestPlug::kGain, 3, nullptr};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, idName), noErr);
  EXPECT_EQ(Text(idName.outName), "nnn");
  CFRelease(idName.outName);
  idName = {AUTestPlug::kGain, kAudioUnitParameterName_Full, nullptr};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, idName), noErr);
  EXPECT_EQ(Text(idName.outName), longName);
  CFRelease(idName.outName);
  idName = {99, -1, nullptr};
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, idName),
            kAudioUnitErr_InvalidParameter);
  idName = {AUTestPlug::kGain, -1, nullptr};  // another scope: nothing done
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Output, 0, idName), noErr);
  EXPECT_EQ(idName.outName, nullptr);
}

// A two-byte character across the end of the field is left out whole, not halved.
TEST(Properties, LongParameterNamesAreCutOnACharacterBoundary) {
  AUTestUnit u;
  const std::string across = std::string(50, 'n') + "\xC3\xA9" + "x";  // bytes 50 and 51 are one character
  u.Plug()->GetParam(AUTestPlug::kGain)->InitDouble(across.c_str(), 50, 0, 100, 0.5, "%", "Level");
  AudioUnitParameterInfo info;
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, AUTestPlug::kGain, info), noErr);
  EXPECT_EQ(std::string(info.name), std::string(50, 'n'));
  CFRelease(info.cfNameString);
  CFRelease(info.unitName);
}

TEST(Properties, StringFromValueUsesDisplayTextsAndCutsToTheTextBuffer) {
  AUTestUnit u;
  AudioUnitParameterValue value = 1;
  AudioUnitParameterStringFromValue request{AUTestPlug::kMode, &value, nullptr};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, request), noErr);
  EXPECT_EQ(Text(request.outString), "Multi");
  CFRelease(request.outString);
  value = 12.5f;
  request = {AUTestPlug::kGain, &value, nullptr};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, request), noErr);
  EXPECT_EQ(Text(request.outString), "12.5");
  CFRelease(request.outString);

  const std::string longText(55, 't');
  u.Plug()->GetParam(AUTestPlug::kMode)->SetDisplayText(2, longText.c_str());
  value = 2;
  request = {AUTestPlug::kMode, &value, nullptr};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, request), noErr);
  EXPECT_EQ(Text(request.outString), longText.substr(0, IModuleAU::kParamTextBufferSize - 1));
  CFRelease(request.outString);
  // The last letter would not fit whole: the text ends before it.
  const std::string across = std::string(IModuleAU::kParamTextBufferSize - 2, 't') + "\xC3\xA9";
  u.Plug()->GetParam(AUTestPlug::kMode)->SetDisplayText(2, across.c_str());
  request = {AUTestPlug::kMode, &value, nullptr};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, request), noErr);
  EXPECT_EQ(Text(request.outString), across.substr(0, IModuleAU::kParamTextBufferSize - 2));
  CFRelease(request.outString);

  request = {77, &value, nullptr};
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, request),
            kAudioUnitErr_InvalidParameter);
  request = {AUTestPlug::kMode, nullptr, nullptr};
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, request),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST(Properties, ValueFromStringMapsDisplayTextsOrReadsANumber) {
  AUTestUnit u;
  AudioUnitParameterValueFromString request{AUTestPlug::kMode, CFSTR("Split"), -1};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, request), noErr);
  EXPECT_EQ(request.outValue, 2.0f);
  request = {AUTestPlug::kMode, CFSTR("Nothing"), -1};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, request), noErr);
  EXPECT_EQ(request.outValue, -1.0f);
  request = {AUTestPlug::kGain, CFSTR("33.5"), 0};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, request), noErr);
  EXPECT_EQ(request.outValue, 33.5f);
  request = {AUTestPlug::kGain, nullptr, 0};
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, request),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST(Properties, ValueStringsListTheDisplayTexts) {
  AUTestUnit u;
  CFArrayRef texts = nullptr;
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, AUTestPlug::kMode, texts),
            noErr);
  ASSERT_EQ(CFArrayGetCount(texts), 3);
  EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, 2))), "Split");
  CFRelease(texts);
}

TEST(Properties, ParameterSetIsClampedAndGetReadsTheValue) {
  AUTestUnit u;
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(AudioUnitSetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, 150.0f, 0), noErr);
  EXPECT_EQ(AudioUnitGetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_EQ(value, 100.0f);
  EXPECT_EQ(AudioUnitSetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, -5.0f, 0), noErr);
  EXPECT_EQ(AudioUnitGetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_EQ(value, 0.0f);
  EXPECT_EQ(AudioUnitSetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Input, 0, 5.0f, 0),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetParameter(u.unit, AUTestPlug::kNumParams, kAudioUnitScope_Global, 0, 5.0f, 0),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitGetParameter(u.unit, 0xFFFFFFFFu, kAudioUnitScope_Global, 0, &value),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitGetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, nullptr), paramErr);
}

TEST(Properties, WithThePanelOpenAHostSetKeepsTheValueThePanelShows) {
  const struct {
    int param;
    float given, kept;
  } cases[] = {
      {AUTestPlug::kChannel, 7.4f, 7.0f}, {AUTestPlug::kChannel, 20.0f, 16.0f}, {AUTestPlug::kGain, 150.0f, 100.0f}};
  for (const auto& c : cases) {
    AUTestUnit u;
    u.Plug()->AttachGraphics(new IGraphicsMac(u.Plug(), 100, 80, 25));
    AudioUnitParameterValue value = 0;
    ASSERT_EQ(AudioUnitSetParameter(u.unit, c.param, kAudioUnitScope_Global, 0, c.given, 0), noErr);
    ASSERT_EQ(AudioUnitGetParameter(u.unit, c.param, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_FLOAT_EQ(value, c.kept) << "param " << c.param << " set to " << c.given;
  }
}

TEST(Properties, ParameterValuesThatAreNotNumbersAreRefusedAndChangeNothing) {
  AUTestUnit u;
  ASSERT_EQ(AudioUnitSetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, 42.0f, 0), noErr);
  for (float bad : {std::nanf(""), std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(AudioUnitSetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, bad, 0), paramErr);
    AudioUnitParameterValue value = 0;
    EXPECT_EQ(AudioUnitGetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_EQ(value, 42.0f);
  }
}

TEST(Properties, FastDispatchProceduresWorkWithoutTheEntry) {
  AUTestUnit u;
  AudioUnitSetParameterProc setProc = nullptr;
  AudioUnitGetParameterProc getProc = nullptr;
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitSetParameterSelect, setProc),
            noErr);
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitGetParameterSelect, getProc),
            noErr);
  void* storage = GetComponentInstanceStorage(u.unit);
  EXPECT_EQ(setProc(storage, AUTestPlug::kChannel, kAudioUnitScope_Global, 0, 20.0f, 0), noErr);
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(getProc(storage, AUTestPlug::kChannel, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_EQ(value, 16.0f);
}

TEST(Properties, PresetsBypassOfflineAndHostIdentity) {
  AUTestUnit u;
  CFArrayRef presets = nullptr;
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, presets), noErr);
  EXPECT_EQ(CFArrayGetCount(presets), 0);
  CFRelease(presets);
  AUPreset preset{-1, nullptr};
  ASSERT_EQ(Get(u.unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, preset), noErr);
  EXPECT_EQ(preset.presetNumber, 0);
  EXPECT_EQ(Text(preset.presetName), "");
  CFRelease(preset.presetName);
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, AUPreset{3, nullptr}), noErr);

  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, UInt32(1)), noErr);
  UInt32 bypass = 0;
  EXPECT_EQ(Get(u.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, bypass), noErr);
  EXPECT_EQ(bypass, 1u);
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_OfflineRender, kAudioUnitScope_Global, 0, UInt32(1)), noErr);
  EXPECT_TRUE(u.Plug()->IsRenderingOffline());

  AUHostIdentifier host{CFSTR("Logic Pro X"), {10, 0x45, 0, 0}};
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, host), noErr);
  EXPECT_EQ(u.Plug()->GetHost(), kHostLogic);
  EXPECT_EQ(u.Plug()->GetHostVersion(false), 0xA0405);
}

TEST(Properties, HostCallbacksMayBeShorterThanTheFullRecord) {
  AUTestUnit u;
  struct OldHostCallbacks {
    void* userData;
    HostCallback_GetBeatAndTempo beatAndTempo;
  };
  OldHostCallbacks old{nullptr, [](void*, Float64* beat, Float64* tempo) -> OSStatus {
                         *tempo = 99.0;
                         *beat = 1.0;
                         return noErr;
                       }};
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, old), noErr);
  EXPECT_EQ(u.Plug()->GetTempo(), 99.0);
  int numerator = 3, denominator = 5;
  u.Plug()->GetTimeSig(&numerator, &denominator);  // no procedure: left as they were
  EXPECT_EQ(numerator, 3);
  EXPECT_EQ(denominator, 5);
  EXPECT_EQ(Set(u.unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Output, 0, old),
            kAudioUnitErr_InvalidProperty);
}

}  // namespace
