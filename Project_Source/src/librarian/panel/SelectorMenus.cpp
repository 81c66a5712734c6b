#include "librarian/panel/SelectorMenus.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "librarian/PatchLibrarian.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/LibrarianPanelEditor.h"
#include "librarian/panel/LibrarianViewControl.h"

int BankParameter(bool performances, int model, int slot) {
  if (performances) return model == 2 ? TavroParam::kCurrentPerfBank2x : TavroParam::kCurrentPerfBank;
  return (model == 2 ? TavroParam::kCurrentBank2x : TavroParam::kCurrentBank) + slot;
}

int ProgramParameter(bool performances, int model, int slot) {
  if (!performances) return TavroParam::kCurrentProgram + slot;
  return (model <= 1 ? TavroParam::kCurrentPerfProgram : TavroParam::kCurrentPerfProgram2x) + slot;
}

namespace {

std::vector<std::string> BankItems(bool performances, int model) {
  if (model > 2) return {};
  if (model == 2) {
    std::vector<std::string> items;
    for (int b = 0; b < (performances ? 4 : 10); ++b)
      items.push_back("Bank " + std::to_string(b) +
                      (b == 0                      ? " (RAM)"
                       : (!performances && b <= 3) ? " (RAM)"
                                                   : " (ROM)"));
    return items;
  }
  if (performances) return {"Bank 0 (RAM)", "Bank 1 (CARD)"};
  return {"Bank 0 (RAM)", "Bank 1 (CARD)", "Bank 2 (CARD)", "Bank 3 (CARD)"};
}

std::string ProgramNumberText(int program) {
  char text[24];
  std::snprintf(text, sizeof text, "Program %02d", program + 1);
  return text;
}

}  // namespace

BankNamePopupMenu::BankNamePopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     LibrarianPanelEditor* editor, bool performances)
    : FolderPopupMenu(plug, librarian, rect, editor, performances ? Kind::LeftPerformances : Kind::LeftPrograms) {}

void BankNamePopupMenu::OnMouseDown(int, int, IMouseMod*) {
  // It moves the upper pane as the folder menu above it does.
  if (!editor_->mayChangeShownBank(false)) return;
  int index = librarian_->upperFileIndex;
  doPopupMenu(index);
  writeParameter(TavroParam::kPatchSelectionListUpper, index);
  librarian_->upperFileIndex = index;
  writeParameter(BankParameter(performance(), editor_->hardwareModel(), editor_->activeSlot()), index);
  LibrarianViewControl* view = editor_->librarianView();
  if (view && editor_->isLibrarianShown()) {
    view->SetRedrawRequested(true);
    view->patchSelectionUpperChanged();
  }
  editor_->updateBankAndProgramMenuNames(!performance());
  noticeLeftBank();
  // No row selected: nothing to send.
  const int row = view ? view->currentRow.load() : -1;
  if (row >= 0) {
    view->select(0, row);
    editor_->sendPatchToDeviceFromLibrarian(row, 0);
  }
  redrawSelf();
}

BankNumberPopupMenu::BankNumberPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect,
                                         LibrarianPanelEditor* editor)
    : LibrarianMenuControl(plug, librarian, rect, editor) {
  refreshPatchNames(0);
}

int BankNumberPopupMenu::bankParameter() const {
  return BankParameter(editor_->isLibrarianPerformanceMode(), editor_->hardwareModel(), editor_->activeSlot());
}

bool BankNumberPopupMenu::refreshPatchNames(int bank) {
  list_ = std::make_unique<IPopupMenu>();
  const bool performances = editor_->isLibrarianPerformanceMode();
  for (const std::string& item : BankItems(performances, editor_->hardwareModel())) list_->AddItem(item.c_str(), -1, 0);
  if (performances) return false;
  list_->CheckItemAlone(std::min(bank, list_->GetNItems()));
  return true;
}

