#include "MidiPortJackOutput.h"

#include <jack/midiport.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {
constexpr size_t kRingBytes = 1 << 16;
constexpr auto kSendPatience = std::chrono::seconds(2);

// Names of the MIDI ports we can write to, in JACK's order.
std::vector<std::string> WritablePorts(jack_client_t* client) {
  std::vector<std::string> names;
  const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  for (const char** p = ports; p && *p; ++p) names.emplace_back(*p);
  if (ports) jack_free(ports);
  return names;
}
}  // namespace

std::unique_ptr<MidiPortJackOutput> MidiPortJackOutput::Connect(const std::string& clientName) {
  jack_status_t status;
  jack_client_t* client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
  if (!client) {
    std::fprintf(stderr, "MIDI output: no JACK server (status 0x%x)\n", static_cast<unsigned>(status));
    return nullptr;
  }
  std::unique_ptr<MidiPortJackOutput> output(new MidiPortJackOutput(client));
  if (jack_set_process_callback(client, &MidiPortJackOutput::Process, output.get()) != 0 ||
      jack_activate(client) != 0) {
    std::fprintf(stderr, "MIDI output: cannot activate the JACK client\n");
    return nullptr;
  }
  return output;
}

MidiPortJackOutput::MidiPortJackOutput(jack_client_t* client) : client_(client), ring_(kRingBytes) {}

MidiPortJackOutput::~MidiPortJackOutput() {
  jack_deactivate(client_);
  jack_client_close(client_);
}

unsigned MidiPortJackOutput::PortCount() { return static_cast<unsigned>(WritablePorts(client_).size()); }

bool MidiPortJackOutput::PortName(unsigned port, std::string& name) {
  const std::vector<std::string> names = WritablePorts(client_);
  name = port < names.size() ? names[port] : std::string();
  return port < names.size();
}

bool MidiPortJackOutput::RegisterPort(const std::string& portName) {
  ClosePort();
  jack_port_t* port = jack_port_register(client_, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (!port) {
    std::fprintf(stderr, "MIDI output: cannot register JACK port '%s'\n", portName.c_str());
    return false;
  }
  port_.store(port);
  return true;
}

bool MidiPortJackOutput::OpenPort(unsigned port, const std::string& portName) {
  std::string target;
  if (!PortName(port, target) || !RegisterPort(portName)) return false;
  if (jack_connect(client_, jack_port_name(port_.load()), target.c_str()) != 0) {
    std::fprintf(stderr, "MIDI output: cannot connect to '%s'\n", target.c_str());
    ClosePort();
    return false;
  }
  return true;
}

bool MidiPortJackOutput::OpenVirtualPort(const std::string& portName) { return RegisterPort(portName); }

void MidiPortJackOutput::ClosePort() {
  jack_port_t* port = port_.exchange(nullptr);
  if (!port) return;
  jack_port_unregister(client_, port);
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

int MidiPortJackOutput::Process(jack_nframes_t frames, void* self) {
  static_cast<MidiPortJackOutput*>(self)->WriteDue(frames);
  return 0;
}

void MidiPortJackOutput::WriteDue(jack_nframes_t frames) {
  jack_port_t* port = port_.load();
  if (!port) {
    // Nothing queued for a closed port may reach the next one opened.
    while (ring_.PeekSize() != 0) ring_.Drop();
    return;
  }
  void* buffer = jack_port_get_buffer(port, frames);
  jack_midi_clear_buffer(buffer);
  bool wroteAny = false;
  while (const uint32_t size = ring_.PeekSize()) {
    if (jack_midi_max_event_size(buffer) < size) {
      // Larger than a whole period's buffer: it could never go out.
      if (!wroteAny) ring_.Drop();
      return;
    }
    jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
    if (!event) return;
    ring_.Pop(event);
    wroteAny = true;
  }
}
