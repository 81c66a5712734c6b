#include "Kit_Mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Long enough for a wrongly released lock to be taken; a pass never depends on it.
constexpr auto kGrace = std::chrono::milliseconds(50);

}  // namespace

TEST(MutexThreads, HeldUntilTheOwnersLastLeave) {
  Kit_Mutex mutex;
  mutex.Enter();
  mutex.Enter();
  std::atomic<bool> started{false};
  std::atomic<bool> acquired{false};
  std::thread contender([&] {
    started = true;
    mutex.Enter();
    acquired = true;
    mutex.Leave();
  });
  while (!started) std::this_thread::yield();
  ASSERT_TRUE(mutex.Leave());
  std::this_thread::sleep_for(kGrace);
  EXPECT_FALSE(acquired);
  EXPECT_TRUE(mutex.HeldByCaller());
  ASSERT_TRUE(mutex.Leave());
  contender.join();
  EXPECT_TRUE(acquired);
  EXPECT_FALSE(mutex.HeldByCaller());
}

TEST(MutexThreads, OnlyOneThreadIsInsideAtATime) {
  Kit_Mutex mutex;
  std::atomic<int> inside{0};
  std::atomic<int> mostInside{0};
  long counter = 0;  // guarded by mutex only
  constexpr int kThreads = 6;
  constexpr int kRounds = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        Kit_MutexLock outer(mutex);
        Kit_MutexLock inner(mutex);  // re-entry by the owner
        const int now = ++inside;
        int seen = mostInside.load();
        while (now > seen && !mostInside.compare_exchange_weak(seen, now)) {
        }
        ++counter;
        --inside;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, long(kThreads) * kRounds);
  EXPECT_EQ(mostInside.load(), 1);
}

TEST(MutexThreads, ALeaveByAnotherThreadIsRefused) {
  Kit_Mutex mutex;
  mutex.Enter();
  bool leftByOther = true;
  bool otherSeesItHeld = true;
  std::thread other([&] {
    leftByOther = mutex.Leave();
    otherSeesItHeld = mutex.HeldByCaller();
  });
  other.join();
  EXPECT_FALSE(leftByOther);
  EXPECT_FALSE(otherSeesItHeld);
  EXPECT_TRUE(mutex.HeldByCaller());
  EXPECT_TRUE(mutex.Leave());
  EXPECT_FALSE(mutex.Leave());
}

TEST(MutexThreads, TheGuardLeavesWhenAnExceptionPasses) {
  Kit_Mutex mutex;
  try {
    Kit_MutexLock hold(mutex);
    throw std::runtime_error("passes through");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(mutex.HeldByCaller());
  bool taken = false;
  std::thread other([&] {
    Kit_MutexLock hold(mutex);
    taken = mutex.HeldByCaller();
  });
  other.join();
  EXPECT_TRUE(taken);
}
