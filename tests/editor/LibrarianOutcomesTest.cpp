// What the librarian page says and keeps, driven as the user drives it: unsaved
// changes before a rescan or an import, pastes that store nothing, drags, and the
// status line after each action.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "LibrarianPageSupport.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/TavroParams.h"

namespace {

using P = TavroParam;

struct OutcomePage : LibrarianPage {
  explicit OutcomePage(const Banks& banks = Banks{{"Bank A.syx", "A"}, {"Bank B.syx", "B"}}) : LibrarianPage(banks) {}
  bool unsaved() const { return plug->GetParam(kBankEditUnsaved)->Value() == 1.0; }
  // Copies lower row `from` and pastes it on upper row `to`, through the two menus.
  void copyAndPaste(int from, int to) {
    backend.ScriptPopupChoiceText("Copy");
    click(1, from, IMouseMod(false, true));
    backend.ScriptPopupChoiceText("Paste");
    click(0, to, IMouseMod(false, true));
  }
  // A change of a parameter as the panel makes it: the value, then the editor's road.
  void change(int paramIdx, double value) {
    plug->GetParam(paramIdx)->Set(value);
    plug->OnParamChange(paramIdx);
  }
};

// Lower bank B shown, its row 4 pasted on upper row 6: unsaved.
struct PastedPage : OutcomePage {
  PastedPage() {
    command(P::kLibLowerNextBank, 1.0, true);
    copyAndPaste(4, 6);
  }
};

TEST(LibrarianUnsaved, RefreshAndImportWithAPastedProgramAskAndCancelKeepsIt) {
  PastedPage page;
  ASSERT_EQ(page.rowText(0, 6), "B4");
  ASSERT_TRUE(page.unsaved());

  page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Other);
  page.chooseInBankMenu("Refresh Folders");
  page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Other);
  page.offer("Picked.syx", ProgramBank("Imp"));
  page.chooseInBankMenu("Import Bank.../SysEx (*.syx / *.nl2)");
  ASSERT_EQ(page.backend.ShownAlerts().size(), 2u);
  EXPECT_EQ(page.backend.ShownAlerts()[0].text, Tavro::kUnsavedOnRefreshText);
  EXPECT_TRUE(page.backend.ShownPrompts().empty());
  EXPECT_FALSE(Exists(page.data.folder() + "Patches/Picked.syx"));
  EXPECT_EQ(page.rowText(0, 6), "B4");
  EXPECT_TRUE(page.unsaved());
}

TEST(LibrarianUnsaved, RefreshWithAPastedProgramAndSaveKeepsItOnDiskAndDiscardDropsIt) {
  {
    PastedPage page;
    page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Default);
    page.command(P::kRefreshFolders, 1.0, false);
    EXPECT_FALSE(page.unsaved());
    EXPECT_EQ(page.plug->getLeftCurrentFile(false).fileName, "Bank A.nl2");
    EXPECT_EQ(page.rowText(0, 6), "B4");
  }
  PastedPage page;
  page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Alternate);
  page.command(P::kRefreshFolders, 1.0, false);
  EXPECT_FALSE(page.unsaved());
  EXPECT_EQ(page.rowText(0, 6), "A6");
  EXPECT_FALSE(Exists(page.data.folder() + "Patches/Bank A.nl2"));
  EXPECT_EQ(page.librarianStatus(), "Folders read again");
}

TEST(LibrarianUnsaved, TheBankStepsRefuseWhileUnsavedAndKeepThePaste) {
  OutcomePage page;
  page.command(P::kLibLowerNextBank, 1.0, true);
  page.copyAndPaste(2, 3);
  ASSERT_TRUE(page.unsaved());
  // No question: the step is refused and the paste stays.
  page.command(P::kLibUpperNextBank, 1.0, true);
  EXPECT_EQ(page.librarianStatus(), "Save bank or Discard changes!");
  EXPECT_EQ(page.rowText(0, 3), "B2");
  EXPECT_TRUE(page.backend.ShownAlerts().empty());
}

// With no window to ask in, the rescan is refused as the bank steps refuse.
TEST(LibrarianUnsaved, WithoutAWindowARefreshIsRefusedAndThePasteKept) {
  PastedPage page;
  page.plug->graphics->CloseWindow();
  page.command(P::kRefreshFolders, 1.0, false);
  EXPECT_EQ(page.status(), "Save bank or Discard changes!");
  EXPECT_EQ(page.rowText(0, 6), "B4");
  EXPECT_TRUE(page.unsaved());
  EXPECT_TRUE(page.backend.ShownAlerts().empty());
}

