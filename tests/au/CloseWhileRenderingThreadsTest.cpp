// The host closes the plug-in through its entry while its render thread is still
// inside a render (after the plug-in's own processing, where the wrapper still uses
// its buses) and renders on: the close waits for the render in flight and turns away
// the ones after it, and nothing is destroyed before the render returns.

#include <atomic>
#include <thread>
#include <vector>

#include "AUTestUnit.h"
#include "HeldCall.h"

namespace {

constexpr UInt32 kFrames = 64;

// The first post-render notification after `Arm` waits in it until `Release`.
OSStatus HoldPostRender(void* held, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                        AudioBufferList*) {
  if (*flags & kAudioUnitRenderAction_PostRender) static_cast<HeldCall*>(held)->Hold();
  return noErr;
}

OSStatus RenderOnce(AudioUnitRenderProc render, void* storage, double sampleTime) {
  std::vector<float> samples(2 * kFrames);
  AudioBufferListStorage<2> list;
  list.mNumberBuffers = 2;
  for (UInt32 c = 0; c < 2; ++c) list.mBuffers[c] = {1, kFrames * sizeof(float), &samples[c * kFrames]};
  AudioTimeStamp stamp = {};
  stamp.mSampleTime = sampleTime;
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  return render(storage, &flags, &stamp, 0, kFrames, list.List());
}

}  // namespace

TEST(AUThreads, CloseWaitsForTheRenderInFlightAndRefusesTheNext) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.unit), noErr);
  HeldCall held;
  held.Arm();
  ASSERT_EQ(AudioUnitAddRenderNotify(u.unit, &HoldPostRender, &held), noErr);
  const AudioUnitRenderProc render = u.FastRender();
  ASSERT_NE(render, nullptr);
  void* storage = GetComponentInstanceStorage(u.unit);

  std::atomic<OSStatus> heldResult{-1};
  std::thread renderer([&] { heldResult = RenderOnce(render, storage, 0); });
  held.WaitInside();
  std::atomic<bool> closed{false};
  AudioUnit unit = u.unit;
  u.unit = nullptr;
  std::thread closer([&] {
    EXPECT_EQ(CloseComponent(unit), noErr);
    closed = true;
  });
  // A close that went on would end within these turns; this one waits at its start.
  for (int i = 0; i < 100000 && !closed; ++i) std::this_thread::yield();
  const bool closedEarly = closed;
  EXPECT_FALSE(closedEarly) << "the close went on with a render in flight";
  if (!closedEarly) {
    // The host renders on meanwhile: once the close began, its renders do nothing.
    long rendered = 0;
    while (RenderOnce(render, storage, double(++rendered) * kFrames) == noErr) {
    }
    EXPECT_FALSE(closed);
  }
  { held.Release(); }
  renderer.join();
  closer.join();
  EXPECT_EQ(heldResult.load(), noErr);
  EXPECT_TRUE(closed);
}
