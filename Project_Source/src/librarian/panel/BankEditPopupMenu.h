#pragma once
// The bank menu: requests and stores programs and performances, syncs and pushes
// the current sound, saves and imports banks, refreshes the folders, opens help.
// Its items follow the librarian mode and model at construction; the dispatch reads
// the mode at choice time.
//
// threads: main.

#include <memory>

#include "Framework/IPopupMenu.h"
#include "librarian/panel/LibrarianMenuControl.h"

class LibrarianPanelEditor;
class PatchLibrarian;

// "Save (Overwrite current bank)": writes the upper list's bank over its file and
// clears the unsaved state. False when there is no bank or it was not written (the
// status line says why).
bool SaveUpperBankInPlace(PatchLibrarian& librarian, LibrarianPanelEditor& editor);

class BankEditPopupMenu : public LibrarianMenuControl {
public:
  BankEditPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor);

  // Empties the eight menus and fills them for the editor's mode and model now.
  void AddMenuItemsIn();
  void doPopupMenu();
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu& mainMenu() { return *main_; }

private:
  void chooseMain(int item);
  void chooseProgramRequest(int item);
  void choosePerformanceRequest(int item);
  void chooseProgramStore(int item);
  void choosePerformanceStore(int item);
  void saveAs(bool midiForm);

  // Remade whole at every fill: a menu cannot be emptied in place.
  std::unique_ptr<IPopupMenu> main_, programRequest_, performanceRequest_, programStore_, performanceStore_, saveAs_,
      import_, help_;
};
