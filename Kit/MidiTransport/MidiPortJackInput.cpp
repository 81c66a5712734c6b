#include "MidiTransport/MidiPortJackInput.h"

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

void MidiPortJackInput::ReadArrived(void* buffer, jack_nframes_t, const MidiPortJackCycle& cycle, void* self) {
  // A cycle that starts late may find its writer filling the buffer again, and
  // one that runs into the next period may have read it half refilled: the
  // first reads nothing, the second drops what it read. The server reports both
  // as xruns, and the writer (MidiPortJackOutput) then holds back a few periods
  // so that a reader behind catches up.
  if (!buffer || !cycle.FollowsLast()) return;
  auto* input = static_cast<MidiPortJackInput*>(self);
  {
    const MidiPortJackCycle::ReadsCheckedAfter checked;
    const jack_nframes_t count = jack_midi_get_event_count(buffer);
    for (jack_nframes_t i = 0; i < count; ++i) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer, i) != 0) continue;
      input->queue_.Push(event.buffer, event.size);
    }
  }
  input->queue_.EndCycle(cycle.StillCurrent());
}
