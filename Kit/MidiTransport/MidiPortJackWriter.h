#pragma once
// What our JACK MIDI output queues and writes into each cycle's port buffer, apart
// from its client, so that cycles can be driven without a server.
//
// A message is stamped with the server's frame time when sent and goes out in the
// first cycle whose period began after that, at the same frame within the period
// (a period after its send, so messages keep their spacing: MIDI clock does not
// bunch at the start of each period). A cycle that comes late, periods missed (an
// xrun: the machine loaded, a client late), writes at once everything that fell due
// meanwhile, in order: nothing waits for a later cycle while the buffer has room.
// Every message, Start, Stop and Clock alike, is written once and in the order sent.
//
// A message counts as lost only when JACK did not take it: it could never fit a
// period's buffer, its port closed (or the server went) before a period took it, or
// the server reports events lost in our buffer. A message written into a period's
// buffer has gone out.

#include <jack/types.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "MidiTransport/MidiPortByteRing.h"

class MidiPortJackWriter {
public:
  MidiPortJackWriter();

  // Queues `bytes` sent at frame `sentAt`; false when the ring is full.
  // threads: any (one at a time)
  bool Queue(jack_nframes_t sentAt, const std::vector<unsigned char>& bytes);
  // Whether a message of `length` bytes would be queued now.
  // threads: any (one at a time, as Queue)
  bool HasRoomFor(size_t length) const;
  // Writes into `buffer` the messages sent before the period that begins at frame
  // `start`, and settles them. The buffer is cleared first, unless the last cycle
  // wrote it in the same period: then they go after what it holds.
  // threads: jack-process
  void WriteCycle(void* buffer, jack_nframes_t frames, jack_nframes_t start);
  // Settles as lost whatever is queued (the port has closed).
  // threads: jack-process
  void DropQueued();

  // threads: any
  bool Empty() const { return ring_.Empty(); }
  // Counted lost; with `unsettledLost` (no cycle will run again) also whatever is
  // still waiting.
  uint64_t Lost(bool unsettledLost) const;
  uint64_t LostBesideRealTime(bool unsettledLost) const;
  bool AllSettled() const { return settled_.load() == accepted_.load(); }
  bool AllSettledBesideRealTime() const { return settledBeside_.load() == acceptedBeside_.load(); }

private:
  // `realTime` of the `count` are one-byte real-time messages.
  // threads: jack-process
  void Settle(uint64_t count, uint64_t realTime, bool lost);

  MidiPortByteRing ring_;  // each message after its 4-byte send frame
  // The last cycle's buffer and period: jack-process only.
  void* lastBuffer_ = nullptr;
  jack_nframes_t lastStart_ = 0;
  std::vector<unsigned char> stamped_;  // Queue's caller only
  std::atomic<uint64_t> accepted_{0};   // messages queued; Queue's caller writes it
  std::atomic<uint64_t> settled_{0};    // of those, gone out or counted lost
  std::atomic<uint64_t> lost_{0};
  // The same three for the messages that are not one-byte real-time messages.
  std::atomic<uint64_t> acceptedBeside_{0};
  std::atomic<uint64_t> settledBeside_{0};
  std::atomic<uint64_t> lostBeside_{0};
};
