#include <gtest/gtest.h>

#include "Framework/IParam.h"
#include "PanelFakes.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/FolderPopupMenu.h"
#include "librarian/panel/PatchSearch.h"

namespace {

// The tree of root files r, A/x, A/y, A/B/z, A/D/w and B/v, in scan order; each
// bank's first program is named after the bank.
void AddTreeExample(PanelRig& rig) {
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("x.syx", {"Patches", "A"}, {"first x"}));
  banks.push_back(Bank("y.syx", {"Patches", "A"}, {"first y"}));
  banks.push_back(Bank("z.syx", {"Patches", "A", "B"}, {"first z"}));
  banks.push_back(Bank("w.syx", {"Patches", "A", "D"}, {"first w"}));
  banks.push_back(Bank("v.syx", {"Patches", "B"}, {"first v"}));
  banks.push_back(Bank("r.syx", {"Patches"}, {"first r"}));
  AddBanks(rig.librarian, std::move(banks));
}

// x.syx in A/Sub and in B/Sub, each first program named after its top folder.
void AddSameNamedBanks(PanelRig& rig) {
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("x.syx", {"Patches", "A", "Sub"}, {"from A"}));
  banks.push_back(Bank("x.syx", {"Patches", "B", "Sub"}, {"from B"}));
  AddBanks(rig.librarian, std::move(banks));
}

IRECT Face() { return IRECT(415, 45, 830, 65); }

}  // namespace

TEST(FolderMenus, TitlesMirrorTheTree) {
  PanelRig rig;
  AddTreeExample(rig);
  LeftPatchPopupMenu menu(&rig.editor, &rig.librarian, Face(), &rig.editor);
  IMouseMod left(true);
  menu.OnMouseDown(0, 0, &left);
  ASSERT_EQ(rig.editor.surface->shown.size(), 1u);
  // The tree's four root entries: A holding x, y and B; a second A holding D; B; the root.
  EXPECT_EQ(rig.editor.surface->shown[0], (std::vector<std::string>{"A", "A/B", "A/B/z.syx", "A/x.syx", "A/y.syx", "A",
                                                                    "A/D", "A/D/w.syx", "B", "B/v.syx", "r.syx"}));
}

// Banks deeper than the tree share its deepest folder's menu: names that would read
// the same show the folders below it; a name alone there stays as it was.
TEST(FolderMenus, SameNamedBanksDeeperThanTheTreeReadApart) {
  PanelRig rig;
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("x.syx", {"Patches", "A", "B", "C"}, {"from C"}));
  banks.push_back(Bank("x.syx", {"Patches", "A", "B", "D", "E"}, {"from E"}));
  banks.push_back(Bank("x.syx", {"Patches", "A", "B"}, {"from B"}));
  banks.push_back(Bank("y.syx", {"Patches", "A", "B", "C"}, {"first y"}));
  AddBanks(rig.librarian, std::move(banks));
  LeftPatchPopupMenu menu(&rig.editor, &rig.librarian, Face(), &rig.editor);
  rig.editor.surface->paths.push_back({0, 0, 1});
  IMouseMod mod(true);
  menu.OnMouseDown(0, 0, &mod);
  ASSERT_EQ(rig.editor.surface->shown.size(), 1u);
  EXPECT_EQ(rig.editor.surface->shown[0],
            (std::vector<std::string>{"A", "A/B", "A/B/C/x.syx", "A/B/D/E/x.syx", "A/B/x.syx", "A/B/y.syx"}));
  EXPECT_EQ(rig.editor.pairs[0][0].folderName, "Patches/A/B/D/E");
  EXPECT_EQ(rig.editor.view->row(0, 0)->GetTextString(), "from E");
}

