#include "SynthSimPorts.h"

#include <chrono>
#include <cstdio>
#include <thread>

SynthSimPorts::SynthSimPorts(MidiTransportFactory& transports, SynthSimScheduler& scheduler, SynthSimSettings settings,
                             std::string name)
    : transports_(transports),
      name_(std::move(name)),
      outlet_(std::make_shared<Outlet>()),
      sim_(settings, scheduler, [outlet = outlet_](const SynthSim::Message& reply) { outlet->Send(reply); }) {}

SynthSimPorts::~SynthSimPorts() {
  if (in_) {
    in_->StopDelivery();
    in_->ClosePort();
  }
  std::lock_guard<std::mutex> hold(outlet_->lock);
  outlet_->out.reset();
}

bool SynthSimPorts::Open() {
  in_ = transports_.CreateInput(name_ + "-in", 100);
  std::unique_ptr<MidiOutputTransport> out = transports_.CreateOutput(name_ + "-out");
  const bool opened = in_ && out && in_->SetCallback(&SynthSimPorts::OnMessage, this) && in_->OpenVirtualPort("midi") &&
                      out->OpenVirtualPort("midi");
  if (!opened) {
    std::fprintf(stderr, "synth-sim: cannot open its MIDI ports\n");
    in_.reset();
    return false;
  }
  std::lock_guard<std::mutex> hold(outlet_->lock);
  outlet_->out = std::move(out);
  return true;
}

void SynthSimPorts::OnMessage(double, std::vector<unsigned char>* message, void* self) {
  auto* ports = static_cast<SynthSimPorts*>(self);
  if (std::FILE* record = ports->record_) {
    for (size_t i = 0; i < message->size(); ++i) std::fprintf(record, i ? " %02X" : "%02X", (*message)[i]);
    std::fputc('\n', record);
    std::fflush(record);
  }
  ports->sim_.Receive(message->data(), message->size());
}

void SynthSimPorts::Outlet::Send(const SynthSim::Message& reply) {
  std::lock_guard<std::mutex> hold(lock);
  // The front panel's channel messages go unconfirmed: a knob stream at the wire's
  // rate cannot wait a period for each, and one sent again would arrive out of its
  // order. The transport reports any it loses.
  if (!reply.empty() && reply[0] != 0xF0) {
    if (out) out->SendMessage(reply);
    return;
  }
  const auto settle = [this] {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!out->AllSettled() && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  };
  // Channel messages still on their way settle first, so a loss counted below is the reply's.
  if (out) settle();
  // A reply JACK did not take (its port closed under it) goes again, a few times.
  for (int attempt = 0; attempt < 3 && out; ++attempt) {
    const uint64_t lostBefore = out->LostMessages();
    if (!out->SendMessage(reply)) continue;
    settle();
    if (out->LostMessages() == lostBefore) return;
  }
}
