#include "Framework/Log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

TEST(TimestampThreads, EachThreadKeepsItsOwnText) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 3000;
  std::atomic<int> mixedUp{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &mixedUp] {
      const std::string text = "thread " + std::to_string(t);
      const std::string expected = text + " [Jan05 14:03]";
      for (int i = 0; i < kRounds; ++i) {
        const char* stamped = AppendTimestamp("Jan 05 2015", "14:03:59", text.c_str());
        const char* now = CurrentTime();
        // Another thread's call in between must not change what this one got.
        if (expected != stamped || std::string(now).size() != 20) ++mixedUp;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mixedUp.load(), 0);
}
