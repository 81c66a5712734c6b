// The librarian's sends to the synthesizer and the resends after a program or
// performance change, and what the jobs behind them read of the editor.

#include <memory>

#include "Framework/IParam.h"
#include "Kit_Mutex.h"
#include "editor/PatchManager.h"
#include "editor/Tavro.h"
#include "librarian/LibrarianRecords.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/LibrarianViewControl.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/TransferJobSteps.h"

namespace {

constexpr int kSectionLocks = 6;
constexpr int kBusyPauseMs = 200;
constexpr int kNoteOffSettleMs = 50;

LibrarianViewControl* ListControl(IControl* view) { return dynamic_cast<LibrarianViewControl*>(view); }

}  // namespace

void Tavro::sendPatchToDeviceFromLibrarian(int row, int pane) { sendLibrarianSlot(row, pane, "Not sent"); }

void Tavro::sendLibrarianSlot(int row, int pane, const std::string& refused) {
  if (!librarian || !midiManager) return;
  const int kind = librarian->patchType.load();
  const int index = pane == 0 ? librarian->upperFileIndex.load() : librarian->lowerFileIndex.load();
  const bool search = pane != 0 && panelMode_.searchResultsShown;
  if (kind != 0 && kind != 1) return;
  // The job gets a copy of its own, made with the padding under the librarian's lock:
  // a rescan or an edit of the bank while it runs cannot touch what it sends.
  std::shared_ptr<LibrarianPatch> patch;
  bool bank = false;
  librarian->modify([&](PatchLibrary& library) {
    PatchFileList& files = search ? library.searchFiles : library.filesOfType(kind);
    if (index < 0 || size_t(index) >= files.size() || !files[size_t(index)]) return;
    bank = true;
    std::vector<LibrarianPatch>& slots = files[size_t(index)]->patches;
    if (slots.size() < kProgramBankSize) slots.resize(kProgramBankSize);
    if (row < 0 || size_t(row) >= slots.size() || slots[size_t(row)].empty()) return;
    patch = std::make_shared<LibrarianPatch>(slots[size_t(row)]);
  });
  // Nothing to send says why, as a request with nowhere to store does.
  if (!patch) {
    showStatus(!bank     ? librarian->noBankText(refused)
               : row < 0 ? refused + ": no slot selected"
                         : refused + ": slot is empty");
    return;
  }
  // The row sent is the row shown selected, whichever road sent it.
  selectLibrarianRow(pane, row);
  if (!unitLink_.midiIOSet) {
    showStatus(kSetPortsFirst);
    return;
  }
  AllSoundsOff(panelMode_.activeSlot, false);  // notes off, 100 ms, output held
  pauseUnlessClosing(kNoteOffSettleMs);
  JobArgs args;
  args.jobCode = kJobSendLibrarianPatch;
  args.librarianPatch = std::move(patch);
  args.slot = panelMode_.activeSlot;
  // Rows stepped through faster than they are sent: the last one still goes out.
  midiManager->startOrKeep(args);
}

void Tavro::storeAllPatchesToDeviceFromLibrarian(int column, int bank) {
  if (!midiManager || !librarian) return;
  if (!unitLink_.midiIOSet) {
    showStatus(kSetPortsFirst);
    return;
  }
  const int kind = librarian->patchType.load();
  const int index = column == 0 ? librarian->upperFileIndex.load() : librarian->lowerFileIndex.load();
  bool shown = false;
  librarian->inspect([&](const PatchLibrary& library) {
    const PatchFileList& files =
        column != 0 && panelMode_.searchResultsShown ? library.searchFiles : library.filesOfType(kind);
    shown = (kind == 0 || kind == 1) && index >= 0 && size_t(index) < files.size() && files[size_t(index)];
  });
  if (!shown) {
    showStatus(librarian->noBankText("Not stored"));
    return;
  }
  JobArgs args;
  args.jobCode = kJobStoreAllPatches;
  args.storePane = column;
  args.storeBank = bank;
  midiManager->startJob(args, false);
}

int Tavro::selectedLibrarianColumn() {
  const LibrarianViewControl* list = ListControl(kept_.librarianView);
  return list && list->selectedUpper < 0 ? 1 : 0;
}

void Tavro::SendSingleProgramFromLibrarian() {
  if (librarian) sendLibrarianSlot(librarian->selectedSlot, selectedLibrarianColumn(), "Not stored");
}

void Tavro::SendAllProgramsFromLibrarian(int bank) {
  const int column = selectedLibrarianColumn();
  selectLibrarianRow(0, 0);
  storeAllPatchesToDeviceFromLibrarian(column, bank);
}

void Tavro::sendPartDataBackToHardware(int slot) {
  if (slot < 0 || slot >= kSlotCount || !midiManager) return;
  if (unitLink_.midiIOSet && transfer_.transferBusy) pauseUnlessClosing(kBusyPauseMs);
  bool locked = paramValue(kModWheelLock + slot) == 1.0;
  for (int lock = 0; lock < kSectionLocks; ++lock) locked = locked || paramValue(kLFO1Lock + 4 * lock + slot) == 1.0;
  if (!locked) return;
  if (unitLink_.midiIOSet) AllSoundsOff(slot, false);
  JobArgs args;
  args.jobCode = kJobSendPart;
  args.slot = slot;
  midiManager->startJob(args);
}

void Tavro::sendMultiDataBackToHardware() {
  if (unitLink_.midiIOSet && transfer_.transferBusy) pauseUnlessClosing(kBusyPauseMs);
  if (paramValue(kModWheelLock) != 1.0 || !unitLink_.midiIOSet || !midiManager) return;
  AllSoundsOff(0, true);
  JobArgs args;
  args.jobCode = kJobSendArrangement;
  midiManager->startJob(args);
}

std::string Tavro::nameText(int paramIdx) const {
  const IParam* param = paramIdx >= 0 && paramIdx < NParams() ? GetParam(paramIdx) : nullptr;
  if (!param) return {};
  // The display shows the text up to its first zero byte, and so does a dump's name.
  return std::string(param->GetDisplayText(0).c_str());
}

void Tavro::keepPatchName(int entry, const std::string& name) {
  {
    Kit_MutexLock hold(GetMutex());
    if (patchManager && entry >= 0 && size_t(entry) < patchManager->names.size())
      patchManager->names[size_t(entry)] = name;
  }
  setLibrarianViewDirty();
}

void Tavro::selectLibrarianRow(int pane, int row) {
  LibrarianViewControl* list = ListControl(kept_.librarianView);
  if (list) {
    list->select(pane, row);
    setLibrarianViewDirty();
  } else if (librarian) {
    librarian->selectedSlotOf(pane) = row;
  }
}
