// The MIDI clock's view of the editor: the port, the host tempo and the two clock
// switches (kSendMIDIClockPointer, kSendMIDIClockInfo).

#include <vector>

#include "Framework/IControlText.h"
#include "editor/Tavro.h"
#include "messaging/MIDIClockJobs.h"
#include "messaging/MIDIClockLink.h"
#include "messaging/MIDIClockOutput.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MIDIMessageSender.h"

namespace {

class TavroClockLink : public MIDIClockLink {
public:
  explicit TavroClockLink(Tavro& plug) : plug_(plug) {}

  bool SendRealTime(uint8_t byte) override {
    if (!plug_.unitLink().midiIOSet) return false;
    return plug_.SendMidiSysex2(std::vector<unsigned char>{byte});
  }
  bool SendEdge(uint8_t byte, uint64_t& unit) override {
    if (!plug_.unitLink().midiIOSet) return false;
    return plug_.GetMidiPorts().SendToUnit(std::vector<unsigned char>{byte}, unit);
  }
  bool outputSet() override { return plug_.unitLink().midiIOSet; }
  uint64_t OutputUnit() override { return plug_.GetMidiPorts().OutputUnit(); }
  int getTempoValue() override { return plug_.getTempoValue(); }
  bool clockPointerOn() override { return plug_.clockState().sendClockPointer.load(); }
  bool clockInfoOn() override { return plug_.clockState().sendMidiClock.load(); }
  void ClockTempoMissing(const char* message) override {
    plug_.setSendMidiClock(false);
    plug_.setFromPlug(kSendMIDIClockInfo, 0.0);
    if (plug_.keptControls().valueText) plug_.keptControls().valueText->SetTextFromPlug(message);
  }

private:
  Tavro& plug_;
};

}  // namespace

int Tavro::setExternalMIDIOut(int& index, const char* name) {
  IMidiPorts& ports = GetMidiPorts();
  const IMidiPortNames* names = ports.IsOutputOpen() ? getExternalMIDIOutNames() : nullptr;
  const size_t open = size_t(ports.SelectedOutput());
  const bool samePort = names && name && open > 0 && open < names->size() && (*names)[open] == name;
  MIDIClockOutput* clock = midiManager ? midiManager->sender()->clock() : nullptr;
  if (names && !samePort && clock) clock->LeaveUnit();
  return IModuleBase::setExternalMIDIOut(index, name);
}

void Tavro::installClockJobs() {
  clockLink = std::make_unique<TavroClockLink>(*this);
  installMIDIClockJobs(*midiManager->sender(), *clockLink);
}
