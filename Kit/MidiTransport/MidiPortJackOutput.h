#pragma once
// MIDI output on a JACK client of our own.
//
// RtMidi's JACK output writes everything queued into one period's port buffer and
// silently drops what does not fit (a burst of dumps loses most of them). Here a
// message waits in a ring until a period has room for it (MidiPortJackWriter says
// when each one goes out and when one counts as lost).
//
// A send never waits: it stamps the message with the server's frame time and
// queues it, refusing it only when the ring is full.
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

#include "MidiTransport/MidiPortJackEndpoint.h"
#include "MidiTransport/MidiPortJackWriter.h"
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
  // threads: any (one at a time, as SendMessage)
  bool HasRoomFor(size_t length) override { return writer_.HasRoomFor(length); }
  // Asks the server.
  // threads: main
  bool PortConnected() override { return client_->PortConnectedNow(); }
  // threads: any
  uint64_t PortReturns() override { return client_->PortReturns(); }
  // threads: any
  uint64_t LostMessages() override;
  uint64_t LostMessagesBesideRealTime() override;
  bool AllSettled() override { return ServerGone() || writer_.AllSettled(); }
  bool AllSettledBesideRealTime() override { return ServerGone() || writer_.AllSettledBesideRealTime(); }
  // Waits (at most a couple of seconds) until what was queued has been written, so
  // a message accepted is not lost by closing right after it.
  // threads: main
  void ClosePort() override;

private:
  MidiPortJackOutput();
  // threads: jack-process
  static void WriteDue(void* portBuffer, jack_nframes_t frames, jack_nframes_t start, void* self);
  // Prints losses not printed before.
  // threads: any
  void ReportLosses();
  bool ServerGone() const { return client_ && client_->ServerGone(); }

  MidiPortJackWriter writer_;
  std::atomic<uint64_t> cycles_{0};  // cycles run; jack-process writes it
  std::atomic<uint64_t> reportedLost_{0};
};
