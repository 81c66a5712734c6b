// The librarian page inside the editor: its list from the layout, mouse and keys
// through the panel's events, the folder and selector menus.
#include <gtest/gtest.h>

#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "LibrarianPageSupport.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/SelectorMenus.h"
#include "messaging/MIDIMessageManager.h"

namespace {

TEST(LibrarianPage, TheLayoutMakesTheRealListWithRowsFromThePatchesFolder) {
  LibrarianPage page;
  ASSERT_NE(page.plug->librarianList(), nullptr);
  LibrarianViewControl& list = page.list();
  EXPECT_EQ(list.columnWidth(), 100);
  EXPECT_EQ(list.rowHeight(), 16);
  const IRECT first = list.row(0, 0)->GetRECT(), below = list.row(0, 1)->GetRECT();
  const IRECT nextColumn = list.row(0, 16)->GetRECT(), lower = list.row(1, 0)->GetRECT();
  EXPECT_EQ(first.W(), 100);
  EXPECT_EQ(below.T - first.T, 16);
  EXPECT_EQ(nextColumn.L - first.L, 127);
  EXPECT_EQ(lower.T - first.T, 302);
  int banks = 0;
  page.plug->librarian->inspect([&](const PatchLibrary& l) { banks = int(l.programFiles.size()); });
  EXPECT_EQ(banks, 1);
  EXPECT_EQ(page.rowText(0, 0), "A0");
  EXPECT_EQ(page.rowText(0, 98), "A98");
  EXPECT_EQ(page.rowText(1, 5), "A5");
}

TEST(LibrarianPage, ClickSelectsAndDoubleClickWithoutAnOutputPortSendsNothing) {
  LibrarianPage page;
  page.click(0, 5);
  EXPECT_EQ(page.list().selectedUpper, 5);
  EXPECT_EQ(page.list().currentRow, 5);
  EXPECT_EQ(page.plug->librarian->selectedSlot, 5);
  EXPECT_TRUE(page.plug->panelMode().renameInactive);

  const auto [x, y] = page.rowCentre(0, 9);
  IMouseMod mod(true);
  page.plug->graphics->OnMouseDblClick(x, y, &mod);
  EXPECT_EQ(page.list().selectedUpper, 5);
  EXPECT_EQ(page.plug->midiManager->jobsStarted(MIDIMessageManager::kTransferThread), 0);
  EXPECT_TRUE(page.sent().empty());
}

TEST(LibrarianPage, DoubleClickWithPortsSendsTheRowThroughJobTwo) {
  LibrarianPage page;
  page.connect();
  const auto [x, y] = page.rowCentre(0, 9);
  IMouseMod mod(true);
  page.plug->graphics->OnMouseDblClick(x, y, &mod);
  EXPECT_EQ(page.list().currentRow, 9);
  EXPECT_EQ(page.plug->midiManager->jobsStarted(MIDIMessageManager::kTransferThread), 1);
  // Notes 127 down to 1 off on slot A's channel before the job.
  const auto sent = page.sent();
  ASSERT_GE(sent.size(), 127u);
  EXPECT_EQ(sent[0], (std::vector<unsigned char>{0x80, 127, 64}));
  EXPECT_EQ(sent[126], (std::vector<unsigned char>{0x80, 1, 64}));
}

TEST(LibrarianPage, ArrowKeysWrapAroundThePane) {
  LibrarianPage page;
  struct Step {
    int from, key, to;
  };
  const Step steps[] = {{0, 1, 99}, {99, 2, 0}, {3, 3, 86}, {90, 4, 7}, {40, 3, 24}, {40, 4, 56}};
  const auto [x, y] = page.rowCentre(0, 0);
  for (const Step& step : steps) {
    page.list().currentRow = step.from;
    page.list().selectedUpper = step.from;
    EXPECT_TRUE(page.plug->graphics->OnKeyDown(x, y, step.key));
    EXPECT_EQ(page.list().currentRow, step.to) << step.from << " key " << step.key;
    EXPECT_EQ(page.list().selectedUpper, step.to);
  }
}

TEST(LibrarianPage, DragFromLowerToUpperCopiesThePatchAndMarksTheBankUnsaved) {
  LibrarianPage page({{"Bank A.syx", "A"}, {"Bank B.syx", "B"}});
  ASSERT_EQ(page.command(TavroParam::kLibLowerNextBank, 1.0, true), Tavro::CommandResult::kEnd);
  ASSERT_EQ(page.rowText(1, 2), "B2");
  page.list().dragEnabled = true;
  IMouseMod mod(true);
  const auto [lx, ly] = page.rowCentre(1, 2);
  const auto [ux, uy] = page.rowCentre(0, 7);
  page.plug->graphics->OnMouseDown(lx, ly, &mod);
  page.plug->graphics->OnMouseDrag(lx + 3, ly + 1, &mod);
  page.plug->graphics->OnMouseUp(ux, uy, &mod);

  LibrarianPatch copied;
  ASSERT_TRUE(page.plug->librarian->copyPatch(0, 0, 7, &copied));
  ASSERT_EQ(copied.messages.size(), 1u);
  EXPECT_EQ(copied.messages[0].bytes, NamedProgramDump("B2", 2));
  EXPECT_EQ(page.rowText(0, 7), "B2");
  EXPECT_EQ(page.rowText(1, 2), "B2");
  EXPECT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 1.0);
  EXPECT_EQ(page.status(), "Dropped \"B2\" into slot 8");
}

