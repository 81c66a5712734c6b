// What a careless host may hand the entry: null procedures and values of the
// wrong type where a string is expected. Each is refused; nothing is called
// through a null pointer or read as the wrong kind of object.

#include "AUTestUnit.h"

namespace {

void ListenNowhere(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}

OSStatus NotifyNowhere(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
  return noErr;
}

TEST(HostArgumentGuards, ANullPropertyListenerIsRefusedAndLaterSetsStillWork) {
  AUTestUnit u;
  EXPECT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, nullptr, nullptr), paramErr);
  const UInt32 frames = 256;
  EXPECT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames,
                                 sizeof frames),
            noErr);
  EXPECT_EQ(u.Plug()->GetBlockSize(), 256);
  // A real listener is still taken.
  EXPECT_EQ(AudioUnitAddPropertyListener(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, ListenNowhere, nullptr),
            noErr);
}

TEST(HostArgumentGuards, ANullRenderNotificationIsRefusedAndRenderingStillWorks) {
  AUTestUnit u;
  EXPECT_EQ(AudioUnitAddRenderNotify(u.unit, nullptr, nullptr), paramErr);
  EXPECT_EQ(AudioUnitAddRenderNotify(u.unit, NotifyNowhere, nullptr), noErr);
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.unit), noErr);
  AudioBufferListStorage<2> buffers;
  buffers.mNumberBuffers = 2;
  buffers.mBuffers[0] = {1, 64 * sizeof(float), nullptr};
  buffers.mBuffers[1] = {1, 64 * sizeof(float), nullptr};
  AudioTimeStamp time = {};
  time.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  EXPECT_EQ(AudioUnitRender(u.unit, &flags, &time, 0, 64, buffers.List()), noErr);
  EXPECT_EQ(u.Plug()->RenderTicks(), 1);
}

TEST(HostArgumentGuards, ValueFromStringWantsAString) {
  AUTestUnit u;
  const SInt32 number = 7;
  CFNumberRef notText = CFNumberCreate(nullptr, kCFNumberSInt32Type, &number);
  AudioUnitParameterValueFromString request{AUTestPlug::kGain, reinterpret_cast<CFStringRef>(notText), 3.0f};
  UInt32 size = sizeof request;
  EXPECT_EQ(AudioUnitGetProperty(u.unit, kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0,
                                 &request, &size),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(request.outValue, 3.0f);
  CFRelease(notText);

  CFStringRef text = CFStringCreateWithCString(nullptr, "42.5", kCFStringEncodingUTF8);
  request.inString = text;
  EXPECT_EQ(AudioUnitGetProperty(u.unit, kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0,
                                 &request, &size),
            noErr);
  EXPECT_EQ(request.outValue, 42.5f);
  CFRelease(text);
}

TEST(HostArgumentGuards, HostIdentityWantsAStringName) {
  AUTestUnit u;
  CFDataRef notText = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("Logic"), 5);
  const AUHostIdentifier host{reinterpret_cast<CFStringRef>(notText), {1, 0, 0, 0}};
  EXPECT_EQ(
      AudioUnitSetProperty(u.unit, kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, &host, sizeof host),
      kAudioUnitErr_InvalidPropertyValue);
  CFRelease(notText);
  const AUHostIdentifier unnamed{nullptr, {1, 0, 0, 0}};
  EXPECT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, &unnamed,
                                 sizeof unnamed),
            noErr);
}

}  // namespace
