#pragma once
// The bank and program selectors below the part slots. In hardware mode a bank or
// program choice sends bank select and program change and requests the slot's
// program back; in library mode a bank-file menu picks the left pane's bank and
// the program menu lists and sends that bank's patches.
//
// threads: main.

#include <array>
#include <memory>

#include "Framework/IPopupMenu.h"
#include "librarian/panel/FolderPopupMenu.h"

// The bank and program parameters of the active slot for the mode and model.
int BankParameter(bool performances, int model, int slot);
int ProgramParameter(bool performances, int model, int slot);

// The bank-file menu of library mode: the folder menu of programs or performances
// whose choice also sends the current row of the chosen bank.
class BankNamePopupMenu : public FolderPopupMenu {
public:
  BankNamePopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor,
                    bool performances);
  bool refreshPatchNames(int index, const CurrentFilePair& pair) { return refreshFolderStructure(index, pair); }
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

struct PerfBankNamePopupMenu : BankNamePopupMenu {
  PerfBankNamePopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor)
      : BankNamePopupMenu(plug, librarian, rect, editor, true) {}
};
struct ProgBankNamePopupMenu : BankNamePopupMenu {
  ProgBankNamePopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor)
      : BankNamePopupMenu(plug, librarian, rect, editor, false) {}
};

class BankNumberPopupMenu : public LibrarianMenuControl {
public:
  BankNumberPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor);

  // Rebuilds the bank list; in programs mode ticks `bank` and returns true.
  bool refreshPatchNames(int bank);
  // The chosen bank (also into `index`), 0 when nothing was chosen.
  int doPopupMenu(int& index);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu& bankList() { return *list_; }

private:
  int bankParameter() const;

  int currentIndex_ = 0;
  std::unique_ptr<IPopupMenu> list_;
};

class ProgramNumberPopupMenu : public LibrarianMenuControl {
public:
  static constexpr int kGroups = 10;

  ProgramNumberPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor);

  // Rebuilds the groups (numbers in hardware mode, the left bank's names in library
  // mode) and ticks `program` (0-based). Always true.
  bool refreshPatchNames(int program);
  // The chosen item's position in its group (also into `index`), 0 when nothing was chosen.
  int doPopupMenu(int& index);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu& topMenu() { return *top_; }
  IPopupMenu& group(int g) { return *groups_[g]; }

private:
  int currentIndex_ = 0;
  std::unique_ptr<IPopupMenu> top_;
  std::array<std::unique_ptr<IPopupMenu>, kGroups> groups_;
};
