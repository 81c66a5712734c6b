#pragma once
// A request to stop, made once by one thread and seen by another: a transfer being
// cancelled, the MIDI clock being switched off. The time source's waits end early when
// the signal they were given is raised (Kit_TimeSource::WaitUntilMicros).
//
// threads: any. A signal outlives every wait given it.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

class Kit_VirtualClock;

class Kit_StopSignal {
public:
  // Raises the signal for good and ends every wait on it.
  void RequestStop();
  bool StopRequested() const { return stopped_.load(std::memory_order_acquire); }

private:
  friend class Kit_VirtualClock;
  friend class Kit_RealClock;

  std::mutex lock_;
  std::condition_variable raised_;  // real-time waits sleep on it
  std::atomic<bool> stopped_{false};
  // Virtual clocks with a wait on this signal in progress, one entry per wait; told
  // under lock_, so a clock leaves before its wait returns.
  std::vector<Kit_VirtualClock*> clocks_;
};
