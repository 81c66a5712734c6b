#pragma once
// MIDI output on a JACK client of our own.
//
// RtMidi's JACK output writes everything queued into one period's port buffer and
// silently drops what does not fit (a burst of dumps loses most of them). Here a
// message waits in a ring until a period has room for it, and a sender waits for
// ring space instead of losing its message.

#include <memory>
#include <string>

#include "MidiPortByteRing.h"
#include "MidiPortJackClient.h"
#include "MidiPortTransport.h"

class MidiPortJackOutput : public MidiOutputTransport {
public:
  // Null when no JACK server answers (none is ever started for us).
  static std::unique_ptr<MidiPortJackOutput> Connect(const std::string& clientName);
  ~MidiPortJackOutput() override;

  unsigned PortCount() override { return client_->PortCount(); }
  bool PortName(unsigned port, std::string& name) override { return client_->PortName(port, name); }
  bool OpenPort(unsigned port, const std::string& portName) override { return client_->OpenPort(port, portName); }
  bool OpenVirtualPort(const std::string& portName) override { return client_->OpenVirtualPort(portName); }
  void ClosePort() override { client_->ClosePort(); }
  bool IsPortOpen() override { return client_->IsPortOpen(); }
  // Waits (at most a couple of seconds) while the ring is full.
  bool SendMessage(const std::vector<unsigned char>& bytes) override;

private:
  MidiPortJackOutput();
  // threads: jack-process
  static void WriteDue(void* portBuffer, jack_nframes_t frames, void* self);

  MidiPortByteRing ring_;
  std::unique_ptr<MidiPortJackClient> client_;
};
