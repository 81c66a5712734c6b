// The transfer engine under many starts on real threads: one transfer at a time, each
// with the arguments of its own start; no thread or address space left behind; a
// close in the middle of a job returns at once.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "FakeMessagingEditor.h"
#include "Kit_ProcessStatus.h"
#include "Kit_TimeSource.h"
#include "messaging/MIDIMessageManager.h"

namespace {

std::atomic<int> gActive{0};
std::atomic<int> gOverlaps{0};
std::atomic<int> gMismatches{0};
std::atomic<int> gCheckedRuns{0};

// Every field of a start derives from its bank, so arguments mixed from two starts show.
JobArgs Stamped(int code, int bank) {
  JobArgs args;
  args.jobCode = code;
  args.bank = bank;
  args.slot = bank % 4;
  args.storeBank = bank * 3 + code;
  args.toPanel = bank % 2 == 1;
  return args;
}

void CheckingJob(MIDIMessageSender&, const JobArgs& args) {
  if (gActive.fetch_add(1) != 0) ++gOverlaps;
  const JobArgs want = Stamped(args.jobCode, args.bank);
  if (args.slot != want.slot || args.storeBank != want.storeBank || args.toPanel != want.toPanel) ++gMismatches;
  ++gCheckedRuns;
  std::this_thread::yield();
  gActive.fetch_sub(1);
}

TEST(TransferEngineStress, StartsFromFourThreadsNeverOverlapOrSwapArguments) {
  gActive = gOverlaps = gMismatches = gCheckedRuns = 0;
  MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
  const int transferCodes[] = {kJobSendPart, kJobRequestArrangement, kJobRequestPart, kJobRequestAllPatches};
  for (int code : transferCodes) m.sender()->setJob(code, &CheckingJob);
  std::atomic<int> accepted{0};
  std::vector<std::thread> starters;
  for (int t = 0; t < 4; ++t) {
    starters.emplace_back([&, t] {
      for (int round = 0; round < 2500; ++round)
        if (m.startJob(Stamped(transferCodes[t], t * 100000 + round))) ++accepted;
    });
  }
  for (std::thread& starter : starters) starter.join();
  m.shutDown();
  EXPECT_GT(accepted.load(), 0);
  EXPECT_EQ(gCheckedRuns.load(), accepted.load());
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kTransferThread) + m.jobsDropped(MIDIMessageManager::kTransferThread),
            10000);
  EXPECT_EQ(gOverlaps.load(), 0);
  EXPECT_EQ(gMismatches.load(), 0);
}

TEST(TransferEngineStress, ThreadsAndAddressSpaceStayFlatOverTwoThousandJobs) {
  gActive = gOverlaps = gMismatches = gCheckedRuns = 0;
  MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
  m.sender()->setJob(kJobRequestPart, &CheckingJob);
  auto runOne = [&m](int bank) {
    ASSERT_TRUE(m.startJob(Stamped(kJobRequestPart, bank)));
    while (m.isRunning(MIDIMessageManager::kTransferThread)) std::this_thread::yield();
  };
  for (int i = 0; i < 20; ++i) runOne(i);
  const long threads = Kit_SettledThreadCount(), space = Kit_ProcessStatusField("VmSize");
  for (int i = 0; i < 2000; ++i) runOne(i);
  EXPECT_LE(Kit_SettledThreadCount(), threads + 1);  // the last run's thread is reaped at the next start
  EXPECT_LT(Kit_ProcessStatusField("VmSize") - space, 64 * 1024) << "kB";
  EXPECT_EQ(gCheckedRuns.load(), 2020);
}

TEST(TransferEngineStress, ClosingInTheMiddleOfAJobReturnsAtOnce) {
  FakeMessagingEditor editor(1);
  const long threads = Kit_SettledThreadCount();
  {
    MIDIMessageManager m(&editor, nullptr, nullptr, nullptr);
    // The enquiry to a silent unit would take 7.4 s.
    ASSERT_TRUE(m.startJob(Stamped(kJobDeviceIdEnquiry, 0)));
    // The job marks the enquiry pending before it sends and waits for the answer.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!editor.enquiryPending && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
    ASSERT_TRUE(editor.enquiryPending) << "the enquiry never started";
    const auto start = std::chrono::steady_clock::now();
    m.shutDown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(m.isRunning(MIDIMessageManager::kTransferThread));
  }
  EXPECT_EQ(Kit_SettledThreadCount(), threads);
}

std::atomic<int> gRunsOf[kJobCount];

void CountingJobByCode(MIDIMessageSender&, const JobArgs& args) {
  const JobArgs want = Stamped(args.jobCode, args.bank);
  if (args.slot != want.slot || args.storeBank != want.storeBank || args.toPanel != want.toPanel) ++gMismatches;
  ++gRunsOf[args.jobCode];
}

// Starts on two workers at the same moment: each thread runs the job of its own start,
// never the other's.
TEST(TransferEngineStress, StartsOnTwoWorkersAtOnceEachRunTheirOwnJob) {
  gMismatches = 0;
  for (std::atomic<int>& runs : gRunsOf) runs = 0;
  MIDIMessageManager m(nullptr, nullptr, nullptr, nullptr);
  const int codes[] = {kJobRequestPart, kJobContinuousClock};
  for (int code : codes) m.sender()->setJob(code, &CountingJobByCode);
  std::atomic<int> accepted[2] = {};
  std::vector<std::thread> starters;
  for (int t = 0; t < 2; ++t) {
    starters.emplace_back([&, t] {
      const auto worker = t == 0 ? MIDIMessageManager::kTransferThread : MIDIMessageManager::kClockThread;
      for (int round = 0; round < 1000; ++round) {
        if (m.startJob(Stamped(codes[t], t * 100000 + round))) ++accepted[t];
        while (m.isRunning(worker)) std::this_thread::yield();
      }
    });
  }
  for (std::thread& starter : starters) starter.join();
  m.shutDown();
  EXPECT_EQ(gRunsOf[kJobRequestPart].load(), accepted[0].load());
  EXPECT_EQ(gRunsOf[kJobContinuousClock].load(), accepted[1].load());
  EXPECT_EQ(gMismatches.load(), 0);
}

}  // namespace
