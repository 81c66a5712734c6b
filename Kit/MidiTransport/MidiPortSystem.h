#pragma once
// The system's MIDI transports: RtMidi on the ALSA sequencer and, when ALSA cannot
// be opened, our own JACK client (MidiPortJackInput, MidiPortJackOutput).

#include <memory>

#include "MidiTransport/MidiPortTransport.h"

enum class MidiSystemApi {
  AlsaThenJack,  // what the plug-in uses
  JackOnly,      // the simulator and the tests on a private JACK server
};

// Whether a factory that finds no MIDI system says so (once for the process) or leaves
// it to its caller: a program hosting the plug-in, which says it already, tells its
// own story.
enum class NoMidiSystem { kSay, kLeaveToCaller };

std::shared_ptr<MidiTransportFactory> MidiSystemTransports(MidiSystemApi api = MidiSystemApi::AlsaThenJack,
                                                           NoMidiSystem noSystem = NoMidiSystem::kSay);