// "Perfs" on the synthesizer page, the librarian hidden, reads the folders again for
// the other kind: an unsaved bank is asked about first, and a cancel keeps the mode.
TEST(LibrarianUnsaved, SwitchingTheKindWithThePageHiddenAsksAndCancelKeepsModeAndPaste) {
  PastedPage page;
  page.change(kShowLibrarian, 0.0);
  page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Other);
  page.change(kDatamode, 1.0);
  ASSERT_EQ(page.backend.ShownAlerts().size(), 1u);
  EXPECT_EQ(page.backend.ShownAlerts()[0].text, Tavro::kUnsavedOnRefreshText);
  EXPECT_FALSE(page.plug->panelMode().perfMode.load());
  EXPECT_EQ(page.plug->GetParam(kDatatype)->Value(), 0.0);
  EXPECT_EQ(page.plug->GetParam(kDatamode)->Value(), 0.0);
  EXPECT_TRUE(page.unsaved());

  page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Default);
  page.change(kDatamode, 1.0);
  EXPECT_TRUE(page.plug->panelMode().perfMode.load());
  EXPECT_FALSE(page.unsaved());
  EXPECT_TRUE(Exists(page.data.folder() + "Patches/Bank A.nl2"));
}

TEST(LibrarianPaste, APasteThatStoresNothingSaysWhy) {
  OutcomePage page;
  page.backend.ScriptPopupChoiceText("Paste");
  page.click(0, 6, IMouseMod(false, true));
  EXPECT_EQ(page.librarianStatus(), "Not stored: nothing copied yet");
  EXPECT_FALSE(page.unsaved());

  page.backend.ScriptPopupChoiceText("Copy");
  page.click(1, 4, IMouseMod(false, true));
  page.list().PasteSlotData(0, 0);  // no upper row there
  EXPECT_EQ(page.librarianStatus(), "Not stored: no slot under the pointer");
  EXPECT_FALSE(page.unsaved());
  EXPECT_EQ(page.rowText(0, 6), "A6");
}

TEST(LibrarianDrag, ADragTakesTheRowUnderThePressNotUnderItsFirstMotion) {
  OutcomePage page;
  page.command(P::kLibLowerNextBank, 1.0, true);
  page.list().dragEnabled = true;
  IMouseMod mod(true);
  const auto [px, py] = page.rowCentre(1, 2);
  const auto [mx, my] = page.rowCentre(1, 5);  // a quick hand: the first motion is three rows on
  const auto [ux, uy] = page.rowCentre(0, 7);
  page.plug->graphics->OnMouseDown(px, py, &mod);
  page.plug->graphics->OnMouseDrag(mx, my, &mod);
  page.plug->graphics->OnMouseUp(ux, uy, &mod);
  EXPECT_EQ(page.rowText(0, 7), "B2");
  EXPECT_TRUE(page.unsaved());
}

TEST(LibrarianStatus, ImportSaysWhatItDidAfterAFailureAndAFolderIsNoFile) {
  OutcomePage page;
  std::filesystem::create_directories(page.data.root() + "/x.syx");
  page.backend.ScriptFilePromptAnswer(page.data.root() + "/x.syx");
  page.chooseInBankMenu("Import Bank.../SysEx (*.syx / *.nl2)");
  EXPECT_EQ(page.librarianStatus(), "Import failed: x.syx is not a file");
  page.offer("Picked.syx", ProgramBank("Imp"));
  page.chooseInBankMenu("Import Bank.../SysEx (*.syx / *.nl2)");
  EXPECT_EQ(page.librarianStatus(), "Imported as Picked.syx");
  const IParam* list = page.plug->GetParam(kPatchSelectionListUpper);
  bool listed = false;
  for (int i = 0; i < list->GetNDisplayTexts(); ++i)
    listed |= std::string(list->GetDisplayTextAtIdx(i)) == "Picked.syx";
  EXPECT_TRUE(listed);
}

TEST(LibrarianStatus, SaveAndSaveAsSayWhatTheyWrote) {
  OutcomePage page(Banks{{"Bank A.nl2", "A"}, {"Bank B.nl2", "B"}});
  page.plug->showStatus("Import failed: file larger than 16 MB");
  page.renameRow(3, "Evening");
  page.chooseInBankMenu("Save (Overwrite current bank)");
  EXPECT_EQ(page.librarianStatus(), "Saved Bank A.nl2");
  EXPECT_EQ(page.rowText(0, 3), "Evening");

  page.backend.ScriptFilePromptAnswer(page.data.folder() + "Patches/Copy.nl2");
  page.chooseInBankMenu("Save As.../Tavro Format (*.nl2) (with names)");
  EXPECT_EQ(page.librarianStatus(), "Saved as Copy.nl2");
}

