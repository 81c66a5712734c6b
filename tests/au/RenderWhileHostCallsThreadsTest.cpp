// A render thread renders through fast dispatch while the host's main thread
// sets parameters, sends MIDI and reads properties through the entry, and the
// plug-in announces gestures to listeners being added and removed.

#include <atomic>
#include <thread>
#include <vector>

#include "AUEventListener.h"
#include "AUTestUnit.h"

namespace {

struct Clock {
  std::atomic<double> sample{0};
};

HostCallbackInfo ClockCallbacks(Clock& clock) {
  return HostCallbackInfo{
      &clock,
      [](void*, Float64* beat, Float64* tempo) -> OSStatus {
        *beat = 1;
        *tempo = 133;
        return noErr;
      },
      nullptr,
      [](void* self, Boolean* playing, Boolean*, Float64* sample, Boolean*, Float64*, Float64*) -> OSStatus {
        *playing = true;
        *sample = static_cast<Clock*>(self)->sample.load();
        return noErr;
      }};
}

TEST(AUThreads, RenderingAlongsideHostCallsAndListeners) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.unit), noErr);
  Clock clock;
  const HostCallbackInfo callbacks = ClockCallbacks(clock);
  ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &callbacks,
                                 sizeof callbacks),
            noErr);
  const AudioUnitRenderProc render = u.FastRender();
  ASSERT_NE(render, nullptr);
  void* storage = GetComponentInstanceStorage(u.unit);

  constexpr int kBlocks = 400;
  constexpr UInt32 kFrames = 128;
  std::atomic<int> failures{0};
  std::thread renderer([&] {
    std::vector<float> samples(2 * kFrames);
    AudioBufferListStorage<2> list;
    for (int b = 0; b < kBlocks; ++b) {
      list.mNumberBuffers = 2;
      for (UInt32 c = 0; c < 2; ++c) list.mBuffers[c] = {1, kFrames * sizeof(float), &samples[c * kFrames]};
      AudioTimeStamp stamp = {};
      stamp.mSampleTime = double(b) * kFrames;
      stamp.mFlags = kAudioTimeStampSampleTimeValid;
      AudioUnitRenderActionFlags flags = 0;
      if (render(storage, &flags, &stamp, 0, kFrames, list.List()) != noErr) ++failures;
      clock.sample.store(stamp.mSampleTime + kFrames);
    }
  });

  std::atomic<int> heard{0};
  std::thread announcer([&] {
    for (int i = 0; i < 200; ++i) {
      u.Plug()->BeginInformHostOfParamChange(AUTestPlug::kGain);
      u.Plug()->EndInformHostOfParamChange(AUTestPlug::kGain);
    }
  });

  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate([](void* n, void*, const AudioUnitEvent*, UInt64,
                                     AudioUnitParameterValue) { ++*static_cast<std::atomic<int>*>(n); },
                                  &heard, &listener),
            noErr);
  AudioUnitEvent event = {};
  event.mEventType = kAudioUnitEvent_BeginParameterChangeGesture;
  event.mArgument.mParameter = {u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0};
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(AUEventListenerAddEventType(listener, nullptr, &event), noErr);
    EXPECT_EQ(AudioUnitSetParameter(u.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, float(i % 100), 0), noErr);
    EXPECT_EQ(MusicDeviceMIDIEvent(u.unit, 0xB0, 7, UInt32(i % 128), 0), noErr);
    Float64 latency = 0;
    UInt32 latencySize = sizeof latency;
    EXPECT_EQ(
        AudioUnitGetProperty(u.unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &latency, &latencySize),
        noErr);
    EXPECT_EQ(AUEventListenerRemoveEventType(listener, nullptr, &event), noErr);
  }
  renderer.join();
  announcer.join();
  EXPECT_EQ(AUListenerDispose(listener), noErr);

  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(u.Plug()->RenderTicks(), kBlocks);
  EXPECT_EQ(u.Plug()->GetParam(AUTestPlug::kHostTempo)->Value(), 133.0);
  EXPECT_EQ(u.Plug()->GetParam(AUTestPlug::kMidiCount)->Value(), 200.0);
  EXPECT_LE(heard.load(), 200);
}

TEST(AUThreads, SharedStringsSurviveRetainAndReleaseFromManyThreads) {
  CFStringRef shared = CFStringCreateWithCString(nullptr, "shared", kCFStringEncodingUTF8);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([shared] {
      for (int i = 0; i < 10000; ++i) {
        CFRetain(shared);
        CFRelease(shared);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(CFGetRetainCount(shared), 1);
  CFRelease(shared);
}

}  // namespace
