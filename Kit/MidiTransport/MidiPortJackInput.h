#pragma once
// MIDI input on a JACK client of our own. jack-process only copies every event
// JACK delivers, once, into a MidiPortJackQueue, whether its cycle comes on time or
// late; an ordinary thread joins SysEx cut over several events and hands the
// messages on in order.

#include <memory>
#include <string>

#include "MidiTransport/MidiPortDelivery.h"
#include "MidiTransport/MidiPortJackEndpoint.h"
#include "MidiTransport/MidiPortJackQueue.h"
#include "MidiTransport/MidiPortSysExAssembler.h"
#include "MidiTransport/MidiPortTransport.h"

class MidiPortJackInput : public MidiPortJackEndpoint<MidiInputTransport> {
public:
  // Null when no JACK server answers (none is ever started for us).
  static std::unique_ptr<MidiPortJackInput> Connect(const std::string& clientName);
  ~MidiPortJackInput() override;

  bool SetCallback(MidiInputCallback callback, void* userData) override;
  // threads: main, closer
  void StopDelivery() override { delivery_.Stop(); }

private:
  MidiPortJackInput();
  // threads: jack-process
  static void ReadArrived(void* portBuffer, jack_nframes_t frames, jack_nframes_t start, void* self);

  MidiPortDelivery delivery_;
  MidiPortSysExAssembler assembler_;  // on midi-in only
  MidiPortJackQueue queue_;
};
