#include "MidiTransport/MidiPortJackOutput.h"

#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {
constexpr size_t kRingBytes = 1 << 16;
constexpr auto kClosePatience = std::chrono::seconds(2);
constexpr unsigned kHoldBackPeriods = 6;
constexpr uint32_t kStampBytes = sizeof(jack_nframes_t);

// Clock, Start, Stop and the other system real-time messages, sent alone.
bool IsRealTime(const unsigned char* bytes, uint32_t length) { return length == 1 && bytes[0] >= 0xF8; }
}  // namespace

std::unique_ptr<MidiPortJackOutput> MidiPortJackOutput::Connect(const std::string& clientName) {
  return OnNewClient(std::unique_ptr<MidiPortJackOutput>(new MidiPortJackOutput), clientName,
                     MidiPortJackClient::Direction::kOutput, &MidiPortJackOutput::WriteDue);
}

MidiPortJackOutput::MidiPortJackOutput() : ring_(kRingBytes) {}

MidiPortJackOutput::~MidiPortJackOutput() {
  ReportLosses();   // while the client still tells whether its server has gone
  client_.reset();  // no cycle reads the ring after this
  ReportLosses();
}

bool MidiPortJackOutput::SendMessage(const std::vector<unsigned char>& bytes) {
  ReportLosses();
  if (bytes.empty() || !IsPortOpen() || bytes.size() > UINT32_MAX - kStampBytes) return false;
  // What the server last told first: it never waits.
  if (!client_->PortConnected() && !client_->PortConnectedNow()) return false;
  const jack_nframes_t sentAt = client_->FrameTime();
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

uint64_t MidiPortJackOutput::LostMessages() {
  ReportLosses();
  return Lost();
}

uint64_t MidiPortJackOutput::LostMessagesBesideRealTime() {
  ReportLosses();
  const uint64_t lost = lostBeside_.load();
  return ServerGone() ? lost + (acceptedBeside_.load() - settledBeside_.load()) : lost;
}

uint64_t MidiPortJackOutput::Lost() const {
  // No cycle runs once the server has gone: what was accepted and not settled never goes out.
  const uint64_t lost = lost_.load();
  return ServerGone() ? lost + (accepted_.load() - settled_.load()) : lost;
}

void MidiPortJackOutput::ReportLosses() {
  const uint64_t lost = Lost();
  const uint64_t before = reportedLost_.exchange(lost);
  if (lost > before) {
    std::fprintf(stderr, "MIDI: %" PRIu64 " message(s) sent to JACK lost (%" PRIu64 " so far)\n", lost - before, lost);
  }
}

void MidiPortJackOutput::ClosePort() {
  // IsPortOpen is false once the server has gone: nothing would drain the ring.
  const auto giveUp = std::chrono::steady_clock::now() + kClosePatience;
  const auto waitWhile = [&](const auto& pending) {
    while (IsPortOpen() && pending() && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };
  waitWhile([&] { return !ring_.Empty() || !AllSettled(); });
  // The period that wrote the last of them is read before the port goes: a cycle
  // after it has begun.
  const uint64_t written = cycles_.load();
  waitWhile([&] { return cycles_.load() < written + 2; });
  client_->ClosePort();
  ReportLosses();
}

void MidiPortJackOutput::WriteDue(void* buffer, jack_nframes_t frames, const MidiPortJackCycle& cycle, void* self) {
  auto* output = static_cast<MidiPortJackOutput*>(self);
  output->cycles_.fetch_add(1);
  if (!buffer) {
    output->DropQueued();
    return;
  }
  jack_midi_clear_buffer(buffer);
  if (!output->MayWrite(cycle)) return;
  output->WriteSentBefore(buffer, frames, cycle.Start());
}

void MidiPortJackOutput::DropQueued() {
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

void MidiPortJackOutput::WriteSentBefore(void* buffer, jack_nframes_t frames, jack_nframes_t start) {
  // Events go in frame order: one sent late (held back, or queued just as this
  // cycle began) goes at the earliest free place.
  jack_nframes_t earliest = 0;
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
  if (const uint64_t lostHere = std::min<uint64_t>(jack_midi_get_lost_event_count(buffer), written)) {
    lostBeside_.fetch_add(lostHere);
    lost_.fetch_add(lostHere);
  }
}

bool MidiPortJackOutput::MayWrite(const MidiPortJackCycle& cycle) {
  // After an xrun a reader may stay behind for a few periods and then skip
  // what it finds: write nothing until it has had time to catch up.
  if (cycle.XrunsBefore() != xrunsSeen_ || !cycle.FollowsLast()) {
    xrunsSeen_ = cycle.XrunsBefore();
    holdBack_ = kHoldBackPeriods;
  }
  if (holdBack_ == 0) return true;
  --holdBack_;
  return false;
}

void MidiPortJackOutput::Settle(uint64_t count, uint64_t realTime, bool lost) {
  if (count == 0) return;
  // Lost before settled: whoever sees it settled sees it lost.
  if (lost) {
    lostBeside_.fetch_add(count - realTime);
    lost_.fetch_add(count);
  }
  settledBeside_.fetch_add(count - realTime);
  settled_.fetch_add(count);
}
