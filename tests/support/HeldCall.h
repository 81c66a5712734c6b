#pragma once
// Holds one call of a callback in flight: the first call to `Hold` after `Arm` waits
// inside until `Release`, so a test can act on another thread while that call is under
// way (a close while a render is inside the plug-in).
// threads: any (Hold from the callback's thread, the rest from the test's)

#include <condition_variable>
#include <mutex>

class HeldCall {
public:
  void Arm() {
    std::lock_guard<std::mutex> lock(m_);
    armed_ = true;
  }
  void Hold() {
    std::unique_lock<std::mutex> lock(m_);
    if (!armed_) return;
    armed_ = false;
    inside_ = true;
    cv_.notify_all();
    cv_.wait(lock, [&] { return released_; });
  }
  void WaitInside() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return inside_; });
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