TEST(FolderMenus, AChoiceSetsPairIndexParameterAndRows) {
  struct Choice {
    std::vector<int> path;
    int index;
    CurrentFilePair pair;
    const char* firstRow;
  };
  const Choice table[] = {
      {{0, 0, 0}, 2, {"z.syx", "Patches/A/B"}, "first z"}, {{1, 0, 0}, 3, {"w.syx", "Patches/A/D"}, "first w"},
      {{0, 2}, 1, {"y.syx", "Patches/A"}, "first y"},      {{2, 0}, 4, {"v.syx", "Patches/B"}, "first v"},
      {{3}, 5, {"r.syx", "Patches"}, "first r"},
  };
  for (const Choice& c : table) {
    SCOPED_TRACE(c.index);
    for (bool left : {true, false}) {
      PanelRig rig;
      AddTreeExample(rig);
      std::unique_ptr<FolderPopupMenu> menu;
      if (left)
        menu = std::make_unique<LeftPatchPopupMenu>(&rig.editor, &rig.librarian, Face(), &rig.editor);
      else
        menu = std::make_unique<RightPatchPopupMenu>(&rig.editor, &rig.librarian, Face(), &rig.editor);
      rig.editor.surface->paths.push_back(c.path);
      IMouseMod mod(true);
      menu->OnMouseDown(0, 0, &mod);
      const int pane = left ? 0 : 1;
      EXPECT_EQ(pane == 0 ? rig.librarian.upperFileIndex.load() : rig.librarian.lowerFileIndex.load(), c.index);
      EXPECT_EQ(rig.editor.pairs[pane][0].fileName, c.pair.fileName);
      EXPECT_EQ(rig.editor.pairs[pane][0].folderName, c.pair.folderName);
      EXPECT_EQ(rig.editor.GetParam(pane ? TavroParam::kPatchSelectionListLower : TavroParam::kPatchSelectionListUpper)
                    ->Int(),
                c.index);
      EXPECT_EQ(rig.editor.view->row(pane, 0)->GetTextString(), c.firstRow);
    }
  }
}

TEST(FolderMenus, SameNamedFoldersOpenTheirOwnBank) {
  PanelRig rig;
  AddSameNamedBanks(rig);
  RightPatchPopupMenu menu(&rig.editor, &rig.librarian, Face(), &rig.editor);
  auto* bound = new ITextControl(&rig.editor, IRECT(0, 0, 1, 1), nullptr);
  bound->SetParamIdx(TavroParam::kPatchSelectionListLower);
  rig.editor.surface->AttachControl(bound);
  rig.editor.surface->paths.push_back({1, 0, 0});  // B / Sub / x.syx
  IMouseMod mod(true);
  menu.OnMouseDown(0, 0, &mod);
  EXPECT_EQ(rig.librarian.lowerFileIndex, 1);
  EXPECT_DOUBLE_EQ(bound->GetValue(), 1.0 / 2000);  // normalised, not the raw index
  EXPECT_EQ(rig.editor.pairs[1][0].folderName, "Patches/B/Sub");
  EXPECT_EQ(rig.editor.view->row(1, 0)->GetTextString(), "from B");
  // A refresh with that pair ticks B's item alone and keeps the bank.
  rig.librarian.lowerFileIndex = 0;
  menu.refreshFolderStructure(0, rig.editor.pairs[1][0]);
  EXPECT_EQ(rig.librarian.lowerFileIndex, 1);
  IPopupMenu* subA = menu.topMenu()->GetItem(0)->GetSubmenu()->GetItem(0)->GetSubmenu();
  IPopupMenu* subB = menu.topMenu()->GetItem(1)->GetSubmenu()->GetItem(0)->GetSubmenu();
  EXPECT_FALSE(subA->IsItemChecked(0));
  EXPECT_TRUE(subB->IsItemChecked(0));
}

