#pragma once
// Carries incoming messages from jack-process, which must never block,
// to an ordinary thread that hands them on one by one in arrival order.

#include <semaphore.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "MidiTransport/MidiPortByteRing.h"

class MidiPortJackQueue {
public:
  // `deliver` runs on midi-in, the queue's own thread, and may block.
  using Deliver = std::function<void(std::vector<unsigned char>* message)>;

  explicit MidiPortJackQueue(Deliver deliver, size_t capacityBytes = 1 << 17);
  // Delivers nothing more and joins the thread; never call it from `deliver`.
  ~MidiPortJackQueue();

  MidiPortJackQueue(const MidiPortJackQueue&) = delete;
  MidiPortJackQueue& operator=(const MidiPortJackQueue&) = delete;

  // Copies one message in, held back until the cycle ends. Never blocks; false
  // (the message is dropped and counted) when the queue is full.
  // threads: jack-process
  bool Push(const unsigned char* bytes, size_t size);
  // Hands on what this cycle pushed, or drops it all when the cycle may have
  // read a buffer its writer was already filling again.
  // threads: jack-process
  void EndCycle(bool keep);
  // Messages dropped: the queue was full, or their cycle ran into the next period.
  // threads: any
  uint64_t Dropped() const { return dropped_.load(); }

private:
  void Run();

  Deliver deliver_;
  MidiPortByteRing ring_;
  sem_t waiting_;                 // one post per message handed on, one more to stop
  unsigned pushedThisCycle_ = 0;  // jack-process only
  std::atomic<bool> stopping_{false};
  std::atomic<uint64_t> dropped_{0};
  std::thread thread_;
};
