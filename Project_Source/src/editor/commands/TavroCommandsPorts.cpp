// The synthesizer's MIDI ports, chosen on the panel by their entry in the port lists.

#include <string>

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "editor/PatchManager.h"
#include "editor/Tavro.h"
#include "editor/commands/TavroCommands.h"

namespace TavroCommands {

namespace {

constexpr size_t kInputNameEntry = 5;
constexpr size_t kOutputNameEntry = 6;

// Opens the entry `entry` of the port list by its full name (a display text is cut
// and would match nothing); an entry outside the list closes the port. Keeps the name
// for the host state. Returns the list position now open, 0 when closed.
int SelectPort(Tavro& plug, bool output, int entry) {
  const IMidiPortNames* names = output ? plug.getExternalMIDIOutNames() : plug.getExternalMIDIInNames();
  const bool listed = names && entry >= 0 && size_t(entry) < names->size();
  const std::string name = listed ? (*names)[size_t(entry)] : std::string();
  if (plug.patchManager)
    plug.patchManager->names[output ? kOutputNameEntry : kInputNameEntry] = name.empty() ? "Set Name" : name;
  if (plug.keptControls().librarianView) plug.keptControls().librarianView->SetDirty(false);
  int opened = listed ? entry : 0;
  const char* openName = listed ? name.c_str() : IMidiPorts::kOffName;
  if (output) {
    plug.setExternalMIDIOut(opened, openName);
  } else {
    plug.setExternalMIDIIn(opened, openName);
  }
  return opened;
}

// A port set to OFF: the line says which are off now, not what a connection said.
void SayPortsOff(Tavro& plug, bool outputOpen, bool inputOpen) {
  if (outputOpen && inputOpen) return;
  plug.showStatus(Tavro::portsNamed(!inputOpen, !outputOpen) + (outputOpen || inputOpen ? " is OFF!" : " are OFF!"));
}

}  // namespace

void outputPort(Tavro& plug, int, double value) {
  const bool open = SelectPort(plug, true, TruncToInt(value)) > 0;
  plug.setMidiIOSet(open);
  if (!open) {
    SayPortsOff(plug, false, plug.GetParam(kDeviceInSelection)->Int() > 0);
    return;
  }
  plug.withdrawPortNoticeWhenOpen();
  plug.sendSysExInitialization();
  // The unit reached may be one that came back or a new one: the next tick tells it
  // the transport's state (Start to a unit that never left is not sent again), ahead
  // of the clock loop started again there (one that ended with the port unchosen); a
  // running loop is left alone.
  plug.resendTransport();
  plug.setClockLoopStarted(false);
}

void inputPort(Tavro& plug, int, double value) {
  if (SelectPort(plug, false, TruncToInt(value)) <= 0) {
    SayPortsOff(plug, plug.unitLink().midiIOSet, false);
    return;
  }
  plug.withdrawPortNoticeWhenOpen();
  // An output chosen first waited for this port to look for the unit.
  if (plug.unitLink().midiIOSet && plug.isDeviceEnquiryPending() && !plug.IsTransferring())
    plug.sendSysExInitialization();
}

}  // namespace TavroCommands
