#include "MidiPortJackOutput.h"

#include <jack/midiport.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {
constexpr size_t kRingBytes = 1 << 16;
constexpr auto kSendPatience = std::chrono::seconds(2);
}  // namespace

std::unique_ptr<MidiPortJackOutput> MidiPortJackOutput::Connect(const std::string& clientName) {
  return OnNewClient(std::unique_ptr<MidiPortJackOutput>(new MidiPortJackOutput), clientName,
                     MidiPortJackClient::Direction::kOutput, &MidiPortJackOutput::WriteDue);
}

MidiPortJackOutput::MidiPortJackOutput() : ring_(kRingBytes) {}

MidiPortJackOutput::~MidiPortJackOutput() {
  client_.reset();  // no cycle reads the ring after this
}

bool MidiPortJackOutput::SendMessage(const std::vector<unsigned char>& bytes) {
  if (bytes.empty() || !IsPortOpen() || !ring_.CanEverHold(static_cast<uint32_t>(bytes.size()))) return false;
  const auto giveUp = std::chrono::steady_clock::now() + kSendPatience;
  while (!ring_.Push(bytes.data(), static_cast<uint32_t>(bytes.size()))) {
    if (!IsPortOpen() || std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void MidiPortJackOutput::ClosePort() {
  const auto giveUp = std::chrono::steady_clock::now() + kSendPatience;
  while (IsPortOpen() && !ring_.Empty() && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  client_->ClosePort();
}

void MidiPortJackOutput::WriteDue(void* buffer, jack_nframes_t, void* self) {
  MidiPortByteRing& ring = static_cast<MidiPortJackOutput*>(self)->ring_;
  if (!buffer) {
    // Nothing queued for a closed port may reach the next one opened.
    while (ring.PeekSize() != 0) ring.Drop();
    return;
  }
  jack_midi_clear_buffer(buffer);
  bool wroteAny = false;
  while (const uint32_t size = ring.PeekSize()) {
    if (jack_midi_max_event_size(buffer) < size) {
      // Larger than a whole period's buffer: it could never go out.
      if (!wroteAny) ring.Drop();
      return;
    }
    jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
    if (!event) return;
    ring.Pop(event);
    wroteAny = true;
  }
}
