#pragma once
// One of the transfer engine's worker threads: idle, or running one job. A start
// while it runs (or while another thread starts or joins it) is dropped, so at most
// one job runs on each. Each start runs on a fresh system thread.
//
// threads: Start and IsRunning from main, render, midi-in and worker threads;
// Close from main only, never under the plug-in mutex (it joins).

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

class WorkerThread {
public:
  static constexpr const char* kThreadName = "tavro-worker";

  WorkerThread() = default;
  // Joins a job still running.
  ~WorkerThread() { Close(); }
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  bool IsRunning() const { return running_.load(std::memory_order_acquire); }
  // Runs `job` on a new thread; false, starting nothing, when a job runs, another
  // start or a close is under way, the thread was closed, or no thread can be made.
  // Never throws.
  bool Start(std::function<void()> job);
  // Refuses every later start and waits for a running job to return.
  void Close();

private:
  std::mutex lock_;  // guards thread_ and closed_; a leaf, never waited on by Start
  std::thread thread_;
  bool closed_ = false;
  std::atomic<bool> running_{false};
};
