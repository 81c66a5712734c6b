#pragma once
// MIDI output on a JACK client of our own.
//
// RtMidi's JACK output writes everything queued into one period's port buffer and
// silently drops what does not fit (a burst of dumps loses most of them). Here a
// message waits in a ring until a period has room for it, and a sender waits for
// ring space instead of losing its message.
//
// When the server misses periods (an xrun) a reader may find our buffer already
// cleared or half filled again (MidiPortJackCycle), so a message written is not
// yet a message received: a send reports success only once two more periods
// have started on time with no xrun reported, and failure otherwise.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "MidiPortByteRing.h"
#include "MidiPortJackEndpoint.h"
#include "MidiPortTransport.h"

class MidiPortJackOutput : public MidiPortJackEndpoint<MidiOutputTransport> {
public:
  // Null when no JACK server answers (none is ever started for us).
  static std::unique_ptr<MidiPortJackOutput> Connect(const std::string& clientName);
  ~MidiPortJackOutput() override;

  // Waits while the ring is full, then until the message's period is known to
  // have been read whole (two to three periods); false when it may not have been
  // (an xrun, the port closed, or no cycle ran for a couple of seconds).
  bool SendMessage(const std::vector<unsigned char>& bytes) override;
  // Waits (at most a couple of seconds) until what was sent has gone out, so a
  // message reported sent is not lost by closing right after it.
  void ClosePort() override;

private:
  MidiPortJackOutput();
  // threads: jack-process
  static void WriteDue(void* portBuffer, jack_nframes_t frames, const MidiPortJackCycle& cycle, void* self);
  // False while holding back after an xrun.
  // threads: jack-process
  bool MayWrite(const MidiPortJackCycle& cycle);
  // Settles what the cycle before last wrote: sent when every period since has
  // started on time and the server reported no xrun, else failed.
  // threads: jack-process
  void SettleWritten(const MidiPortJackCycle& cycle);
  // Settles what was taken from the ring without being written, as failed.
  // threads: jack-process
  void SettleUnwritten();
  // Messages up to number `last` (counted from 1 since the start) are settled.
  // threads: jack-process
  void Settle(uint64_t last, bool failed) { settled_.store(last << 1 | (failed ? 1 : 0)); }

  MidiPortByteRing ring_;
  uint64_t pushed_ = 0;  // messages pushed so far; the sending thread only
  // The process thread only: messages taken from the ring so far, and what the
  // last two cycles wrote (the newest message each, the xruns reported before,
  // and whether a late period has already spoilt it).
  struct Written {
    uint64_t last = 0;
    uint32_t xruns = 0;
    bool failed = false;
  };
  uint64_t taken_ = 0;
  Written written_[2];
  uint32_t xrunsSeen_ = 0;
  unsigned holdBack_ = 0;  // periods still to write nothing
  // The newest message settled (shifted left) and a failure bit. Only the newest
  // is kept: a sender waits for its own message, the newest pushed.
  std::atomic<uint64_t> settled_{0};
};
