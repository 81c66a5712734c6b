#pragma once
// The folder menus over the two panes: a popup mirroring the folder tree of the
// program, performance or search-result banks; a choice makes that bank the pane's
// current file. Each item carries its bank's identity (list position, name and
// folder path from "Patches"), so same-named banks in different folders stay apart.
//
// threads: main.

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "librarian/LibrarianEditor.h"
#include "librarian/LibrarianRecords.h"
#include "librarian/panel/LibrarianMenuControl.h"

class IPopupMenu;
struct PatchLibrary;

// The folder part of a bank's current-file pair: its folder path from the scanned root
// ("Patches/A/Sub"), or the folder name for banks of no folder (the search results).
std::string FolderKeyOf(const PatchFile& file);

class FolderPopupMenu : public LibrarianMenuControl {
public:
  enum class Kind { LeftPrograms, RightPrograms, LeftPerformances, RightPerformances, RightSearch };

  FolderPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor, Kind kind);
  ~FolderPopupMenu() override;

  // Rebuilds the menus from the tree and selects the bank named by the pair (the last
  // of its name in the list), else ticks the first bank of the walk. Always true.
  bool refreshFolderStructure(int index, const CurrentFilePair& pair);
  // Ticks the item of bank `fileIndex` of the kind's list alone across all menus.
  void checkMenuItemAlone(int fileIndex);
  // Pops the menu up; a chosen bank becomes the editor's current pair and `index`.
  // Returns `index`, or 0 when nothing was chosen.
  int doPopupMenu(int& index);
  // Pops the menu up, unless it is the upper pane's and the editor's gate keeps its
  // unsaved bank: then the status line says why not.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu* topMenu() const { return menus_.front().menu.get(); }

protected:
  int pane() const;
  bool performance() const;
  // After the left pane's bank changed: says on the panel why it is incomplete, if it is.
  void noticeLeftBank();

private:
  struct FileId {
    int listIndex = -1;
    std::string name;
    std::string folder;
    int walkPosition = -1;  // banks met before it in the tree walk
  };
  // A menu this control built, and the bank of each of its items (none for sub-menus).
  struct BuiltMenu {
    std::unique_ptr<IPopupMenu> menu;
    std::vector<FileId> items;
  };

  int selectionParameter() const;
  const PatchFileList& files(const PatchLibrary& library) const;
  const FolderTree& tree(const PatchLibrary& library) const;
  BuiltMenu& newMenu();
  void addSubMenu(BuiltMenu& parent, const std::string& name, const BuiltMenu& sub);
  void addFiles(BuiltMenu& menu, const std::vector<PatchFile*>& banks);
  // The list position of a bank's identity now, -1 when it is gone.
  int findInList(const FileId& id) const;
  void setPaneIndex(int index);

  Kind kind_;
  std::deque<BuiltMenu> menus_;                // the top menu first
  std::map<const PatchFile*, int> positions_;  // valid only while building
  int walked_ = 0;                             // likewise
};

// The five menus of the panes.
struct LeftPatchPopupMenu : FolderPopupMenu {
  LeftPatchPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor)
      : FolderPopupMenu(plug, librarian, rect, editor, Kind::LeftPrograms) {}
};
struct RightPatchPopupMenu : FolderPopupMenu {
  RightPatchPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor)
      : FolderPopupMenu(plug, librarian, rect, editor, Kind::RightPrograms) {}
};
struct LeftPerfPopupMenu : FolderPopupMenu {
  LeftPerfPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor)
      : FolderPopupMenu(plug, librarian, rect, editor, Kind::LeftPerformances) {}
};
struct RightPerfPopupMenu : FolderPopupMenu {
  RightPerfPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor)
      : FolderPopupMenu(plug, librarian, rect, editor, Kind::RightPerformances) {}
};
struct RightSearchPopupMenu : FolderPopupMenu {
  RightSearchPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor)
      : FolderPopupMenu(plug, librarian, rect, editor, Kind::RightSearch) {}
};
