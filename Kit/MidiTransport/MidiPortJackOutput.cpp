#include "MidiPortJackOutput.h"

#include <jack/midiport.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {
constexpr size_t kRingBytes = 1 << 16;
constexpr auto kSendPatience = std::chrono::seconds(2);
constexpr unsigned kHoldBackPeriods = 6;
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
  const uint64_t ours = ++pushed_;
  for (;;) {
    const uint64_t settled = settled_.load();
    if (settled >> 1 >= ours) return (settled & 1) == 0;
    if (!IsPortOpen() || std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void MidiPortJackOutput::ClosePort() {
  const auto giveUp = std::chrono::steady_clock::now() + kSendPatience;
  while (IsPortOpen() && !ring_.Empty() && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  client_->ClosePort();
}

void MidiPortJackOutput::WriteDue(void* buffer, jack_nframes_t, const MidiPortJackCycle& cycle, void* self) {
  auto* output = static_cast<MidiPortJackOutput*>(self);
  output->SettleWritten(cycle);
  MidiPortByteRing& ring = output->ring_;
  if (!buffer) {
    // Nothing queued for a closed port may reach the next one opened.
    for (; ring.PeekSize() != 0; ++output->taken_) ring.Drop();
    output->SettleUnwritten();
    return;
  }
  jack_midi_clear_buffer(buffer);
  if (!output->MayWrite(cycle)) return;
  while (const uint32_t size = ring.PeekSize()) {
    if (jack_midi_max_event_size(buffer) < size) {
      // Larger than a whole period's buffer: it could never go out.
      if (output->taken_ == output->written_[1].last) {
        ring.Drop();
        ++output->taken_;
        output->SettleUnwritten();
      }
      break;
    }
    jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
    if (!event) break;
    ring.Pop(event);
    ++output->taken_;
  }
  output->written_[1].last = output->taken_;
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

void MidiPortJackOutput::SettleWritten(const MidiPortJackCycle& cycle) {
  // The cycle before last: its readers are done, and an xrun the server found
  // then has been reported by now.
  const Written& due = written_[0];
  if (due.last > settled_.load() >> 1) {
    Settle(due.last, due.failed || !cycle.FollowsLast() || cycle.XrunsBefore() != due.xruns);
  }
  written_[0] = written_[1];
  written_[0].failed |= !cycle.FollowsLast();
  written_[1] = Written{written_[0].last, cycle.XrunsBefore(), false};
}

void MidiPortJackOutput::SettleUnwritten() {
  if (taken_ > written_[1].last) Settle(taken_, true);
  written_[0].last = written_[1].last = taken_;
}
