// The librarian's menus and bank lists kept in step with the librarian: the switch
// between programs, performances and search results, the file menus' refresh, and
// the bank and program selectors of the synthesizer page.

#include <string>
#include <vector>

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "editor/librarian/BankListTexts.h"
#include "editor/librarian/TavroLibrarianCommands.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/FolderPopupMenu.h"
#include "librarian/panel/LibrarianViewControl.h"
#include "librarian/panel/SelectorMenus.h"

namespace {

using P = TavroParam;

enum ListKind { kProgramFiles = 0, kPerformanceFiles = 2, kSearchResults = 4 };

using ListedFiles = Tavro::ListedFiles;

ListedFiles FilesOf(const PatchLibrarian& librarian, int listKind) {
  ListedFiles listed;
  librarian.inspect([&](const PatchLibrary& library) {
    const PatchFileList& files =
        listKind == kSearchResults ? library.searchFiles : library.filesOfType(listKind == kPerformanceFiles ? 1 : 0);
    for (const auto& file : files) listed.names.push_back(file->fileName);
    if (!files.empty()) listed.first = {files.front()->fileName, FolderKeyOf(*files.front())};
  });
  return listed;
}

// The lists that carry one text per file of this kind.
std::vector<int> NamedLists(int listKind) {
  std::vector<int> named;
  if (listKind != kSearchResults) named.push_back(kPatchSelectionListUpper);
  named.push_back(kPatchSelectionListLower);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (listKind == kProgramFiles) named.push_back(P::kCurrentOpenPatchBankL + slot);
    if (listKind != kPerformanceFiles) named.push_back(P::kCurrentOpenPatchBankR + slot);
  }
  if (listKind == kPerformanceFiles) named.insert(named.end(), {P::kCurrentOpenPerfBankL, P::kCurrentOpenPerfBankR});
  return named;
}

}  // namespace

Tavro::ListedFiles Tavro::fillFileLists(int listKind) {
  ListedFiles files = FilesOf(*librarian, listKind);
  const std::vector<std::string> texts =
      BankListTexts(files.names, [this](const std::string& name, const std::string& text) {
        printDebugInfo("PATCH LIBRARIAN: Filename " + name + " RENAMED TO " + text +
                       " Because the filename was too long to fit in plug-in display!");
      });
  const std::vector<int> named = NamedLists(listKind);
  for (size_t i = 0; i < texts.size(); ++i)
    for (int list : named) GetParam(list)->SetDisplayText(int(i), texts[i].c_str());
  // The bank lists show a text of the table: one whose value stayed put still has to
  // draw the new text.
  if (listKind != kSearchResults && kept_.upperListControl) kept_.upperListControl->SetDirty(false);
  if (kept_.lowerListControl) kept_.lowerListControl->SetDirty(false);
  return files;
}

void Tavro::ResetPatchSelectionMenus() {
  if (fillFileLists(panelMode_.perfMode ? kPerformanceFiles : kProgramFiles).names.empty()) return;
  updatePatchLibrarianView(0);
  updatePatchLibrarianView(1);
}

void Tavro::patchTypeChanged(int dataType, int listKind, bool discard) {
  if (discard) librarian->initBankFilesOnDiscard(getPatchesFolderStr());
  const bool search = listKind == kSearchResults;
  librarian->patchType = dataType;
  librarian->upperFileIndex = 0;
  librarian->lowerFileIndex = 0;
  updatePatchLibrarianView(0);
  updatePatchLibrarianView(1);
  if (listKind != kProgramFiles && listKind != kPerformanceFiles && !search) return;

  // The lists that name the files of this kind, then the performance lists, which
  // are emptied in every case.
  const std::vector<int> named = NamedLists(listKind);
  std::vector<int> emptied = named;
  if (listKind != kPerformanceFiles)
    emptied.insert(emptied.end(), {P::kCurrentOpenPerfBankL, P::kCurrentOpenPerfBankR});
  for (int list : emptied) {
    IParam* param = GetParam(list);
    param->ResetDisplayTexts();
    param->SetClamped(0.0);
  }
  if (kept_.upperListControl) kept_.upperListControl->SetValueFromUserInput(0.0);
  if (kept_.lowerListControl) kept_.lowerListControl->SetValueFromUserInput(0.0);

  const ListedFiles files = fillFileLists(listKind);
  // Without a bank of the kind the panes' captions say so, not the lists' bare value.
  if (files.names.empty() && !search) {
    for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower})
      GetParam(list)->SetDisplayText(0, NoBankListText(listKind == kPerformanceFiles));
  }

  // The panes now show the first file of the list: the menus tick that one.
  const bool performance = listKind == kPerformanceFiles;
  if (!search) setLeftCurrentFile(performance, files.first);
  rightPaneFile(performance) = files.first;
  refreshPopUpMenus();
  // A fresh scan may have left files out; the left pane shows a new bank.
  const std::string notice = search ? std::string() : librarian->paneNotice(discard);
  if (!notice.empty()) showStatus(notice);
}

