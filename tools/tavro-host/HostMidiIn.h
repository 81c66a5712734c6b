#pragma once
// Live MIDI into the plug-in as the host's own MIDI, as a DAW passes a keyboard
// through its track: an input port of the MIDI system (ALSA, else JACK)
// connected to a named port. What arrives waits for the next block and is handed
// to the unit at that block's first frame (MusicDeviceMIDIEvent, MusicDeviceSysEx).
// threads: main (Open, destruction), midi-in (arrivals), render (DeliverTo)

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "AudioUnitAPI.h"
#include "MidiTransport/MidiPortTransport.h"

class HostMidiIn {
public:
  // Connects to the system's MIDI output `portName`; false with `error` set when
  // no MIDI system answers or no such port is there.
  bool Open(const std::string& portName, std::string& error);
  // Hands `unit` what arrived since the last call, at frame 0 of the block about to render.
  // threads: render
  void DeliverTo(AudioUnit unit);

private:
  // threads: midi-in
  static void OnMessage(double deltaTime, std::vector<unsigned char>* message, void* self);

  std::unique_ptr<MidiInputTransport> input_;
  std::mutex lock_;
  std::vector<std::vector<unsigned char>> waiting_;  // guarded by lock_
  std::vector<std::vector<unsigned char>> handing_;  // the render thread's
  bool overflowSaid_ = false;                        // guarded by lock_
};
