#pragma once
// MIDI output on a JACK client of our own.
//
// RtMidi's JACK output writes everything queued into one period's port buffer and
// silently drops what does not fit (a burst of dumps loses most of them). Here a
// message waits in a ring until a period has room for it.
//
// A send never waits: it stamps the message with the server's frame time and
// queues it, refusing it only when the ring is full. Each message goes out one
// period after it was sent, at the same frame within the period, so messages
// keep their spacing (MIDI clock does not bunch at the start of each period).
//
// A message counts as lost only when JACK did not take it: it could never fit a
// period's buffer, its port closed (or the server went) before a period took it, or
// the server reports events lost in our buffer. A message written into a period's
// buffer has gone out. (Which periods a late reader then misses, no writer can tell:
// the server's xrun reports come for any client that is late, most often with
// nothing lost.) After an xrun the output writes nothing for a few periods, so a
// reader that fell behind catches up before new messages come. Every message,
// Start, Stop and Clock alike, is written once and in the order sent.
//
// A send is refused when our port has no connection (the far end unregistered
// its port, or none was ever made). When the server goes away, the port is
// closed, sends are refused, everything still waiting counts as lost, and closing
// returns at once.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MidiTransport/MidiPortByteRing.h"
#include "MidiTransport/MidiPortJackEndpoint.h"
#include "MidiTransport/MidiPortTransport.h"

class MidiPortJackOutput : public MidiPortJackEndpoint<MidiOutputTransport> {
public:
  // Null when no JACK server answers (none is ever started for us).
  static std::unique_ptr<MidiPortJackOutput> Connect(const std::string& clientName);
  ~MidiPortJackOutput() override;

  // Queues the message and returns; false when no port is open, the port has no
  // connection or the ring is full.
  // threads: any (one at a time: the caller serialises, as IMidiPorts' output lock does)
  bool SendMessage(const std::vector<unsigned char>& bytes) override;
  // Asks the server.
  // threads: main
  bool PortConnected() override { return client_->PortConnectedNow(); }
  // threads: any
  uint64_t LostMessages() override;
  uint64_t LostMessagesBesideRealTime() override;
  bool AllSettled() override { return ServerGone() || settled_.load() == accepted_.load(); }
  bool AllSettledBesideRealTime() override { return ServerGone() || settledBeside_.load() == acceptedBeside_.load(); }
  // Waits (at most a couple of seconds) until what was queued has been written, so
  // a message accepted is not lost by closing right after it.
  // threads: main
  void ClosePort() override;

private:
  MidiPortJackOutput();
  // threads: jack-process
  static void WriteDue(void* portBuffer, jack_nframes_t frames, const MidiPortJackCycle& cycle, void* self);
  // Writes the messages sent before this cycle's period, each one period after
  // its send time, and settles them.
  // threads: jack-process
  void WriteSentBefore(void* buffer, jack_nframes_t frames, jack_nframes_t start);
  // Settles as lost whatever is queued (the port has closed).
  // threads: jack-process
  void DropQueued();
  // False while holding back after an xrun.
  // threads: jack-process
  bool MayWrite(const MidiPortJackCycle& cycle);
  // `realTime` of the `count` are one-byte real-time messages.
  // threads: jack-process
  void Settle(uint64_t count, uint64_t realTime, bool lost);
  // Prints losses not printed before.
  // threads: any
  void ReportLosses();
  bool ServerGone() const { return client_ && client_->ServerGone(); }
  // Counted lost, with everything unsettled once the server has gone.
  // threads: any
  uint64_t Lost() const;

  MidiPortByteRing ring_;               // each message after its 4-byte send frame
  std::vector<unsigned char> stamped_;  // SendMessage's caller only
  uint32_t xrunsSeen_ = 0;              // jack-process only
  unsigned holdBack_ = 0;               // periods still to write nothing; jack-process only
  std::atomic<uint64_t> cycles_{0};     // cycles run; jack-process writes it
  std::atomic<uint64_t> accepted_{0};   // messages queued; SendMessage's caller writes it
  std::atomic<uint64_t> settled_{0};    // of those, gone out or counted lost
  std::atomic<uint64_t> lost_{0};
  // The same three for the messages that are not one-byte real-time messages.
  std::atomic<uint64_t> acceptedBeside_{0};
  std::atomic<uint64_t> settledBeside_{0};
  std::atomic<uint64_t> lostBeside_{0};
  std::atomic<uint64_t> reportedLost_{0};
};
