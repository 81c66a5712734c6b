#pragma once
// One injectable source of time for every pause, poll, tick count and clock read.
//
// Real time by default. Tests install a Kit_VirtualClock: a pause then advances
// virtual time at once and runs whatever was scheduled up to the new time (the
// simulated synthesizer's replies, for example), so no test waits on the wall.
//
// threads: any. Install or remove a source only while no other thread uses time.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

class Kit_TimeSource {
public:
  virtual ~Kit_TimeSource() = default;
  // Monotonic microseconds since an arbitrary origin.
  virtual uint64_t NowMicros() = 0;
  // Wall-clock microseconds since the Unix epoch (what time stamps are made from).
  virtual uint64_t MicrosSinceEpoch() = 0;
  // Suspends the calling thread (real) or advances time (virtual).
  virtual void SleepMicros(uint64_t micros) = 0;
};

// The source in force; the real clock unless a test installed another.
Kit_TimeSource& Kit_Time();
// Installs `source` (not owned); nullptr restores the real clock.
void Kit_SetTimeSource(Kit_TimeSource* source);

// Milliseconds elapsed from `since` to `now` on a wrapping 32-bit tick counter.
inline uint32_t Kit_TicksElapsed(uint32_t now, uint32_t since) { return now - since; }
// True when at least `ms` milliseconds have passed from `since` to `now`, across the wrap.
inline bool Kit_TicksAtLeast(uint32_t now, uint32_t since, uint32_t ms) {
  return Kit_TicksElapsed(now, since) >= ms;
}

// Virtual time for tests. Starts at `startMicros`, which is both the monotonic
// reading and the wall-clock time since the epoch.
//
// Due actions run on the thread whose pause reached them, without the clock's lock
// held: other threads may read the time, schedule and cancel while an action runs,
// and an action may itself pause, schedule or wait for another thread.
// Time never goes backwards. threads: any
class Kit_VirtualClock : public Kit_TimeSource {
public:
  explicit Kit_VirtualClock(uint64_t startMicros = 0) : now_(startMicros) {}

  uint64_t NowMicros() override;
  uint64_t MicrosSinceEpoch() override { return NowMicros(); }
  // Advances time by `micros` (at least 1) and runs what fell due, in time order.
  void SleepMicros(uint64_t micros) override;

  void Advance(uint64_t micros) { SleepMicros(micros); }
  // Runs `action` once virtual time reaches `atMicros`; returns an id for Cancel.
  // Actions may schedule further actions.
  int ScheduleAt(uint64_t atMicros, std::function<void()> action);
  int ScheduleIn(uint64_t micros, std::function<void()> action);
  // Drops a scheduled action that has not started yet.
  void Cancel(int id);

private:
  std::mutex lock_;  // guards nextId_, due_ and every write of now_
  std::atomic<uint64_t> now_;
  int nextId_ = 1;
  std::multimap<uint64_t, std::pair<int, std::function<void()>>> due_;

  // Both with lock_ held.
  void RaiseNow(uint64_t to);
  int AddDue(uint64_t atMicros, std::function<void()> action);
};
