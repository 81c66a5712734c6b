#pragma once
// Carries incoming messages from jack-process, which must never block,
// to an ordinary thread that hands them on one by one in arrival order.

#include <jack/midiport.h>
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
  // Runs on midi-in where events were dropped (the queue full): before the first
  // message that came after them, or once the queue has emptied after them.
  // `newly` counts those not told before (none when told already), `total` all so far.
  using Gap = std::function<void(uint64_t newly, uint64_t total)>;

  MidiPortJackQueue(Deliver deliver, Gap gap, size_t capacityBytes = 1 << 17);
  // Delivers nothing more and joins the thread; never call it from `deliver`.
  ~MidiPortJackQueue();

  MidiPortJackQueue(const MidiPortJackQueue&) = delete;
  MidiPortJackQueue& operator=(const MidiPortJackQueue&) = delete;

  // Copies in every event of a cycle's JACK MIDI port buffer, in order, and hands
  // them on; `start` is the frame time at which the cycle's period began. Never
  // blocks; an event that does not fit (the queue full) is dropped and counted.
  //
  // JACK runs a reader's cycle after its writer's, once a period; but a client that
  // comes late may run twice in one period, the reader finding again what it read,
  // and the writer adding after it what fell due meanwhile. In the same period the
  // events the last cycle read, when the buffer begins with them, are the same
  // delivery: only those after them are taken.
  // threads: jack-process
  void TakeCycle(void* portBuffer, jack_nframes_t start);
  // Events dropped because the queue was full.
  // threads: any
  uint64_t Dropped() const { return dropped_.load(); }

private:
  // Whether an event is what the last cycle read at `offset` of lastRead_.
  // threads: jack-process
  bool ReadBefore(size_t offset, const jack_midi_event_t& event) const;
  // Notes the event at `offset` of lastRead_; false when beyond its room.
  // threads: jack-process
  bool Remember(size_t offset, const jack_midi_event_t& event);
  // False when the event was dropped.
  // threads: jack-process
  bool Push(const jack_midi_event_t& event);
  void Run();
  // Tells `gap_` of a gap, `total` dropped so far.
  // threads: midi-in
  void TellGap(uint64_t total);

  Deliver deliver_;
  Gap gap_;
  // Each message after a byte that says whether events were dropped just before it.
  MidiPortByteRing ring_;
  sem_t waiting_;  // one post per cycle that pushed, one more to stop
  // jack-process only: whether an event was dropped since the last pushed; the last
  // cycle's period and events (frame, size, bytes each), their room made beforehand.
  bool droppedSincePush_ = false;
  jack_nframes_t lastStart_ = 0;
  std::vector<unsigned char> lastRead_;
  uint64_t droppedTold_ = 0;  // midi-in only
  std::atomic<bool> stopping_{false};
  std::atomic<uint64_t> dropped_{0};
  std::thread thread_;
};
