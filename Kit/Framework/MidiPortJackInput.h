#pragma once
// MIDI input on a JACK client of our own. JACK's process thread only copies each
// message into a MidiPortJackQueue; an ordinary thread hands them on in order.

#include <atomic>
#include <memory>
#include <string>

#include "MidiPortJackEndpoint.h"
#include "MidiPortJackQueue.h"
#include "MidiPortTransport.h"

class MidiPortJackInput : public MidiPortJackEndpoint<MidiInputTransport> {
public:
  // Null when no JACK server answers (none is ever started for us).
  static std::unique_ptr<MidiPortJackInput> Connect(const std::string& clientName);
  ~MidiPortJackInput() override;

  bool SetCallback(MidiInputCallback callback, void* userData) override;
  // threads: main, closer
  void StopDelivery() override { delivering_.store(false); }

private:
  MidiPortJackInput();
  // threads: jack-process
  static void ReadArrived(void* portBuffer, jack_nframes_t frames, void* self);
  // threads: midi-in
  void Deliver(std::vector<unsigned char>* message);

  std::atomic<bool> delivering_{true};
  std::atomic<MidiInputCallback> callback_{nullptr};
  std::atomic<void*> userData_{nullptr};
  MidiPortJackQueue queue_;
};
