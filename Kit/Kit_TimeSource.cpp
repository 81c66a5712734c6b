#include "Kit_TimeSource.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <sys/time.h>
#include <thread>

namespace {

class RealClock : public Kit_TimeSource {
public:
  uint64_t NowMicros() override {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
  }
  uint64_t MicrosSinceEpoch() override {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return uint64_t(tv.tv_sec) * 1000000u + uint64_t(tv.tv_usec);
  }
  void SleepMicros(uint64_t micros) override {
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
  }
};

RealClock gRealClock;
std::atomic<Kit_TimeSource*> gSource{&gRealClock};

} // namespace

Kit_TimeSource& Kit_Time() { return *gSource.load(std::memory_order_acquire); }

void Kit_SetTimeSource(Kit_TimeSource* source) {
  gSource.store(source ? source : &gRealClock, std::memory_order_release);
}

uint64_t Kit_VirtualClock::NowMicros() { return now_.load(std::memory_order_acquire); }

void Kit_VirtualClock::RaiseNow(uint64_t to) {
  if (to > now_.load(std::memory_order_relaxed)) now_.store(to, std::memory_order_release);
}

void Kit_VirtualClock::SleepMicros(uint64_t micros) {
  std::unique_lock<std::mutex> hold(lock_);
  const uint64_t target = now_.load(std::memory_order_relaxed) + (micros ? micros : 1);
  // One action at a time, so that actions scheduled by actions are seen.
  while (!due_.empty() && due_.begin()->first <= target) {
    auto first = due_.begin();
    RaiseNow(first->first);
    std::function<void()> action = std::move(first->second.second);
    due_.erase(first);
    hold.unlock();
    action();
    hold.lock();
  }
  RaiseNow(target);
}

int Kit_VirtualClock::ScheduleAt(uint64_t atMicros, std::function<void()> action) {
  std::lock_guard<std::mutex> hold(lock_);
  return AddDue(atMicros, std::move(action));
}

int Kit_VirtualClock::ScheduleIn(uint64_t micros, std::function<void()> action) {
  std::lock_guard<std::mutex> hold(lock_);
  return AddDue(now_.load(std::memory_order_relaxed) + micros, std::move(action));
}

int Kit_VirtualClock::AddDue(uint64_t atMicros, std::function<void()> action) {
  const int id = nextId_++;
  due_.emplace(atMicros, std::make_pair(id, std::move(action)));
  return id;
}

void Kit_VirtualClock::Cancel(int id) {
  std::lock_guard<std::mutex> hold(lock_);
  for (auto it = due_.begin(); it != due_.end(); ++it) {
    if (it->second.first == id) {
      due_.erase(it);
      return;
    }
  }
}
