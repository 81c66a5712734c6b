#pragma once
// Outgoing channel messages waiting for the render tick, kept sorted by when they are
// due; messages due at the same time keep their order of arrival.
//
// A message's offset counts in frames from the queue's present, and the queue keeps
// it as an absolute due time: when the tick cannot take the queue (another thread is
// adding), it leaves the messages for the next tick and moves the present on all the
// same, so nothing is lost and nothing shifts.
//
// threads: main (Add, Resize), midi-in (Add), worker (Add), render (TakeDue and
// Advance, only there). One lock, a leaf: held only to copy messages, never while
// calling out; the tick only tries it.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "Framework/IMidiMsg.h"

class IMidiQueue {
public:
  IMidiQueue(int capacity, int granularity);

  // Inserts the message by its offset from now; dropped when the queue cannot grow.
  void Add(IMidiMsg* msg);
  // Fits the queue to a block of `blockSize` frames: taken messages are dropped, the
  // waiting ones moved to the front, the granularity becomes blockSize rounded up to
  // 512 and the capacity that, or the waiting count rounded up to 512 when larger.
  void Resize(int blockSize);

  // Takes into `out`, front first, at most `maxOut` of the messages due within the
  // next `frames` frames, each with its offset from now. -1 when another thread holds
  // the queue: nothing is taken, and the messages wait for the next tick.
  // threads: render
  int TakeDue(int frames, IMidiMsg* out, int maxOut);
  // Moves the queue's present on by `frames`.
  // threads: render
  void Advance(int frames) { now_.fetch_add(frames, std::memory_order_acq_rel); }

  int size() const;
  int capacity() const;
  int granularity() const;
  // Copies of the waiting messages, front first, with their offsets from now.
  std::vector<IMidiMsg> waiting() const;

private:
  struct Entry {
    int64_t due = 0;  // frames on the queue's own clock
    IMidiMsg msg;
  };

  // Moves the waiting messages to the start of the buffer.
  void Compact();
  IMidiMsg offsetFromNow(const Entry& entry) const;

  mutable std::mutex lock_;
  std::vector<Entry> buffer_;  // its size is the capacity
  int granularity_;
  int front_ = 0;
  int back_ = 0;
  std::atomic<int64_t> now_{0};
};
