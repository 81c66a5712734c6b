#include "MidiTransport/MidiPortJackInput.h"

#include <cinttypes>
#include <cstdio>

std::unique_ptr<MidiPortJackInput> MidiPortJackInput::Connect(const std::string& clientName) {
  return OnNewClient(std::unique_ptr<MidiPortJackInput>(new MidiPortJackInput), clientName,
                     MidiPortJackClient::Direction::kInput, &MidiPortJackInput::ReadArrived);
}

MidiPortJackInput::MidiPortJackInput()
    : queue_(
          [this](std::vector<unsigned char>* event) {
            assembler_.Feed(event, [this](std::vector<unsigned char>* message) { delivery_.Deliver(0.0, message); });
          },
          [this](uint64_t newly, uint64_t total) {
            assembler_.Interrupt();
            if (newly == 0) return;
            std::fprintf(stderr,
                         "MIDI: %" PRIu64 " message(s) received from JACK dropped, the input queue full (%" PRIu64
                         " so far)\n",
                         newly, total);
          }) {}

MidiPortJackInput::~MidiPortJackInput() {
  StopDelivery();
  client_.reset();  // nothing is pushed after this; the queue then joins its thread
}

bool MidiPortJackInput::SetCallback(MidiInputCallback callback, void* userData) {
  delivery_.Start(callback, userData);
  return true;
}

void MidiPortJackInput::ReadArrived(void* buffer, jack_nframes_t, jack_nframes_t start, void* self) {
  // Every event JACK delivers, once, whether the cycle comes on time or late.
  if (!buffer) return;
  const MidiPortJackBufferReads reads;
  static_cast<MidiPortJackInput*>(self)->queue_.TakeCycle(buffer, start);
}
