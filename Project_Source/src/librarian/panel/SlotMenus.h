#pragma once
// The menus of a right click on the list: the slot edit menu (upper pane: paste,
// rename, initialise, request into the slot) and the copy menu (anywhere else).
// Each is built for one use, with the mode and active slot of that moment; the
// Run functions are what the editor's showFileEditMenu / showFileCopyMenu call, so
// only one of each ever lives.
//
// threads: main.

#include <memory>

#include "Framework/IPopupMenu.h"
#include "librarian/panel/LibrarianMenuControl.h"

class FileEditPopupMenu : public LibrarianMenuControl {
public:
  FileEditPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor);

  void AddMenuItemsIn();
  // Pops the menu up and carries out the choice at the click (x, y).
  void doPopupMenu(int x, int y);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

private:
  std::unique_ptr<IPopupMenu> main_, request_;
};

class FileCopyPopupMenu : public LibrarianMenuControl {
public:
  FileCopyPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor);

  void doPopupMenu(int x, int y);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

private:
  IPopupMenu main_;
};

void RunFileEditMenu(IModuleBase* plug, PatchLibrarian* librarian, LibrarianPanelEditor* editor, int x, int y);
void RunFileCopyMenu(IModuleBase* plug, PatchLibrarian* librarian, LibrarianPanelEditor* editor, int x, int y);
