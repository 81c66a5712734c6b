#pragma once
// Recursive lock that records its owning thread and how often the owner re-entered.
//
// The owner and count are only ever read and written under an inner lock, so a
// thread asking "do I hold it?" never races a thread taking it.

#include <condition_variable>
#include <mutex>
#include <thread>

class Kit_Mutex {
public:
  Kit_Mutex() = default;
  Kit_Mutex(const Kit_Mutex&) = delete;
  Kit_Mutex& operator=(const Kit_Mutex&) = delete;

  // Takes the lock, waiting while another thread holds it; the owner may enter again.
  // threads: any
  void Enter();
  // Leaves once; the lock is free after the owner's last leave. Returns false
  // (and changes nothing) when the calling thread does not hold the lock.
  // threads: any
  bool Leave();
  // True when the calling thread holds the lock.
  // threads: any
  bool HeldByCaller() const;

private:
  mutable std::mutex state_;
  std::condition_variable released_;
  std::thread::id owner_;
  int count_ = 0;  // extra entries by the owner
};

// Holds a Kit_Mutex for the span of a block, also when an exception passes.
class Kit_MutexLock {
public:
  explicit Kit_MutexLock(Kit_Mutex& mutex) : mutex_(mutex) { mutex_.Enter(); }
  ~Kit_MutexLock() { mutex_.Leave(); }
  Kit_MutexLock(const Kit_MutexLock&) = delete;
  Kit_MutexLock& operator=(const Kit_MutexLock&) = delete;

private:
  Kit_Mutex& mutex_;
};
