// MIDI to the simulated synthesizer over JACK while the server misses periods (run it
// beside busy loops, scripts/bench-jack-xruns): what the editor's output said of each
// send against what the unit recorded.
//
// Dumps: 40 numbered 139-byte dumps, one at a time as a bank store sends them; each is
// judged failed as the editor judges it (counted lost once settled). Counted: failed
// though it arrived, arrived, not arrived though not failed.
// Transport: Start and Stop by turns among Clocks every 20 ms, 20 edges at each of four
// spacings. Counted: edges sent, transport messages the unit got beyond one per edge
// (doubled), edges it never got; and the Starts and Stops the recorder below saw.
// Readers: a bare JACK client of its own (a recorder) reads the editor's output beside
// the unit, and a feeder of ours sends 40 more dumps to the editor's input, a second
// recorder beside it: each recorder connected as the reader it is compared with.
// Counted: dumps the recorder saw that the unit (sim-missed) or the editor's input
// (host-missed) did not, those they got that the recorder did not (sim-only,
// host-only), and dumps either got twice.
//
// Usage: jack_xrun_bench [period frames, default 256 [realtime]]; prints one line of
// figures. With `realtime` the server runs with real-time scheduling (as root, or where
// the machine allows it), and so do the clients' cycles.

#include <jack/jack.h>
#include <jack/midiport.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Framework/IMidiMsg.h"
#include "Framework/IMidiPorts.h"
#include "JackTestServer.h"
#include "MidiTransport/MidiPortSystem.h"
#include "SynthSimPorts.h"

namespace {

using Message = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;
constexpr const char* kSimName = "Xrun Sim";
constexpr int kDumps = 40;
constexpr int kEdgesPerSpacing = 20;
constexpr int kSpacingsMs[] = {250, 100, 50, 20};

// A client of its own that only counts the xruns the server reports.
class XrunCounter {
public:
  bool Open() {
    jack_status_t status;
    client_ = jack_client_open("xrun counter", JackNoStartServer, &status);
    return client_ && jack_set_xrun_callback(client_, &XrunCounter::OnXrun, this) == 0 && jack_activate(client_) == 0;
  }
  ~XrunCounter() {
    if (client_) jack_client_close(client_);
  }
  unsigned Xruns() const { return xruns_.load(); }

private:
  static int OnXrun(void* self) {
    static_cast<XrunCounter*>(self)->xruns_.fetch_add(1);
    return 0;
  }
  jack_client_t* client_ = nullptr;
  std::atomic<unsigned> xruns_{0};
};

// A bare JACK client: its input reads every event of every cycle, as JACK hands them,
// and marks the numbered dumps it sees.
class Recorder {
public:
  bool Open(const char* name) {
    jack_status_t status;
    client_ = jack_client_open(name, JackNoStartServer, &status);
    if (!client_) return false;
    port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    return port_ && jack_set_process_callback(client_, &Recorder::OnProcess, this) == 0 && jack_activate(client_) == 0;
  }
  ~Recorder() {
    if (client_) jack_client_close(client_);
  }
  bool Listen(const std::string& port) { return jack_connect(client_, port.c_str(), jack_port_name(port_)) == 0; }
  bool Saw(int n) const { return seen_[size_t(n)].load() > 0; }
  int Edges() const { return edges_.load(); }

private:
  static int OnProcess(jack_nframes_t frames, void* self) {
    auto* recorder = static_cast<Recorder*>(self);
    void* buffer = jack_port_get_buffer(recorder->port_, frames);
    for (uint32_t i = 0; i < jack_midi_get_event_count(buffer); ++i) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer, i) != 0) continue;
      if (event.size == 1 && (event.buffer[0] == 0xFA || event.buffer[0] == 0xFC)) recorder->edges_.fetch_add(1);
      if (event.size != 139 || event.buffer[1] != 0x7D) continue;
      const size_t n = size_t(event.buffer[2] << 7 | event.buffer[3]);
      if (n < recorder->seen_.size()) recorder->seen_[n].fetch_add(1);
    }
    return 0;
  }
  jack_client_t* client_ = nullptr;
  jack_port_t* port_ = nullptr;
  std::array<std::atomic<int>, 2 * kDumps> seen_{};
  std::atomic<int> edges_{0};  // Starts and Stops
};

