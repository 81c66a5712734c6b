// The librarian's commands: bank steps of the two lists, keep-bank, search, rename,
// patch type, library mode, discard, refresh, writing the panel into the librarian
// and the two sync buttons; and the table that routes them.

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IParam.h"
#include "editor/commands/TabSwitchFunctions.h"
#include "editor/librarian/TavroLibrarianCommands.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"
#include "librarian/TavroParams.h"
#include "librarian/UnitNames.h"
#include "librarian/panel/BankEditPopupMenu.h"
#include "librarian/panel/FolderPopupMenu.h"
#include "librarian/panel/LibrarianViewControl.h"
#include "librarian/panel/PatchSearch.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/TransferJobSteps.h"

namespace librarian_commands {

namespace {

using P = TavroParam;
constexpr const char* kSearchPlaceholder = "search...";
constexpr const char* kFoldersReadText = "Folders read again";
constexpr const char* kNothingShown = "Nothing shown";
constexpr size_t kNameLength = 10;

struct BankIdentity {
  std::string fileName, folder;
};

// The bank at `index` of a pane's list: the search results for the lower pane in
// search mode, else the list of the mode; the count of that list.
int PaneBank(Tavro& plug, int side, int index, BankIdentity* bank) {
  int count = 0;
  const bool performance = plug.panelMode().perfMode,
             search = side == 1 && !performance && plug.panelMode().searchResultsShown;
  plug.librarian->inspect([&](const PatchLibrary& library) {
    const PatchFileList& files = search ? library.searchFiles : library.filesOfType(performance ? 1 : 0);
    count = int(files.size());
    if (bank && index >= 0 && index < count)
      *bank = {files[size_t(index)]->fileName, FolderKeyOf(*files[size_t(index)])};
  });
  return count;
}

void ShowValueText(Tavro& plug, const char* text) {
  if (plug.keptControls().valueText) plug.keptControls().valueText->SetTextFromPlug(text);
}

// The programs the search results hold.
int FoundPrograms(Tavro& plug) {
  int found = 0;
  plug.librarian->inspect([&](const PatchLibrary& library) {
    for (const auto& bank : library.searchFiles)
      for (const LibrarianPatch& patch : bank->patches) found += patch.empty() ? 0 : 1;
  });
  return found;
}

std::string Padded(std::string text) {
  text.resize(kNameLength, ' ');
  return text;
}

std::string WithoutNamePadding(std::string text) {
  return text.erase(std::min(text.size(), text.find_last_not_of(std::string(" \0", 2)) + 1));
}

enum class Renamed { kNothing, kSameName, kRenamed };

// Writes the name typed over the stored one into the name field of the upper bank's
// dump at `row`: only the stretch the user changed takes the typed bytes; every other
// byte (the rest of the name, data, part names, whatever follows) stays as it was. A
// dump without a name field gets one, closed by its F7. Only a slot that holds a whole
// dump is renamed; `before` gets the name it had, `after` the one it has.
Renamed RenameStoredDump(Tavro& plug, int row, const std::string& typed, std::string* before, std::string* after) {
  const bool performance = plug.panelMode().perfMode;
  const size_t bankSize = performance ? 100 : 99;
  const size_t nameAt = performance ? kPerformanceNameAt : kProgramNameAt;
  const int index = plug.librarian->upperFileIndex;
  Renamed renamed = Renamed::kNothing;
  plug.librarian->modify([&](PatchLibrary& library) {
    PatchFileList& files = library.filesOfType(performance ? 1 : 0);
    if (index < 0 || index >= int(files.size()) || !files[size_t(index)]) return;
    auto& patches = files[size_t(index)]->patches;
    if (patches.size() != bankSize) patches.resize(bankSize);
    if (row < 0 || size_t(row) >= bankSize || patches[size_t(row)].empty()) return;
    std::vector<uint8_t>& dump = patches[size_t(row)].messages.front().bytes;
    if (dump.size() < nameAt) return;
    *before = WithoutNamePadding(patches[size_t(row)].name);
    const bool named = dump.size() > nameAt + kNameLength;
    const std::string stored =
        named ? WithoutNamePadding(std::string(dump.begin() + long(nameAt), dump.begin() + long(nameAt + kNameLength)))
              : *before;
    const std::string name = Padded(editedName(stored, WithoutNamePadding(typed)));
    if (named && stored == WithoutNamePadding(name)) {
      renamed = Renamed::kSameName;
      return;
    }
    if (dump.size() <= nameAt + kNameLength) {
      dump.resize(nameAt + kNameLength + 1);
      dump.back() = 0xF7;
    }
    std::copy(name.begin(), name.end(), dump.begin() + long(nameAt));
    patches[size_t(row)].name = *after = name;
    patches[size_t(row)].standsIn = false;  // named: the row shows its name now
    renamed = Renamed::kRenamed;
  });
  return renamed;
}

}  // namespace

void writeParam(Tavro& plug, int paramIdx, double value) {
  IParam* param = plug.GetParam(paramIdx);
  if (!param) return;
  param->SetClamped(value);
  plug.setFromPlug(paramIdx, param->Value());
}

void showPaneBank(Tavro& plug, int side, int index) {
  const bool upper = side == 0;
  const int listParam = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
  IParam* list = plug.GetParam(listParam);
  list->SetClamped(index);
  if (IControl* control = upper ? plug.keptControls().upperListControl : plug.keptControls().lowerListControl)
    control->SetValueFromPlug(list->GetNormalized());
  (upper ? plug.librarian->upperFileIndex : plug.librarian->lowerFileIndex) = index;

  BankIdentity bank;
  PaneBank(plug, side, index, &bank);
  const CurrentFilePair pair{bank.fileName, bank.folder};
  const bool performance = plug.panelMode().perfMode;
  const int slot = plug.panelMode().activeSlot;
  const int openParam = performance ? (upper ? P::kCurrentOpenPerfBankL : P::kCurrentOpenPerfBankR)
                                    : (upper ? P::kCurrentOpenPatchBankL : P::kCurrentOpenPatchBankR) + slot;
  plug.GetParam(openParam)->SetClamped(index);
  const std::string text = list->GetDisplayText(index);
  int menu;
  if (upper) {
    (performance ? plug.upperPerfBankText : plug.upperBankText) = text;
    (performance ? plug.upperPerfBankFile : plug.upperBankFile) = bank.folder;
    plug.setLeftCurrentFile(performance, pair);
    menu = performance ? kLeftPerformanceMenu : kLeftPatchMenu;
  } else {
    (performance ? plug.lowerPerfBankText : plug.lowerBankText) = text;
    (performance ? plug.lowerPerfBankFile : plug.lowerBankFile) = bank.folder;
    plug.rightPaneFile(performance) = pair;
    menu = performance                           ? kRightPerformanceMenu
           : plug.panelMode().searchResultsShown ? kRightSearchMenu
                                                 : kRightPatchMenu;
  }
  if (auto* folders = menuAt<FolderPopupMenu>(plug, menu)) folders->refreshFolderStructure(index, pair);
  plug.updatePatchLibrarianView(side);
  if (upper) plug.updateBankAndProgramMenuNames(false);
}

bool showPaneBankOf(Tavro& plug, int side, const CurrentFilePair& pair) {
  const int count = PaneBank(plug, side, -1, nullptr);
  for (int index = 0; index < count; ++index) {
    BankIdentity bank;
    PaneBank(plug, side, index, &bank);
    if (bank.fileName != pair.fileName || bank.folder != pair.folderName) continue;
    showPaneBank(plug, side, index);
    return true;
  }
  return false;
}

void keepPanesOnTheirBanks(Tavro& plug, const std::function<void()>& change) {
  const CurrentFilePair kept[2][2] = {{plug.getLeftCurrentFile(false), plug.rightProgramFile},
                                      {plug.getLeftCurrentFile(true), plug.rightPerformanceFile}};
  change();
  const bool performance = plug.panelMode().perfMode;
  showPaneBankOf(plug, 0, kept[performance][0]);
  // Search results are not a bank of the folders: the lower pane keeps them.
  if (performance || !plug.panelMode().searchResultsShown) showPaneBankOf(plug, 1, kept[performance][1]);
}

Result bankStep(Tavro& plug, int paramIdx, double value) {
  if (value != 1.0) return Result::kGoOn;
  if (!plug.mayChangeShownBank(false)) return Result::kEnd;
  const bool upper = paramIdx == P::kLibUpperPreviousBank || paramIdx == P::kLibUpperNextBank;
  const bool next = paramIdx == P::kLibUpperNextBank || paramIdx == P::kLibLowerNextBank;
  const int side = upper ? 0 : 1;
  const int listParam = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
  // The list's own length bounds the step: an empty list has nothing to step to.
  const int count = PaneBank(plug, side, -1, nullptr);
  if (count == 0) return Result::kEnd;
  const int last = count - 1;
  const int current = std::clamp(int(plug.paramValue(listParam)), 0, last);
  const int index = next ? (current + 1 > last ? 0 : current + 1) : (current == 0 ? last : current - 1);
  showPaneBank(plug, side, index);
  return Result::kEnd;
}

Result keepBank(Tavro& plug, int, double value) {
  const bool keep = value == 1.0;
  plug.setKeepCurrentBank(keep);
  plug.showStatus(keep ? "Bank Won't Change on Slot Change" : "Bank Changes on Slot Change");
  ShowValueText(plug, keep ? "Keep Current Bank [ON]" : "Keep Current Bank [OFF]");
  return Result::kEnd;
}

Result search(Tavro& plug, int paramIdx, double) {
  // Only program names are searched; the field is greyed while performances are shown.
  if (plug.panelMode().perfMode) return Result::kGoOn;
  IParam* field = plug.GetParam(paramIdx);
  const std::string text = field->GetDisplayText(0);
  if (text == kSearchPlaceholder) {
    plug.setSearchResultsShown(false);
    plug.showLayer("RightPatchPopupMenu", true);
    return Result::kGoOn;
  }
  if (text.size() <= 1) {
    field->SetDisplayText(0, kSearchPlaceholder);
    plug.showStatus("Enter 2 digits or more!");
    return Result::kGoOn;
  }
  plug.setSearchResultsShown(true);
  plug.showLayer("RightPatchPopupMenu", false);
  if (createNewSearchPatchFiles(*plug.librarian, text) == 0) {
    // The last results go: the lower pane lists no match.
    plug.updatePatchLibrarianView(1);
    plug.showStatus("No results - Try another keyword!");
    ShowValueText(plug, "Tip: Note that letter size matters..");
    field->SetDisplayText(0, kSearchPlaceholder);
    return Result::kEnd;
  }
  plug.patchTypeChanged(0, 4, false);
  plug.showLayer("RightSearchPopupMenu", true);
  const int found = FoundPrograms(plug);
  plug.showStatus(std::to_string(found) + (found == 1 ? " program found" : " programs found"));
  return Result::kGoOn;
}

namespace {

// The search button and field, and the kind switches greyed while a search is on.
void ShowSearchControls(Tavro& plug, bool on) {
  for (IControl* control : {plug.keptControls().datatypeControl, plug.keptControls().datamodeControl})
    if (control) control->GrayOut(on);
  plug.showLayer("searchField", on);
  plug.setSearchResultsShown(on);
  writeParam(plug, P::kPatchSearch, on ? 1.0 : 0.0);
}

}  // namespace

Result searchButton(Tavro& plug, int, double value) {
  const bool on = value == 1.0;
  if (!on) {
    endSearch(plug);
    return Result::kGoOn;
  }
  ShowSearchControls(plug, true);
  // The field takes the typing as it opens.
  if (IControl* field = plug.firstControl(P::kPatchSearchString)) field->PromptUserInput();
  return Result::kGoOn;
}

SearchShown shownSearch(Tavro& plug) {
  const std::string word = plug.GetParam(P::kPatchSearchString)->GetDisplayText(0);
  if (!plug.panelMode().searchResultsShown || plug.panelMode().perfMode || word == kSearchPlaceholder) return {};
  return {word, plug.rightSearchFile};
}

void searchAgain(Tavro& plug, const SearchShown& shown) {
  if (shown.word.empty()) return;
  ShowSearchControls(plug, true);
  plug.GetParam(P::kPatchSearchString)->SetDisplayText(0, shown.word.c_str());
  search(plug, P::kPatchSearchString, 0.0);
  if (plug.panelMode().searchResultsShown) showPaneBankOf(plug, 1, shown.resultBank);
}

void endSearch(Tavro& plug) {
  ShowSearchControls(plug, false);
  plug.GetParam(P::kPatchSearchString)->SetDisplayText(0, kSearchPlaceholder);
  keepPanesOnTheirBanks(plug, [&plug] { plug.patchTypeChanged(0, 0, false); });
  plug.showLayer("RightPatchPopupMenu", true);
  plug.showLayer("RightSearchPopupMenu", false);
}

// The rename box closes; texts committed to it rename nothing until it opens again.
void closeRenameBox(Tavro& plug) {
  plug.showLayer("patchRename", false);
  plug.setRenameInactive(true);
}

Result rename(Tavro& plug, int paramIdx, double) {
  if (plug.panelMode().renameInactive) return Result::kGoOn;
  const std::string typed = plug.GetParam(paramIdx)->GetDisplayText(0);
  // Cut by characters into bytes the unit holds: what the user typed is stored as the
  // box showed it; what the user left is stored as it was.
  const std::string name = unitName(typed, kNameLength);
  LibrarianViewControl* list = plug.librarianList();
  const int row = list ? list->selectedUpper.load() : -1;
  std::string before, renamedTo;
  const std::string slot = "slot " + std::to_string(row + 1);
  if (!typed.empty() && std::none_of(typed.begin(), typed.end(), [](char c) { return (c & 0x80) == 0; })) {
    plug.showStatus("Not renamed: \"" + typed + "\" has no letter the unit can hold");
  } else if (WithoutNamePadding(name).empty()) {
    plug.showStatus("Not renamed: a blank name leaves " + slot + " as it was");
  } else {
    switch (RenameStoredDump(plug, row, name, &before, &renamedTo)) {
      case Renamed::kRenamed:
        plug.SetLibrarianStatusUnsaved(true);
        plug.updatePatchLibrarianView(0);
        plug.showStatus("Renamed " + slot + " to " + quotedPatchName(shownName(renamedTo)));
        break;
      // The same name committed; letters the box refused as they were typed leave it so too.
      case Renamed::kSameName:
        plug.showStatus("Not renamed: " + slot + " keeps \"" + shownName(before) +
                        "\" (the name is unchanged; the box takes A-Z, a-z, 0-9 and signs)");
        break;
      case Renamed::kNothing: break;
    }
  }
  closeRenameBox(plug);
  return Result::kGoOn;
}

Result patchType(Tavro& plug, int, double value) {
  // The other kind shows another bank in the upper pane, and with the page hidden the
  // switch reads the folders again: an unsaved bank is settled first, and a cancel
  // leaves the mode as it was.
  const bool otherKind = (value == 1.0) != plug.panelMode().perfMode.load();
  if ((otherKind || plug.paramValue(kShowLibrarian) != 1.0) && !plug.mayChangeShownBank(true)) {
    const double kept = plug.panelMode().perfMode ? 1.0 : 0.0;
    writeParam(plug, kDatatype, kept);
    writeParam(plug, kDatamode, kept);
    return Result::kEnd;
  }
  writeParam(plug, kDatatype, value);
  writeParam(plug, kDatamode, value);
  const bool performances = value == 1.0;
  if (plug.paramValue(kShowLibrarian) == 1.0) {
    for (const char* name : {"LeftPerformancePopupMenu", "RightPerformancePopupMenu", "LeftPatchPopupMenu",
                             "RightPatchPopupMenu", "searchField"})
      plug.showLayer(name, false);
    plug.setSearchResultsShown(false);
    if (plug.keptControls().patchSearchControl) plug.keptControls().patchSearchControl->GrayOut(performances);
    plug.showLayer("librarianPartSelector", !performances);
    plug.keepSlotChoiceAcross(performances);
    plug.setPerfMode(performances);
    keepPanesOnTheirBanks(plug, [&] { plug.patchTypeChanged(performances ? 1 : 0, performances ? 2 : 0, false); });
    plug.showLayer(performances ? "LeftPerformancePopupMenu" : "LeftPatchPopupMenu", true);
    plug.showLayer(performances ? "RightPerformancePopupMenu" : "RightPatchPopupMenu", true);
  } else {
    plug.showLayer("librarianPartSelector", false);
    plug.keepSlotChoiceAcross(performances);
    plug.setPerfMode(performances);
    keepPanesOnTheirBanks(plug, [&] { plug.patchTypeChanged(performances ? 1 : 0, performances ? 2 : 0, true); });
  }
  TabSwitchFunctions::showProgramControls(&plug);
  if (auto* bankEdit = menuAt<BankEditPopupMenu>(plug, kBankEditMenu)) bankEdit->AddMenuItemsIn();
  plug.updateBankAndProgramMenuNames(true);
  // The panes list nothing: the line says why and how to open a bank of the kind; back
  // on a kind with banks, that no longer holds.
  if (PaneBank(plug, 0, -1, nullptr) == 0)
    plug.showStatus(plug.librarian->noBankText(kNothingShown));
  else if (plug.statusShown().rfind(std::string(kNothingShown) + ":", 0) == 0)
    plug.showStatus("");
  return Result::kGoOn;
}

Result libraryControl(Tavro& plug, int, double value) {
  plug.setLibraryControlOn(value == 1.0);
  plug.updateBankAndProgramMenuNames(false);
  return Result::kGoOn;
}

Result discard(Tavro& plug, int, double value) {
  if (value != 1.0) return Result::kGoOn;
  plug.DisplayProcessingIndicator(true);
  plug.showLayer("discardChangesLayerRight", false);
  plug.showLayer("saveChangesLayer", true);
  for (IControl* control : {plug.keptControls().datatypeControl, plug.keptControls().datamodeControl})
    if (control) control->GrayOut(false);
  plug.showLayer("patchRename", false);
  writeParam(plug, kBankEditUnsaved, 0.0);
  const int upper = int(plug.paramValue(kPatchSelectionListUpper));
  const int lower = int(plug.paramValue(kPatchSelectionListLower));
  if (plug.panelMode().perfMode) {
    plug.upperPerfBankText = plug.GetParam(P::kCurrentOpenPerfBankL)->GetDisplayText(upper);
    plug.lowerPerfBankText = plug.GetParam(P::kCurrentOpenPerfBankR)->GetDisplayText(lower);
  } else {
    plug.upperBankText = plug.GetParam(P::kCurrentOpenPatchBankL + plug.panelMode().activeSlot)->GetDisplayText(upper);
    plug.lowerBankText = plug.GetParam(P::kCurrentOpenPatchBankR + plug.panelMode().activeSlot)->GetDisplayText(lower);
  }
  // The folders are read again as the Refresh button reads them; nothing is unsaved now.
  plug.OnParamChange(P::kRefreshFolders);
  plug.DisplayProcessingIndicator(false);
  return Result::kGoOn;
}

void rescan(Tavro& plug) {
  // The results were found in the banks as they were read: the search ends.
  if (plug.panelMode().searchResultsShown) endSearch(plug);
  const bool performances = plug.panelMode().perfMode;
  keepPanesOnTheirBanks(plug, [&] { plug.patchTypeChanged(performances ? 1 : 0, performances ? 2 : 0, true); });
}

Result refresh(Tavro& plug, int, double) {
  // The rescan reloads every bank from disk: unsaved changes are settled first.
  if (!plug.mayChangeShownBank(true)) return Result::kEnd;
  rescan(plug);
  // A notice of files not read or incomplete is the outcome when there is one.
  if (plug.librarian->paneNotice(true).empty()) plug.showStatus(kFoldersReadText);
  return Result::kGoOn;
}

Result overwrite(Tavro& plug, int, double value) {
  LibrarianViewControl* list = plug.librarianList();
  if (value != 1.0 || !list || list->activeSide != 0 || !plug.midiManager) return Result::kGoOn;
  JobArgs args;
  args.jobCode = plug.panelMode().perfMode ? kJobSendArrangement : kJobSendPart;
  args.slot = plug.panelMode().activeSlot;
  args.toLibrarian = true;
  plug.midiManager->startJob(args);
  return Result::kGoOn;
}

Result syncFromHardware(Tavro& plug, int, double) {
  MIDIMessageManager* manager = plug.midiManager;
  if (!manager || manager->isRunning(MIDIMessageManager::kTransferThread)) return Result::kGoOn;
  manager->transferInProgress = true;
  JobArgs args;
  args.jobCode = kJobRequestArrangement;
  args.toPanel = true;
  manager->startJob(args);
  return Result::kGoOn;
}

Result syncToHardware(Tavro& plug, int, double) {
  if (!plug.unitLink().midiIOSet || !plug.midiManager) return Result::kGoOn;
  plug.AllSoundsOff(0, true);
  JobArgs args;
  args.jobCode = kJobSendArrangement;
  plug.midiManager->startJob(args);
  return Result::kGoOn;
}

}  // namespace librarian_commands