TEST(LibrarianPage, DragFromTheUpperPaneStartsNothing) {
  LibrarianPage page;
  page.list().dragEnabled = true;
  IMouseMod mod(true);
  const auto [ux, uy] = page.rowCentre(0, 2);
  const auto [tx, ty] = page.rowCentre(0, 8);
  page.plug->graphics->OnMouseDown(ux, uy, &mod);
  page.plug->graphics->OnMouseDrag(ux + 3, uy, &mod);
  page.plug->graphics->OnMouseUp(tx, ty, &mod);
  EXPECT_EQ(page.rowText(0, 8), "A8");
  EXPECT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 0.0);
}

TEST(LibrarianPage, RightClickOpensTheSlotEditOrTheCopyMenu) {
  LibrarianPage page;
  page.click(0, 3, IMouseMod(false, true));
  page.click(1, 3, IMouseMod(false, true));
  const auto& menus = page.backend.ShownMenus();
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_EQ(menus[0].titles.front(), "Paste");
  EXPECT_EQ(menus[1].titles.front(), "Copy");
}

TEST(LibrarianPage, CopyThenAnotherLowerBankThenPastePastesTheCopiedPatch) {
  LibrarianPage page(Banks{{"1.syx", "A"}, {"2.syx", "B"}, {"3.syx", "C"}});
  page.command(TavroParam::kLibLowerNextBank, 1.0, true);
  page.backend.ScriptPopupChoiceText("Copy");
  page.click(1, 4, IMouseMod(false, true));
  page.command(TavroParam::kLibLowerNextBank, 1.0, true);
  ASSERT_EQ(page.rowText(1, 4), "C4");
  page.backend.ScriptPopupChoiceText("Paste");
  page.click(0, 6, IMouseMod(false, true));
  EXPECT_EQ(page.rowText(0, 6), "B4");
  EXPECT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 1.0);
}

