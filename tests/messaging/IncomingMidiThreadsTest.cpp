// Program changes that ask for the new program (request jobs on the transfer
// thread), and the synthesizer's controllers racing panel edits.

#include <gtest/gtest.h>

#include <thread>

#include "FakeIncomingEditor.h"
#include "Kit_TimeSource.h"

namespace {

constexpr int kSlotB = 1;

std::mutex gJobsLock;
std::vector<JobArgs> gJobs;

void RecordJob(MIDIMessageSender&, const JobArgs& args) {
  std::lock_guard<std::mutex> hold(gJobsLock);
  gJobs.push_back(args);
}

struct IncomingRequests : ::testing::Test {
  IncomingRequests() {
    Kit_SetTimeSource(&clock);
    gJobs.clear();
    manager.sender()->setJob(kJobRequestArrangement, &RecordJob);
    manager.sender()->setJob(kJobRequestPart, &RecordJob);
  }
  ~IncomingRequests() override {
    manager.shutDown();
    Kit_SetTimeSource(nullptr);
  }
  std::vector<JobArgs> Jobs() {
    while (manager.isRunning(MIDIMessageManager::kTransferThread)) std::this_thread::yield();
    std::lock_guard<std::mutex> hold(gJobsLock);
    return gJobs;
  }

  Kit_VirtualClock clock;
  FakeIncomingEditor editor;
  MIDIMessageManager manager{&editor, nullptr, nullptr, nullptr};
};

TEST_F(IncomingRequests, TheSynthesizersProgramChangeBringsItsProgramToThePanel) {
  IMidiMsg onSlotB(0, 0xC1, 42);
  manager.ProcessMidiMsgFromDevice(&onSlotB);
  std::vector<JobArgs> jobs = Jobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].jobCode, kJobRequestPart);
  EXPECT_EQ(jobs[0].slot, kSlotB);
  EXPECT_TRUE(jobs[0].toPanel);
  EXPECT_TRUE(manager.transferInProgress);
  // The read-out follows; selected, never lit nor forwarded.
  EXPECT_EQ(editor.events(), (std::vector<std::string>{"choice 1 program bank -1 number 42", "select 42"}));

  IMidiMsg onGlobal(0, 0xCF, 3);
  manager.ProcessMidiMsgFromDevice(&onGlobal);
  jobs = Jobs();
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[1].jobCode, kJobRequestArrangement);
}

// Holds worker (transfer) with a job of its own until released.
struct HeldTransfer {
  explicit HeldTransfer(MIDIMessageManager& manager) {
    gRelease = &release;
    manager.sender()->setJob(kJobStoreAllPatches, [](MIDIMessageSender&, const JobArgs&) {
      while (!gRelease->load()) std::this_thread::yield();
    });
    JobArgs store;
    store.jobCode = kJobStoreAllPatches;
    started = manager.startJob(store);
  }
  ~HeldTransfer() { release = true; }
  static inline std::atomic<bool>* gRelease = nullptr;
  std::atomic<bool> release{false};
  bool started = false;
};

TEST_F(IncomingRequests, ABusyTransferThreadKeepsTheRequestForWhenItEnds) {
  HeldTransfer held(manager);
  ASSERT_TRUE(held.started);
  IMidiMsg onSlotB(0, 0xC1, 120);
  manager.ProcessMidiMsgFromDevice(&onSlotB);
  EXPECT_EQ(manager.pendingResends(), 1);
  held.release = true;
  const std::vector<JobArgs> jobs = Jobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].jobCode, kJobRequestPart);
  EXPECT_EQ(jobs[0].slot, kSlotB);
  EXPECT_TRUE(jobs[0].toPanel);
  EXPECT_TRUE(manager.transferInProgress);
  // 120 is held to 99, one past the program bank: the selection stays.
  EXPECT_EQ(editor.events(), std::vector<std::string>{"choice 1 program bank -1 number 99"});
  EXPECT_EQ(manager.jobsDropped(MIDIMessageManager::kTransferThread), 0);
}

