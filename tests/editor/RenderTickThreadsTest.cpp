// The render tick beside the threads that share the editor: it never waits for them,
// what they queue reaches the synthesizer whole and in order, and closing the editor
// while the host still renders is safe.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <thread>

#include "HeldCall.h"
#include "Kit_TimeSource.h"
#include "RoadTestSupport.h"
#include "editor/commands/TavroCommands.h"
#include "librarian/TavroParams.h"

namespace {

// Queue mode, a 64-frame host, the output open.
void QueueOutput(Tavro& t) {
  int out = t.getExternalMIDIOutDevice(RoadFixture::kSynthIn);
  ASSERT_GT(t.setExternalMIDIOut(out, RoadFixture::kSynthIn), 0);
  t.SetBlockSize(64);
  t.Reset();
  for (int s = 0; s < kSlotCount; ++s) t.GetParam(kPartMidiChannel + s)->Set(s + 1);
  t.setMidiOutDelay(64);
  t.setMidiIOSet(true);
  t.setResetPending(false);
  t.GetParam(kMIDIFilterToDAWBuffer)->Set(1);
  t.OnParamChange(kMIDIFilterToDAWBuffer);
  ASSERT_TRUE(t.outputQueue().queueMidiOutput);
}

TEST(RenderTickThreads, TicksNeverWaitForTheEditorsLocksAndLoseNothingQueued) {
  EditorFixture f{"", false, {}, {RoadFixture::kSynthIn}};
  Tavro& t = *f.plug;
  QueueOutput(t);

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

  const auto sent = f.ports->Sent(RoadFixture::kSynthIn);
  ASSERT_EQ(sent.size(), size_t(kQueued));
  for (int i = 0; i < kQueued; ++i) {
    ASSERT_EQ(sent[size_t(i)][1], i % 128) << i;
    ASSERT_EQ(sent[size_t(i)][2], i / 128 % 128) << i;
  }
}

// Panel edits on main (slot B's cutoff, channel 2) and the host's controller 3 on
// channel 1 (forwarded, no control of its own) fill the queue while the host renders.
TEST(RenderTickThreads, PanelEditsAndHostMessagesQueuedAtOnceEachGoOutOnceInTheirOrder) {
  RoadFixture f;
  Tavro& t = *f.plug;
  QueueOutput(t);

  constexpr int kEach = 2000;
  std::atomic<bool> sendersDone{false};
  std::atomic<long> ticks{0};
  std::thread render([&] {
    double* outputs[2] = {nullptr, nullptr};
    while (!sendersDone || t.midiQueue.size() > 0) {
      t.ProcessDoubleReplacing(nullptr, outputs, 64);
      ++ticks;
    }
  });
  // The host's MIDI arrives as its wrapper delivers it, under the plug-in mutex.
  std::thread midiIn([&] {
    for (int i = 0; i < kEach; ++i) {
      IMidiMsg msg(0, 0xB0, 3, uint8_t(i % 128));
      Kit_MutexLock hold(t.GetMutex());
      t.ProcessMidiMsg(&msg, false);
    }
  });
  for (int i = 0; i < kEach; ++i) f.edit(kFilterCutoff + 1, i % 128);
  midiIn.join();
  sendersDone = true;
  render.join();
  t.tickPerformer->flush();
  EXPECT_GT(ticks.load(), 0);

  std::vector<int> edits, incoming;
  for (const MidiPortFake::Message& m : f.sent()) {
    ASSERT_EQ(m.size(), 3u);
    if (m[0] == 0xB1 && m[1] == 0x4A)
      edits.push_back(m[2]);
    else if (m[0] == 0xB0 && m[1] == 3)
      incoming.push_back(m[2]);
    else
      ADD_FAILURE() << "unexpected " << int(m[0]) << " " << int(m[1]);
  }
  ASSERT_EQ(edits.size(), size_t(kEach));
  ASSERT_EQ(incoming.size(), size_t(kEach));
  for (int i = 0; i < kEach; ++i) {
    ASSERT_EQ(edits[size_t(i)], i % 128) << i;
    ASSERT_EQ(incoming[size_t(i)], i % 128) << i;
  }
}

// The render tick's first host callback (its time report): the first call after
// `Arm` waits there until `Release`, holding that tick in flight.
OSStatus HoldHostTime(void* held, Float64* beat, Float64* tempo) {
  *beat = 0;
  *tempo = 120.0;
  static_cast<HeldCall*>(held)->Hold();
  return noErr;
}

// The host closes the editor on one thread while its render thread is inside a tick
// and it keeps rendering on another. Every call is made while the close is still
// held at its start, so nothing here touches an editor whose destruction went on.
TEST(RenderTickThreads, ClosingWhileTheHostRendersWaitsForTheTickInFlight) {
  TempDataRoot data;
  RegisterBuiltBundle();
  auto ports = std::make_shared<MidiPortFake>();
  ports->AddWritablePort(RoadFixture::kSynthIn);
  IModuleInstanceInfo info;
  info.mBundleID.Set(Tavro::kBundleID);
  Tavro* t = new Tavro(info, ports);
  QueueOutput(*t);
  HeldCall held;
  HostCallbackInfo callbacks{};
  callbacks.hostUserData = &held;
  callbacks.beatAndTempoProc = &HoldHostTime;
  ASSERT_EQ(t->SetProperty(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, sizeof callbacks, &callbacks),
            noErr);
  // Messages due while the close runs.
  constexpr int kQueued = 3000;
  for (int i = 0; i < kQueued; ++i) {
    IMidiMsg msg(0, 0xB2, uint8_t(i % 128), uint8_t(i / 128 % 128));
    t->midiQueue.Add(&msg);
  }

  held.Arm();
  std::thread render([&] {
    double left[64], right[64];
    double* outputs[2] = {left, right};
    t->ProcessDoubleReplacing(nullptr, outputs, 64);
  });
  held.WaitInside();
  std::atomic<bool> closed{false};
  std::thread close([&] {
    delete t;
    closed = true;
  });
  // The host renders on: a tick that starts once the close began leaves the buffer
  // as it was, untouched.
  constexpr double kUntouched = 7.0;
  long ticksBeforeRefused = 0;
  for (bool refused = false; !refused; ++ticksBeforeRefused) {
    double left[64], right[64];
    std::fill(std::begin(left), std::end(left), kUntouched);
    std::fill(std::begin(right), std::end(right), kUntouched);
    double* outputs[2] = {left, right};
    t->ProcessDoubleReplacing(nullptr, outputs, 64);
    refused = left[0] == kUntouched;
  }
  // A close that went on would end within these turns; this one stays at its start.
  for (int i = 0; i < 100000 && !closed; ++i) std::this_thread::yield();
  EXPECT_FALSE(closed) << "the close went on with a tick in flight";
  held.Release();
  render.join();
  close.join();
  EXPECT_TRUE(closed);

  // What went out is the front of what was queued, in order.
  const auto sent = ports->Sent(RoadFixture::kSynthIn);
  ASSERT_LE(sent.size(), size_t(kQueued));
  for (size_t i = 0; i < sent.size(); ++i) {
    ASSERT_EQ(sent[i], (MidiPortFake::Message{0xB2, uint8_t(i % 128), uint8_t(i / 128 % 128)})) << i;
  }
  EXPECT_GT(ticksBeforeRefused, 0);
}

// The notes off after a reset pause at their end; the tick hands them over and
// returns: on a virtual clock only this thread may move, no time passes in the tick.
TEST(RenderTickThreads, TheNotesOffAfterAResetNeverPauseTheTick) {
  Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);
  {
    Kit_VirtualClock::Participant still(clock);
    EditorFixture f{"", false, {}, {RoadFixture::kSynthIn}};
    int out = 1;
    ASSERT_GT(f.plug->setExternalMIDIOut(out, RoadFixture::kSynthIn), 0);
    f.plug->setMidiIOSet(true);
    f.plug->Reset();
    const uint64_t before = clock.NowMicros();
    double* outputs[] = {nullptr, nullptr};
    f.plug->ProcessDoubleReplacing(nullptr, outputs, 64);
    EXPECT_EQ(clock.NowMicros(), before);
    // Each slot's 127 notes off went out all the same.
    while (f.ports->Sent(RoadFixture::kSynthIn).size() < 4 * 127) std::this_thread::yield();
  }
  Kit_SetTimeSource(nullptr);
}

}  // namespace
