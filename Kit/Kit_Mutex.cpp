#include "Kit_Mutex.h"

void Kit_Mutex::Enter() {
  const std::thread::id me = std::this_thread::get_id();
  std::unique_lock<std::mutex> hold(state_);
  if (owner_ == me) {
    ++count_;
    return;
  }
  released_.wait(hold, [this] { return owner_ == std::thread::id(); });
  owner_ = me;
  count_ = 0;
}

bool Kit_Mutex::Leave() {
  std::unique_lock<std::mutex> hold(state_);
  if (owner_ != std::this_thread::get_id()) return false;
  if (--count_ >= 0) return true;
  owner_ = std::thread::id();
  count_ = 0;
  // Notified under the lock: a waiter may destroy the mutex as soon as it is free.
  released_.notify_one();
  return true;
}

bool Kit_Mutex::HeldByCaller() const {
  std::lock_guard<std::mutex> hold(state_);
  return owner_ == std::this_thread::get_id();
}
