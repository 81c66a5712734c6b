// The render tick beside the threads that share the editor: it never waits for them,
// and what they queue reaches the synthesizer whole and in order.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "EditorTestSupport.h"
#include "IParam.h"

namespace {

const std::string kSynthIn = "Nord MIDI In";

TEST(RenderTickThreads, TicksNeverWaitForTheEditorsLocksAndLoseNothingQueued) {
  EditorFixture f{"", false, {}, {kSynthIn}};
  Tavro& t = *f.plug;
  int out = 1;
  t.setExternalMIDIOut(out, kSynthIn.c_str());
  t.SetBlockSize(64);
  t.Reset();
  for (int s = 0; s < kSlotCount; ++s) t.GetParam(kPartMidiChannel + s)->Set(s + 1);
  t.queueMidiOutput = true;
  t.midiOutDelay = 64;
  t.midiIOSet = true;
  t.resetPending = false;

  std::atomic<bool> holding{false}, done{false};
  // The host's main thread keeps the plug-in busy the whole time.
  std::thread main([&] {
    Kit_MutexLock lock(t.GetMutex());
    holding = true;
    while (!done) std::this_thread::yield();
  });
  while (!holding) std::this_thread::yield();
  // Another thread queues panel messages as fast as it can.
  constexpr int kQueued = 5000;
  std::thread adder([&] {
    for (int i = 0; i < kQueued; ++i) {
      IMidiMsg msg(0, 0xB0, uint8_t(i % 128), uint8_t(i / 128 % 128));
      t.midiQueue.Add(&msg);
    }
  });
  double* outputs[2] = {nullptr, nullptr};
  for (int i = 0; i < 10000; ++i) t.ProcessDoubleReplacing(nullptr, outputs, 64);
  adder.join();
  while (t.midiQueue.size() > 0) t.ProcessDoubleReplacing(nullptr, outputs, 64);
  done = true;
  main.join();
  t.tickPerformer->flush();

  const auto sent = f.ports->Sent(kSynthIn);
  ASSERT_EQ(sent.size(), size_t(kQueued));
  for (int i = 0; i < kQueued; ++i) {
    ASSERT_EQ(sent[size_t(i)][1], i % 128) << i;
    ASSERT_EQ(sent[size_t(i)][2], i / 128 % 128) << i;
  }
}

}  // namespace