int BankNumberPopupMenu::doPopupMenu(int& index) {
  IPopupMenu* chosen = popUp(*list_, mRECT);
  if (!chosen) return 0;
  list_->CheckItemAlone(-1);
  const int bank = chosen->GetChosenItemIdx();
  if (chosen != list_.get() || bank < 0 || bank >= list_->GetNItems()) return 0;
  // The program the panel shows for the slot, so the unit and the read-out agree; a
  // choice the unit was not sent leaves the read-out.
  if (!editor_->chooseOnUnit(bank, parameterInt(ProgramParameter(editor_->isLibrarianPerformanceMode(),
                                                                 editor_->hardwareModel(), editor_->activeSlot()))))
    return 0;
  index = bank;
  writeParameter(bankParameter(), bank);
  list_->CheckItemAlone(bank);
  return bank;
}

void BankNumberPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  currentIndex_ = parameterInt(bankParameter());
  doPopupMenu(currentIndex_);
  writeParameter(bankParameter(), currentIndex_);
  redrawSelf();
}

ProgramNumberPopupMenu::ProgramNumberPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect,
                                               LibrarianPanelEditor* editor)
    : LibrarianMenuControl(plug, librarian, rect, editor) {
  refreshPatchNames(0);
}

bool ProgramNumberPopupMenu::refreshPatchNames(int program) {
  top_ = std::make_unique<IPopupMenu>();
  for (auto& group : groups_) group = std::make_unique<IPopupMenu>();
  const bool performances = editor_->isLibrarianPerformanceMode();
  const int count = performances ? 100 : 99;
  std::vector<std::string> names(count);
  for (int p = 0; p < count; ++p) names[p] = ProgramNumberText(p);
  if (editor_->isLibraryMode()) {
    // Banks shorter than the mode's size show numbers for the slots they lack.
    const int index = parameterInt(TavroParam::kPatchSelectionListUpper);
    librarian_->inspect([&](const PatchLibrary& library) {
      const PatchFileList& files = library.filesOfType(performances ? 1 : 0);
      if (index < 0 || index >= int(files.size())) return;
      const auto& patches = files[index]->patches;
      for (int p = 0; p < count && p < int(patches.size()); ++p) names[p] = patches[p].name;
    });
  }
  for (int p = 0; p < count; ++p) groups_[p / 10]->AddItem(names[p].c_str(), -1, 0);
  for (int g = 0; g < kGroups; ++g) {
    const std::string title =
        (g < 9 || performances) ? ProgramNumberText(10 * g).substr(8) + "-" + std::to_string(10 * g + 10) : "91-99";
    top_->AddItem(title.c_str(), groups_[g].get());
  }
  if (program >= 0 && program < count) groups_[program / 10]->CheckItemAlone(program % 10);
  return true;
}

int ProgramNumberPopupMenu::doPopupMenu(int& index) {
  IPopupMenu* chosen = popUp(*top_, mRECT);
  if (!chosen) return 0;
  top_->CheckItemAlone(-1);
  for (auto& group : groups_) group->CheckItemAlone(-1);
  const auto found = std::find_if(groups_.begin(), groups_.end(), [&](const auto& g) { return g.get() == chosen; });
  const int item = chosen->GetChosenItemIdx();
  if (found == groups_.end() || item < 0 || item >= chosen->GetNItems()) return 0;
  const int program = 10 * int(found - groups_.begin()) + item;
  index = program;
  const bool performances = editor_->isLibrarianPerformanceMode();
  const int model = editor_->hardwareModel(), slot = editor_->activeSlot();
  if (!editor_->isLibraryMode()) {
    if (!editor_->chooseOnUnit(parameterInt(BankParameter(performances, model, slot)), program)) return 0;
  } else {
    if (LibrarianViewControl* view = editor_->librarianView())
      view->select(0, program);
    else
      librarian_->selectedSlot = program;
    editor_->sendPatchToDeviceFromLibrarian(program, 0);
  }
  writeParameter(ProgramParameter(performances, model, slot), program);
  // The ten-bank model's read-out shows the slot's program from its own parameter.
  if (!performances) writeParameter(TavroParam::kCurrentProgram2x + slot, program);
  chosen->CheckItemAlone(item);
  index = item;
  return item;
}

void ProgramNumberPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  doPopupMenu(currentIndex_);
  redrawSelf();
}
