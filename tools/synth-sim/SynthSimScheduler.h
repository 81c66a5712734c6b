#pragma once
// When the simulated synthesizer's replies go out.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

#include "Kit_ServiceThread.h"

class Kit_VirtualClock;

class SynthSimScheduler {
public:
  virtual ~SynthSimScheduler() = default;
  // Runs `action` once `micros` have passed; actions due together run in the
  // order they were scheduled.
  // threads: any
  virtual void After(uint64_t micros, std::function<void()> action) = 0;
};

// In process: replies fall due as a test advances the virtual clock, and run on
// the thread that advances it.
class SynthSimVirtualScheduler : public SynthSimScheduler {
public:
  explicit SynthSimVirtualScheduler(Kit_VirtualClock& clock) : clock_(clock) {}
  void After(uint64_t micros, std::function<void()> action) override;

private:
  Kit_VirtualClock& clock_;
};

// On real ports: replies run on a thread of their own at their real time.
class SynthSimThreadScheduler : public SynthSimScheduler {
public:
  SynthSimThreadScheduler();
  // Drops what is not yet due and joins the thread.
  ~SynthSimThreadScheduler() override;
  void After(uint64_t micros, std::function<void()> action) override;

private:
  using Clock = std::chrono::steady_clock;
  void Run();

  std::multimap<Clock::time_point, std::function<void()>> due_;  // under service_.Lock()
  Kit_ServiceThread service_;
};
