// Stand-ins for the SysEx receivers' operations that the transfer jobs call, until
// the receivers land with their own: this file then goes.

#include "Tavro.h"
#include "messaging/MIDIMessageManager.h"

namespace {
constexpr int kLibSyncTimer = 659;
}  // namespace

int Tavro::getTimerValue() const {
  switch (int(paramValue(kLibSyncTimer))) {
    case 1: return 250;
    case 2: return 300;
    case 3: return 350;
    default: return 200;
  }
}

void Tavro::SetLibrarianRequestActive(bool active) {
  if (midiManager) {
    midiManager->transferInProgress = !active;
    midiManager->dumpProcessed = false;
  }
  dataProcessed = false;
}

void Tavro::SetLibrarianStatusUnsaved(bool unsaved) {
  if (!unsaved) return;
  if (midiManager) midiManager->transferInProgress = false;
  setFromPlug(kBankEditUnsaved, 1.0);
  showStatus("Data received to slot(s)");
}
