#pragma once
// The common frame of the librarian's popup-menu controls: an invisible hot area
// over the panel image (which shows the menu's face) without a parameter of its own.
//
// threads: main.

#include "Framework/IControl.h"

class IPopupMenu;
class PatchLibrarian;
class LibrarianPanelEditor;

class LibrarianMenuControl : public IControl {
public:
  LibrarianMenuControl(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianPanelEditor* editor);

  bool Draw(IGraphics* graphics) override;

protected:
  // Pops `menu` up over `rect`: the menu (or sub-menu) holding the chosen item, or null.
  IPopupMenu* popUp(IPopupMenu& menu, IRECT rect);
  // Writes `value` clamped into the parameter's range; its bound controls get the
  // normalised value.
  void writeParameter(int param, int value);
  int parameterInt(int param) const;
  void redrawSelf();

  PatchLibrarian* librarian_;
  LibrarianPanelEditor* editor_;
};
