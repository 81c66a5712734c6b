#pragma once
// The system's MIDI transports: RtMidi on the ALSA sequencer and, when ALSA cannot
// be opened, our own JACK client (MidiPortJackInput, MidiPortJackOutput).

#include <memory>

#include "MidiPortTransport.h"

enum class MidiSystemApi {
  AlsaThenJack,  // what the plug-in uses
  JackOnly,      // the simulator and the tests on a private JACK server
};

std::shared_ptr<MidiTransportFactory> MidiSystemTransports(MidiSystemApi api = MidiSystemApi::AlsaThenJack);