TEST(LibrarianPage, SameNamedBanksInTwoFoldersOpenTheChosenOne) {
  LibrarianPage page({{"A/Sub/x.syx", "A"}, {"B/Sub/x.syx", "B"}});
  page.backend.ScriptPopupChoiceText("B/Sub/x.syx");
  page.clickMenu("LeftPatchPopupMenu", kLeftPatchMenu);
  ASSERT_FALSE(page.backend.ShownMenus().empty());
  EXPECT_EQ(page.rowText(0, 4), "B4");
  const int index = page.plug->librarian->upperFileIndex;
  EXPECT_EQ(int(page.plug->GetParam(kPatchSelectionListUpper)->Value()), index);
  EXPECT_EQ(page.plug->getLeftCurrentFile(false).fileName, "x.syx");
  EXPECT_EQ(page.plug->getLeftCurrentFile(false).folderName, "Patches/B/Sub");

  page.backend.ScriptPopupChoiceText("A/Sub/x.syx");
  page.clickMenu("LeftPatchPopupMenu", kLeftPatchMenu);
  EXPECT_EQ(page.rowText(0, 4), "A4");
  EXPECT_EQ(page.plug->getLeftCurrentFile(false).folderName, "Patches/A/Sub");
}

// A sub-folder named like the root holds banks of its own: a paste into its bank stays
// in the pane through a search and a refresh, and Save writes that bank's own file.
TEST(LibrarianPage, ABankInASubFolderNamedLikeTheRootKeepsItsPaneThroughSearchAndSave) {
  LibrarianPage page({{"a.nl2", "R"}, {"Patches/a.nl2", "S"}, {"src.nl2", "Q"}});
  const std::string rootBank = page.data.read("Patches/a.nl2");
  page.backend.ScriptPopupChoiceText("Patches/a.nl2");
  page.clickMenu("LeftPatchPopupMenu", kLeftPatchMenu);
  ASSERT_EQ(page.rowText(0, 4), "S4");
  page.backend.ScriptPopupChoiceText("src.nl2");
  page.clickMenu("RightPatchPopupMenu", kRightPatchMenu);
  ASSERT_EQ(page.rowText(1, 4), "Q4");
  page.backend.ScriptPopupChoiceText("Copy");
  page.click(1, 4, IMouseMod(false, true));
  page.backend.ScriptPopupChoiceText("Paste");
  page.click(0, 6, IMouseMod(false, true));
  ASSERT_EQ(page.rowText(0, 6), "Q4");

  page.plug->GetParam(TavroParam::kPatchSearchString)->SetDisplayText(0, "Q1");
  page.command(TavroParam::kPatchSearchString, 0.0, true);
  ASSERT_TRUE(page.plug->panelMode().searchResultsShown);
  page.plug->refreshPopUpMenus();
  EXPECT_EQ(page.rowText(0, 6), "Q4");
  EXPECT_EQ(page.rowText(0, 4), "S4");
  EXPECT_EQ(page.plug->getLeftCurrentFile(false).folderName, "Patches/Patches");

  page.backend.ScriptPopupChoiceText("Save (Overwrite current bank)");
  page.clickMenu("BANKEDITMENU", kBankEditMenu);
  EXPECT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 0.0);
  EXPECT_EQ(page.data.read("Patches/a.nl2"), rootBank);
  const std::string saved = page.data.read("Patches/Patches/a.nl2");
  constexpr size_t kNamed = 149, kNameAt = 138;
  ASSERT_EQ(saved.size(), 99 * kNamed);
  EXPECT_EQ(saved.substr(6 * kNamed + kNameAt, 10), "Q4        ");
  EXPECT_EQ(saved.substr(4 * kNamed + kNameAt, 10), "S4        ");
}

// The bank-file menu of library mode selects for the upper pane: a refresh with the
// lower pane active rebuilds it without moving the upper pane to the lower one's bank.
TEST(LibrarianPage, ARefreshWithTheLowerPaneActiveKeepsTheUpperBank) {
  LibrarianPage page({{"1.syx", "A"}, {"2.syx", "B"}});
  page.command(TavroParam::kLibLowerNextBank, 1.0, true);
  page.click(1, 3);
  ASSERT_EQ(page.list().activeSide, 1);
  ASSERT_EQ(page.rowText(0, 0), "A0");
  ASSERT_EQ(page.rowText(1, 0), "B0");
  page.plug->refreshPopUpMenus();
  EXPECT_EQ(page.plug->librarian->upperFileIndex, 0);
  EXPECT_EQ(page.rowText(0, 0), "A0");
  page.plug->GetParam(TavroParam::kPatchSearchString)->SetDisplayText(0, "B1");
  page.command(TavroParam::kPatchSearchString, 0.0, true);
  ASSERT_TRUE(page.plug->panelMode().searchResultsShown);
  EXPECT_EQ(page.rowText(0, 0), "A0");
  EXPECT_EQ(page.plug->GetParam(kPatchSelectionListUpper)->Value(), 0.0);
}

