#include "MidiTransport/MidiPortJackWriter.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kRingBytes = 1 << 16;
constexpr uint32_t kStampBytes = sizeof(jack_nframes_t);

// Clock, Start, Stop and the other system real-time messages, sent alone.
bool IsRealTime(const unsigned char* bytes, uint32_t length) { return length == 1 && bytes[0] >= 0xF8; }
}  // namespace

MidiPortJackWriter::MidiPortJackWriter() : ring_(kRingBytes) {}

bool MidiPortJackWriter::Queue(jack_nframes_t sentAt, const std::vector<unsigned char>& bytes) {
  if (bytes.empty() || bytes.size() > UINT32_MAX - kStampBytes) return false;
  stamped_.resize(kStampBytes);
  std::memcpy(stamped_.data(), &sentAt, kStampBytes);
  stamped_.insert(stamped_.end(), bytes.begin(), bytes.end());
  // Counted first: a cycle may settle the message before Push returns.
  const bool beside = !IsRealTime(bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (beside) acceptedBeside_.fetch_add(1);
  accepted_.fetch_add(1);
  if (ring_.Push(stamped_.data(), static_cast<uint32_t>(stamped_.size()))) return true;
  accepted_.fetch_sub(1);
  if (beside) acceptedBeside_.fetch_sub(1);
  return false;
}

bool MidiPortJackWriter::HasRoomFor(size_t length) const {
  return length <= UINT32_MAX - kStampBytes && ring_.HasRoomFor(static_cast<uint32_t>(kStampBytes + length));
}

uint64_t MidiPortJackWriter::Lost(bool unsettledLost) const {
  const uint64_t lost = lost_.load();
  return unsettledLost ? lost + (accepted_.load() - settled_.load()) : lost;
}

uint64_t MidiPortJackWriter::LostBesideRealTime(bool unsettledLost) const {
  const uint64_t lost = lostBeside_.load();
  return unsettledLost ? lost + (acceptedBeside_.load() - settledBeside_.load()) : lost;
}

void MidiPortJackWriter::DropQueued() {
  // Nothing queued for a closed port may reach the next one opened.
  uint64_t dropped = 0;
  uint64_t realTime = 0;
  for (uint32_t size; (size = ring_.PeekSize()) != 0; ++dropped) {
    unsigned char front[kStampBytes + 1];
    ring_.PeekFront(front, kStampBytes + 1);
    realTime += IsRealTime(front + kStampBytes, size - kStampBytes);
    ring_.Drop();
  }
  Settle(dropped, realTime, true);
}

void MidiPortJackWriter::WriteCycle(void* buffer, jack_nframes_t frames, jack_nframes_t start) {
  // Events go in frame order: one sent late (in a period missed, or queued just as
  // this cycle began) goes at the earliest free place.
  jack_nframes_t earliest = 0;
  uint32_t lostBefore = 0;
  // A cycle JACK runs a second time in its period (the first, late, ran for the period
  // before) finds what the first wrote, which readers may not have read yet: kept,
  // what fell due since goes after it.
  const jack_nframes_t kept = buffer == lastBuffer_ && start == lastStart_ ? jack_midi_get_event_count(buffer) : 0;
  if (kept > 0) {
    jack_midi_event_t last;
    if (jack_midi_event_get(&last, buffer, kept - 1) == 0) earliest = last.time;
    lostBefore = jack_midi_get_lost_event_count(buffer);
  } else {
    jack_midi_clear_buffer(buffer);
  }
  lastBuffer_ = buffer;
  lastStart_ = start;
  uint64_t written = 0;
  uint64_t realTime = 0;
  while (const uint32_t size = ring_.PeekSize()) {
    jack_nframes_t sentAt = 0;
    ring_.PeekFront(reinterpret_cast<unsigned char*>(&sentAt), kStampBytes);
    // Signed: the frame counter wraps. Sent during this period: due in the next.
    const int32_t sinceStart = static_cast<int32_t>(sentAt - start);
    if (sinceStart >= 0) break;
    const int64_t due = std::max<int64_t>(int64_t{sinceStart} + frames, earliest);
    const jack_nframes_t at = static_cast<jack_nframes_t>(std::min<int64_t>(due, frames - 1));
    const uint32_t length = size - kStampBytes;
    // Only what fits is reserved: a reservation JACK refuses counts as an event it lost.
    if (jack_midi_max_event_size(buffer) < length) {
      // Larger than a whole period's buffer: it could never go out.
      if (written == 0) {
        ring_.Drop();
        Settle(1, 0, true);
      }
      break;
    }
    jack_midi_data_t* event = jack_midi_event_reserve(buffer, at, length);
    if (!event) break;
    ring_.Pop(event, kStampBytes);
    ++written;
    realTime += IsRealTime(event, length);
    earliest = at;
  }
  Settle(written, realTime, false);
  // Events the server says our buffer lost did not go out. Which ones it does not
  // say, so they count against the messages beside the real-time ones too.
  if (const uint64_t lostHere = std::min<uint64_t>(jack_midi_get_lost_event_count(buffer) - lostBefore, written)) {
    lostBeside_.fetch_add(lostHere);
    lost_.fetch_add(lostHere);
  }
}

void MidiPortJackWriter::Settle(uint64_t count, uint64_t realTime, bool lost) {
  if (count == 0) return;
  // Lost before settled: whoever sees it settled sees it lost.
  if (lost) {
    lostBeside_.fetch_add(count - realTime);
    lost_.fetch_add(count);
  }
  settledBeside_.fetch_add(count - realTime);
  settled_.fetch_add(count);
}