// Counts the numbered dumps the editor's input hands on.
class DumpCount : public IMidiPortsSink {
public:
  void MidiFromDevice(IMidiMsg*) override {}
  void SysExFromDevice(ISysEx* sysex) override {
    if (sysex->mSize != 139 || sysex->mData[1] != 0x7D) return;
    const size_t n = size_t(sysex->mData[2] << 7 | sysex->mData[3]);
    if (n < got_.size()) got_[n].fetch_add(1);
  }
  int Got(int n) const { return got_[size_t(n)].load(); }

private:
  std::array<std::atomic<int>, 2 * kDumps> got_{};
};

// F0 7D n(2) ... F7: its number in bytes 2 and 3, a fill the number sets.
Message Dump(int n) {
  Message dump(139, static_cast<unsigned char>(n * 7 & 0x7F));
  dump[0] = 0xF0;
  dump[1] = 0x7D;
  dump[2] = static_cast<unsigned char>(n >> 7);
  dump[3] = static_cast<unsigned char>(n & 0x7F);
  dump.back() = 0xF7;
  return dump;
}

bool WaitUntil(IMidiPorts& ports, bool besideRealTime) {
  const auto giveUp = Clock::now() + std::chrono::seconds(10);
  while (!(besideRealTime ? ports.OutputSettledBesideRealTime() : ports.OutputSettled())) {
    if (Clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

struct Figures {
  int failedButArrived = 0, arrived = 0, lostUnsaid = 0, failedNotArrived = 0, refused = 0;
  int edges = 0, doubled = 0, missing = 0, edgesRecorded = 0, edgesGot = 0;
  int recorded = 0, simMissed = 0, simOnly = 0, simTwice = 0;
  int fedRecorded = 0, hostMissed = 0, hostOnly = 0, hostTwice = 0;
};

void SendDumps(IMidiPorts& ports, SynthSimPorts& sim, const Recorder& recorder, Figures& figures) {
  std::vector<bool> failed(kDumps, false);
  const size_t before = sim.Sim().ReceivedCount();
  for (int n = 0; n < kDumps; ++n) {
    const uint64_t lostBefore = ports.LostOutputMessages();
    if (!ports.SendMidiSysex2(Dump(n))) {
      ++figures.refused;
      failed[size_t(n)] = true;
      continue;
    }
    failed[size_t(n)] = !WaitUntil(ports, false) || ports.LostOutputMessages() != lostBefore;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the store's pace, roughly
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  std::vector<int> arrivals(kDumps, 0);
  const auto received = sim.Sim().Received();
  for (size_t i = before; i < received.size(); ++i) {
    const Message& m = received[i];
    if (m.size() != 139 || m[1] != 0x7D) continue;
    const int n = m[2] << 7 | m[3];
    if (n < kDumps && m == Dump(n)) ++arrivals[size_t(n)];
  }
  for (int n = 0; n < kDumps; ++n) {
    const bool came = arrivals[size_t(n)] > 0;
    figures.recorded += recorder.Saw(n);
    figures.simMissed += recorder.Saw(n) && !came;
    figures.simOnly += !recorder.Saw(n) && came;
    figures.simTwice += arrivals[size_t(n)] > 1;
    figures.arrived += came;
    figures.failedButArrived += came && failed[size_t(n)];
    figures.lostUnsaid += !came && !failed[size_t(n)];
    figures.failedNotArrived += !came && failed[size_t(n)];
  }
}

// Dumps numbered from kDumps on, from a feeder of ours (the kind of output the unit has)
// to the editor's input, the recorder reading them beside it.
void FeedDumps(MidiOutputTransport& feeder, const DumpCount& host, const Recorder& recorder, Figures& figures) {
  for (int n = kDumps; n < 2 * kDumps; ++n) {
    feeder.SendMessage(Dump(n));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  for (int n = kDumps; n < 2 * kDumps; ++n) {
    figures.fedRecorded += recorder.Saw(n);
    figures.hostMissed += recorder.Saw(n) && host.Got(n) == 0;
    figures.hostOnly += !recorder.Saw(n) && host.Got(n) > 0;
    figures.hostTwice += host.Got(n) > 1;
  }
}

void SendEdges(IMidiPorts& ports, SynthSimPorts& sim, const Recorder& recorder, Figures& figures) {
  const int recordedBefore = recorder.Edges();
  std::atomic<bool> clocking{true};
  std::thread clock([&] {
    while (clocking.load()) {
      ports.SendMidiSysex2({0xF8});
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const size_t before = sim.Sim().ReceivedCount();
  Message sent;
  for (int spacing : kSpacingsMs) {
    for (int e = 0; e < kEdgesPerSpacing; ++e) {
      const unsigned char edge = sent.empty() || sent.back() == 0xFC ? 0xFA : 0xFC;
      if (ports.SendMidiSysex2({edge})) sent.push_back(edge);
      std::this_thread::sleep_for(std::chrono::milliseconds(spacing));
    }
  }
  if (sent.empty() || sent.back() != 0xFC) {
    if (ports.SendMidiSysex2({0xFC})) sent.push_back(0xFC);
  }
  clocking = false;
  clock.join();
  WaitUntil(ports, false);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Message got;
  const auto received = sim.Sim().Received();
  for (size_t i = before; i < received.size(); ++i)
    if (received[i] == Message{0xFA} || received[i] == Message{0xFC}) got.push_back(received[i][0]);
  // Each sent edge matched in order; what comes between two matches is doubled.
  size_t g = 0;
  for (unsigned char edge : sent) {
    size_t at = g;
    while (at < got.size() && got[at] != edge) ++at;
    if (at == got.size()) {
      ++figures.missing;
      continue;
    }
    figures.doubled += int(at - g);
    g = at + 1;
  }
  figures.doubled += int(got.size() - g);
  figures.edges += int(sent.size());
  figures.edgesRecorded += recorder.Edges() - recordedBefore;
  figures.edgesGot += int(got.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int period = argc > 1 ? std::atoi(argv[1]) : 256;
  const bool realtime = argc > 2 && std::string(argv[2]) == "realtime";
  if (period < 16 || (argc > 2 && !realtime)) {
    std::fprintf(stderr, "usage: jack_xrun_bench [period frames [realtime]]\n");
    return 2;
  }
  JackTestServer server;
  if (!server.Start(period, realtime)) return 1;
  Figures figures;
  unsigned xruns = 0;
  {
    XrunCounter counter;
    if (!counter.Open()) return 1;
    auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
    SynthSimThreadScheduler scheduler;
    SynthSimPorts sim(*transports, scheduler, SynthSimSettings(), kSimName);
    if (!sim.Open()) return 1;
    auto feeder = transports->CreateOutput("xrun feeder");
    if (!feeder || !feeder->OpenVirtualPort("midi")) return 1;
    DumpCount sink;
    IMidiPorts ports(&sink, transports);
    ports.getExternalMIDIInNames();
    ports.getExternalMIDIOutNames();
    int out = 1, in = 1;
    if (ports.setExternalMIDIOut(out, sim.MidiInName().c_str()) <= 0) return 1;
    if (ports.setExternalMIDIIn(in, "xrun feeder:midi") <= 0) return 1;
    Recorder beside, besideFed;
    const std::string editorOut = std::string(IMidiPorts::kOutputClientName) + ":" + IMidiPorts::kOutputPortName;
    if (!beside.Open("recorder") || !beside.Listen(editorOut)) return 1;
    if (!besideFed.Open("recorder fed") || !besideFed.Listen("xrun feeder:midi")) return 1;
    SendDumps(ports, sim, beside, figures);
    FeedDumps(*feeder, sink, besideFed, figures);
    SendEdges(ports, sim, beside, figures);
    xruns = counter.Xruns();
  }
  server.Stop();
  std::printf(
      "dumps %d arrived %d failed-but-arrived %d failed-not-arrived %d lost-unsaid %d refused %d | "
      "edges %d doubled %d missing %d edges-recorded %d edges-got %d | recorded %d sim-missed %d sim-only %d "
      "sim-twice %d fed-recorded %d host-missed %d host-only %d host-twice %d | xruns %u\n",
      kDumps, figures.arrived, figures.failedButArrived, figures.failedNotArrived, figures.lostUnsaid, figures.refused,
      figures.edges, figures.doubled, figures.missing, figures.edgesRecorded, figures.edgesGot, figures.recorded,
      figures.simMissed, figures.simOnly, figures.simTwice, figures.fedRecorded, figures.hostMissed, figures.hostOnly,
      figures.hostTwice, xruns);
  return 0;
}
