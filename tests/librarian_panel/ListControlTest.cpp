#include <gtest/gtest.h>

#include "Framework/IParam.h"
#include "PanelFakes.h"
#include "librarian/TavroParams.h"

namespace {

std::vector<std::string> Names(const std::string& stem, int n) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.push_back(stem + std::to_string(i));
  return out;
}

// An upper bank "U" of 99 programs and two lower banks "L" and "M".
void AddThreeBanks(PanelRig& rig) {
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("U.syx", {"Patches"}, Names("up", 99)));
  banks.push_back(Bank("L.syx", {"Patches"}, Names("lo", 99)));
  banks.push_back(Bank("M.syx", {"Patches"}, Names("mid", 99)));
  AddBanks(rig.librarian, std::move(banks));
  rig.librarian.lowerFileIndex = 1;
  rig.editor.view->patchSelectionUpperChanged();
  rig.editor.view->patchSelectionLowerChanged();
}

LibrarianPatch Slot(PanelRig& rig, int file, int slot) {
  LibrarianPatch out;
  rig.librarian.copyPatch(0, file, slot, &out);
  return out;
}

bool SameBytes(const LibrarianPatch& a, const LibrarianPatch& b) {
  if (a.messages.size() != b.messages.size()) return false;
  for (size_t i = 0; i < a.messages.size(); ++i)
    if (a.messages[i].bytes != b.messages[i].bytes) return false;
  return true;
}

}  // namespace

TEST(LibrarianList, GeometryFollowsTheScale) {
  struct Row {
    double scale;
    int w, h, step, upperTop, lowerTop, font, dragW;
  };
  const Row table[] = {
      {0.75, 75, 12, 95, 1, 229, 9, 75}, {1.0, 100, 16, 127, 1, 303, 13, 100}, {1.25, 126, 20, 159, 1, 379, 16, 125}};
  for (const Row& t : table) {
    SCOPED_TRACE(t.scale);
    PanelRig rig(t.scale, 10, 20);
    LibrarianViewControl& view = *rig.editor.view;
    for (int side = 0; side < 2; ++side) {
      const int top = 20 + (side ? t.lowerTop : t.upperTop);
      EXPECT_EQ(rig.rowRect(side, 0), IRECT(10, top, 10 + t.w, top + t.h));
      EXPECT_EQ(rig.rowRect(side, 15), IRECT(10, top + 15 * t.h, 10 + t.w, top + 16 * t.h));
      EXPECT_EQ(rig.rowRect(side, 16), IRECT(10 + t.step, top, 10 + t.step + t.w, top + t.h));
      EXPECT_EQ(rig.rowRect(side, 99), IRECT(10 + 6 * t.step, top + 3 * t.h, 10 + 6 * t.step + t.w, top + 4 * t.h));
    }
    EXPECT_EQ(view.row(0, 0)->GetText()->size, t.font);
    EXPECT_EQ(view.columnWidth(), t.dragW);
    EXPECT_EQ(view.rowHeight(), t.h);
  }
}

TEST(LibrarianList, ClicksSelectTheRowUnderThePointer) {
  PanelRig rig;
  AddThreeBanks(rig);
  LibrarianViewControl& view = *rig.editor.view;
  struct Hit {
    int x, y, upper, lower, current, side;
  };
  const IRECT u16 = rig.rowRect(0, 16), l99 = rig.rowRect(1, 99);
  const Hit table[] = {
      {u16.L, u16.T, 16, -1, 16, 0},                                             // top-left corner is inside
      {u16.R - 1, u16.B - 1, 16, -1, 16, 0},                                     // bottom-right pixel too
      {u16.R, u16.T, -1, -1, -1, 0},                                             // the gap between columns
      {l99.L + 3, l99.T + 3, -1, 99, 99, 1}, {l99.L + 3, l99.B, -1, -1, -1, 1},  // below the last row
  };
  for (const Hit& h : table) {
    SCOPED_TRACE(h.x * 1000 + h.y);
    IMouseMod left(true);
    rig.editor.surface->OnMouseDown(h.x, h.y, &left);
    rig.editor.surface->OnMouseUp(h.x, h.y, &left);
    if (h.upper < 0 && h.lower < 0 && !view.IsHit(h.x, h.y)) continue;
    EXPECT_EQ(view.selectedUpper, h.upper);
    EXPECT_EQ(view.selectedLower, h.lower);
    EXPECT_EQ(view.currentRow, h.current);
    EXPECT_EQ(view.activeSide, h.side);
    EXPECT_EQ(rig.librarian.selectedSlot, h.upper);
    EXPECT_EQ(rig.librarian.lowerSelectedSlot, h.lower);
  }
  EXPECT_EQ(rig.editor.greyed, true);  // the last row hit was in the lower pane
}

