#include "MidiTransport/MidiPortRtMidi.h"

namespace {
// Runs one library call; a library error is printed and reported as false.
template <typename Call>
bool Guarded(Call&& call) {
  try {
    call();
    return true;
  } catch (RtMidiError& error) {
    error.printMessage();
    return false;
  }
}
}  // namespace

// ---- port operations, shared by input and output

unsigned MidiPortRtMidiPorts::PortCount() {
  unsigned count = 0;
  Guarded([&] { count = midi_.getPortCount(); });
  return count;
}

bool MidiPortRtMidiPorts::PortName(unsigned port, std::string& name) {
  name.clear();
  return Guarded([&] { name = midi_.getPortName(port); }) && !name.empty();
}

bool MidiPortRtMidiPorts::OpenPort(unsigned port, const std::string& portName) {
  ClosePort();
  return Guarded([&] { midi_.openPort(port, portName); }) && IsPortOpen();
}

bool MidiPortRtMidiPorts::OpenVirtualPort(const std::string& portName) {
  ClosePort();
  return Guarded([&] { midi_.openVirtualPort(portName); });
}

void MidiPortRtMidiPorts::ClosePort() {
  Guarded([&] { midi_.closePort(); });
}

// ---- input

std::unique_ptr<MidiPortRtMidiInput> MidiPortRtMidiInput::Create(const std::string& clientName,
                                                                 unsigned queueSizeLimit) {
  std::unique_ptr<RtMidiIn> in;
  if (!Guarded([&] { in.reset(new RtMidiIn(RtMidi::LINUX_ALSA, clientName, queueSizeLimit)); })) return nullptr;
  std::unique_ptr<MidiPortRtMidiInput> input(new MidiPortRtMidiInput(std::move(in)));
  const bool filtered = Guarded([&] {
    input->in_->setCallback(&MidiPortRtMidiInput::OnMessage, input.get());
    input->in_->ignoreTypes(false, true, true);
  });
  return filtered ? std::move(input) : nullptr;
}

MidiPortRtMidiInput::MidiPortRtMidiInput(std::unique_ptr<RtMidiIn> in) : in_(std::move(in)), ports_(*in_) {}

MidiPortRtMidiInput::~MidiPortRtMidiInput() {
  StopDelivery();
  ClosePort();
}

bool MidiPortRtMidiInput::SetCallback(MidiInputCallback callback, void* userData) {
  delivery_.Start(callback, userData);
  return Guarded([&] { in_->ignoreTypes(false, true, true); });
}

void MidiPortRtMidiInput::OnMessage(double deltaTime, std::vector<unsigned char>* message, void* self) {
  static_cast<MidiPortRtMidiInput*>(self)->delivery_.Deliver(deltaTime, message);
}

// ---- output

std::unique_ptr<MidiPortRtMidiOutput> MidiPortRtMidiOutput::Create(const std::string& clientName) {
  std::unique_ptr<RtMidiOut> out;
  if (!Guarded([&] { out.reset(new RtMidiOut(RtMidi::LINUX_ALSA, clientName)); })) return nullptr;
  return std::unique_ptr<MidiPortRtMidiOutput>(new MidiPortRtMidiOutput(std::move(out)));
}

bool MidiPortRtMidiOutput::SendMessage(const std::vector<unsigned char>& bytes) {
  if (bytes.empty() || !IsPortOpen()) return false;
  return Guarded([&] { out_->sendMessage(&bytes); });
}
