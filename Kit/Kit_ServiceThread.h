#pragma once
// The thread of an object that waits for work handed to it: the lock the object's
// queue is kept under, the condition its loop waits on, the request to stop, and the
// stop-and-join that ends it.
//
// Keep it the owner's last member, so that the thread starts after the rest of the
// owner is built and is joined before the rest goes.
//
// threads: any (Start and StopAndJoin on the owner's thread; Lock, Changed and
// StopRequested on it and on the service thread).

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class Kit_ServiceThread {
public:
  Kit_ServiceThread() = default;
  // Stops and joins a thread still running.
  ~Kit_ServiceThread() { StopAndJoin(); }
  Kit_ServiceThread(const Kit_ServiceThread&) = delete;
  Kit_ServiceThread& operator=(const Kit_ServiceThread&) = delete;

  // Runs `loop` on the thread; it waits on Changed() under Lock() and returns once
  // StopRequested(), having finished what it must.
  void Start(std::function<void()> loop) { thread_ = std::thread(std::move(loop)); }
  std::mutex& Lock() { return lock_; }
  std::condition_variable& Changed() { return changed_; }
  // Read under Lock().
  bool StopRequested() const { return stopping_; }
  // Requests the stop, wakes the loop and waits for it to return; once is enough.
  void StopAndJoin() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool stopping_ = false;
  std::thread thread_;
};
