#pragma once
// Holds one call of a callback in flight: the first call to `Hold` after `Arm` waits
// inside until `Release`, so a test can act on another thread while that call is under
// way (a close while a render is inside the plug-in, a request kept while a job holds
// the transfer thread). Another `Arm` starts another round.
// threads: any (Hold from the callback's thread, the rest from the test's)

#include <chrono>
#include <condition_variable>
#include <mutex>

class HeldCall {
public:
  void Arm() {
    std::lock_guard<std::mutex> lock(m_);
    armed_ = true;
    inside_ = released_ = false;
  }
  void Hold() {
    std::unique_lock<std::mutex> lock(m_);
    if (!armed_) return;
    armed_ = false;
    inside_ = true;
    cv_.notify_all();
    cv_.wait(lock, [&] { return released_; });
  }
  // False when no call was held within `patience` (a guard against a hang).
  bool WaitInside(std::chrono::seconds patience = std::chrono::seconds(60)) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, patience, [&] { return inside_; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m_);
    released_ = true;
    cv_.notify_all();
  }

private:
  std::mutex m_;
  std::condition_variable cv_;
  bool armed_ = false, inside_ = false, released_ = false;
};
