#pragma once
// The librarian's list control and its ten popup menus belong to the librarian
// panel. Start-up and the tab switches reach them only through this; the editor's own
// parts serve unless others are installed (tests install fakes).
//
// threads: main

#include "Framework/IGraphicsStructs.h"
#include "layout/UIConfigManager.h"

class IControl;
class PatchLibrarian;
class Tavro;

class LibrarianPanelParts {
public:
  virtual ~LibrarianPanelParts() = default;

  // Makes the list control for the layout's "patchBrowser" element.
  virtual LibrarianViewFactory listFactory() = 0;
  // The control of librarian menu `index` (0-9, the order of the menu layers) in
  // `rect` (panel pixels); null for none.
  virtual IControl* makeMenu(int index, Tavro* plug, PatchLibrarian* librarian, const IRECT& rect) = 0;
  virtual void setListDragEnabled(IControl* list, bool enabled) = 0;
  // Rebuilds the menus' items from the librarian.
  virtual void refreshMenus(Tavro* plug) = 0;
};

// Installs other parts (null: the editor's own again), before an instance opens.
void SetLibrarianPanelParts(LibrarianPanelParts* parts);
LibrarianPanelParts* GetLibrarianPanelParts();
