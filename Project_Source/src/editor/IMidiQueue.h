#pragma once
// Outgoing channel messages waiting for the render tick, kept sorted by sample
// offset; messages of equal offset keep their order of arrival.
//
// threads: Add from main and midi-in; resize from main; the render tick drains it.
// One lock, a leaf: held only for the copy of a message, never while calling out.

#include <mutex>
#include <vector>

#include "IMidiMsg.h"

class IMidiQueue {
public:
  IMidiQueue(int capacity, int granularity);

  // Inserts the message by its offset; dropped when the queue cannot grow.
  void Add(IMidiMsg* msg);
  // Fits the queue to a block of `blockSize` frames: taken messages are dropped, the
  // waiting ones moved to the front, the granularity becomes blockSize rounded up to
  // 512 and the capacity that, or the waiting count rounded up to 512 when larger.
  void Resize(int blockSize);

  int size() const;
  int capacity() const;
  int granularity() const;
  // Copies of the waiting messages, front first.
  std::vector<IMidiMsg> waiting() const;

private:
  // Moves the waiting messages to the start of the buffer.
  void Compact();

  mutable std::mutex lock_;
  std::vector<IMidiMsg> buffer_;  // its size is the capacity
  int granularity_;
  int front_ = 0;
  int back_ = 0;
};
