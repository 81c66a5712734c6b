#pragma once
// MIDI output on a JACK client of our own.
//
// RtMidi's JACK output writes everything queued into one period's port buffer and
// silently drops what does not fit (a burst of dumps loses most of them). Here a
// message waits in a ring until a period has room for it, and a sender waits for
// ring space instead of losing its message.

#include <jack/jack.h>

#include <atomic>
#include <memory>
#include <string>

#include "MidiPortByteRing.h"
#include "MidiPortTransport.h"

class MidiPortJackOutput : public MidiOutputTransport {
public:
  // Null when no JACK server answers (none is ever started for us).
  static std::unique_ptr<MidiPortJackOutput> Connect(const std::string& clientName);
  ~MidiPortJackOutput() override;

  unsigned PortCount() override;
  bool PortName(unsigned port, std::string& name) override;
  bool OpenPort(unsigned port, const std::string& portName) override;
  bool OpenVirtualPort(const std::string& portName) override;
  void ClosePort() override;
  bool IsPortOpen() override { return port_.load() != nullptr; }
  // Waits (at most a couple of seconds) while the ring is full.
  bool SendMessage(const std::vector<unsigned char>& bytes) override;

private:
  explicit MidiPortJackOutput(jack_client_t* client);
  static int Process(jack_nframes_t frames, void* self);
  void WriteDue(jack_nframes_t frames);
  bool RegisterPort(const std::string& portName);

  jack_client_t* client_;
  MidiPortByteRing ring_;
  std::atomic<jack_port_t*> port_{nullptr};
};
