// The transfer engine's start protocol and shut-down on real threads.
#include <gtest/gtest.h>

#include <pthread.h>

#include <Poco/Thread.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Kit_TimeSource.h"
#include "RecordingClockLink.h"
#include "messaging/MIDIClockJobs.h"
#include "messaging/MIDIMessageManager.h"

namespace {

// A gate a job waits at until the test opens it.
struct Gate {
  void wait() {
    std::unique_lock<std::mutex> hold(lock);
    entered = true;
    changed.notify_all();
    changed.wait(hold, [this] { return open; });
  }
  void waitEntered() {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [this] { return entered; });
  }
  void release() {
    std::lock_guard<std::mutex> hold(lock);
    open = true;
    changed.notify_all();
  }
  std::mutex lock;
  std::condition_variable changed;
  bool entered = false, open = false;
};

Gate* gGate = nullptr;
std::atomic<int> gRuns{0};
std::atomic<int> gLastSlot{-1};

void GatedJob(MIDIMessageSender&, const JobArgs& args) {
  gLastSlot = args.slot;
  gGate->wait();
}
void CountingJob(MIDIMessageSender&, const JobArgs&) { ++gRuns; }
void WaitingJob(MIDIMessageSender& sender, const JobArgs&) { sender.pause(3600ull * 1000000); }
void ClockLoop(MIDIMessageSender& sender, const JobArgs&) {
  while (sender.pause(1000)) ++gRuns;
}

std::atomic<int> gReturned{0};
void WaitingThenCounted(MIDIMessageSender& sender, const JobArgs&) {
  sender.pause(3600ull * 1000000);
  ++gReturned;
}
void ClockLoopThenCounted(MIDIMessageSender& sender, const JobArgs& args) {
  ClockLoop(sender, args);
  ++gReturned;
}

void WaitIdle(const MIDIMessageManager& m, MIDIMessageManager::Worker w) {
  while (m.isRunning(w)) std::this_thread::yield();
}

JobArgs Job(int code, int slot = 0) {
  JobArgs args;
  args.jobCode = code;
  args.slot = slot;
  return args;
}

TEST(TransferEngine, AStartOnARunningThreadIsDroppedOthersRunBeside) {
  Gate gate;
  gGate = &gate;
  gRuns = 0;
  MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
  m.sender()->setJob(kJobStoreAllPatches, &GatedJob);
  m.sender()->setJob(kJobRequestPart, &GatedJob);
  m.sender()->setJob(kJobStartClock, &CountingJob);
  ASSERT_TRUE(m.startJob(Job(kJobStoreAllPatches, 2)));
  gate.waitEntered();
  m.transferInProgress = true;  // a starter's own preparation stays
  EXPECT_FALSE(m.startJob(Job(kJobRequestPart, 3)));
  EXPECT_TRUE(m.transferInProgress);
  EXPECT_TRUE(m.startJob(Job(kJobStartClock)));
  WaitIdle(m, MIDIMessageManager::kClockControlThread);
  EXPECT_EQ(gRuns, 1);
  gate.release();
  WaitIdle(m, MIDIMessageManager::kTransferThread);
  // Each start ran with its own arguments.
  EXPECT_EQ(gLastSlot, 2);
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kTransferThread), 1);
  EXPECT_EQ(m.jobsDropped(MIDIMessageManager::kTransferThread), 1);
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kClockControlThread), 1);
}

// A clock link whose next send, once armed, holds its job at a gate: the Start or
// Stop job is still running on the worker (clock-control) while the test goes on.
class HeldClockLink : public RecordingClockLink {
public:
  bool SendRealTime(uint8_t byte) override {
    const bool sent = RecordingClockLink::SendRealTime(byte);
    if (Gate* gate = held.exchange(nullptr)) gate->wait();
    return sent;
  }
  std::atomic<Gate*> held{nullptr};
  std::vector<uint8_t> Bytes() {
    std::vector<uint8_t> bytes;
    for (const Sent& s : SentBytes()) bytes.push_back(s.byte);
    return bytes;
  }
};

TEST(TransferEngine, AStopArrivingWhileTheStartJobRunsStillReachesTheUnit) {
  HeldClockLink link;
  MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
  installMIDIClockJobs(*m.sender(), link);
  Gate gate;
  link.held = &gate;
  ASSERT_TRUE(m.startJob(Job(kJobStartClock), false));
  gate.waitEntered();
  EXPECT_TRUE(m.startJob(Job(kJobStopClock), false));
  EXPECT_EQ(m.pendingResends(), 1);
  gate.release();
  WaitIdle(m, MIDIMessageManager::kClockControlThread);
  EXPECT_EQ(link.Bytes(), (std::vector<uint8_t>{kMidiStart, kMidiStop}));
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kClockControlThread), 2);
  EXPECT_EQ(m.jobsDropped(MIDIMessageManager::kClockControlThread), 0);
  EXPECT_EQ(m.pendingResends(), 0);
}

