// What the panel says of the MIDI ports once it can: a port a recall did not find,
// and a MIDI system that went away while its ports were open.

#include <string>
#include <tuple>

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "Kit_TimeSource.h"
#include "editor/Tavro.h"
#include "messaging/SendOutcome.h"

namespace {

constexpr uint64_t kPortLookMicros = 1000 * 1000;
constexpr int kInputGone = 1, kOutputGone = 2;

// The chosen port's full name (a caption's text may be cut), or "" for OFF.
std::string ChosenName(const IMidiPortNames* names, int entry) {
  return names && entry > 0 && size_t(entry) < names->size() ? (*names)[size_t(entry)] : std::string();
}

}  // namespace

std::string Tavro::portsNamed(bool input, bool output) {
  return input && output ? "MIDI In and Out" : input ? "MIDI In" : "MIDI Out";
}

void Tavro::withdrawPortNoticeWhenOpen() {
  if (unitLink_.midiIOSet && GetParam(kDeviceInSelection)->Int() > 0) showLayer("firstRunNotification", false);
}

void Tavro::OnGUIOpen() {
  // Without a MIDI system the menus hold only OFF: say why.
  if (portStatusForView.empty() && !GetMidiPorts().SystemPresent()) portStatusForView = kNoMidiSystemText;
  // What start-up passed over is said first, once: the host's reset wrote over it.
  std::string said = passedOverForView;
  if (!portStatusForView.empty()) said += (said.empty() ? "" : " / ") + portStatusForView;
  passedOverForView.clear();
  portStatusForView.clear();
  if (!said.empty()) showStatus(said);
}

// Which chosen ports are no longer among the system's ports.
int Tavro::chosenPortsGone() {
  const std::string in = ChosenName(getExternalMIDIInNames(), GetParam(kDeviceInSelection)->Int());
  const std::string out = ChosenName(getExternalMIDIOutNames(), GetParam(kDeviceOutSelection)->Int());
  int gone = 0;
  if (!in.empty() && GetMidiPorts().GetMIDIInPortNumber(in.c_str()) < 0) gone |= kInputGone;
  if (!out.empty() && GetMidiPorts().GetMIDIOutPortNumber(out.c_str()) < 0) gone |= kOutputGone;
  return gone;
}

void Tavro::OnIdle() {
  if (GetParam(kDeviceOutSelection)->Int() == 0 && GetParam(kDeviceInSelection)->Int() == 0) {
    portsFoundGone = 0;
    return;
  }
  const std::string systemGone = GetMidiPorts().SystemGoneText();
  if (systemGone.empty()) {
    const uint64_t now = Kit_Time().NowMicros();
    if (now < nextPortLookMicros) return;
    nextPortLookMicros = now + kPortLookMicros;
    const int gone = chosenPortsGone();
    // The captions stay: choosing the port shown again reopens it once it is back.
    if (gone & ~portsFoundGone) {
      showStatus(portsNamed(gone & kInputGone, gone & kOutputGone) + " gone: " + kChooseAgainToReconnect);
    }
    // Their captions say so too, and stop saying it once the port is back.
    for (const auto& [bit, paramIdx, control] :
         {std::make_tuple(kInputGone, int(kDeviceInSelection), kept_.midiInSelector),
          std::make_tuple(kOutputGone, int(kDeviceOutSelection), kept_.midiOutSelector)}) {
      if (!((gone ^ portsFoundGone) & bit)) continue;
      MarkChosenPortGone(paramIdx, gone & bit);
      if (control) control->SetDirty(false);
    }
    portsFoundGone = gone;
    return;
  }
  Kit_MutexLock lock(GetMutex());
  // Both closed, so that choosing a port reaches the system anew once it is back.
  setMidiIOSet(false);
  int off = 0;
  setExternalMIDIOut(off, IMidiPorts::kOffName);
  setExternalMIDIIn(off, IMidiPorts::kOffName);
  setFromPlug(kDeviceOutSelection, 0.0);
  setFromPlug(kDeviceInSelection, 0.0);
  showStatus(systemGone);
}
