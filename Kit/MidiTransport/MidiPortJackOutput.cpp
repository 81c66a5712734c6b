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
constexpr unsigned kTransportWrites = 4;  // the first write and three more

bool IsTransport(const unsigned char* bytes, uint32_t length) {
  return length == 1 && (bytes[0] == 0xFA || bytes[0] == 0xFB || bytes[0] == 0xFC);
}

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
  // Settled too: a transport message a lost period took is written again.
  const auto giveUp = std::chrono::steady_clock::now() + kClosePatience;
  while (IsPortOpen() && (!ring_.Empty() || !AllSettled()) && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  client_->ClosePort();
  ReportLosses();
}

void MidiPortJackOutput::WriteDue(void* buffer, jack_nframes_t frames, const MidiPortJackCycle& cycle, void* self) {
  auto* output = static_cast<MidiPortJackOutput*>(self);
  output->SettleWritten(cycle);
  MidiPortByteRing& ring = output->ring_;
  if (!buffer) {
    // Nothing queued for a closed port may reach the next one opened.
    uint64_t dropped = output->retakenWaiting_ ? 1 : 0;
    uint64_t realTime = dropped;
    output->retakenWaiting_ = false;
    for (uint32_t size; (size = ring.PeekSize()) != 0; ++dropped) {
      unsigned char front[kStampBytes + 1];
      ring.PeekFront(front, kStampBytes + 1);
      realTime += IsRealTime(front + kStampBytes, size - kStampBytes);
      ring.Drop();
    }
    output->Settle(dropped, realTime, true);
    return;
  }
  jack_midi_clear_buffer(buffer);
  if (!output->MayWrite(cycle)) return;
  output->WriteRetaken(buffer);
  output->WriteSentBefore(buffer, frames, cycle.Start());
}

void MidiPortJackOutput::WriteRetaken(void* buffer) {
  if (!retakenWaiting_) return;
  jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, 1);
  if (!event) return;
  *event = retaken_.byte;
  retakenWaiting_ = false;
  ++writtenThisCycle_.count;
  ++writtenThisCycle_.realTime;
  NoteTransport(retaken_.byte, retaken_.writes + 1);
}

void MidiPortJackOutput::NoteTransport(unsigned char byte, unsigned writes) {
  Written& now = writtenThisCycle_;
  ++transportOrder_;
  // More than a few in one period are not written again (no unit is sent that many).
  if (now.transportCount < kTransportsPerCycle) now.transports[now.transportCount++] = {byte, transportOrder_, writes};
}

uint64_t MidiPortJackOutput::RetakeLostTransports(const Transport* transports, unsigned count) {
  uint64_t settled = 0;
  for (unsigned i = 0; i < count; ++i) {
    const Transport& lost = transports[i];
    const bool newest = lost.order == transportOrder_;
    if (newest && lost.writes < kTransportWrites) {
      if (retakenWaiting_) ++settled;  // never written again: this one is newer
      retaken_ = lost;
      retakenWaiting_ = true;
    } else {
      ++settled;
    }
  }
  return settled;
}

void MidiPortJackOutput::WriteSentBefore(void* buffer, jack_nframes_t frames, jack_nframes_t start) {
  // Events go in frame order: one sent late (held back, or queued just as this
  // cycle began) goes at the earliest free place.
  jack_nframes_t earliest = 0;
  while (const uint32_t size = ring_.PeekSize()) {
    jack_nframes_t sentAt = 0;
    ring_.PeekFront(reinterpret_cast<unsigned char*>(&sentAt), kStampBytes);
    // Signed: the frame counter wraps. Sent during this period: due in the next.
    const int32_t sinceStart = static_cast<int32_t>(sentAt - start);
    if (sinceStart >= 0) return;
    const int64_t due = std::max<int64_t>(int64_t{sinceStart} + frames, earliest);
    const jack_nframes_t at = static_cast<jack_nframes_t>(std::min<int64_t>(due, frames - 1));
    const uint32_t length = size - kStampBytes;
    if (jack_midi_max_event_size(buffer) < length) {
      // Larger than a whole period's buffer: it could never go out.
      if (writtenThisCycle_.count == 0) {
        ring_.Drop();
        Settle(1, 0, true);
      }
      return;
    }
    jack_midi_data_t* event = jack_midi_event_reserve(buffer, at, length);
    if (!event) return;
    ring_.Pop(event, kStampBytes);
    ++writtenThisCycle_.count;
    writtenThisCycle_.realTime += IsRealTime(event, length);
    if (IsTransport(event, length)) NoteTransport(*event, 1);
    earliest = at;
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

void MidiPortJackOutput::SettleWritten(const MidiPortJackCycle& cycle) {
  // The cycle before last: its readers are done, and an xrun the server found
  // then has been reported by now.
  const Written& due = writtenLastCycle_;
  const bool lost = due.failed || !cycle.FollowsLast() || cycle.XrunsBefore() != due.xruns;
  if (lost) {
    // Its transport messages that will be written again are not settled yet.
    const uint64_t retaking = due.transportCount - RetakeLostTransports(due.transports, due.transportCount);
    Settle(due.count - retaking, due.realTime - retaking, true);
  } else {
    Settle(due.count, due.realTime, false);
  }
  writtenLastCycle_ = writtenThisCycle_;
  writtenLastCycle_.failed |= !cycle.FollowsLast();
  writtenThisCycle_ = Written{};
  writtenThisCycle_.xruns = cycle.XrunsBefore();
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