TEST(LibrarianList, SelectedRowIsABarWithBlackText) {
  PanelRig rig;
  AddThreeBanks(rig);
  rig.press(0, 3);
  rig.editor.surface->DrawAll();
  const IRECT selected = rig.rowRect(0, 3), plain = rig.rowRect(0, 4);
  const IColor background(255, 10, 20, 40);
  // Past the text, the bar shows in the selected row and the image in the others.
  EXPECT_NE(rig.editor.surface->At(selected.R - 2, selected.T + 2), background);
  EXPECT_GT(rig.editor.surface->At(selected.R - 2, selected.T + 2).R, 150);
  EXPECT_EQ(rig.editor.surface->At(plain.R - 2, plain.T + 2), background);
  int dark = 0, bright = 0;
  for (int x = selected.L; x < selected.L + 40; ++x)
    for (int y = selected.T; y < selected.B; ++y) dark += rig.editor.surface->At(x, y).R < 80;
  for (int x = plain.L; x < plain.L + 40; ++x)
    for (int y = plain.T; y < plain.B; ++y) bright += rig.editor.surface->At(x, y).R > 150;
  EXPECT_GT(dark, 10);
  EXPECT_GT(bright, 10);
}

TEST(LibrarianList, ArrowKeysWrapAndSend) {
  PanelRig rig;
  AddThreeBanks(rig);
  LibrarianViewControl& view = *rig.editor.view;
  struct Move {
    int from, key, to;
  };
  const Move table[] = {{0, 1, 99}, {99, 2, 0},  {5, 3, 88}, {90, 4, 7},  {83, 4, 99},
                        {16, 3, 0}, {-1, 1, 99}, {-1, 2, 0}, {-1, 3, 82}, {-1, 4, 15}};
  const IRECT r = rig.rowRect(0, 0);
  for (const Move& m : table) {
    SCOPED_TRACE(m.from * 10 + m.key);
    view.currentRow = m.from;
    EXPECT_TRUE(rig.editor.surface->OnKeyDown(r.L + 1, r.T + 1, m.key));
    EXPECT_EQ(view.currentRow, m.to);
    EXPECT_EQ(view.selectedUpper, m.to);
    EXPECT_EQ(rig.editor.takeCalls(), std::vector<std::string>{"send " + std::to_string(m.to) + " 0"});
  }
  view.currentRow = 4;
  EXPECT_FALSE(view.OnKeyDown(0, 0, 9));
  EXPECT_EQ(view.currentRow, 4);
}

TEST(LibrarianList, DoubleClickSendsOnlyWithAnOutputPort) {
  PanelRig rig;
  AddThreeBanks(rig);
  LibrarianViewControl& view = *rig.editor.view;
  const IRECT r = rig.rowRect(1, 20);
  IMouseMod left(true);
  rig.editor.GetParam(TavroParam::kDeviceOutSelection)->Set(0);
  rig.editor.takeCalls();
  rig.editor.surface->OnMouseDblClick(r.L + 2, r.T + 2, &left);
  EXPECT_EQ(view.selectedLower, -1);
  EXPECT_TRUE(rig.editor.takeCalls().empty());
  rig.editor.GetParam(TavroParam::kDeviceOutSelection)->Set(1);
  rig.editor.surface->OnMouseDblClick(r.L + 2, r.T + 2, &left);
  EXPECT_EQ(view.selectedLower, 20);
  EXPECT_EQ(rig.editor.takeCalls(), std::vector<std::string>{"send 20 1"});
}

