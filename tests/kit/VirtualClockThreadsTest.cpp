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

}  // namespace

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

// Threads that register with the clock and pause in steps of their own, started
// together once all are registered.
class Participants {
public:
  Participants(Kit_VirtualClock& clock, std::vector<uint64_t> steps, int rounds) : clock_(clock), seen_(steps.size()) {
    for (size_t t = 0; t < steps.size(); ++t) {
      threads_.emplace_back([this, t, step = steps[t], rounds] {
        Kit_VirtualClock::Participant registered(clock_);
        ++ready_;
        go_.wait();
        for (int r = 0; r < rounds; ++r) {
          clock_.SleepMicros(step);
          seen_[t].push_back(clock_.NowMicros());
        }
      });
    }
    while (ready_ < int(steps.size())) std::this_thread::yield();
    start_.set_value();
  }
  // Each thread's readings after its pauses.
  std::vector<std::vector<uint64_t>> Join() {
    for (std::thread& thread : threads_) thread.join();
    return seen_;
  }

private:
  Kit_VirtualClock& clock_;
  std::atomic<int> ready_{0};
  std::promise<void> start_;
  std::shared_future<void> go_{start_.get_future().share()};
  std::vector<std::vector<uint64_t>> seen_;
  std::vector<std::thread> threads_;
};

std::vector<uint64_t> Multiples(uint64_t step, int count) {
  std::vector<uint64_t> values;
  for (int i = 1; i <= count; ++i) values.push_back(step * uint64_t(i));
  return values;
}

TEST(VirtualClockThreads, ThreadsPausingTogetherEachFindTheirOwnPaceNotTheSum) {
  for (int run = 0; run < 20; ++run) {
    Kit_VirtualClock clock;
    std::atomic<int> ran{0};
    for (uint64_t at = 1; at <= 60; ++at) clock.ScheduleAt(at, [&] { ++ran; });
    Participants threads(clock, {10, 10, 3, 5}, 6);
    const auto seen = threads.Join();
    EXPECT_EQ(seen[0], Multiples(10, 6));
    EXPECT_EQ(seen[1], Multiples(10, 6));
    EXPECT_EQ(seen[2], Multiples(3, 6));
    EXPECT_EQ(seen[3], Multiples(5, 6));
    EXPECT_EQ(clock.NowMicros(), 60u);
    EXPECT_EQ(ran.load(), 60);
  }
}

TEST(VirtualClockThreads, TimeStandsStillWhileARegisteredThreadRuns) {
  Kit_VirtualClock clock;
  std::promise<void> gate;
  std::atomic<bool> registered{false};
  uint64_t seenAtWork = 1;
  std::thread worker([&] {
    Kit_VirtualClock::Participant participant(clock);
    registered = true;
    gate.get_future().wait();
    seenAtWork = clock.NowMicros();
    clock.SleepMicros(1000);
  });
  while (!registered) std::this_thread::yield();
  bool probeRan = false;
  clock.ScheduleAt(50, [&] { probeRan = true; });
  std::thread test([&] { clock.Advance(100); });
  // Real time for a wrong clock to move; a right one cannot, whatever the wait.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const bool ranEarly = probeRan;
  gate.set_value();
  test.join();
  worker.join();
  EXPECT_FALSE(ranEarly);
  EXPECT_EQ(seenAtWork, 0u);
  EXPECT_TRUE(probeRan);
  EXPECT_EQ(clock.NowMicros(), 1000u);
}

TEST(VirtualClockThreads, AStopEndsAWaitOnAnotherThreadWithoutMovingTime) {
  Kit_VirtualClock clock;
  // The test registers too: else the worker, pausing alone, would run out its wait at once.
  Kit_VirtualClock::Participant test(clock);
  Kit_StopSignal stop;
  std::atomic<bool> registered{false};
  std::atomic<int> result{-1};
  std::thread worker([&] {
    Kit_VirtualClock::Participant participant(clock);
    registered = true;
    result = clock.WaitMicros(1000000, stop) ? 1 : 0;
  });
  while (!registered) std::this_thread::yield();
  clock.Advance(100);  // the worker's long wait does not hold this short one back
  EXPECT_EQ(clock.NowMicros(), 100u);
  stop.RequestStop();
  worker.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(clock.NowMicros(), 100u);
}

TEST(RealClockThreads, AStopEndsALongWaitAndAShortOneRunsOut) {
  Kit_StopSignal stop;
  auto waiting = std::async(std::launch::async, [&] { return Kit_Time().WaitMicros(60000000, stop); });
  Kit_StopSignal unused;
  EXPECT_TRUE(Kit_Time().WaitMicros(1000, unused));
  stop.RequestStop();
  ASSERT_EQ(waiting.wait_for(kNoHang), std::future_status::ready);
  EXPECT_FALSE(waiting.get());
}