TEST(LibrarianStatus, SearchSaysItsCountAndASearchWithoutMatchListsNothing) {
  OutcomePage page(Banks{{"1.syx", "Pad"}, {"2.syx", "Lead"}});
  IParam* field = page.plug->GetParam(P::kPatchSearchString);
  field->SetDisplayText(0, "Pad1");
  page.command(P::kPatchSearchString, 0.0, true);
  EXPECT_EQ(page.librarianStatus(), "11 programs found");
  EXPECT_EQ(page.rowText(1, 10), "Pad19");
  field->SetDisplayText(0, "Lead42");
  page.command(P::kPatchSearchString, 0.0, true);
  EXPECT_EQ(page.librarianStatus(), "1 program found");
  field->SetDisplayText(0, "zz");
  page.command(P::kPatchSearchString, 0.0, true);
  EXPECT_EQ(page.librarianStatus(), "No results - Try another keyword!");
  for (int row = 0; row < LibrarianViewControl::kRows; ++row) EXPECT_EQ(page.rowText(1, row), "") << row;
}

// No MIDI ports chosen: work on files says its own outcome, not "Set MIDI I/O First!".
TEST(LibrarianStatus, OfflineRefreshAndOpeningThePageShowTheirOwnOutcomes) {
  OutcomePage page;
  ASSERT_FALSE(page.plug->unitLink().midiIOSet);
  page.change(P::kRefreshFolders, 1.0);
  EXPECT_EQ(page.librarianStatus(), "Folders read again");
  page.write("Patches/noise.syx", std::string(6000, '\x11'));
  page.change(P::kRefreshFolders, 0.0);
  EXPECT_EQ(page.librarianStatus().rfind("Not read: noise.syx", 0), 0u) << page.librarianStatus();
  page.change(kShowLibrarian, 0.0);
  page.plug->showStatus("");
  page.change(kShowLibrarian, 1.0);
  EXPECT_EQ(page.librarianStatus().rfind("Not read: noise.syx", 0), 0u) << page.librarianStatus();
}

// The search field takes the typing as it opens, and leaves with its page.
TEST(LibrarianSearchField, TakesKeysAtOnceAndLeavesWithItsPage) {
  OutcomePage page(Banks{{"1.syx", "Pad"}});
  page.change(P::kPatchSearch, 1.0);
  ASSERT_TRUE(page.plug->layer("searchField")->IsShown());
  ASSERT_TRUE(page.backend.IsTextEntryOpen());
  page.backend.TypeText("Pad4\n");
  EXPECT_EQ(page.rowText(1, 0), "Pad4");
  EXPECT_EQ(page.librarianStatus(), "11 programs found");

  // Open again and leave the page while typing: field and entry go with it.
  page.plug->GetParam(P::kPatchSearchString)->SetDisplayText(0, "search...");
  page.change(P::kPatchSearch, 0.0);
  ASSERT_EQ(page.rowText(1, 0), "Pad0");
  page.change(P::kPatchSearch, 1.0);
  ASSERT_TRUE(page.backend.IsTextEntryOpen());
  page.backend.TypeText("Pa");
  page.change(kShowLibrarian, 0.0);
  EXPECT_FALSE(page.plug->layer("searchField")->IsShown());
  EXPECT_FALSE(page.backend.IsTextEntryOpen());
  EXPECT_EQ(page.rowText(1, 0), "Pad0") << "nothing typed before the switch is searched";
  // Its place on the synthesizer page takes clicks for what is drawn there.
  const IRECT field = page.plug->firstControl(P::kPatchSearchString)->GetRECT();
  IMouseMod mod(true);
  page.plug->graphics->OnMouseDown((field.L + field.R) / 2, (field.T + field.B) / 2, &mod);
  EXPECT_FALSE(page.backend.IsTextEntryOpen());
  // Back on the page, the search is still on: its field shows again.
  page.change(kShowLibrarian, 1.0);
  EXPECT_TRUE(page.plug->layer("searchField")->IsShown());
}

