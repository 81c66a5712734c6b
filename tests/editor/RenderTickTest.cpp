// The render tick: it only decides; sends, notes off, job starts and texts are done by
// tick-performer in the order the tick left them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "EditorTestSupport.h"
#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "editor/commands/TavroCommands.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"
#include "winemu/WinEmu_Time.h"

// Counting allocations replaces operator new; the sanitizers bring their own, so the
// count is kept in the plain build only.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAVRO_COUNTS_ALLOCATIONS 0
#else
#define TAVRO_COUNTS_ALLOCATIONS 1
#endif

namespace {

// Counts allocations made on a thread while it asks for counting.
thread_local bool countAllocations = false;
std::atomic<int> allocations{0};

}  // namespace

#if TAVRO_COUNTS_ALLOCATIONS
// The replacement pair is malloc and free throughout; GCC cannot see that across inlining.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(size_t size) {
  if (countAllocations) allocations.fetch_add(1);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
#endif

namespace {

struct TickFixture {
  TickFixture() {
    Tavro& t = plug();
    int out = 1;
    t.setExternalMIDIOut(out, kNordMidiIn.c_str());
    t.SetSampleRate(44100.0);
    t.SetBlockSize(512);
    t.Reset();
    t.tickPerformer->flush();
    for (int s = 0; s < kSlotCount; ++s) t.GetParam(kPartMidiChannel + s)->Set(s + 1);
    t.setMidiIOSet(true);
    t.setResetPending(false);
  }
  ~TickFixture() {
    f.plug.reset();
    Kit_SetTimeSource(nullptr);
  }
  Tavro& plug() { return *f.plug; }
  void tick(int frames = 512) {
    double* outputs[2] = {nullptr, nullptr};
    plug().ProcessDoubleReplacing(nullptr, outputs, frames);
  }
  // Ticks, then waits until tick-performer has done what they left.
  void tickAndPerform(int frames = 512) {
    tick(frames);
    plug().tickPerformer->flush();
  }
  std::vector<MidiPortFake::Message> sent() const { return f.ports->Sent(kNordMidiIn); }
  void queue(int offset, int tag) {
    IMidiMsg msg(offset, 0xB0, uint8_t(tag), 1);
    plug().midiQueue.Add(&msg);
  }
  // Start and Stop jobs started or dropped, once the worker (clock-control) has run
  // what it kept.
  int clockStarts() const {
    const MIDIMessageManager& m = *f.plug->midiManager;
    while (m.isRunning(MIDIMessageManager::kClockControlThread)) std::this_thread::yield();
    return m.jobsStarted(MIDIMessageManager::kClockControlThread) +
           m.jobsDropped(MIDIMessageManager::kClockControlThread);
  }