TEST_F(IncomingRequests, HostProgramChangesForAZoneRequestEverySlotInTurn) {
  constexpr int kGlobalProgChange = 312;
  editor.set(kGlobalProgChange, 1);
  HeldTransfer held(manager);
  ASSERT_TRUE(held.started);
  // The copies the zone A-B-C gets of one program change on the global channel; slot A
  // twice (a second change before the first was asked) is asked once.
  for (int slot : {0, 1, 2, 0}) {
    IMidiMsg change(0, uint8_t(0xC0 + slot), 7);
    manager.ProcessMidiMsgFromDAW(&change, slot);
  }
  EXPECT_EQ(manager.pendingResends(), 3);
  held.release = true;
  const std::vector<JobArgs> jobs = Jobs();
  ASSERT_EQ(jobs.size(), 3u);
  for (int slot = 0; slot < 3; ++slot) {
    EXPECT_EQ(jobs[size_t(slot)].jobCode, kJobRequestPart);
    EXPECT_EQ(jobs[size_t(slot)].slot, slot);
  }
  EXPECT_EQ(manager.pendingResends(), 0);
}

TEST_F(IncomingRequests, AKeptPerformanceRequestRunsOnceTheThreadIsFree) {
  HeldTransfer held(manager);
  ASSERT_TRUE(held.started);
  IMidiMsg onGlobal(0, 0xCF, 3);
  manager.ProcessMidiMsgFromDevice(&onGlobal);
  manager.ProcessMidiMsgFromDevice(&onGlobal);
  held.release = true;
  const std::vector<JobArgs> jobs = Jobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].jobCode, kJobRequestArrangement);
}

TEST_F(IncomingRequests, AHostProgramChangeGoesToTheSlotsChannelThenItsProgramIsAskedFor) {
  constexpr int kGlobalProgChange = 312;
  editor.set(kGlobalProgChange, 1);
  editor.set(204 + 2, 9);  // slot C on channel 9
  const uint64_t before = clock.NowMicros();
  IMidiMsg change(0, 0xC8, 5);
  manager.ProcessMidiMsgFromDAW(&change, 2);
  const std::vector<JobArgs> jobs = Jobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].jobCode, kJobRequestPart);
  EXPECT_EQ(jobs[0].slot, 2);
  EXPECT_EQ(clock.NowMicros() - before, 50000u);
  EXPECT_EQ(editor.events(), (std::vector<std::string>{"send C8 05 FF", "choice 2 program bank -1 number 5", "select 5",
                                                       "light 2", "forward C8 05 00"}));
}

// The synthesizer's knobs and the user's panel edits at once: an edit made while a
// synthesizer value is being applied on midi-in must not be taken for that
// value's echo. The panel side stands in for the MIDI action: under the plug-in mutex,
// it holds an edit back only while a synthesizer value is being applied.
TEST(IncomingThreads, EveryPanelEditArrivesWhileTheSynthesizerTurnsKnobs) {
  FakeIncomingEditor editor;
  MIDIMessageManager manager(&editor, nullptr, nullptr, nullptr);
  editor.manager = &manager;
  editor.bind(2, 74, 0, 10);
  constexpr int kEdits = 20000;
  std::atomic<bool> done{false};
  std::thread synth([&] {
    for (int i = 0; !done; ++i) {
      IMidiMsg knob(0, 0xB1, 74, uint8_t(i % 128));
      manager.ProcessMidiMsgFromDevice(&knob);
    }
  });
  int arrived = 0;
  for (int i = 0; i < kEdits; ++i) {
    Kit_MutexLock hold(editor.pluginMutex());
    const bool echo = manager.applyingHardwareValue && manager.fromHost == 0;
    arrived += !echo;
  }
  done = true;
  synth.join();
  EXPECT_EQ(arrived, kEdits);
}

}  // namespace