TEST(FolderMenus, ARefreshKeepsTheFirstOfTwoSameNamedFolders) {
  PanelRig rig;
  AddSameNamedBanks(rig);
  RightPatchPopupMenu menu(&rig.editor, &rig.librarian, Face(), &rig.editor);
  rig.editor.surface->paths.push_back({0, 0, 0});  // A / Sub / x.syx
  IMouseMod mod(true);
  menu.OnMouseDown(0, 0, &mod);
  ASSERT_EQ(rig.librarian.lowerFileIndex, 0);
  menu.refreshFolderStructure(1, rig.editor.pairs[1][0]);
  EXPECT_EQ(rig.librarian.lowerFileIndex, 0);
  EXPECT_EQ(rig.editor.view->row(1, 0)->GetTextString(), "from A");
}

TEST(FolderMenus, DismissKeepsTheBankAndRefreshesAreLeakFree) {
  PanelRig rig;
  AddTreeExample(rig);
  LeftPatchPopupMenu menu(&rig.editor, &rig.librarian, Face(), &rig.editor);
  rig.librarian.upperFileIndex = 4;
  IMouseMod mod(true);
  menu.OnMouseDown(0, 0, &mod);
  EXPECT_EQ(rig.librarian.upperFileIndex, 4);
  EXPECT_EQ(rig.editor.view->row(0, 0)->GetTextString(), "first v");
  for (int i = 0; i < 1000; ++i) menu.refreshFolderStructure(0, CurrentFilePair{"gone.syx", "A"});
  // No pair match: the first bank of the walk keeps the tick.
  EXPECT_TRUE(menu.topMenu()->GetItem(0)->GetSubmenu()->GetItem(0)->GetSubmenu()->IsItemChecked(0));
}

TEST(FolderMenus, SearchMenuListsTheResultBanks) {
  PanelRig rig;
  AddTreeExample(rig);
  std::vector<std::unique_ptr<PatchFile>> many;
  std::vector<std::string> names(150, "first q");
  many.push_back(Bank("q.syx", {"Patches"}, names));
  AddBanks(rig.librarian, std::move(many));
  ASSERT_EQ(createNewSearchPatchFiles(rig.librarian, "first"), 2);
  rig.editor.searchMode = true;
  RightSearchPopupMenu menu(&rig.editor, &rig.librarian, Face(), &rig.editor);
  rig.editor.surface->paths.push_back({1});
  IMouseMod mod(true);
  menu.OnMouseDown(0, 0, &mod);
  EXPECT_EQ(rig.editor.surface->shown[0], (std::vector<std::string>{"Search Results 1", "Search Results 2"}));
  EXPECT_EQ(rig.librarian.lowerFileIndex, 1);
  EXPECT_EQ(rig.editor.pairs[1][0].fileName, "Search Results 2");
  EXPECT_EQ(rig.editor.view->row(1, 0)->GetTextString(), "first q   ");
}

TEST(FolderMenus, OpeningAnIncompleteBankOnTheLeftSaysWhichAndWhy) {
  PanelRig rig;
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("whole.syx", {"Patches"}, {"first"}));
  banks.push_back(Bank("cut.syx", {"Patches"}, {"second"}));
  banks.back()->losses.repaired = 2;
  AddBanks(rig.librarian, std::move(banks));
  LeftPatchPopupMenu left(&rig.editor, &rig.librarian, Face(), &rig.editor);
  RightPatchPopupMenu right(&rig.editor, &rig.librarian, Face(), &rig.editor);
  IMouseMod mod(true);
  rig.editor.surface->paths.push_back({0});
  left.OnMouseDown(0, 0, &mod);
  EXPECT_TRUE(rig.editor.status.empty());
  rig.editor.surface->paths.push_back({1});
  right.OnMouseDown(0, 0, &mod);  // the right pane is never saved in place
  EXPECT_TRUE(rig.editor.status.empty());
  rig.editor.surface->paths.push_back({1});
  left.OnMouseDown(0, 0, &mod);
  ASSERT_EQ(rig.editor.status.size(), 1u);
  EXPECT_EQ(rig.editor.status[0],
            "cut.syx is incomplete (2 programs completed (end missing)): Save in place is off, use Save As");
}