  Kit_VirtualClock clock{1'000'000};
  bool clockInstalled = (Kit_SetTimeSource(&clock), true);
  EditorFixture f{"", false, {}, {kNordMidiIn}};
};

TEST(RenderTick, TransportEdgesStartTheClockJobsOnceAndNoneInQueueMode) {
  TickFixture t;
  t.tickAndPerform();
  EXPECT_EQ(t.plug().midiManager->jobsStarted(MIDIMessageManager::kClockThread), 1);  // the clock loop
  t.plug().timeInfo.mTransportIsRunning = true;
  t.tickAndPerform();
  t.tickAndPerform();
  EXPECT_EQ(t.clockStarts(), 1);
  t.plug().timeInfo.mTransportIsRunning = false;
  t.tickAndPerform();
  t.tickAndPerform();
  EXPECT_EQ(t.clockStarts(), 2);
  t.plug().setQueueMidiOutput(true);
  t.plug().timeInfo.mTransportIsRunning = true;
  t.tickAndPerform();
  t.plug().timeInfo.mTransportIsRunning = false;
  t.tickAndPerform();
  EXPECT_EQ(t.clockStarts(), 2);
  EXPECT_EQ(t.plug().midiManager->jobsStarted(MIDIMessageManager::kClockThread), 1);
}

TEST(RenderTick, TheHostTempoIsAppliedOncePerWholeBeatChange) {
  TickFixture t;
  Tavro& p = t.plug();
  p.GetParam(kOverrideTempo)->Set(1.0);
  p.timeInfo.mTempo = 120.0;
  t.tickAndPerform();
  EXPECT_EQ(p.paramValue(64), 55.0);
  p.GetParam(64)->Set(10.0);  // moved by hand: the tick leaves it while the tempo holds
  p.timeInfo.mTempo = 120.9;
  t.tickAndPerform();
  EXPECT_EQ(p.paramValue(64), 10.0);
  p.timeInfo.mTempo = 121.0;
  t.tickAndPerform();
  EXPECT_EQ(p.paramValue(64), 56.0);
}

TEST(RenderTick, QueueModeSendsWhatFallsDueInOrderAndKeepsTheRest) {
  TickFixture t;
  Tavro& p = t.plug();
  p.setQueueMidiOutput(true);
  p.setMidiOutDelay(1024);
  for (const auto& [offset, tag] : std::vector<std::pair<int, int>>{{5, 1}, {3, 2}, {3, 3}, {9, 4}, {1500, 5}})
    t.queue(offset, tag);
  t.tickAndPerform();
  std::vector<int> tags;
  for (const auto& m : t.sent()) tags.push_back(m[1]);
  EXPECT_EQ(tags, (std::vector<int>{2, 3, 1, 4}));
  ASSERT_EQ(p.midiQueue.size(), 1);
  EXPECT_EQ(p.midiQueue.waiting()[0].mOffset, 476);
  auto* delay = dynamic_cast<ITextControl*>(p.keptControls().midiOutDelayDisplay);
  ASSERT_NE(delay, nullptr);
  EXPECT_EQ(delay->GetTextString(), "23ms|512bfr");
}

TEST(RenderTick, TheDawOffsetSetsTheQueueDelayAndItsReadOutAtOnce) {
  TickFixture t;
  Tavro& p = t.plug();
  p.setQueueMidiOutput(true);
  auto* readout = dynamic_cast<ITextControl*>(p.keptControls().midiOutDelayDisplay);
  ASSERT_NE(readout, nullptr);
  auto offset = [&](double samples) {
    p.GetParam(kAdjustDAWOffset)->Set(samples);
    p.OnParamChange(kAdjustDAWOffset);
  };
  offset(100.0);
  // 512 + 2 x 100 samples at 44100 Hz: 16.1 ms, before any tick.
  EXPECT_EQ(p.outputQueue().midiOutDelay, 712);
  EXPECT_EQ(readout->GetTextString(), "16ms|512bfr");
  t.queue(711, 1);
  t.queue(712, 2);
  t.tickAndPerform();
  ASSERT_EQ(t.sent().size(), 1u);
  EXPECT_EQ(t.sent()[0][1], 1);
  ASSERT_EQ(p.midiQueue.size(), 1);
  EXPECT_EQ(p.midiQueue.waiting()[0].mOffset, 0);

  offset(0.0);
  EXPECT_EQ(p.outputQueue().midiOutDelay, 512);
  EXPECT_EQ(readout->GetTextString(), "11ms|512bfr");
  t.queue(600, 3);
  t.tickAndPerform();
  EXPECT_EQ(t.sent().size(), 2u);
  ASSERT_EQ(p.midiQueue.size(), 1);
  EXPECT_EQ(p.midiQueue.waiting()[0].mOffset, 88);
  EXPECT_EQ(p.outputQueue().dawOffset, 0);
}

TEST(RenderTick, DirectModeDropsQueuedMessagesAsTheyFallDue) {
  TickFixture t;
  t.queue(100, 1);
  t.queue(700, 2);
  t.tickAndPerform(512);
  EXPECT_TRUE(t.sent().empty());
  EXPECT_EQ(t.plug().midiQueue.size(), 1);
}

// A queue longer than the ring: a tick leaves what the ring cannot take (unless
// tick-performer empties it meanwhile, as it may) for the next one, unshifted, so the
// unit gets each message once, in order, whichever tick sent it.
TEST(RenderTick, AQueueLongerThanTheRingReachesTheUnitOnceAndInOrder) {
  TickFixture t;
  Tavro& p = t.plug();
  p.setQueueMidiOutput(true);
  p.setMidiOutDelay(512);
  std::vector<MidiPortFake::Message> queued;
  for (int i = 0; i < TickActionRing::kCapacity + 200; ++i) {
    t.queue(0, i % 100);
    queued.push_back({0xB0, uint8_t(i % 100), 1});
  }
  t.tickAndPerform();
  t.tickAndPerform();
  EXPECT_EQ(t.sent(), queued);
}

TEST(RenderTick, LightsGoDarkOnlyAfterTheirHundredMillisecondsAcrossTheTickWrap) {
  TickFixture t;
  Tavro& p = t.plug();
  // Lit 50 ms before the 32-bit tick count wraps.
  t.clock.Advance(((uint64_t(1) << 32) - 50) * 1000 - t.clock.NowMicros());
  const uint32_t lit = GetTickCount();
  ASSERT_EQ(lit, uint32_t(-50));
  p.setLedLit(1, 1);
  p.setLedOnTime(1, int(lit));
  p.GetParam(kMIDILed + 1)->Set(1.0);
  t.clock.Advance(100'000);
  t.tickAndPerform();
  EXPECT_EQ(p.slotTables().ledLit[1].load(), 1);
  t.clock.Advance(1'000);
  t.tickAndPerform();
  EXPECT_EQ(p.slotTables().ledLit[1].load(), 0);
  EXPECT_EQ(p.paramValue(kMIDILed + 1), 0.0);
  // Lit again in the first 100 ms after the wrap: a count below 100 is not long ago.
  ASSERT_LT(GetTickCount(), 100u);
  p.setLedLit(1, 1);
  p.setLedOnTime(1, int(GetTickCount()));
  t.clock.Advance(20'000);
  t.tickAndPerform();
  EXPECT_EQ(p.slotTables().ledLit[1].load(), 1);
}

TEST(RenderTick, AfterAResetTheFirstStoppedTickSilencesEverySlot) {
  TickFixture t;
  Tavro& p = t.plug();
  p.Reset();
  p.timeInfo.mTransportIsRunning = true;
  t.tickAndPerform();
  EXPECT_TRUE(t.sent().empty());  // waits while the transport runs
  p.timeInfo.mTransportIsRunning = false;
  {
    // Time stands still while this thread holds it: only a pause inside the tick
    // itself could move it (tick-performer's pause waits for the hold to end).
    Kit_VirtualClock::Participant still(t.clock);
    const uint64_t before = t.clock.NowMicros();
    t.tick();
    EXPECT_EQ(t.clock.NowMicros(), before);
  }
  p.tickPerformer->flush();
  const auto sent = t.sent();
  ASSERT_EQ(sent.size(), 4u * 127u);
  for (const auto& m : sent) {
    EXPECT_EQ(m[0] & 0xF0, 0x80);
    EXPECT_NE(m[1], 0);
  }
}

// The editor makes no sound: a block processed after a bypassed one is silent, not the
// bypassed block's input again.
TEST(RenderTick, ABlockAfterABypassedOneIsSilent) {
  TickFixture t;
  Tavro& p = t.plug();
  constexpr int kFrames = 512;
  p.SetInputChannelConnections(0, 2, true);
  p.SetOutputChannelConnections(0, 2, true);
  std::vector<float> left(kFrames, 0.5f), right(kFrames, -0.25f);
  std::vector<float> outLeft(kFrames, 0.0f), outRight(kFrames, 0.0f);
  float* inputs[2] = {left.data(), right.data()};
  float* outputs[2] = {outLeft.data(), outRight.data()};
  p.AttachInputBuffers(0, 2, inputs, kFrames);
  p.AttachOutputBuffers(0, 2, outputs);
  p.PassThroughBuffers(0.0f, kFrames);
  ASSERT_EQ(outLeft[kFrames - 1], 0.5f);
  ASSERT_EQ(outRight[0], -0.25f);

  std::fill(outLeft.begin(), outLeft.end(), 1.0f);
  std::fill(outRight.begin(), outRight.end(), 1.0f);
  p.AttachInputBuffers(0, 2, inputs, kFrames);
  p.AttachOutputBuffers(0, 2, outputs);
  p.ProcessBuffers(0.0f, kFrames);
  for (int i = 0; i < kFrames; ++i) {
    ASSERT_EQ(outLeft[size_t(i)], 0.0f) << i;
    ASSERT_EQ(outRight[size_t(i)], 0.0f) << i;
  }
}

TEST(RenderTick, ATickAllocatesNothing) {
  if (!TAVRO_COUNTS_ALLOCATIONS) GTEST_SKIP() << "the sanitizer's allocator is in place";
  TickFixture t;
  Tavro& p = t.plug();
  p.setQueueMidiOutput(true);
  p.setMidiOutDelay(512);
  p.GetParam(kOverrideTempo)->Set(1.0);
  p.timeInfo.mTempo = 100.0;
  t.tickAndPerform();
  for (int i = 0; i < 64; ++i) t.queue(i, i);
  for (int slot = 0; slot < kSlotCount; ++slot) p.setLedLit(size_t(slot), 1);
  p.timeInfo.mTransportIsRunning = true;
  allocations = 0;
  countAllocations = true;
  t.tick();
  countAllocations = false;
  EXPECT_EQ(allocations.load(), 0);
  p.tickPerformer->flush();
}

}  // namespace

// The file's own settings end here: a batched build compiles other files after it.
#if TAVRO_COUNTS_ALLOCATIONS && defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#undef TAVRO_COUNTS_ALLOCATIONS
