#pragma once
// What the render tick decides but must not do itself: anything that may block (a
// send to the port, notes off with their pause, a job start, a log line, a text on the
// panel). The tick writes fixed-size records into a ring; one editor thread performs
// them in order.
//
// threads: render (push: the one producer), tick-performer (pop: the one consumer).
// The ring neither locks nor allocates.

#include <semaphore.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "Framework/IMidiMsg.h"

struct TickAction {
  enum Kind : int {
    kSendMidi,         // msg to the synthesizer's port
    kAllSoundsOff,     // notes off on every slot, after a reset
    kStartJob,         // a = job code
    kTempoOutOfSync,   // log line
    kTempoSynced,      // log line; a = beats per minute
    kDelayText,        // the delay read-out; a = milliseconds, b = block size
    kReleaseHeldMidi,  // what waited for a transfer's end
  };
  Kind kind = kSendMidi;
  IMidiMsg msg;
  int a = 0;
  int b = 0;
};

class TickActionRing {
public:
  static constexpr int kCapacity = 1024;

  // False, writing nothing, when the ring is full.
  // threads: render
  bool push(const TickAction& action);
  // threads: tick-performer
  bool pop(TickAction* action);
  // Free records; the producer may count on at least this many pushes.
  // threads: render
  int freeSpace() const;
  bool empty() const;
  // Records pushed since the start.
  uint64_t pushed() const { return tail_.load(std::memory_order_acquire); }

private:
  std::array<TickAction, kCapacity> records_;
  std::atomic<uint64_t> head_{0};  // next to pop
  std::atomic<uint64_t> tail_{0};  // next to push
};

// tick-performer: the editor thread that performs the tick's records.
class TickActionPerformer {
public:
  using Perform = std::function<void(const TickAction&)>;

  TickActionPerformer(TickActionRing& ring, Perform perform);
  // Performs what is still in the ring, then ends the thread.
  ~TickActionPerformer();
  TickActionPerformer(const TickActionPerformer&) = delete;
  TickActionPerformer& operator=(const TickActionPerformer&) = delete;

  // Tells tick-performer that records wait; never blocks.
  // threads: render
  void wake() { sem_post(&wake_); }
  // Waits until every record pushed before the call has been performed.
  // threads: main (tests, tear-down)
  void flush();

private:
  void run();

  TickActionRing& ring_;
  Perform perform_;
  sem_t wake_;
  std::atomic<bool> stopping_{false};
  std::mutex doneLock_;  // a leaf: guards performed_ for flush
  std::condition_variable done_;
  uint64_t performed_ = 0;
  std::thread thread_;
};