namespace librarian_commands {
namespace {

using Handler = Result (*)(Tavro&, int, double);

struct CommandRow {
  int first, last;
  bool beforeReadout;
  Handler handler;
};

const CommandRow kCommands[] = {
    {P::kLibUpperPreviousBank, P::kLibLowerNextBank, true, bankStep},
    {kKeepCurrentBankOpen, kKeepCurrentBankOpen, true, keepBank},
    {P::kPatchSearchString, P::kPatchSearchString, true, search},
    {P::kPatchSearch, P::kPatchSearch, true, searchButton},
    {kPatchRename, kPatchRename, false, rename},
    {kDatatype, kDatatype, false, patchType},
    {kDatamode, kDatamode, false, patchType},
    {kControlLibrary, kControlLibrary, false, libraryControl},
    {P::kDiscardBankData, P::kDiscardBankData, false, discard},
    {P::kRefreshFolders, P::kRefreshFolders, false, refresh},
    {P::kOverwriteBank, P::kOverwriteBank, false, overwrite},
    {P::kLibSyncFromHw, P::kLibSyncFromHw, false, syncFromHardware},
    {P::kLibSyncToHw, P::kLibSyncToHw, false, syncToHardware},
    {P::kCurrentProgram, P::kCurrentProgram + 3, false, programSelector},
    {P::kCurrentProgram2x, P::kCurrentProgram2x + 3, false, programSelector},
    {P::kCurrentPerfProgram, P::kCurrentPerfProgram + 3, false, programSelector},
    {P::kCurrentPerfProgram2x, P::kCurrentPerfProgram2x + 3, false, programSelector},
    {P::kCurrentBank, P::kCurrentBank + 3, false, bankSelector},
    {P::kCurrentBank2x, P::kCurrentBank2x + 3, false, bankSelector},
    {P::kCurrentPerfBank, P::kCurrentPerfBank + 3, false, bankSelector},
    {P::kCurrentPerfBank2x, P::kCurrentPerfBank2x + 3, false, bankSelector},
    {P::kPatchUp, P::kPatchDown, false, programStep},
};

}  // namespace
}  // namespace librarian_commands

// Escape in the rename box closes it and renames nothing.
void Tavro::OnTextEntryCancelled(int paramIdx) {
  if (paramIdx == kPatchRename) librarian_commands::closeRenameBox(*this);
}

Tavro::CommandResult Tavro::runLibrarianCommand(int paramIdx, double value, bool beforeReadout) {
  if (!librarian) return CommandResult::kNotMine;
  for (const librarian_commands::CommandRow& row : librarian_commands::kCommands)
    if (row.beforeReadout == beforeReadout && paramIdx >= row.first && paramIdx <= row.last)
      return row.handler(*this, paramIdx, value);
  return CommandResult::kNotMine;
}
