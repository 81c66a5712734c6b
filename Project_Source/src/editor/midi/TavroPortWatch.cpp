// What the panel says of the MIDI ports once it can: a port a recall did not find,
// and a MIDI system that went away while its ports were open.

#include "Framework/IParam.h"
#include "editor/Tavro.h"

void Tavro::OnGUIOpen() {
  if (portStatusForView.empty()) return;
  showStatus(portStatusForView);
  portStatusForView.clear();
}

void Tavro::OnIdle() {
  if (GetParam(kDeviceOutSelection)->Int() == 0 && GetParam(kDeviceInSelection)->Int() == 0) return;
  if (!GetMidiPorts().SystemGone()) return;
  Kit_MutexLock lock(GetMutex());
  // Both closed, so that choosing a port reaches the system anew once it is back.
  setMidiIOSet(false);
  int off = 0;
  setExternalMIDIOut(off, IMidiPorts::kOffName);
  setExternalMIDIIn(off, IMidiPorts::kOffName);
  setFromPlug(kDeviceOutSelection, 0.0);
  setFromPlug(kDeviceInSelection, 0.0);
  showStatus(kMidiSystemGoneText);
}
