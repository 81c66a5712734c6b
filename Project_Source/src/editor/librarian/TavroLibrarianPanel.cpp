// The editor as the librarian panel sees it, and the panel's parts for start-up.

#include "editor/librarian/TavroLibrarianPanel.h"

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "editor/Tavro.h"
#include "editor/librarian/LibrarianPanelParts.h"
#include "editor/librarian/TavroLibrarianCommands.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/BankEditPopupMenu.h"
#include "librarian/panel/FolderPopupMenu.h"
#include "librarian/panel/LibrarianViewControl.h"
#include "librarian/panel/SelectorMenus.h"
#include "librarian/panel/SlotMenus.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/TransferJobSteps.h"

namespace {

// Each job reads only the flag field that is its own, so the menu's one flag goes
// into all of them.
JobArgs ArgsOf(const TransferJob& job) {
  JobArgs args;
  args.jobCode = job.code;
  args.slot = job.slot;
  args.toPanel = job.flag != 0;
  args.toHardware = job.flag != 0;
  args.useActiveSlot = job.flag != 0;
  args.toLibrarian = job.flag != 0;
  args.bank = job.bank;
  args.sentText = job.sentText;
  return args;
}

// A request is an answer awaited from the unit: without ports it would only wait; a
// push of the performance would go nowhere.
bool NeedsPorts(const TransferJob& job) {
  return (job.code >= kJobRequestArrangement && job.code <= kJobRequestAllPatches) ||
         (job.code == kJobSendArrangement && job.flag == 0);
}

}  // namespace

bool TavroLibrarianPanel::portsOrSaySo() {
  if (plug_.unitLink().midiIOSet) return true;
  plug_.showStatus(kSetPortsFirst);
  return false;
}

bool TavroLibrarianPanel::isLibrarianPerformanceMode() const { return plug_.panelMode().perfMode; }
bool TavroLibrarianPanel::isLibraryMode() const { return plug_.panelMode().libraryControlOn; }
bool TavroLibrarianPanel::isSearchMode() const { return plug_.panelMode().searchResultsShown; }
bool TavroLibrarianPanel::isLibrarianShown() const { return plug_.paramValue(kShowLibrarian) == 1.0; }
int TavroLibrarianPanel::hardwareModel() const { return plug_.unitLink().nordModel; }
int TavroLibrarianPanel::activeSlot() const { return plug_.panelMode().activeSlot; }

CurrentFilePair TavroLibrarianPanel::getCurrentFile(int pane, bool performance) const {
  if (pane == 0) return plug_.getLeftCurrentFile(performance);
  return plug_.rightPaneFile(performance);
}

void TavroLibrarianPanel::setCurrentFile(int pane, bool performance, const CurrentFilePair& pair) {
  if (pane == 0)
    plug_.setLeftCurrentFile(performance, pair);
  else
    plug_.rightPaneFile(performance) = pair;
}

void TavroLibrarianPanel::setRenameInactive(bool inactive) { plug_.setRenameInactive(inactive); }
void TavroLibrarianPanel::hideLayer(const char* name, bool hide) { plug_.showLayer(name, !hide); }

void TavroLibrarianPanel::openRenameEntry() {
  if (plug_.keptControls().patchRenameControl) plug_.keptControls().patchRenameControl->PromptUserInput();
}

void TavroLibrarianPanel::grayLayer(const char* name, bool grey) {
  if (ControlLayer* found = plug_.layer(name)) found->GrayOut(grey);
}

void TavroLibrarianPanel::setStatusText(const std::string& text) { plug_.showStatus(text); }
bool TavroLibrarianPanel::mayChangeShownBank(bool ask) { return plug_.mayChangeShownBank(ask); }
void TavroLibrarianPanel::showFileEditMenu(int x, int y) { plug_.showFileEditMenu(x, y); }
void TavroLibrarianPanel::showFileCopyMenu(int x, int y) { plug_.showFileCopyMenu(x, y); }

void TavroLibrarianPanel::updateBankAndProgramMenuNames(bool keepBankMenu) {
  plug_.updateBankAndProgramMenuNames(keepBankMenu);
}

LibrarianViewControl* TavroLibrarianPanel::librarianView() { return plug_.librarianList(); }

void TavroLibrarianPanel::sendPatchToDeviceFromLibrarian(int row, int side) {
  plug_.sendPatchToDeviceFromLibrarian(row, side);
}

void TavroLibrarianPanel::SetLibrarianRequestActive(bool active) { plug_.SetLibrarianRequestActive(active); }
void TavroLibrarianPanel::SetLibrarianStatusUnsaved(bool unsaved) { plug_.SetLibrarianStatusUnsaved(unsaved); }

void TavroLibrarianPanel::ProcessLibrarianSysEx(const ISysEx* sysex) {
  plug_.processOwnSysEx(sysex->mData, sysex->mSize);
}

void TavroLibrarianPanel::BankChangeMessage(int msb, int lsb, int channel, int program) {
  plug_.BankChangeMessage(msb, lsb, channel, program);
}

bool TavroLibrarianPanel::chooseOnUnit(int bank, int program) {
  return librarian_commands::chooseOnUnit(plug_, bank, program);
}

bool TavroLibrarianPanel::startTransferJob(const TransferJob& job) {
  MIDIMessageManager* manager = plug_.midiManager;
  if (!manager) return false;
  if (NeedsPorts(job) && !portsOrSaySo()) return false;
  // A kept job raises the transfer flag itself when it runs.
  if (manager->isRunning(MIDIMessageManager::kTransferThread))
    return job.keepWhenBusy && manager->startOrKeep(ArgsOf(job));
  if (job.markTransfer) manager->transferInProgress = true;
  return manager->startJob(ArgsOf(job));
}

