#include "MidiPortSystem.h"

#include "MidiPortJackInput.h"
#include "MidiPortJackOutput.h"
#include "MidiPortRtMidi.h"

namespace {
class SystemTransports : public MidiTransportFactory {
public:
  explicit SystemTransports(MidiSystemApi api) : api_(api) {}

  std::unique_ptr<MidiInputTransport> CreateInput(const std::string& clientName, unsigned queueSizeLimit) override {
    if (api_ == MidiSystemApi::AlsaThenJack) {
      // RtMidi throws when /dev/snd/seq is missing and then never tries JACK itself.
      if (auto alsa = MidiPortRtMidiInput::Create(clientName, queueSizeLimit)) return alsa;
    }
    return MidiPortJackInput::Connect(clientName);
  }

  std::unique_ptr<MidiOutputTransport> CreateOutput(const std::string& clientName) override {
    if (api_ == MidiSystemApi::AlsaThenJack) {
      if (auto alsa = MidiPortRtMidiOutput::Create(clientName)) return alsa;
    }
    return MidiPortJackOutput::Connect(clientName);
  }

private:
  MidiSystemApi api_;
};
}  // namespace

std::shared_ptr<MidiTransportFactory> MidiSystemTransports(MidiSystemApi api) {
  return std::make_shared<SystemTransports>(api);
}