// A rename box open when the page is left goes with it, and what was typed renames
// nothing, then or on coming back.
TEST(LibrarianSearchField, ARenameBoxLeavesWithItsPageRenamingNothing) {
  OutcomePage page(Banks{{"1.syx", "Pad"}});
  page.list().selectedUpper = 2;
  page.list().renameSlot(0, 0);
  ASSERT_TRUE(page.plug->layer("patchRename")->IsShown());
  page.backend.TypeText("Evening");
  page.change(kShowLibrarian, 0.0);
  EXPECT_FALSE(page.plug->layer("patchRename")->IsShown());
  EXPECT_TRUE(page.plug->panelMode().renameInactive);
  page.change(kShowLibrarian, 1.0);
  EXPECT_FALSE(page.plug->layer("patchRename")->IsShown());
  EXPECT_EQ(page.rowText(0, 2), "Pad2");
  EXPECT_FALSE(page.unsaved());
}

// After Return the search field keeps the keys, in either view: the next word typed
// replaces the last and searches again, a word too short leaves the field taking keys,
// and a click elsewhere still ends the typing.
TEST(LibrarianSearchField, KeepsTheKeysAfterReturnInEitherView) {
  for (const bool carbon : {false, true}) {
    SCOPED_TRACE(carbon ? "Carbon view" : "Cocoa view");
    OutcomePage page(Banks{{"1.syx", "Pad"}});
    if (carbon) {
      page.plug->graphics->CloseWindow();
      ASSERT_NE(page.plug->graphics->OpenWindow(&page.backend, nullptr, 0, 0), nullptr);
    }
    page.change(P::kPatchSearch, 1.0);
    ASSERT_TRUE(page.backend.IsTextEntryOpen());
    page.backend.TypeText("Pad4\n");
    EXPECT_EQ(page.librarianStatus(), "11 programs found");
    ASSERT_TRUE(page.backend.IsTextEntryOpen());
    EXPECT_EQ(page.backend.TextEntryText(), "Pad4");

    page.backend.TypeText("Pad12\n");
    EXPECT_EQ(page.rowText(1, 0), "Pad12");
    EXPECT_EQ(page.librarianStatus(), "1 program found");
    EXPECT_EQ(page.backend.TextEntryText(), "Pad12");

    page.backend.TypeText("P\n");
    EXPECT_EQ(page.librarianStatus(), "Enter 2 digits or more!");
    ASSERT_TRUE(page.backend.IsTextEntryOpen());
    page.backend.TypeText("Pad3\n");
    EXPECT_EQ(page.rowText(1, 0), "Pad3");

    // A press away from the field commits what it holds and leaves the keys to the panel.
    page.backend.TypeText("Pad5");
    page.backend.InjectMouse({ViewMouseAction::Down, ViewMouseButton::Left, 2, 2, 1, {}});
    page.backend.InjectMouse({ViewMouseAction::Up, ViewMouseButton::Left, 2, 2, 1, {}});
    EXPECT_FALSE(page.backend.IsTextEntryOpen());
    EXPECT_EQ(page.rowText(1, 0), "Pad5");
  }
}

// A link that leads back to itself is named as a loop, by its place in the data folder.
TEST(LibrarianStatus, ALinkLoopIsNamedAsALoopRelativeToTheDataFolder) {
  OutcomePage page;
  page.write("Patches/Pads/keep.txt", "");
  const std::string loop = page.data.folder() + "Patches/Pads/Loop.syx";
  ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
  page.command(P::kRefreshFolders, 1.0, false);
  const std::string status = page.librarianStatus();
  EXPECT_NE(status.find("Pads/Loop.syx (cannot open Pads/Loop.syx: a link loop"), std::string::npos) << status;
  EXPECT_EQ(status.find(page.data.folder()), std::string::npos) << status;
}

// A save that fails names the file from the data folder, not by its full path.
TEST(LibrarianStatus, AFailedSaveAsNamesTheFileFromTheDataFolder) {
  OutcomePage page;
  page.write("Patches/Taken.nl2/inside.txt", "kept");
  page.backend.ScriptFilePromptAnswer(page.data.folder() + "Patches/Taken.nl2");
  page.chooseInBankMenu("Save As.../Tavro Format (*.nl2) (with names)");
  const std::string status = page.librarianStatus();
  EXPECT_EQ(status.rfind("Bank not saved: Patches/Taken.nl2: ", 0), 0u) << status;
  EXPECT_EQ(status.find(page.data.folder()), std::string::npos) << status;
  EXPECT_EQ(page.data.read("Patches/Taken.nl2/inside.txt"), "kept");
}

}  // namespace
