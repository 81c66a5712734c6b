#include "librarian/panel/BankEditPopupMenu.h"

#include <initializer_list>
#include <string>
#include <vector>

#include "librarian/LibrarianDisk.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/panel/LibrarianPanelEditor.h"
#include "librarian/panel/LibrarianViewControl.h"

namespace {

// Main menu positions; the others are separators.
enum MainItem {
  kRequest = 0,
  kStore = 2,
  kSync = 4,
  kPush = 5,
  kSave = 7,
  kSaveAs = 8,
  kImport = 10,
  kRefresh = 11,
  kHelp = 12,
  kAbout = 14
};
// Bank items of the request menus start after three items and a separator.
constexpr int kFirstRequestBank = 4;
constexpr int kFirstProgramStoreBank = 2;

void AddItems(IPopupMenu& menu, std::initializer_list<const char*> texts) {
  for (const char* text : texts) {
    if (*text)
      menu.AddItem(text, -1, 0);
    else
      menu.AddSeparator(-1);
  }
}

std::string BankItem(const char* prefix, int bank, const char* memory) {
  return std::string(prefix) + std::to_string(bank) + " (" + memory + ")";
}

}  // namespace

BankEditPopupMenu::BankEditPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     LibrarianPanelEditor* editor)
    : LibrarianMenuControl(plug, librarian, rect, editor) {
  AddMenuItemsIn();
}

void BankEditPopupMenu::AddMenuItemsIn() {
  for (auto* menu :
       {&main_, &programRequest_, &performanceRequest_, &programStore_, &performanceStore_, &saveAs_, &import_, &help_})
    *menu = std::make_unique<IPopupMenu>();
  const bool model2 = editor_->hardwareModel() == 2;
  const bool performances = editor_->isLibrarianPerformanceMode();
  if (!performances) {
    AddItems(*programRequest_, {"from Active Slot to Plug-in GUI", "from Active Slot to Librarian",
                                "from HW by Selected Slot Number", "", "All Programs from BANK 0 (RAM)"});
    for (int bank = 1; bank <= (model2 ? 9 : 3); ++bank) {
      const std::string text = model2 ? BankItem("All Programs from BANK ", bank, bank <= 3 ? "RAM" : "ROM")
                                      : "All Programs from CARD " + std::to_string(bank) + " (RAM)";
      programRequest_->AddItem(text.c_str(), -1, 0);
    }
    AddItems(*programStore_, {"To Currently Selected Slot of Bank", "", "All Current Programs to RAM 0 (A)"});
    if (model2)
      AddItems(*programStore_, {"All Current Programs to RAM 1 (B)", "All Current Programs to RAM 2 (C)",
                                "All Current Programs to RAM 3 (D)"});
  } else {
    AddItems(*performanceRequest_, {"from Temp Buffer to Plug-in GUI", "from Temp Buffer to Librarian",
                                    "from HW by Selected Slot Number", ""});
    if (model2)
      AddItems(*performanceRequest_, {"All Performances from BANK 0 (RAM)", "All Performances from BANK 1 (ROM)",
                                      "All Performances from BANK 2 (ROM)", "All Performances from BANK 3 (ROM)"});
    else
      AddItems(*performanceRequest_, {"All Performances from TEMP MEMORY", "All Performances from CARD 1 (RAM)"});
    AddItems(*performanceStore_, {"To Currently Selected Slot of Bank", "All Performances from Current Bank"});
  }
  AddItems(*saveAs_, {"Standard MIDI (*.mid) (no names)", "Tavro Format (*.nl2) (with names)"});
  AddItems(*import_, {"Standard MIDI (*.mid)", "SysEx (*.syx / *.nl2)"});
  AddItems(*help_, {"Open Data Folder", "Open Support Ticket", "Check for Updates", "DAW Setup Guides"});
  help_->AddItem("Open User Manual", 1, IPopupMenuItem::kDisabled);

  IPopupMenu& main = *main_;
  main.AddItem(performances ? "Request Performance Data" : "Request Patch Data",
               performances ? performanceRequest_.get() : programRequest_.get());
  main.AddSeparator(-1);
  main.AddItem(performances ? "Store Performance Data" : "Store Patch Data",
               performances ? performanceStore_.get() : programStore_.get());
  AddItems(main,
           {"", "Sync Current Data from HW", "Push Current Performance to HW", "", "Save (Overwrite current bank)"});
  main.AddItem("Save As...", saveAs_.get());
  main.AddSeparator(-1);
  main.AddItem("Import Bank...", import_.get());
  main.AddItem("Refresh Folders", -1, 0);
  main.AddItem("Other Helpful things...", help_.get());
  AddItems(main, {"", "About this Plug-in..."});
}

void BankEditPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  doPopupMenu();
  redrawSelf();
}

void BankEditPopupMenu::doPopupMenu() {
  IPopupMenu* chosen = popUp(*main_, mRECT);
  const int item = chosen ? chosen->GetChosenItemIdx() : -1;
  const bool performances = editor_->isLibrarianPerformanceMode();
  if (chosen == main_.get()) {
    chooseMain(item);
  } else if (chosen == programRequest_.get()) {
    if (!performances) chooseProgramRequest(item);
  } else if (chosen == performanceRequest_.get()) {
    choosePerformanceRequest(item);
  } else if (chosen == programStore_.get()) {
    if (!performances) chooseProgramStore(item);
  } else if (chosen == performanceStore_.get()) {
    if (performances) choosePerformanceStore(item);
  } else if (chosen == saveAs_.get()) {
    if (item == 0 || item == 1) saveAs(item == 0);
  } else if (chosen == import_.get()) {
    if (item == 0 || item == 1) editor_->saveImportedFile(item == 0);
  } else if (chosen == help_.get()) {
    // The manual item is disabled: only the data folder and the three pages open.
    if (item == 0) editor_->OpenDataDirectory(false);
    if (item >= 2 && item <= 4) editor_->OpenHelpTopics(item - 2);
  }
  for (auto* menu :
       {&main_, &programRequest_, &performanceRequest_, &programStore_, &performanceStore_, &saveAs_, &import_, &help_})
    (*menu)->CheckItemAlone(-1);
}

void BankEditPopupMenu::chooseMain(int item) {
  switch (item) {
    case kSync: editor_->startTransferJob(TransferJob{4, 0, 1, 0, true}); break;
    case kPush: editor_->startTransferJob(TransferJob{0, 0, 0, 0, false, false, "Current Performance Sent!"}); break;
    case kSave: SaveUpperBankInPlace(*librarian_, *editor_); break;
    case kRefresh: editor_->refreshFolders(); break;
    case kAbout: editor_->hideLayer("aboutWindow", false); break;
    default: break;
  }
}

void BankEditPopupMenu::chooseProgramRequest(int item) {
  if (item == 0) editor_->startTransferJob(TransferJob{5, editor_->activeSlot(), 1, 0, true});
  if (item == 1 || item == 2) editor_->sendSinglePatchRequestSysexFromLibrarian(item == 1, 0);
  if (item >= kFirstRequestBank) editor_->sendAllPatchRequestSysexFromLibrarian(item - kFirstRequestBank);
}

void BankEditPopupMenu::choosePerformanceRequest(int item) {
  if (item == 0 || item == 1) editor_->startTransferJob(TransferJob{4, 0, item == 0 ? 1 : 0, 0, item == 0});
  if (item == 2) editor_->startTransferJob(TransferJob{6, 0, 0, 0, false});
  if (item >= kFirstRequestBank) editor_->startTransferJob(TransferJob{7, 0, 0, item - kFirstRequestBank, false});
}

void BankEditPopupMenu::chooseProgramStore(int item) {
  if (item == 0) editor_->SendSingleProgramFromLibrarian();
  if (item >= kFirstProgramStoreBank) editor_->SendAllProgramsFromLibrarian(item - kFirstProgramStoreBank);
}

void BankEditPopupMenu::choosePerformanceStore(int item) {
  if (item == 0) editor_->SendSingleProgramFromLibrarian();
  if (item == 1) {
    const LibrarianViewControl* view = editor_->librarianView();
    editor_->storeAllPatchesToDeviceFromLibrarian(view ? view->activeSide.load() : 0, 0);
  }
}

