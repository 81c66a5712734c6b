#pragma once
// Carries incoming messages from jack-process, which must never block,
// to an ordinary thread that hands them on one by one in arrival order.

#include <jack/types.h>
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

  // Copies in every event of a cycle's JACK MIDI port buffer, in order, and hands
  // them on; `start` is the frame time at which the cycle's period began. Never
  // blocks; an event that does not fit (the queue full) is dropped and counted.
  //
  // JACK runs a reader's cycle after its writer's, once a period; but when a client
  // feeding the same port is late, JACK may run the reader a second time in the
  // period, before the writer's next cycle, and it finds what it read already. Such
  // a buffer (the same period, the same events) is the same delivery: taken once.
  // threads: jack-process
  void TakeCycle(void* portBuffer, jack_nframes_t start);
  // Events dropped because the queue was full.
  // threads: any
  uint64_t Dropped() const { return dropped_.load(); }

private:
  // threads: jack-process
  void Push(const unsigned char* bytes, size_t size);
  // Whether `portBuffer` holds what the cycle before read, in the same period;
  // keeps what it holds for the next cycle's look.
  // threads: jack-process
  bool ReadBefore(void* portBuffer, jack_nframes_t start);
  void Run();

  Deliver deliver_;
  MidiPortByteRing ring_;
  sem_t waiting_;                 // one post per message handed on, one more to stop
  unsigned pushedThisCycle_ = 0;  // jack-process only
  // The last cycle's period and events (frame, size, bytes each), and the one's now:
  // jack-process only, their room made beforehand.
  jack_nframes_t lastStart_ = 0;
  std::vector<unsigned char> lastRead_;
  std::vector<unsigned char> reading_;
  std::atomic<bool> stopping_{false};
  std::atomic<uint64_t> dropped_{0};
  std::thread thread_;
};
