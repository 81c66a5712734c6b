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
#include "MidiPortJackEndpoint.h"
#include "MidiPortTransport.h"

class MidiPortJackOutput : public MidiPortJackEndpoint<MidiOutputTransport> {
public:
  // Null when no JACK server answers (none is ever started for us).
  static std::unique_ptr<MidiPortJackOutput> Connect(const std::string& clientName);
  ~MidiPortJackOutput() override;

  // Waits (at most a couple of seconds) while the ring is full.
  bool SendMessage(const std::vector<unsigned char>& bytes) override;
  // Waits (at most a couple of seconds) until what was sent has gone out, so a
  // message reported sent is not lost by closing right after it.
  void ClosePort() override;

private:
  MidiPortJackOutput();
  // threads: jack-process
  static void WriteDue(void* portBuffer, jack_nframes_t frames, void* self);

  MidiPortByteRing ring_;
};