void Tavro::refreshPopUpMenus() {
  // The bank-file menus of library mode select the upper pane's bank: they are rebuilt
  // with its pair whichever pane was used last, or a refresh would move the upper pane
  // to the lower pane's bank.
  if (panelMode_.perfMode) {
    if (auto* menu = librarian_commands::menuAt<FolderPopupMenu>(*this, kLeftPerformanceMenu))
      menu->refreshFolderStructure(0, leftPerformanceFile);
    if (auto* menu = librarian_commands::menuAt<FolderPopupMenu>(*this, kRightPerformanceMenu))
      menu->refreshFolderStructure(0, rightPerformanceFile);
    if (auto* menu = librarian_commands::menuAt<BankNamePopupMenu>(*this, kPerformanceBankNameMenu))
      menu->refreshPatchNames(0, leftPerformanceFile);
  } else {
    if (auto* menu = librarian_commands::menuAt<FolderPopupMenu>(*this, kLeftPatchMenu))
      menu->refreshFolderStructure(0, leftProgramFile);
    if (auto* menu = librarian_commands::menuAt<FolderPopupMenu>(
            *this, panelMode_.searchResultsShown ? kRightSearchMenu : kRightPatchMenu))
      menu->refreshFolderStructure(0, rightPaneFile(false));
    if (auto* menu = librarian_commands::menuAt<BankNamePopupMenu>(*this, kProgramBankNameMenu))
      menu->refreshPatchNames(0, leftProgramFile);
  }
  updatePatchLibrarianView(0);
  updatePatchLibrarianView(1);
}

void Tavro::updateBankAndProgramMenuNames(bool keepBankMenu) {
  for (const char* name : {"BANKNUMBERMENUPROGRAMS", "PERFBANKNAMEMENUPROGRAMS", "PROGBANKNAMEMENUPROGRAMS"})
    showLayer(name, false);
  const bool performance = panelMode_.perfMode;
  const int model = unitLink_.nordModel, slot = panelMode_.activeSlot;
  // The performance selectors of slot A stand for the performance.
  const int selectorSlot = performance ? 0 : slot;
  const int bank = TruncToInt(paramValue(BankParameter(performance, model, selectorSlot)));
  const int program = TruncToInt(paramValue(ProgramParameter(performance, model, selectorSlot)));
  auto* programMenu = librarian_commands::menuAt<ProgramNumberPopupMenu>(*this, kProgramNumberMenu);
  if (!panelMode_.libraryControlOn) {
    if (auto* menu = librarian_commands::menuAt<BankNumberPopupMenu>(*this, kBankNumberMenu))
      menu->refreshPatchNames(bank);
    // The program list follows the mode too: 100 performances, 99 programs.
    if (programMenu) programMenu->refreshPatchNames(program);
    showLayer("BANKNUMBERMENUPROGRAMS", true);
    return;
  }
  showLayer(performance ? "PERFBANKNAMEMENUPROGRAMS" : "PROGBANKNAMEMENUPROGRAMS", true);
  selectLibrarianRow(0, program);
  if (programMenu) programMenu->refreshPatchNames(program);
  if (keepBankMenu) return;
  if (auto* menu = librarian_commands::menuAt<BankNumberPopupMenu>(*this, kBankNumberMenu))
    menu->refreshPatchNames(bank);
}
