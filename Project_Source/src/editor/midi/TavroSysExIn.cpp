// SysEx into the editor, and the librarian's side of requested dumps.

#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "layout/ControlAction.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/LibrarianViewControl.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/TransferJobSteps.h"

namespace {

constexpr int kSysExFilterClass = 6;  // the seventh filter flag of each side

}  // namespace

void Tavro::ProcessSysEx(ISysEx* sysex, bool fromDevice) {
  if (transfer_.sysexInputSuspended) return;
  if ((fromDevice ? midiFilters_.deviceFilterBlocked : midiFilters_.hostFilterBlocked)[kSysExFilterClass]) return;
  if (fromDevice && midiManager && midiManager->refuseLateReply(sysex)) {
    printDebugInfo("SYSEX IN: a reply to a request that has ended, not loaded");
    return;
  }
  takeSysEx(sysex, fromDevice);
}

void Tavro::processOwnSysEx(const unsigned char* bytes, int length) {
  ISysEx own(0, bytes, length);
  takeSysEx(&own, true);
}

void Tavro::takeSysEx(ISysEx* sysex, bool fromDevice) {
  if (!midiManager) return;
  midiManager->ProcessSysEx(sysex, fromDevice);
  if (graphics) graphics->SetAllControlsDirty();
  // Every binding, so a knob moved back to the value it last sent before the dump
  // is sent again.
  for (int i = 0; i < NParams(); ++i)
    if (ControlAction* action = GetParam(i)->GetControlAction()) action->lastValue = -1.0;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    setFromPlug(kMIDILed + slot, 0.0);
    setLedLit(size_t(slot), 0);
  }
  if (midiManager->dumpProcessed) {
    setDataProcessed(true);
    // While a transfer runs the line shows its progress; the transfer says its outcome.
    if (!transfer_.transferBusy) showStatus(kDataProcessedReady);
  }
}

void Tavro::SetLibrarianRequestActive(bool forLibrarian) {
  if (midiManager) {
    if (forLibrarian) {
      midiManager->transferInProgress = false;
      midiManager->armLibrarianReceiver(panelMode_.perfMode);
    } else {
      midiManager->transferInProgress = true;
      midiManager->disarmLibrarianReceivers();
    }
    midiManager->dumpProcessed = false;
  }
  setDataProcessed(false);
}

void Tavro::SetLibrarianStatusUnsaved(bool unsaved) {
  if (!unsaved) return;
  if (midiManager) {
    midiManager->transferInProgress = false;
    midiManager->disarmLibrarianReceivers();
  }
  setFromPlug(kBankEditUnsaved, 1.0);
  setFromPlug(kDiscardBankData, 0.0);
  showLayer("discardChangesLayerRight", true);
  if (kept_.datatypeControl) kept_.datatypeControl->GrayOut(true);
  if (kept_.datamodeControl) kept_.datamodeControl->GrayOut(true);
  showStatus("Data received to slot(s)");
}

void Tavro::setLibrarianViewDirty() {
  if (kept_.librarianView) kept_.librarianView->SetDirty(false);
}

void Tavro::updatePatchLibrarianView(int which) {
  auto* view = dynamic_cast<LibrarianViewControl*>(kept_.librarianView);
  if (!view || which < 0 || which > 2) return;
  if (which != 1) view->patchSelectionUpperChanged();
  if (which != 0) view->patchSelectionLowerChanged();
}

int Tavro::getTimerValue() const {
  switch (TruncToInt(paramValue(kLibSyncTimer))) {
    case 1: return 250;
    case 2: return 300;
    case 3: return 350;
    default: return 200;
  }
}
