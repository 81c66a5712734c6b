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
// When the server misses periods (an xrun) a reader may find our buffer already
// cleared or half filled again (MidiPortJackCycle), so a message written is not
// yet a message received: two periods after writing it, when a period started
// late or an xrun was reported meanwhile, it is counted lost (LostMessages) and
// printed, else it has gone out.
//
// A transport message (Start, Continue, Stop) is the one kind a lost period must
// not take: a lost Stop leaves the unit's arpeggiator and sequencer running. When
// the period that carried the newest one written is counted lost, it is written
// again at the head of the next period that may write (a few times at most), and
// counted lost only when it is given up. An older one that a newer one has
// followed is not written again: the unit ends in the state last sent.
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
  // threads: any
  uint64_t LostMessages() override;
  uint64_t LostMessagesBesideRealTime() override;
  bool AllSettled() override { return ServerGone() || settled_.load() == accepted_.load(); }
  bool AllSettledBesideRealTime() override { return ServerGone() || settledBeside_.load() == acceptedBeside_.load(); }
  // Waits (at most a couple of seconds) until what was queued has been written and
  // settled, so a message accepted is not lost by closing right after it.
  // threads: main
  void ClosePort() override;

private:
  MidiPortJackOutput();
  // threads: jack-process
  static void WriteDue(void* portBuffer, jack_nframes_t frames, const MidiPortJackCycle& cycle, void* self);
  // Writes the messages sent before this cycle's period, each one period after
  // its send time.
  // threads: jack-process
  void WriteSentBefore(void* buffer, jack_nframes_t frames, jack_nframes_t start);
  // False while holding back after an xrun.
  // threads: jack-process
  bool MayWrite(const MidiPortJackCycle& cycle);
  // Settles what the cycle before last wrote: gone out when every period since
  // has started on time and the server reported no xrun, else lost.
  // threads: jack-process
  void SettleWritten(const MidiPortJackCycle& cycle);
  // `realTime` of the `count` are one-byte real-time messages.
  // threads: jack-process
  void Settle(uint64_t count, uint64_t realTime, bool lost);
  // What a cycle wrote of one transport message: the byte, its place among the
  // transport messages written, and how often it was written.
  struct Transport {
    unsigned char byte = 0;
    uint64_t order = 0;
    unsigned writes = 0;
  };
  // Notes a transport message just written into this cycle.
  // threads: jack-process
  void NoteTransport(unsigned char byte, unsigned writes);
  // A lost cycle's transport messages: the newest is queued to be written again.
  // Returns how many are settled by this (given up, or followed by a newer one).
  // threads: jack-process
  uint64_t RetakeLostTransports(const Transport* transports, unsigned count);
  // Writes the transport messages queued again, first in the period.
  // threads: jack-process
  void WriteRetaken(void* buffer);
  // Prints losses not printed before.
  // threads: any
  void ReportLosses();
  bool ServerGone() const { return client_ && client_->ServerGone(); }
  // Counted lost, with everything unsettled once the server has gone.
  // threads: any
  uint64_t Lost() const;

  MidiPortByteRing ring_;               // each message after its 4-byte send frame
  std::vector<unsigned char> stamped_;  // SendMessage's caller only
  // Counted by jack-process: what the last two cycles wrote (how many, the
  // xruns reported before, and whether a late period has already spoilt them).
  static constexpr unsigned kTransportsPerCycle = 4;
  struct Written {
    uint64_t count = 0;
    uint64_t realTime = 0;  // of count, one-byte real-time messages
    uint32_t xruns = 0;
    bool failed = false;
    Transport transports[kTransportsPerCycle];
    unsigned transportCount = 0;
  };
  Written writtenLastCycle_;  // the cycle before this one: settled at the next cycle
  Written writtenThisCycle_;  // the cycle under way
  Transport retaken_;         // to be written again when retakenWaiting_
  bool retakenWaiting_ = false;
  uint64_t transportOrder_ = 0;  // transport messages written so far
  uint32_t xrunsSeen_ = 0;
  unsigned holdBack_ = 0;              // periods still to write nothing
  std::atomic<uint64_t> accepted_{0};  // messages queued; SendMessage's caller writes it
  std::atomic<uint64_t> settled_{0};   // of those, gone out or counted lost
  std::atomic<uint64_t> lost_{0};
  // The same three for the messages that are not one-byte real-time messages.
  std::atomic<uint64_t> acceptedBeside_{0};
  std::atomic<uint64_t> settledBeside_{0};
  std::atomic<uint64_t> lostBeside_{0};
  std::atomic<uint64_t> reportedLost_{0};
};
