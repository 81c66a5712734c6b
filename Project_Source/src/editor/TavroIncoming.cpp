// Channel messages arriving from the synthesizer and the host, and what the MIDI
// manager's incoming handlers and randomiser reach of the editor.

#include <cstring>

#include "IMidiMsg.h"
#include "IParam.h"
#include "LibrarianPanelParts.h"
#include "Tavro.h"
#include "WinEmu_Time.h"
#include "layout/tables/ParamNameTable.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/MIDIMessageManager.h"

namespace {

// The first slot whose part channel is `channel` (0-15), or -1.
int SlotOnChannel(const Tavro& plug, int channel) {
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (int(plug.paramValue(kPartMidiChannel + slot)) - 1 == channel) return slot;
  return -1;
}

}  // namespace

void Tavro::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
  if (!msg || !midiManager || transferBusy) return;
  if (fromDevice && ignoreDeviceMidi) return;
  if (msg->StatusMsg() == IMidiMsg::kNone) return;
  const int slot = SlotOnChannel(*this, msg->Channel());
  if (fromDevice) {
    if (slot >= 0) midiManager->ProcessMidiMsgFromDevice(msg);
    return;
  }
  // The global channel addresses the zones of linked slots, which are routed apart.
  if (msg->Channel() == int(paramValue(kDeviceID)) || slot < 0) return;
  midiManager->ProcessMidiMsgFromDAW(msg, slot);
}

IParam* Tavro::editorParam(int paramIdx) const {
  return paramIdx >= 0 && paramIdx < NParams() ? GetParam(paramIdx) : nullptr;
}

int Tavro::editorParamIndex(const char* name) const {
  for (int i = 0; i < kParamNameTableSize; ++i)
    if (std::strcmp(kParamNameTable[i].name, name) == 0) return kParamNameTable[i].index;
  return -1;
}

bool Tavro::midiClassBlocked(bool fromDevice, int filterClass) const {
  if (filterClass < 0 || filterClass >= kFilterClassCount) return true;
  return (fromDevice ? deviceFilterBlocked : hostFilterBlocked)[size_t(filterClass)].load();
}

void Tavro::lightIncomingMidi(int slot) {
  if (!trackIncomingMidi || !graphics || slot < 0 || slot >= kSlotCount) return;
  if (ledLit[size_t(slot)] != 0) return;
  // The time goes first: the render tick darkens a lit light by it.
  ledOnTimes[size_t(slot)] = int(GetTickCount());
  ledLit[size_t(slot)] = 1;
  setFromPlug(kMIDILed + slot, 1.0);
}

void Tavro::selectLibrarianRow(int row) {
  if (LibrarianPanelParts* parts = GetLibrarianPanelParts())
    if (librarianView) parts->setUpperSelectedRow(librarianView, row);
  if (librarian) librarian->selectedSlot = row;
}

// The librarian's send starter (job 2, sendPatchToDeviceFromLibrarian with the list's
// active column) lands with the librarian sends; until then a followed program change
// selects its row and sends nothing.
void Tavro::sendLibrarianRowToSynth(int row) {
  printDebugInfo("LIBRARIAN: row " + std::to_string(row) + " followed; no librarian send yet");
}

Kit_Mutex& Tavro::pluginMutex() { return GetMutex(); }

Kit_RandomSource& Tavro::randomSource() { return GetRandom(); }
