#include "Kit_TimeSource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>
#include <vector>

namespace {

// Generous bound for a run that would otherwise hang on a deadlock.
constexpr auto kNoHang = std::chrono::seconds(20);

} // namespace

TEST(VirtualClockThreads, ReadersSeeTimeOnlyMoveForwardWhileActionsRun) {
  Kit_VirtualClock clock;
  std::atomic<bool> done{false};
  std::atomic<int> backwards{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 3; ++r) {
    readers.emplace_back([&] {
      uint64_t last = 0;
      while (!done) {
        const uint64_t now = clock.NowMicros();
        if (now < last) ++backwards;
        last = now;
      }
    });
  }
  int ran = 0;
  for (int i = 1; i <= 500; ++i) clock.ScheduleAt(uint64_t(i) * 10, [&] { ++ran; });
  for (int step = 0; step < 100; ++step) clock.Advance(50);
  done = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(ran, 500);
  EXPECT_EQ(backwards.load(), 0);
  EXPECT_EQ(clock.NowMicros(), 5000u);
}

TEST(VirtualClockThreads, AnActionMayWaitForAnotherThreadThatReadsTheTime) {
  Kit_VirtualClock clock;
  uint64_t seenByOther = 0;
  clock.ScheduleAt(700, [&] {
    std::thread other([&] {
      seenByOther = clock.NowMicros();
      clock.ScheduleIn(100, [] {});
    });
    other.join();
  });
  auto run = std::async(std::launch::async, [&] { clock.Advance(1000); });
  if (run.wait_for(kNoHang) != std::future_status::ready) {
    // The pause can never finish; waiting for it would hang the whole suite.
    std::fprintf(stderr, "deadlock: the clock's lock was held across the action\n");
    std::_Exit(1);
  }
  EXPECT_EQ(seenByOther, 700u);
  EXPECT_EQ(clock.NowMicros(), 1000u);
}

TEST(VirtualClockThreads, ActionsScheduledFromManyThreadsEachRunOnce) {
  Kit_VirtualClock clock;
  std::atomic<int> ran{0};
  std::vector<std::thread> schedulers;
  for (int t = 0; t < 4; ++t) {
    schedulers.emplace_back([&] {
      for (int i = 0; i < 250; ++i) clock.ScheduleIn(uint64_t(i % 17) + 1, [&] { ++ran; });
    });
  }
  std::atomic<bool> done{false};
  std::thread advancer([&] {
    while (!done) clock.Advance(5);
  });
  for (std::thread& scheduler : schedulers) scheduler.join();
  done = true;
  advancer.join();
  clock.Advance(100);  // everything scheduled is due by now
  EXPECT_EQ(ran.load(), 1000);
}

TEST(VirtualClockThreads, TwoThreadsPausingTogetherEachAdvanceTime) {
  Kit_VirtualClock clock;
  std::atomic<int> ran{0};
  for (int i = 1; i <= 200; ++i) clock.ScheduleAt(uint64_t(i), [&] { ++ran; });
  std::thread a([&] { for (int i = 0; i < 100; ++i) clock.SleepMicros(1); });
  std::thread b([&] { for (int i = 0; i < 100; ++i) clock.SleepMicros(1); });
  a.join();
  b.join();
  // Each pause advances at least one microsecond, possibly overlapping the other's.
  EXPECT_GE(clock.NowMicros(), 100u);
  EXPECT_LE(clock.NowMicros(), 200u);
  clock.Advance(200);
  EXPECT_EQ(ran.load(), 200);
}
