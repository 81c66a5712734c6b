#include "MidiPortJackInput.h"

#include <jack/midiport.h>

std::unique_ptr<MidiPortJackInput> MidiPortJackInput::Connect(const std::string& clientName) {
  return OnNewClient(std::unique_ptr<MidiPortJackInput>(new MidiPortJackInput), clientName,
                     MidiPortJackClient::Direction::kInput, &MidiPortJackInput::ReadArrived);
}

MidiPortJackInput::MidiPortJackInput()
    : queue_([this](std::vector<unsigned char>* event) {
        assembler_.Feed(event, [this](std::vector<unsigned char>* message) { delivery_.Deliver(0.0, message); });
      }) {}

MidiPortJackInput::~MidiPortJackInput() {
  StopDelivery();
  client_.reset();  // nothing is pushed after this; the queue then joins its thread
}

bool MidiPortJackInput::SetCallback(MidiInputCallback callback, void* userData) {
  delivery_.Start(callback, userData);
  return true;
}

void MidiPortJackInput::ReadArrived(void* buffer, jack_nframes_t, void* self) {
  if (!buffer) return;
  auto* input = static_cast<MidiPortJackInput*>(self);
  const jack_nframes_t count = jack_midi_get_event_count(buffer);
  for (jack_nframes_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    input->queue_.Push(event.buffer, event.size);
  }
}
