// The thread of an object that waits for work: what was handed over before the stop
// is done, the stop ends the loop however long it sleeps, and a second stop (the
// destructor after the owner's own) does nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>

#include "Kit_ServiceThread.h"

namespace {

// A queue served on the service thread; the loop finishes the queue before it stops.
class Counter {
public:
  Counter() {
    service_.Start([this] { Run(); });
  }
  ~Counter() { service_.StopAndJoin(); }
  void Hand(int n) {
    {
      std::lock_guard<std::mutex> hold(service_.Lock());
      queue_.push_back(n);
    }
    service_.Changed().notify_all();
  }
  void Stop() { service_.StopAndJoin(); }
  int Sum() {
    std::lock_guard<std::mutex> hold(service_.Lock());
    return sum_;
  }

private:
  void Run() {
    std::unique_lock<std::mutex> hold(service_.Lock());
    for (;;) {
      service_.Changed().wait(hold, [this] { return service_.StopRequested() || !queue_.empty(); });
      if (queue_.empty()) return;
      sum_ += queue_.front();
      queue_.pop_front();
    }
  }

  std::deque<int> queue_;
  int sum_ = 0;
  Kit_ServiceThread service_;
};

TEST(ServiceThread, WorkHandedOverBeforeTheStopIsDone) {
  Counter counter;
  for (int n = 1; n <= 1000; ++n) counter.Hand(n);
  counter.Stop();
  EXPECT_EQ(counter.Sum(), 500500);
  counter.Stop();  // and the destructor once more
}

TEST(ServiceThread, AStopWakesALoopThatWaitsForLong) {
  Kit_ServiceThread service;
  service.Start([&service] {
    std::unique_lock<std::mutex> hold(service.Lock());
    service.Changed().wait_for(hold, std::chrono::hours(1), [&service] { return service.StopRequested(); });
  });
  const auto start = std::chrono::steady_clock::now();
  service.StopAndJoin();
  // Generous: a missed wake-up would wait the hour.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::minutes(1));
}

TEST(ServiceThread, NeverStartedItStopsAtOnce) {
  Kit_ServiceThread service;
  service.StopAndJoin();
  EXPECT_TRUE(service.StopRequested());
}

}  // namespace
