#include "MidiTransport/MidiPortJackOutput.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <thread>

namespace {
constexpr auto kClosePatience = std::chrono::seconds(2);
}  // namespace

std::unique_ptr<MidiPortJackOutput> MidiPortJackOutput::Connect(const std::string& clientName) {
  return OnNewClient(std::unique_ptr<MidiPortJackOutput>(new MidiPortJackOutput), clientName,
                     MidiPortJackClient::Direction::kOutput, &MidiPortJackOutput::WriteDue);
}

MidiPortJackOutput::MidiPortJackOutput() = default;

MidiPortJackOutput::~MidiPortJackOutput() {
  ReportLosses();   // while the client still tells whether its server has gone
  client_.reset();  // no cycle reads the ring after this
  ReportLosses();
}

bool MidiPortJackOutput::SendMessage(const std::vector<unsigned char>& bytes) {
  ReportLosses();
  if (bytes.empty() || !IsPortOpen()) return false;
  // What the server last told first: it never waits.
  if (!client_->PortConnected() && !client_->PortConnectedNow()) return false;
  return writer_.Queue(client_->FrameTime(), bytes);
}

uint64_t MidiPortJackOutput::LostMessages() {
  ReportLosses();
  // No cycle runs once the server has gone: what was accepted and not settled never goes out.
  return writer_.Lost(ServerGone());
}

uint64_t MidiPortJackOutput::LostMessagesBesideRealTime() {
  ReportLosses();
  return writer_.LostBesideRealTime(ServerGone());
}

void MidiPortJackOutput::ReportLosses() {
  const uint64_t lost = writer_.Lost(ServerGone());
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
  waitWhile([&] { return !writer_.Empty() || !AllSettled(); });
  // The period that wrote the last of them is read before the port goes: a cycle
  // after it has begun.
  const uint64_t written = cycles_.load();
  waitWhile([&] { return cycles_.load() < written + 2; });
  client_->ClosePort();
  ReportLosses();
}

void MidiPortJackOutput::WriteDue(void* buffer, jack_nframes_t frames, jack_nframes_t start, void* self) {
  auto* output = static_cast<MidiPortJackOutput*>(self);
  output->cycles_.fetch_add(1);
  if (buffer) {
    output->writer_.WriteCycle(buffer, frames, start);
  } else {
    output->writer_.DropQueued();
  }
}
