// The settled thread count sees a worker while it runs and not once it is joined,
// however soon after the join it is read.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Kit_ProcessStatus.h"

TEST(ProcessThreads, ARunningWorkerIsCountedAndAJoinedOneIsNot) {
  const long before = Kit_SettledThreadCount();
  ASSERT_GT(before, 0);
  for (int round = 0; round < 20; ++round) {
    std::atomic<bool> release{false};
    std::thread worker([&release] {
      while (!release.load()) std::this_thread::yield();
    });
    EXPECT_EQ(Kit_SettledThreadCount(), before + 1) << round;
    release = true;
    worker.join();
    EXPECT_EQ(Kit_SettledThreadCount(), before) << round;
  }
}