TEST(LibrarianList, RightClickOpensTheEditMenuOnUpperRowsAndTheCopyMenuElsewhere) {
  PanelRig rig;
  AddThreeBanks(rig);
  rig.editor.takeCalls();
  rig.press(0, 5, IMouseMod(false, true));
  rig.press(1, 5, IMouseMod(false, true));
  EXPECT_EQ(rig.editor.takeCalls(), (std::vector<std::string>{"edit menu", "copy menu"}));
  ASSERT_EQ(rig.editor.surface->shown.size(), 2u);
  EXPECT_EQ(rig.editor.surface->shown[0][0], "Paste");
  EXPECT_EQ(rig.editor.surface->shown[1], std::vector<std::string>{"Copy"});
}

TEST(LibrarianList, DragCopiesALowerSlotIntoTheUpperBank) {
  PanelRig rig;
  AddThreeBanks(rig);
  rig.editor.view->dragEnabled = true;
  const LibrarianPatch lowerBefore = Slot(rig, 1, 12);
  auto drag = [&](int fromSide, int fromRow, int toRow) {
    const IRECT from = rig.rowRect(fromSide, fromRow), to = rig.rowRect(0, toRow);
    IMouseMod left(true);
    rig.editor.surface->OnMouseDown(from.L + 2, from.T + 2, &left);
    rig.editor.surface->OnMouseDrag(from.L + 3, from.T + 2, &left);
    rig.editor.surface->OnMouseDrag(to.L + 2, to.T + 2, &left);
    rig.editor.surface->OnMouseUp(to.L + 2, to.T + 2, &left);
  };
  drag(0, 3, 7);  // from the upper pane: nothing starts
  EXPECT_FALSE(rig.editor.unsaved);
  EXPECT_EQ(Slot(rig, 0, 7).name, "up7");
  drag(1, 12, 7);
  EXPECT_TRUE(SameBytes(Slot(rig, 0, 7), lowerBefore));
  EXPECT_TRUE(SameBytes(Slot(rig, 1, 12), lowerBefore));
  EXPECT_TRUE(rig.editor.unsaved);
  EXPECT_EQ(rig.editor.status, std::vector<std::string>{"Dropped \"lo12\" into slot 8"});
  EXPECT_FALSE(rig.editor.view->dragging);
}

// A drag carries the slot it was picked up from: the lower pane changing its bank
// under the pointer does not change what lands, and a drag that did not begin on a
// lower row picks up nothing it merely passes over.
TEST(LibrarianList, ADragDeliversTheSlotPressedEvenAfterTheLowerBankChanged) {
  PanelRig rig;
  AddThreeBanks(rig);
  rig.editor.view->dragEnabled = true;
  const LibrarianPatch picked = Slot(rig, 1, 12);
  const IRECT from = rig.rowRect(1, 12), to = rig.rowRect(0, 7);
  IMouseMod left(true);
  rig.editor.surface->OnMouseDown(from.L + 2, from.T + 2, &left);
  rig.editor.surface->OnMouseDrag(from.L + 3, from.T + 2, &left);
  rig.librarian.lowerFileIndex = 2;
  rig.editor.view->patchSelectionLowerChanged();
  rig.editor.surface->OnMouseDrag(to.L + 2, to.T + 2, &left);
  rig.editor.surface->OnMouseUp(to.L + 2, to.T + 2, &left);
  EXPECT_TRUE(SameBytes(Slot(rig, 0, 7), picked));
  EXPECT_FALSE(SameBytes(Slot(rig, 0, 7), Slot(rig, 2, 12)));

  rig.editor.unsaved = false;
  const LibrarianPatch upperBefore = Slot(rig, 0, 20);
  const IRECT upper = rig.rowRect(0, 3), passed = rig.rowRect(1, 30), target = rig.rowRect(0, 20);
  rig.editor.surface->OnMouseDown(upper.L + 2, upper.T + 2, &left);
  rig.editor.surface->OnMouseDrag(upper.L + 3, upper.T + 2, &left);
  rig.editor.surface->OnMouseDrag(passed.L + 2, passed.T + 2, &left);
  rig.editor.surface->OnMouseDrag(target.L + 2, target.T + 2, &left);
  rig.editor.surface->OnMouseUp(target.L + 2, target.T + 2, &left);
  EXPECT_TRUE(SameBytes(Slot(rig, 0, 20), upperBefore));
  EXPECT_FALSE(rig.editor.unsaved);
  EXPECT_FALSE(rig.editor.view->dragging);
}

