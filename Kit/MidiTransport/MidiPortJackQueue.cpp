#include "MidiTransport/MidiPortJackQueue.h"

#include <jack/midiport.h>

#include <cerrno>
#include <cstring>

namespace {
// More than a JACK MIDI port buffer's events take with their frames and sizes.
constexpr size_t kLargestBufferRead = 1 << 17;
// Before each remembered event: its frame and size.
constexpr size_t kRecordHeader = sizeof(jack_nframes_t) + sizeof(uint32_t);
constexpr unsigned char kAfterGap = 1;
}  // namespace

MidiPortJackQueue::MidiPortJackQueue(Deliver deliver, Gap gap, size_t capacityBytes)
    : deliver_(std::move(deliver)), gap_(std::move(gap)), ring_(capacityBytes) {
  lastRead_.reserve(kLargestBufferRead);
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
  bool readBefore = start == lastStart_;  // still among what the last cycle read
  bool remembering = true;
  uint64_t taken = 0, dropped = 0;
  size_t offset = 0;
  lastStart_ = start;
  const jack_nframes_t count = jack_midi_get_event_count(portBuffer);
  for (jack_nframes_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, portBuffer, i) != 0) continue;
    readBefore = readBefore && ReadBefore(offset, event);
    if (!readBefore) {
      remembering = remembering && Remember(offset, event);
      ++(Push(event) ? taken : dropped);
    }
    offset += kRecordHeader + event.size;
  }
  // Beyond the room, a buffer read again is taken as new.
  lastRead_.resize(remembering ? offset : 0);
  if (taken + dropped == 0) return;
  ring_.Publish();
  // Counted once what came before them is published: midi-in, finding the queue
  // empty and the count grown, has handed on everything before them.
  if (dropped > 0) dropped_.fetch_add(dropped);
  sem_post(&waiting_);
}

bool MidiPortJackQueue::ReadBefore(size_t offset, const jack_midi_event_t& event) const {
  if (lastRead_.size() < offset + kRecordHeader + event.size) return false;
  const unsigned char* at = lastRead_.data() + offset;
  const uint32_t size = static_cast<uint32_t>(event.size);
  return std::memcmp(at, &event.time, sizeof event.time) == 0 &&
         std::memcmp(at + sizeof event.time, &size, sizeof size) == 0 &&
         std::memcmp(at + kRecordHeader, event.buffer, event.size) == 0;
}

bool MidiPortJackQueue::Remember(size_t offset, const jack_midi_event_t& event) {
  // Never grows on jack-process.
  const size_t end = offset + kRecordHeader + event.size;
  if (end > lastRead_.capacity()) return false;
  if (lastRead_.size() < end) lastRead_.resize(end);
  unsigned char* at = lastRead_.data() + offset;
  const uint32_t size = static_cast<uint32_t>(event.size);
  std::memcpy(at, &event.time, sizeof event.time);
  std::memcpy(at + sizeof event.time, &size, sizeof size);
  std::memcpy(at + kRecordHeader, event.buffer, event.size);
  return true;
}

bool MidiPortJackQueue::Push(const jack_midi_event_t& event) {
  if (event.size == 0) return true;
  const unsigned char lead = droppedSincePush_ ? kAfterGap : 0;
  droppedSincePush_ =
      event.size >= UINT32_MAX || !ring_.StageAfter(lead, event.buffer, static_cast<uint32_t>(event.size));
  return !droppedSincePush_;
}

void MidiPortJackQueue::TellGap(uint64_t total) {
  gap_(total - droppedTold_, total);
  droppedTold_ = total;
}

void MidiPortJackQueue::Run() {
  std::vector<unsigned char> message;
  for (;;) {
    while (sem_wait(&waiting_) != 0 && errno == EINTR) {
    }
    for (;;) {
      if (stopping_.load()) return;
      // The count before the look: grown, what came before it is there to be seen.
      const uint64_t dropped = dropped_.load();
      const uint32_t size = ring_.PeekSize();
      if (size == 0) {
        if (dropped != droppedTold_) TellGap(dropped);
        break;
      }
      unsigned char lead = 0;
      ring_.PeekFront(&lead, 1);
      message.resize(size - 1);
      ring_.Pop(message.data(), 1);
      if (lead == kAfterGap) TellGap(dropped);
      deliver_(&message);
    }
  }
}