TEST(LibrarianPage, ProgramMenuGroupThreeItemFourWritesProgram34) {
  LibrarianPage page;
  page.connect();
  page.backend.ScriptPopupChoice({3, 3});
  page.clickMenu("PROGRAMNUMBERMENU", kProgramNumberMenu);
  EXPECT_EQ(int(page.plug->GetParam(kCurrentProgram)->Value()), 33);
  EXPECT_GE(Find(page.sent(), {0xC0, 33}), 0);
}

TEST(LibrarianPage, Program100SendsProgramChange99) {
  LibrarianPage page;
  page.connect();
  page.command(kDatatype, 1.0, false);
  ASSERT_TRUE(page.plug->panelMode().perfMode);
  page.backend.ScriptPopupChoiceText("91-100/Program 100");
  page.clickMenu("PROGRAMNUMBERMENU", kProgramNumberMenu);
  // A performance: on the global channel.
  const int global = page.plug->unitLink().deviceId;
  EXPECT_GE(Find(page.sent(), {static_cast<unsigned char>(0xC0 + global), 99}), 0);
}

TEST(LibrarianPage, BankAndProgramLayersFollowModeAndLibraryControl) {
  LibrarianPage page;
  struct Case {
    bool library, performances;
    const char* shown;
  };
  const Case cases[] = {{false, false, "BANKNUMBERMENUPROGRAMS"},
                        {false, true, "BANKNUMBERMENUPROGRAMS"},
                        {true, false, "PROGBANKNAMEMENUPROGRAMS"},
                        {true, true, "PERFBANKNAMEMENUPROGRAMS"}};
  for (const Case& c : cases) {
    page.plug->setPerfMode(c.performances);
    page.command(kControlLibrary, c.library ? 1.0 : 0.0, false);
    for (const char* name : {"BANKNUMBERMENUPROGRAMS", "PROGBANKNAMEMENUPROGRAMS", "PERFBANKNAMEMENUPROGRAMS"})
      EXPECT_EQ(page.plug->layer(name)->IsShown(), std::string(name) == c.shown) << name << " " << c.library;
  }
}

TEST(LibrarianPage, BankMenuItemsFollowModelAndMode) {
  LibrarianPage page;
  struct Case {
    int model;
    bool performances;
    int banks;
  };
  const Case cases[] = {{0, false, 4}, {1, true, 2}, {2, false, 10}, {2, true, 4}};
  auto* menu = dynamic_cast<BankNumberPopupMenu*>(page.plug->keptControls().librarianMenus[kBankNumberMenu]);
  for (const Case& c : cases) {
    page.plug->setNordModel(c.model);
    page.plug->setPerfMode(c.performances);
    page.plug->updateBankAndProgramMenuNames(false);
    EXPECT_EQ(menu->bankList().GetNItems(), c.banks) << c.model << " " << c.performances;
  }
  // Selectors a raw write left past int's range still give whole menus (their
  // conversion was undefined).
  for (int p = 0; p < 4; ++p) {
    page.plug->GetParam(TavroParam::kCurrentBank2x + p)->Set(-3.1e231);
    page.plug->GetParam(TavroParam::kCurrentProgram + p)->Set(1e300);
  }
  page.plug->setPerfMode(false);
  page.plug->updateBankAndProgramMenuNames(false);
  EXPECT_EQ(menu->bankList().GetNItems(), 10);
}

}  // namespace
