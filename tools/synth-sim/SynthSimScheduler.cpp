#include "SynthSimScheduler.h"

#include <algorithm>

#include "Kit_TimeSource.h"

void SynthSimVirtualScheduler::After(uint64_t micros, std::function<void()> action) {
  // Never at once: a reply must not re-enter the sender's own call.
  clock_.ScheduleIn(std::max<uint64_t>(micros, 1), std::move(action));
}

SynthSimThreadScheduler::SynthSimThreadScheduler() : thread_([this] { Run(); }) {}

SynthSimThreadScheduler::~SynthSimThreadScheduler() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void SynthSimThreadScheduler::After(uint64_t micros, std::function<void()> action) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    due_.emplace(Clock::now() + std::chrono::microseconds(micros), std::move(action));
  }
  changed_.notify_all();
}

void SynthSimThreadScheduler::Run() {
  std::unique_lock<std::mutex> hold(lock_);
  while (!stopping_) {
    if (due_.empty()) {
      changed_.wait(hold);
      continue;
    }
    const auto next = due_.begin()->first;
    if (Clock::now() < next) {
      changed_.wait_until(hold, next);
      continue;
    }
    std::function<void()> action = std::move(due_.begin()->second);
    due_.erase(due_.begin());
    hold.unlock();
    action();
    hold.lock();
  }
}