// Edges arriving while one job runs: each runs after it, once and in order; one equal
// to the edge kept before it is no edge.
TEST(TransferEngine, EveryStartAndStopKeptWhileTheClockControlThreadIsBusyRunsOnceInOrder) {
  struct Case {
    int running;
    std::vector<int> meanwhile;
    std::vector<uint8_t> sent;
  };
  for (const Case& c : {Case{kJobStopClock,
                             {kJobStartClock, kJobStopClock, kJobStopClock, kJobStartClock},
                             {kMidiStart, kMidiStop, kMidiStart, kMidiStop, kMidiStart}},
                        Case{kJobStartClock,
                             {kJobStopClock, kJobStartClock, kJobStartClock, kJobStopClock},
                             {kMidiStart, kMidiStop, kMidiStart, kMidiStop}}}) {
    HeldClockLink link;
    MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
    installMIDIClockJobs(*m.sender(), link);
    // A unit told nothing yet is not told Stop: the Stop case begins with a run.
    if (c.running == kJobStopClock) {
      ASSERT_TRUE(m.startJob(Job(kJobStartClock), false));
      WaitIdle(m, MIDIMessageManager::kClockControlThread);
    }
    Gate gate;
    link.held = &gate;
    ASSERT_TRUE(m.startJob(Job(c.running), false));
    gate.waitEntered();
    for (int code : c.meanwhile) EXPECT_TRUE(m.startJob(Job(code), false)) << code;
    EXPECT_EQ(m.pendingResends(), 3);
    gate.release();
    WaitIdle(m, MIDIMessageManager::kClockControlThread);
    EXPECT_EQ(link.Bytes(), c.sent) << "running job " << c.running;
    const int started = m.jobsStarted(MIDIMessageManager::kClockControlThread);
    EXPECT_EQ(m.pendingResends(), 0);
    // A later start finds the thread idle and runs at once; the Stop the unit heard
    // last is not sent again.
    ASSERT_TRUE(m.startJob(Job(kJobStopClock), false));
    WaitIdle(m, MIDIMessageManager::kClockControlThread);
    EXPECT_EQ(link.Bytes().back(), kMidiStop);
    EXPECT_EQ(link.Bytes().size(), c.sent.size() + (c.sent.back() == kMidiStop ? 0 : 1));
    EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kClockControlThread), started + 1);
  }
}

// A kept Start waits for the worker (clock-control) only: it never holds up a transfer,
// and a transfer's kept resend never runs there.
TEST(TransferEngine, KeptClockJobsAndKeptResendsStayOnTheirOwnThreads) {
  HeldClockLink link;
  Gate transferGate;
  gGate = &transferGate;
  MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
  installMIDIClockJobs(*m.sender(), link);
  m.sender()->setJob(kJobSendPart, &GatedJob);
  ASSERT_TRUE(m.startJob(Job(kJobSendPart, 1)));
  transferGate.waitEntered();
  Gate clockGate;
  link.held = &clockGate;
  ASSERT_TRUE(m.startJob(Job(kJobStartClock), false));
  clockGate.waitEntered();
  ASSERT_TRUE(m.startOrKeep(Job(kJobSendPart, 2)));
  ASSERT_TRUE(m.startJob(Job(kJobStopClock), false));
  EXPECT_EQ(m.pendingResends(), 2);
  clockGate.release();
  WaitIdle(m, MIDIMessageManager::kClockControlThread);
  EXPECT_EQ(link.Bytes(), (std::vector<uint8_t>{kMidiStart, kMidiStop}));
  EXPECT_EQ(m.pendingResends(), 1) << "the resend waits for the transfer thread";
  transferGate.release();
  WaitIdle(m, MIDIMessageManager::kTransferThread);
  EXPECT_EQ(gLastSlot, 2);
  EXPECT_EQ(m.pendingResends(), 0);
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kTransferThread), 2);
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kClockControlThread), 2);
}

struct RunningThread {
  const Poco::Thread* poco = nullptr;
  pthread_t system{};
  std::string name;
};
RunningThread gSeen[2];
void SeeingJob(MIDIMessageSender&, const JobArgs& args) {
  RunningThread& seen = gSeen[args.slot];
  seen.poco = Poco::Thread::current();
  seen.system = pthread_self();
  char name[32] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  seen.name = name;
}

