#include "MidiTransport/MidiPortJackQueue.h"

#include <jack/midiport.h>

#include <cerrno>

namespace {
// More than a JACK MIDI port buffer's events take with their frames and sizes.
constexpr size_t kLargestBufferRead = 1 << 17;
}  // namespace

MidiPortJackQueue::MidiPortJackQueue(Deliver deliver, size_t capacityBytes)
    : deliver_(std::move(deliver)), ring_(capacityBytes) {
  lastRead_.reserve(kLargestBufferRead);
  reading_.reserve(kLargestBufferRead);
  sem_init(&waiting_, 0, 0);
  thread_ = std::thread([this] { Run(); });
}

MidiPortJackQueue::~MidiPortJackQueue() {
  stopping_.store(true);
  sem_post(&waiting_);
  thread_.join();
  sem_destroy(&waiting_);
}

void MidiPortJackQueue::TakeCycle(void* portBuffer, jack_nframes_t start) {
  if (ReadBefore(portBuffer, start)) return;
  const jack_nframes_t count = jack_midi_get_event_count(portBuffer);
  for (jack_nframes_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, portBuffer, i) == 0) Push(event.buffer, event.size);
  }
  ring_.Publish();
  for (; pushedThisCycle_ > 0; --pushedThisCycle_) sem_post(&waiting_);
}

bool MidiPortJackQueue::ReadBefore(void* portBuffer, jack_nframes_t start) {
  reading_.clear();
  const jack_nframes_t count = jack_midi_get_event_count(portBuffer);
  for (jack_nframes_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, portBuffer, i) != 0) continue;
    const uint32_t size = static_cast<uint32_t>(event.size);
    // Never grows on jack-process: a buffer beyond the room is taken as new.
    if (reading_.size() + sizeof event.time + sizeof size + size > reading_.capacity()) {
      reading_.clear();
      break;
    }
    const auto* time = reinterpret_cast<const unsigned char*>(&event.time);
    const auto* length = reinterpret_cast<const unsigned char*>(&size);
    reading_.insert(reading_.end(), time, time + sizeof event.time);
    reading_.insert(reading_.end(), length, length + sizeof size);
    reading_.insert(reading_.end(), event.buffer, event.buffer + size);
  }
  const bool again = count > 0 && start == lastStart_ && reading_ == lastRead_;
  lastStart_ = start;
  lastRead_.swap(reading_);
  return again;
}

void MidiPortJackQueue::Push(const unsigned char* bytes, size_t size) {
  if (size == 0) return;
  if (size > UINT32_MAX || !ring_.Stage(bytes, static_cast<uint32_t>(size))) {
    dropped_.fetch_add(1);
    return;
  }
  ++pushedThisCycle_;
}

void MidiPortJackQueue::Run() {
  std::vector<unsigned char> message;
  for (;;) {
    while (sem_wait(&waiting_) != 0 && errno == EINTR) {
    }
    if (stopping_.load()) return;
    const uint32_t size = ring_.PeekSize();
    if (size == 0) continue;
    message.resize(size);
    ring_.Pop(message.data());
    deliver_(&message);
  }
}
