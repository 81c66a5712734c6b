#include "HostMidiIn.h"

#include <cstdio>

#include "MidiTransport/MidiPortSystem.h"

namespace {
constexpr const char* kClientName = "tavro-host";
constexpr const char* kPortName = "host MIDI in";
constexpr unsigned kQueueLimit = 1024;
// More than a block can use: a stalled render must not grow the queue for ever.
constexpr size_t kWaitingLimit = 4096;
}  // namespace

bool HostMidiIn::Open(const std::string& portName, std::string& error) {
  // The plug-in's ports have said that there is no MIDI system; our error says the rest.
  input_ = MidiSystemTransports(MidiSystemApi::AlsaThenJack, NoMidiSystem::kLeaveToCaller)
               ->CreateInput(kClientName, kQueueLimit);
  if (!input_) {
    error = "no MIDI system for --midi-in";
    return false;
  }
  input_->SetCallback(&HostMidiIn::OnMessage, this);
  for (unsigned port = 0; port < input_->PortCount(); ++port) {
    std::string name;
    if (input_->PortName(port, name) && name == portName) {
      if (input_->OpenPort(port, kPortName)) return true;
      break;
    }
  }
  error = "MIDI port '" + portName + "' not found or not opened";
  input_.reset();
  return false;
}

void HostMidiIn::OnMessage(double, std::vector<unsigned char>* message, void* self) {
  auto* in = static_cast<HostMidiIn*>(self);
  if (!message || message->empty()) return;
  std::lock_guard<std::mutex> hold(in->lock_);
  if (in->waiting_.size() >= kWaitingLimit) {
    if (!in->overflowSaid_) std::fprintf(stderr, "tavro-host: live MIDI waits for a render; later messages dropped\n");
    in->overflowSaid_ = true;
    return;
  }
  in->waiting_.push_back(*message);
}

void HostMidiIn::DeliverTo(AudioUnit unit) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    handing_.swap(waiting_);
    overflowSaid_ = false;
  }
  for (const std::vector<unsigned char>& m : handing_) {
    if (m[0] == 0xF0) {
      MusicDeviceSysEx(unit, m.data(), UInt32(m.size()));
    } else if (m[0] >= 0x80 && m[0] < 0xF0) {
      MusicDeviceMIDIEvent(unit, m[0], m.size() > 1 ? m[1] : 0, m.size() > 2 ? m[2] : 0, 0);
    }
  }
  handing_.clear();
}
