#pragma once
// The librarian page's two panes of 100 rows: the upper pane shows the left
// folder menu's bank, the lower pane the right one's (or a search-result bank).
// Clicks select, a double click or an arrow key sends, a right click opens the
// slot edit or copy menu, and dragging a lower row onto an upper row copies it.
//
// threads: main (the handlers, Draw and the row reloads), worker (the editor's send
// road moves the current row), midi-in (received dumps reload rows); so
// the selection fields are atomics and the rows are set through SetTextFromPlug
// from copies taken under the librarian lock.

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "Framework/IControlBitmaps.h"
#include "Framework/IControlText.h"
#include "librarian/LibrarianRecords.h"

class PatchLibrarian;
class LibrarianPanelEditor;

// A slot's name without the blanks that pad it to the dump's ten bytes.
std::string unpaddedPatchName(const std::string& name);
// A slot's name as the status line quotes it, its padding blanks dropped.
std::string quotedPatchName(const std::string& name);

class LibrarianViewControl : public IBitmapControl {
public:
  static constexpr int kRows = 100;

  LibrarianViewControl(IModuleBase* plug, LibrarianPanelEditor* editor, int x, int y, int paramIdx, IBitmap* bitmap,
                       IRECT bounds, PatchLibrarian* librarian, double scale);
  ~LibrarianViewControl() override;

  // Reload one pane's 100 row texts from its bank file; no file empties them. The
  // upper pane's change reloads the lower pane too when both show the same file, so
  // that a row copied there is the one it shows.
  // threads: any
  void patchSelectionUpperChanged();
  void patchSelectionLowerChanged();

  // The one selection of a pane: row `row` of pane `side` (-1 none) is highlighted and
  // is the librarian's selected slot of that pane, which every action on "the selected
  // slot" reads (store, request, rename, paste); a row also becomes the side acted on
  // and the row the arrow keys move from. Every road that selects comes here.
  // threads: any
  void select(int side, int row);

  // From the slot edit and copy menus; (x, y) is where the menu was opened.
  void renameSlot(int x, int y);
  void CopySlotData(int x, int y);
  void PasteSlotData(int x, int y);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool OnKeyDown(int x, int y, int key) override;
  bool Draw(IGraphics* graphics) override;

  // Row i of the upper (side 0) or lower (side 1) pane.
  ITextControl* row(int side, int i) const { return rows_[side][i].get(); }
  int columnWidth() const { return columnWidth_; }
  int rowHeight() const { return rowHeight_; }

  // threads: any
  std::atomic<int> selectedUpper{0};
  std::atomic<int> selectedLower{-1};
  std::atomic<int> activeSide{0};
  std::atomic<int> currentRow{0};
  // Set by the editor while the librarian page is shown.
  bool dragEnabled = false;
  bool dragging = false;
  IRECT dragRect;

private:
  enum class Greying { Layers, None };
  // Row hit in pane `side` (the last one wins), -1 for none.
  int hitRow(int side, int x, int y) const;
  // Both selections -1, then the rows under (x, y) selected; returns the row hit.
  int selectUnder(int x, int y, Greying greying);
  // The bank file a pane shows, null when it has none; the caller holds the lock.
  PatchFile* paneFile(PatchLibrary& library, int side) const;
  const PatchFile* paneFile(const PatchLibrary& library, int side) const;
  bool paneHasBank(int side) const;
  void reloadRows(int side);
  void showNames(int side, const std::vector<std::string>& names);
  // The patch at `slot` of the lower pane's bank now; none outside it.
  std::optional<LibrarianPatch> lowerPatch(int slot) const;
  // Hands the patch to the selected upper slot through the dump road; the status
  // line says it with `verb` ("Pasted") or why nothing was stored.
  void deliver(const std::optional<LibrarianPatch>& patch, const char* verb);

  LibrarianPanelEditor* editor_;
  PatchLibrarian* librarian_;
  int columnWidth_;
  int rowHeight_;
  std::array<std::array<std::unique_ptr<ITextControl>, kRows>, 2> rows_;
  // The patch copied or picked up, taken whole at that moment.
  std::optional<LibrarianPatch> clipboard_;
  std::optional<LibrarianPatch> dragged_;
  // The lower row under the last left press, -1 for none: a drag takes that row, not
  // the one under its first motion.
  int pressedLower_ = -1;
};

// The "patchBrowser" element's maker: the editor registers it with the layout
// reader at start-up (UIConfigManager::setLibrarianViewFactory). The plug must be
// the editor (it implements LibrarianPanelEditor).
IControl* CreateLibrarianViewControl(IModuleBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT bounds,
                                     PatchLibrarian* librarian, double scale);