void TavroLibrarianPanel::armPerformanceReceiver() {
  if (MIDIMessageManager* manager = plug_.midiManager) {
    manager->armLibrarianReceiver(true);
    manager->dumpProcessed = false;
  }
}

void TavroLibrarianPanel::sendSinglePatchRequestSysexFromLibrarian(bool activeSlot, int bank) {
  if (plug_.midiManager && portsOrSaySo())
    plug_.midiManager->sendSinglePatchRequestSysexFromLibrarian(activeSlot, bank);
}

void TavroLibrarianPanel::sendAllPatchRequestSysexFromLibrarian(int bank) {
  if (plug_.midiManager && portsOrSaySo()) plug_.midiManager->sendAllPatchRequestSysexFromLibrarian(bank);
}

void TavroLibrarianPanel::SendSingleProgramFromLibrarian() { plug_.SendSingleProgramFromLibrarian(); }

void TavroLibrarianPanel::SendAllProgramsFromLibrarian(int bank) { plug_.SendAllProgramsFromLibrarian(bank); }

void TavroLibrarianPanel::storeAllPatchesToDeviceFromLibrarian(int side, int bank) {
  plug_.storeAllPatchesToDeviceFromLibrarian(side, bank);
}

void TavroLibrarianPanel::refreshFolders() { plug_.runLibrarianCommand(TavroParam::kRefreshFolders, 1.0, false); }

void TavroLibrarianPanel::discardLibrarianChanges() {
  // Its rescan shows each pane's bank again: the upper one by the pair a save names. It
  // ends a search, which a save should not: the search is found again in the banks as saved.
  const librarian_commands::SearchShown search = librarian_commands::shownSearch(plug_);
  plug_.runLibrarianCommand(TavroParam::kDiscardBankData, 1.0, false);
  librarian_commands::searchAgain(plug_, search);
}

bool TavroLibrarianPanel::saveImportedFile(bool midiForm) { return plug_.saveImportedFile(midiForm); }
void TavroLibrarianPanel::OpenDataDirectory(bool manual) { plug_.OpenDataDirectory(manual); }
void TavroLibrarianPanel::OpenHelpTopics(int topic) { plug_.OpenHelpTopics(topic); }

IControl* MakeTavroLibrarianView(IModuleBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT bounds,
                                 PatchLibrarian* librarian, double scale) {
  auto* tavro = dynamic_cast<Tavro*>(plug);
  if (!tavro || !librarian) return nullptr;
  return new LibrarianViewControl(plug, &tavro->librarianPanel(), x, y, paramIdx, bitmap, bounds, librarian, scale);
}

// ---- the editor's side ----

TavroLibrarianPanel& Tavro::librarianPanel() {
  if (!librarianPanel_) librarianPanel_ = std::make_shared<TavroLibrarianPanel>(*this);
  return *librarianPanel_;
}

LibrarianViewControl* Tavro::librarianList() const { return dynamic_cast<LibrarianViewControl*>(kept_.librarianView); }

void Tavro::showFileEditMenu(int x, int y) { RunFileEditMenu(this, librarian, &librarianPanel(), x, y); }
void Tavro::showFileCopyMenu(int x, int y) { RunFileCopyMenu(this, librarian, &librarianPanel(), x, y); }

// ---- the panel's parts for start-up ----

namespace {

class TavroPanelParts : public LibrarianPanelParts {
public:
  LibrarianViewFactory listFactory() override { return &MakeTavroLibrarianView; }

  IControl* makeMenu(int index, Tavro* plug, PatchLibrarian* librarian, const IRECT& rect) override {
    LibrarianPanelEditor* editor = &plug->librarianPanel();
    switch (index) {
      case kLeftPatchMenu: return new LeftPatchPopupMenu(plug, librarian, rect, editor);
      case kRightPatchMenu: return new RightPatchPopupMenu(plug, librarian, rect, editor);
      case kLeftPerformanceMenu: return new LeftPerfPopupMenu(plug, librarian, rect, editor);
      case kRightPerformanceMenu: return new RightPerfPopupMenu(plug, librarian, rect, editor);
      case kBankEditMenu: return new BankEditPopupMenu(plug, librarian, rect, editor);
      case kProgramNumberMenu: return new ProgramNumberPopupMenu(plug, librarian, rect, editor);
      case kBankNumberMenu: return new BankNumberPopupMenu(plug, librarian, rect, editor);
      case kRightSearchMenu: return new RightSearchPopupMenu(plug, librarian, rect, editor);
      case kPerformanceBankNameMenu: return new PerfBankNamePopupMenu(plug, librarian, rect, editor);
      case kProgramBankNameMenu: return new ProgBankNamePopupMenu(plug, librarian, rect, editor);
      default: return nullptr;
    }
  }

  void setListDragEnabled(IControl* list, bool enabled) override {
    if (auto* view = dynamic_cast<LibrarianViewControl*>(list)) view->dragEnabled = enabled;
  }

  void refreshMenus(Tavro* plug) override {
    // The bank menu's items follow the model and mode: a model change must not leave
    // the last model's banks offered.
    if (auto* bankEdit = dynamic_cast<BankEditPopupMenu*>(plug->keptControls().librarianMenus[kBankEditMenu]))
      bankEdit->AddMenuItemsIn();
    plug->refreshPopUpMenus();
  }
};

}  // namespace

LibrarianPanelParts* TavroLibrarianPanelParts() {
  static TavroPanelParts parts;
  return &parts;
}
