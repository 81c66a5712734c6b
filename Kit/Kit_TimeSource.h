#pragma once
// One injectable source of time for every pause, wait, tick count and clock read.
//
// Real time by default. Tests install a Kit_VirtualClock, on which no test waits on
// the wall: see there how time moves.
//
// threads: any. Install or remove a source only while no other thread uses time.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <thread>

#include "Kit_StopSignal.h"

class Kit_TimeSource {
public:
  virtual ~Kit_TimeSource() = default;
  // Monotonic microseconds since an arbitrary origin; deadlines are on this scale.
  virtual uint64_t NowMicros() = 0;
  // Wall-clock microseconds since the Unix epoch (what time stamps are made from).
  virtual uint64_t MicrosSinceEpoch() = 0;
  // Pauses for `micros` (at least 1 on the virtual clock, so a loop of zero pauses
  // still moves time).
  virtual void SleepMicros(uint64_t micros) = 0;
  // Pauses until NowMicros() reaches `deadlineMicros`; returns at once when it has.
  // A loop that sleeps to deadlines a fixed step apart keeps its pace however long
  // each round took.
  virtual void SleepUntilMicros(uint64_t deadlineMicros) = 0;
  // As SleepUntilMicros, but ends early once `stop` is raised. True when the deadline
  // was reached, false when the stop came first (or had come before).
  virtual bool WaitUntilMicros(uint64_t deadlineMicros, Kit_StopSignal& stop) = 0;
  // The same for a pause of `micros` from now.
  bool WaitMicros(uint64_t micros, Kit_StopSignal& stop) { return WaitUntilMicros(NowMicros() + micros, stop); }
};

// The source in force; the real clock unless a test installed another.
Kit_TimeSource& Kit_Time();
// Installs `source` (not owned); nullptr restores the real clock.
void Kit_SetTimeSource(Kit_TimeSource* source);

// Milliseconds elapsed from `since` to `now` on a wrapping 32-bit tick counter.
inline uint32_t Kit_TicksElapsed(uint32_t now, uint32_t since) { return now - since; }
// True when at least `ms` milliseconds have passed from `since` to `now`, across the wrap.
inline bool Kit_TicksAtLeast(uint32_t now, uint32_t since, uint32_t ms) { return Kit_TicksElapsed(now, since) >= ms; }

// Virtual time for tests. Starts at `startMicros`, which is both the monotonic
// reading and the wall-clock time since the epoch. Time never goes backwards.
//
// Time moves only through pauses and waits, and only when nothing can still happen
// before it: a thread that registers (Participant) holds time still while it runs.
// Once every registered thread is pausing, time jumps to the earliest deadline or
// scheduled action among all pauses, the pauses due then end, and the rest wait on.
// So two threads that pause 10 ms together find 10 ms gone, not 20, whatever the
// order they got there; with no registered thread a pause moves time at once. A test
// advances time by pausing itself (Advance), which also waits for the registered
// threads to pause; a test thread that registers as well keeps time still between
// its own pauses.
//
// Due actions run on a thread whose pause reached them, without the clock's lock
// held: other threads may read the time, schedule and cancel while an action runs,
// and an action may itself pause, schedule or wait for another thread.
// threads: any
class Kit_VirtualClock : public Kit_TimeSource {
public:
  // Registers the constructing thread for its lifetime; see above.
  // threads: any (the registered thread; one clock per thread at a time)
  class Participant {
  public:
    explicit Participant(Kit_VirtualClock& clock);
    ~Participant();
    Participant(const Participant&) = delete;
    Participant& operator=(const Participant&) = delete;

  private:
    Kit_VirtualClock& clock_;
  };

  explicit Kit_VirtualClock(uint64_t startMicros = 0) : now_(startMicros) {}

  uint64_t NowMicros() override;
  uint64_t MicrosSinceEpoch() override { return NowMicros(); }
  void SleepMicros(uint64_t micros) override;
  void SleepUntilMicros(uint64_t deadlineMicros) override;
  bool WaitUntilMicros(uint64_t deadlineMicros, Kit_StopSignal& stop) override;

  // Pauses the calling thread for `micros`: time moves on by that much once every
  // registered thread pauses, running what fell due in time order.
  void Advance(uint64_t micros) { SleepMicros(micros); }
  // Runs `action` once virtual time reaches `atMicros`; returns an id for Cancel.
  // Actions may schedule further actions.
  int ScheduleAt(uint64_t atMicros, std::function<void()> action);
  int ScheduleIn(uint64_t micros, std::function<void()> action);
  // Drops a scheduled action that has not started yet.
  void Cancel(int id);

private:
  friend class Kit_StopSignal;

  struct Pause {
    uint64_t deadline;
    const Kit_StopSignal* stop;
    bool counted;   // a registered thread's pause, counted in pausedParticipants_
    bool released;  // its deadline came or its stop was raised
  };

  // Pauses until the deadline or the stop; false when the stop ended it.
  bool PauseUntil(uint64_t deadlineMicros, Kit_StopSignal* stop);
  // Moves time one step: runs the earliest due action, or jumps to the earliest
  // deadline and releases the pauses due. With lock_ held (released around an action).
  void Step(std::unique_lock<std::mutex>& hold, Pause& mine);
  void Release(Pause& pause);
  // Told by a raised signal, with the signal's lock held.
  void ReleaseWaitsOn(const Kit_StopSignal* stop);
  // All with lock_ held.
  bool MayStep() const;
  void RaiseNow(uint64_t to);
  int AddDue(uint64_t atMicros, std::function<void()> action);

  std::mutex lock_;  // guards everything below and every write of now_
  std::condition_variable changed_;
  std::atomic<uint64_t> now_;
  int nextId_ = 1;
  std::multimap<uint64_t, std::pair<int, std::function<void()>>> due_;
  std::list<Pause> pauses_;
  int participants_ = 0;
  int pausedParticipants_ = 0;
  // The thread running an action; only it may move time meanwhile (from inside the action).
  std::thread::id stepping_;
};