namespace {

// The upper pane's bank: its file name, full path, what its reading could not show
// and the rows (from 1) an init message holds instead; false when there is none.
bool UpperBank(const PatchLibrarian& librarian, std::string* name, std::string* path, ReadLosses* losses = nullptr,
               std::vector<int>* standInRows = nullptr) {
  bool found = false;
  librarian.inspect([&](const PatchLibrary& library) {
    const int type = librarian.patchType, index = librarian.upperFileIndex;
    if (type != 0 && type != 1) return;
    const PatchFileList& files = library.filesOfType(type);
    if (index < 0 || index >= int(files.size())) return;
    *name = files[index]->fileName;
    *path = files[index]->reservedPath;
    if (losses) *losses = files[index]->losses;
    const std::vector<LibrarianPatch>& patches = files[index]->patches;
    for (size_t row = 0; standInRows && row < patches.size(); ++row)
      if (patches[row].standsIn) standInRows->push_back(int(row) + 1);
    found = true;
  });
  return found;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Count(int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

// What of the source file a bank written from the list does not hold: the names its
// form cannot hold and the messages its reading left out, which no row shows; "" when nothing.
std::string LeftOutOf(const std::string& source, const ReadLosses& losses, bool performances, int names) {
  std::string out;
  if (names > 0) out = Count(names, "name") + " (a .mid file holds none)";
  if (losses.unconverted > 0)
    out += std::string(out.empty() ? "" : ", ") + Count(losses.unconverted, "program") + " past row 99 of " + source;
  if (losses.leftOut > 0) {
    out += std::string(out.empty() ? "" : ", ") + Count(losses.leftOut, "message") + " of " + source + " past row " +
           (performances ? "100" : "99") + " or of the other kind";
  }
  if (losses.strayBytes > 0)
    out += std::string(out.empty() ? "" : ", ") + Count(losses.strayBytes, "byte") + " of " + source +
           " outside the dumps";
  return out;
}

// The rows a bank written from the list holds as init messages: "" when none.
std::string WrittenAsInit(const std::vector<int>& rows) {
  std::string out;
  for (const int row : rows) out += (out.empty() ? "" : ", ") + std::to_string(row);
  return out.empty() ? out : std::string(rows.size() == 1 ? "row " : "rows ") + out + " written as " + kStandInRowName;
}

}  // namespace

bool SaveUpperBankInPlace(PatchLibrarian& librarian, LibrarianPanelEditor& editor) {
  std::string name, path, error;
  if (!UpperBank(librarian, &name, &path)) {
    editor.setStatusText(librarian.noBankText("Not saved"));
    return false;
  }
  if (!librarian.saveEditedPatch(path, name, &error)) {
    editor.setStatusText("Bank not saved: " + error);
    return false;
  }
  // Saved: clear the unsaved state and show what is on disk now.
  const std::string written = editor.getCurrentFile(0, editor.isLibrarianPerformanceMode()).fileName;
  editor.discardLibrarianChanges();
  if (written == name)
    editor.setStatusText("Saved " + written);
  else if (lowerExtensionOf(name) == "mid" && lowerExtensionOf(written) == "nl2")
    editor.setStatusText("Saved as new file " + written + " to keep the names (a .mid file holds none)");
  else
    editor.setStatusText("Saved as new file " + written);
  return true;
}

void BankEditPopupMenu::saveAs(bool midiForm) {
  std::string name, path, error;
  ReadLosses losses;
  std::vector<int> standInRows;
  if (!UpperBank(*librarian_, &name, &path, &losses, &standInRows)) {
    editor_->setStatusText(librarian_->noBankText("Not saved"));
    return;
  }
  int names = 0;
  if (librarian_->savePatchAs(name.c_str(), FolderOf(path), midiForm, &error, &names)) {
    const CurrentFilePair written = editor_->getCurrentFile(0, editor_->isLibrarianPerformanceMode());
    editor_->discardLibrarianChanges();
    const std::string leftOut = LeftOutOf(name, losses, editor_->isLibrarianPerformanceMode(), names);
    // A folder outside the bank folder is kept by its path and listed nowhere: say so.
    const bool unlisted = !written.folderName.empty() && written.folderName.front() == '/';
    const std::string asInit = WrittenAsInit(standInRows);
    editor_->setStatusText("Saved as " + written.fileName + (unlisted ? " outside Patches: not listed" : "") +
                           (asInit.empty() ? "" : "; " + asInit) + (leftOut.empty() ? "" : "; left out: " + leftOut));
    return;
  }
  editor_->setStatusText(error.empty() ? "Not saved: Save As cancelled" : "Bank not saved: " + error);
}
