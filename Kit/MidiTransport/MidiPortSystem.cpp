#include "MidiTransport/MidiPortSystem.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "MidiTransport/MidiPortJackClient.h"
#include "MidiTransport/MidiPortJackInput.h"
#include "MidiTransport/MidiPortJackOutput.h"
#include "MidiTransport/MidiPortRtMidi.h"

namespace {
// RtMidi and the ALSA library print several lines each when the sequencer is not
// there, before any error callback of ours could be set: it is not asked then.
bool AlsaSequencerPresent() { return access("/dev/snd/seq", R_OK | W_OK) == 0; }

// Once for the whole process: every port the editor lists or opens would say it again.
void SayNoMidiSystem(MidiSystemApi api) {
  static std::atomic<bool> said{false};
  if (said.exchange(true)) return;
  std::fprintf(stderr, "%s\n",
               api == MidiSystemApi::AlsaThenJack ? "MIDI: no ALSA sequencer and no JACK server; ports stay OFF"
                                                  : "MIDI: no JACK server; ports stay OFF");
}

class SystemTransports : public MidiTransportFactory {
public:
  SystemTransports(MidiSystemApi api, NoMidiSystem noSystem) : api_(api), noSystem_(noSystem) {}

  std::unique_ptr<MidiInputTransport> CreateInput(const std::string& clientName, unsigned queueSizeLimit) override {
    if (TriesAlsa()) {
      // RtMidi throws when the sequencer cannot be opened and then never tries JACK itself.
      if (auto alsa = MidiPortRtMidiInput::Create(clientName, queueSizeLimit)) return alsa;
    }
    return Said(MidiPortJackInput::Connect(clientName));
  }

  std::unique_ptr<MidiOutputTransport> CreateOutput(const std::string& clientName) override {
    if (TriesAlsa()) {
      if (auto alsa = MidiPortRtMidiOutput::Create(clientName)) return alsa;
    }
    return Said(MidiPortJackOutput::Connect(clientName));
  }

  const char* Unavailable() override {
    if (MidiPortJackClient::ServerLingering()) return "the JACK server has stopped but not yet gone";
    return MidiPortJackClient::OpenRefused() ? "the JACK server refused it" : "no MIDI system";
  }

private:
  bool TriesAlsa() const { return api_ == MidiSystemApi::AlsaThenJack && AlsaSequencerPresent(); }
  template <typename Transport>
  std::unique_ptr<Transport> Said(std::unique_ptr<Transport> jack) const {
    // A server that lingers as it stops, or refuses, was said where it was found.
    if (!jack && noSystem_ == NoMidiSystem::kSay && !MidiPortJackClient::ServerLingering() &&
        !MidiPortJackClient::OpenRefused())
      SayNoMidiSystem(api_);
    return jack;
  }

  MidiSystemApi api_;
  NoMidiSystem noSystem_;
};
}  // namespace

std::shared_ptr<MidiTransportFactory> MidiSystemTransports(MidiSystemApi api, NoMidiSystem noSystem) {
  return std::make_shared<SystemTransports>(api, noSystem);
}