// Each worker runs the sender on its own Poco thread, the same object at every start,
// named for the engine; a thread handed nothing (the caller's own) runs no job.
TEST(TransferEngine, TheSenderRunsOnEachWorkersOwnNamedPocoThread) {
  MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
  m.sender()->setJob(kJobRequestPart, &SeeingJob);
  m.sender()->setJob(kJobStartClock, &CountingJob);
  RunningThread first[2];
  for (int slot : {0, 1}) {
    ASSERT_TRUE(m.startJob(Job(kJobRequestPart, slot)));
    WaitIdle(m, MIDIMessageManager::kTransferThread);
    first[slot] = gSeen[slot];
  }
  ASSERT_NE(first[0].poco, nullptr);
  EXPECT_EQ(first[0].poco, first[1].poco);
  EXPECT_EQ(first[0].name, MIDIMessageManager::kWorkerThreadName);
  EXPECT_EQ(first[1].name, MIDIMessageManager::kWorkerThreadName);
  EXPECT_FALSE(pthread_equal(first[0].system, pthread_self()));

  gRuns = 0;
  m.sender()->run();  // this thread was handed nothing
  EXPECT_EQ(gRuns.load(), 0);
  ASSERT_TRUE(m.startJob(Job(kJobStartClock)));
  WaitIdle(m, MIDIMessageManager::kClockControlThread);
  EXPECT_EQ(gRuns.load(), 1);
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kTransferThread), 2);
}

TEST(TransferEngine, CodesWithoutAJobRunAndReturn) {
  MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
  gRuns = 0;
  m.sender()->setJob(kJobNothing, &CountingJob);  // 13 never gets a job
  m.sender()->setJob(17, &CountingJob);
  for (int code : {13, 17, -1, int(kJobSendArrangement)}) {
    ASSERT_TRUE(m.startJob(Job(code))) << code;
    WaitIdle(m, MIDIMessageManager::kTransferThread);
  }
  EXPECT_EQ(gRuns, 0);
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kTransferThread), 4);
}

TEST(TransferEngine, ShutDownEndsWaitsAndTheClockLoopThenRefusesStarts) {
  Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);
  {
    // Time stands still while this thread runs: the jobs wait until shut down.
    Kit_VirtualClock::Participant still(clock);
    MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
    m.sender()->setJob(kJobRequestArrangement, &WaitingJob);
    m.sender()->setJob(kJobContinuousClock, &ClockLoop);
    ASSERT_TRUE(m.startJob(Job(kJobRequestArrangement)));
    ASSERT_TRUE(m.startJob(Job(kJobContinuousClock)));
    m.shutDown();
    EXPECT_FALSE(m.isRunning(MIDIMessageManager::kTransferThread));
    EXPECT_FALSE(m.isRunning(MIDIMessageManager::kClockThread));
    EXPECT_FALSE(m.startJob(Job(kJobRequestArrangement)));
  }
  Kit_SetTimeSource(nullptr);
}

// The manager's owner may simply delete it: the jobs still running end and are joined
// before the sender they run in goes.
TEST(TransferEngine, DeletingTheManagerEndsAndJoinsTheJobsStillRunning) {
  Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);
  {
    Kit_VirtualClock::Participant still(clock);
    gReturned = 0;
    auto m = std::make_unique<MIDIMessageManager>(nullptr, nullptr, nullptr, nullptr);
    m->sender()->setJob(kJobRequestArrangement, &WaitingThenCounted);
    m->sender()->setJob(kJobContinuousClock, &ClockLoopThenCounted);
    ASSERT_TRUE(m->startJob(Job(kJobRequestArrangement)));
    ASSERT_TRUE(m->startJob(Job(kJobContinuousClock)));
    m.reset();
    EXPECT_EQ(gReturned, 2);
  }
  Kit_SetTimeSource(nullptr);
}

TEST(TransferEngine, CancelEndsAWaitEarly) {
  Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);
  {
    Kit_VirtualClock::Participant still(clock);
    MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
    m.sender()->setJob(kJobRequestArrangement, &WaitingJob);
    ASSERT_TRUE(m.startJob(Job(kJobRequestArrangement)));
    m.sender()->requestCancel();
    WaitIdle(m, MIDIMessageManager::kTransferThread);
    EXPECT_TRUE(m.startJob(Job(kJobNothing)));
  }
  Kit_SetTimeSource(nullptr);
}

}  // namespace
