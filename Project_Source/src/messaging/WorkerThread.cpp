#include "WorkerThread.h"

#include <pthread.h>

#include <exception>

bool WorkerThread::Start(std::function<void()> job) {
  std::unique_lock<std::mutex> hold(lock_, std::try_to_lock);
  if (!hold.owns_lock() || closed_ || running_.load(std::memory_order_acquire)) return false;
  // The previous job has returned; its thread is only left to reap.
  if (thread_.joinable()) thread_.join();
  running_.store(true, std::memory_order_release);
  try {
    thread_ = std::thread([this, job = std::move(job)]() {
      job();
      running_.store(false, std::memory_order_release);
    });
  } catch (const std::exception&) {
    // No thread to be had (the system is out of them): dropped like a busy start.
    running_.store(false, std::memory_order_release);
    return false;
  }
  // Named, so debuggers and tests can tell the engine's threads apart.
  pthread_setname_np(thread_.native_handle(), kThreadName);
  return true;
}

void WorkerThread::Close() {
  std::lock_guard<std::mutex> hold(lock_);
  closed_ = true;
  if (thread_.joinable()) thread_.join();
}