TEST(LibrarianList, PasteGivesThePatchCopiedEvenAfterTheLowerBankChanged) {
  PanelRig rig;
  AddThreeBanks(rig);
  const LibrarianPatch copied = Slot(rig, 1, 12);
  // Paste before any copy: nothing.
  rig.editor.surface->paths.push_back({0});
  rig.press(0, 3, IMouseMod(false, true));
  EXPECT_FALSE(rig.editor.unsaved);
  rig.editor.surface->paths.push_back({0});  // "Copy"
  rig.press(1, 12, IMouseMod(false, true));
  rig.librarian.lowerFileIndex = 2;
  rig.editor.view->patchSelectionLowerChanged();
  rig.editor.surface->paths.push_back({0});  // "Paste"
  rig.press(0, 3, IMouseMod(false, true));
  EXPECT_TRUE(SameBytes(Slot(rig, 0, 3), copied));
  EXPECT_EQ(rig.editor.view->row(0, 3)->GetTextString(), "up3");  // the rows reload when the editor says
  EXPECT_TRUE(rig.editor.unsaved);
  // Row 99 of a 99-program bank is no slot: nothing replaced, nothing marked.
  rig.editor.unsaved = false;
  rig.editor.surface->paths.push_back({0});
  rig.press(0, 99, IMouseMod(false, true));
  EXPECT_FALSE(rig.editor.unsaved);
}

TEST(LibrarianList, RenameOffersTheSlotNameAndPadsTheBank) {
  struct Case {
    bool performance;
    int row;
    bool offered;
    size_t size;
  };
  const Case table[] = {{false, 2, true, 99}, {false, 99, false, 99}, {true, 2, true, 100}};
  for (const Case& c : table) {
    SCOPED_TRACE(c.row);
    PanelRig rig;
    AddThreeBanks(rig);
    rig.editor.performanceMode = c.performance;
    rig.editor.view->selectedUpper = c.row;
    rig.editor.view->renameSlot(0, 0);
    EXPECT_FALSE(rig.editor.renameInactive);
    const auto calls = rig.editor.takeCalls();
    // The box is shown with its entry open, so that typing goes there at once.
    const bool offered =
        calls.size() >= 2 && calls[calls.size() - 2] == "show patchRename" && calls.back() == "rename entry";
    EXPECT_EQ(offered, c.offered);
    if (c.offered) {
      EXPECT_EQ(rig.editor.GetParam(TavroParam::kPatchRename)->GetDisplayText(0), "up2");
    }
    EXPECT_EQ(rig.librarian.copyBank(0, 0)->patches.size(), c.size);
  }
}

// Without a bank the pane lists nothing: rows of the bank it showed before would read
// as its own.
TEST(LibrarianList, RowsShowTheBankAndNothingWithoutOne) {
  PanelRig rig;
  rig.editor.view->patchSelectionUpperChanged();
  EXPECT_EQ(rig.editor.view->row(0, 0)->GetTextString(), "");
  AddThreeBanks(rig);
  EXPECT_EQ(rig.editor.view->row(0, 98)->GetTextString(), "up98");
  EXPECT_EQ(rig.editor.view->row(0, 99)->GetTextString(), "");
  rig.librarian.upperFileIndex = 7;
  rig.editor.view->patchSelectionUpperChanged();
  EXPECT_EQ(rig.editor.view->row(0, 98)->GetTextString(), "");
}
