#include "SynthSimScheduler.h"

#include <algorithm>

#include "Kit_TimeSource.h"

void SynthSimVirtualScheduler::After(uint64_t micros, std::function<void()> action) {
  // Never at once: a reply must not re-enter the sender's own call.
  clock_.ScheduleIn(std::max<uint64_t>(micros, 1), std::move(action));
}

SynthSimThreadScheduler::SynthSimThreadScheduler() {
  service_.Start([this] { Run(); });
}

SynthSimThreadScheduler::~SynthSimThreadScheduler() { service_.StopAndJoin(); }

void SynthSimThreadScheduler::After(uint64_t micros, std::function<void()> action) {
  {
    std::lock_guard<std::mutex> hold(service_.Lock());
    due_.emplace(Clock::now() + std::chrono::microseconds(micros), std::move(action));
  }
  service_.Changed().notify_all();
}

void SynthSimThreadScheduler::Run() {
  std::unique_lock<std::mutex> hold(service_.Lock());
  while (!service_.StopRequested()) {
    if (due_.empty()) {
      service_.Changed().wait(hold);
      continue;
    }
    const auto next = due_.begin()->first;
    if (Clock::now() < next) {
      service_.Changed().wait_until(hold, next);
      continue;
    }
    std::function<void()> action = std::move(due_.begin()->second);
    due_.erase(due_.begin());
    hold.unlock();
    action();
    hold.lock();
  }
}
