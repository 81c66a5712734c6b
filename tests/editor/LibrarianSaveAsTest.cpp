// Save As as a musician meets it on the librarian page: another file is never replaced
// without a Replace, the form written agrees with the name, a bare name lands in the
// folder offered, and every outcome is said. The unsaved-bank question answered, or not.
#include <gtest/gtest.h>

#include <cerrno>

#include "Kit_AtomicFile.h"
#include "LibrarianPageSupport.h"
#include "librarian/TavroParams.h"

namespace {

using P = TavroParam;

constexpr const char* kSaveAsMid = "Save As.../Standard MIDI (*.mid) (no names)";

struct SavePage : LibrarianPage {
  explicit SavePage(const Banks& banks = Banks{{"Abank.nl2", "A"}, {"Bbank.nl2", "B"}}) : LibrarianPage(banks) {}
  std::string patches() const { return data.folder() + "Patches/"; }
  bool unsaved() const { return plug->GetParam(kBankEditUnsaved)->Value() == 1.0; }
  void saveAs(const std::string& typed, bool midi = false) {
    backend.ScriptFilePromptAnswer(typed);
    chooseInBankMenu(midi ? kSaveAsMid : kSaveAsNl2);
  }
  // Lower bank B shown, its row 4 pasted on upper row 6: unsaved.
  void paste() {
    command(P::kLibLowerNextBank, 1.0, true);
    backend.ScriptPopupChoiceText("Copy");
    click(1, 4, IMouseMod(false, true));
    backend.ScriptPopupChoiceText("Paste");
    click(0, 6, IMouseMod(false, true));
  }
};

TEST(LibrarianSaveAs, OntoAnExistingBankItAsksAndOnlyReplaceReplaces) {
  for (const std::string target : {"Bbank.nl2", "Bbank.syx"}) {
    SCOPED_TRACE(target);
    SavePage page(Banks{{"Abank.nl2", "A"}, {target, "B"}});
    const std::string before = page.data.read("Patches/" + target);

    // Nobody answers: nothing replaced, and the line says so.
    page.saveAs(page.patches() + target);
    ASSERT_EQ(page.backend.ShownAlerts().size(), 1u);
    const ViewAlert& asked = page.backend.ShownAlerts()[0];
    EXPECT_NE(asked.text.find("\"" + target + "\" already exists"), std::string::npos) << asked.text;
    ASSERT_EQ(asked.buttons.size(), 2u);
    EXPECT_EQ(asked.buttons[0].label, "Cancel");
    EXPECT_EQ(asked.buttons[1].label, "Replace");
    EXPECT_TRUE(page.data.read("Patches/" + target) == before);
    EXPECT_EQ(page.librarianStatus(),
              "Bank not saved: Patches/" + target + " exists and nobody answered Replace; it was kept");

    page.backend.ScriptMessageBoxAnswerText("Cancel");
    page.saveAs(page.patches() + target);
    EXPECT_TRUE(page.data.read("Patches/" + target) == before);
    EXPECT_EQ(page.librarianStatus(), "Bank not saved: Patches/" + target + " exists and was kept");

    page.backend.ScriptMessageBoxAnswerText("Replace");
    page.saveAs(page.patches() + target);
    EXPECT_TRUE(page.data.read("Patches/" + target) == page.data.read("Patches/Abank.nl2"));
    EXPECT_EQ(page.librarianStatus(), "Saved as " + target);
    EXPECT_TRUE(page.backend.TakeScriptMisses().empty());
  }
}

TEST(LibrarianSaveAs, TheFormWrittenAgreesWithTheName) {
  SavePage page;
  const std::string open = page.data.read("Patches/Abank.nl2");
  // The MIDI form onto the open named bank: refused, the bank as it was.
  page.saveAs(page.patches() + "Abank.nl2", true);
  EXPECT_TRUE(page.data.read("Patches/Abank.nl2") == open);
  EXPECT_TRUE(page.backend.ShownAlerts().empty()) << "refused before any question";
  EXPECT_EQ(page.librarianStatus(), "Bank not saved: Patches/Abank.nl2: The name must end in: mid");
  EXPECT_EQ(page.rowText(0, 0), "A0");

  // A name without an extension takes the chosen form's, and the scan lists it.
  page.saveAs(page.patches() + "Named");
  EXPECT_EQ(page.librarianStatus(), "Saved as Named.nl2");
  EXPECT_TRUE(page.data.read("Patches/Named.nl2") == open);
  EXPECT_EQ(page.rowText(0, 0), "A0");
  page.saveAs(page.patches() + "Plain", true);
  EXPECT_EQ(page.librarianStatus(), "Saved as Plain.mid; left out: 99 names (a .mid file holds none)");
  EXPECT_EQ(page.data.read("Patches/Plain.mid").compare(0, 4, "MThd"), 0);
  EXPECT_FALSE(Exists(page.patches() + "Plain"));
  EXPECT_EQ(page.rowText(0, 0), "Sound   01") << "the pane shows the bank written: a .mid holds no names";
}

// Rows renamed in a bank of default names: the MIDI form says how many names it left
// out; with none to lose it says nothing more.
TEST(LibrarianSaveAs, TheMidiFormSaysHowManyRenamedRowsLoseTheirNames) {
  SavePage page;
  page.saveAs(page.patches() + "Plain", true);
  ASSERT_EQ(page.rowText(0, 3), "Sound   04");
  page.renameRow(3, "Lead");
  page.renameRow(5, "Bass");
  page.saveAs(page.patches() + "Renamed", true);
  EXPECT_EQ(page.librarianStatus(), "Saved as Renamed.mid; left out: 2 names (a .mid file holds none)");
  EXPECT_EQ(page.rowText(0, 3), "Sound   04");
  page.saveAs(page.patches() + "Again", true);
  EXPECT_EQ(page.librarianStatus(), "Saved as Again.mid");
}

TEST(LibrarianSaveAs, ARelativePathLandsInTheFolderThePromptOffers) {
  SavePage page;
  page.saveAs("justname.nl2");
  ASSERT_EQ(page.backend.ShownPrompts().back().folder, page.patches());
  EXPECT_EQ(page.librarianStatus(), "Saved as justname.nl2");
  EXPECT_TRUE(page.data.read("Patches/justname.nl2") == page.data.read("Patches/Abank.nl2"));
  EXPECT_FALSE(Exists("justname.nl2")) << "nothing in the host's working folder";

  page.saveAs("../escaped.nl2");
  EXPECT_TRUE(page.data.read("escaped.nl2") == page.data.read("Patches/Abank.nl2"));
  EXPECT_EQ(page.librarianStatus(), "Saved as escaped.nl2 outside Patches: not listed");
  EXPECT_FALSE(Exists("../escaped.nl2"));
  EXPECT_FALSE(Exists("escaped.nl2"));
}

TEST(LibrarianSaveAs, ABankOfMoreThan99ProgramsSaysWhatIsLeftOut) {
  SavePage page(Banks{});
  // 120 programs, one too long to read: the file is listed unsplit, its first 99 shown.
  std::string image;
  for (int p = 0; p < 120; ++p) {
    std::vector<uint8_t> dump = NamedProgramDump("Big" + std::to_string(p), p);
    if (p == 10) dump.insert(dump.end() - 1, {0x01, 0x02});
    image.append(dump.begin(), dump.end());
  }
  page.write("Patches/Big.syx", image);
  page.command(P::kRefreshFolders, 1.0, false);
  ASSERT_EQ(page.rowText(0, 98), "Big98");
  page.saveAs(page.patches() + "Kept.nl2");
  EXPECT_EQ(page.librarianStatus(),
            "Saved as Kept.nl2; row 11 written as INIT; left out: 21 programs past row 99 of Big.syx");
  EXPECT_TRUE(page.data.read("Patches/Big.syx") == image);
}

// Rows whose dumps could not be read hold init messages: the list shows them as INIT
// and Save As names them.
TEST(LibrarianSaveAs, RowsHeldByInitMessagesAreListedAsInitAndNamedInTheOutcome) {
  SavePage page(Banks{});
  std::string image;
  for (int p = 0; p < 99; ++p) {
    std::vector<uint8_t> dump = NamedProgramDump("W" + std::to_string(p), p);
    if (p == 40 || p == 56) dump.insert(dump.end() - 1, 20, 0x01);  // longer than any dump
    image.append(dump.begin(), dump.end());
  }
  page.write("Patches/wl.syx", image);
  page.command(P::kRefreshFolders, 1.0, false);
  EXPECT_EQ(page.rowText(0, 40), "INIT");
  EXPECT_EQ(page.rowText(0, 56), "INIT");
  EXPECT_EQ(page.rowText(0, 41), "W41");
  page.saveAs(page.patches() + "wl2.nl2");
  EXPECT_EQ(page.librarianStatus(), "Saved as wl2.nl2; rows 41, 57 written as INIT");
}

// A relative path that spells the data folder again lies inside Patches: the line
// shows the file kept whole, from the data folder.
TEST(LibrarianSaveAs, ARelativePathHoldingTheDataFoldersPathIsShownWhole) {
  SavePage page;
  const std::string again = page.data.folder().substr(1) + "Patches/Abank2.nl2";
  page.write("Patches/" + again, "kept");
  page.backend.ScriptMessageBoxAnswerText("Cancel");
  page.saveAs(again);
  EXPECT_EQ(page.librarianStatus(), "Bank not saved: Patches/" + again + " exists and was kept");
  EXPECT_EQ(page.data.read("Patches/" + again), "kept");
}

// A new data folder: the refusal says how to get a bank.
// Its own file, read with bytes outside the dumps, is not replaced from the rows; the
// name offered is a free one beside it, and the copy says what it leaves out.
TEST(LibrarianSaveAs, OntoTheIncompleteSourceItselfNothingIsLost) {
  SavePage page(Banks{});
  std::string image = ProgramBank("O");
  image.insert(NamedProgramDump("O0", 0).size(), "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A");
  page.write("Patches/one f7f0.nl2", image);
  page.command(P::kRefreshFolders, 1.0, false);
  ASSERT_EQ(page.rowText(0, 1), "O1");
  page.saveAs(page.patches() + "one f7f0.nl2");
  EXPECT_TRUE(page.backend.ShownAlerts().empty()) << "refused before Replace is asked";
  EXPECT_TRUE(page.data.read("Patches/one f7f0.nl2") == image);
  EXPECT_EQ(page.librarianStatus(),
            "Bank not saved: one f7f0.nl2 is incomplete (10 bytes outside the dumps): kept, save under another name");

  const ViewFilePrompt offered = page.backend.ShownPrompts().back();
  EXPECT_EQ(offered.name, "one f7f0 (2).nl2");
  page.saveAs(offered.name);
  EXPECT_EQ(page.librarianStatus(), "Saved as one f7f0 (2).nl2; left out: 10 bytes of one f7f0.nl2 outside the dumps");
  EXPECT_TRUE(page.data.read("Patches/one f7f0.nl2") == image);
}

TEST(LibrarianSaveAs, EachFormOffersANameItTakesAsOffered) {
  SavePage page;
  page.chooseInBankMenu(kSaveAsMid);  // cancelled: what was offered
  ASSERT_EQ(page.backend.ShownPrompts().back().name, "Abank.mid");
  page.saveAs("Abank.mid", true);
  EXPECT_EQ(page.librarianStatus(), "Saved as Abank.mid; left out: 99 names (a .mid file holds none)");
  EXPECT_EQ(page.data.read("Patches/Abank.mid").compare(0, 4, "MThd"), 0);
  // The pane shows the .mid now: the named form offers its own name again.
  page.chooseInBankMenu(kSaveAsNl2);
  EXPECT_EQ(page.backend.ShownPrompts().back().name, "Abank.nl2");
}

TEST(LibrarianSaveAs, SaveAndSaveAsWithNoBankOpenAndACancelSayWhy) {
  SavePage empty(Banks{});
  empty.chooseInBankMenu("Save (Overwrite current bank)");
  EXPECT_EQ(empty.librarianStatus(), "Not saved: no program bank yet; Import Bank... adds one");
  empty.plug->showStatus("");
  empty.chooseInBankMenu(kSaveAsNl2);
  EXPECT_EQ(empty.librarianStatus(), "Not saved: no program bank yet; Import Bank... adds one");
  EXPECT_TRUE(empty.backend.ShownPrompts().empty());

  SavePage page;
  page.chooseInBankMenu(kSaveAsMid);  // the prompt is cancelled
  EXPECT_EQ(page.librarianStatus(), "Not saved: Save As cancelled");
}

// Without an answer (a headless panel dismisses the box) nothing is done, and the line
// says why, on each road that would read the folders again.
TEST(LibrarianUnsavedQuestion, UnansweredEveryRoadIsRefusedAndSaysSaveOrDiscard) {
  SavePage page;
  page.paste();
  ASSERT_EQ(page.rowText(0, 6), "B4");
  const auto refused = [&](const char* road) {
    SCOPED_TRACE(road);
    EXPECT_EQ(page.librarianStatus(), Tavro::kSaveOrDiscardText);
    EXPECT_TRUE(page.unsaved());
    EXPECT_EQ(page.rowText(0, 6), "B4");
    page.plug->showStatus("");
  };
  page.chooseInBankMenu("Refresh Folders");
  refused("Refresh Folders");
  page.offer("Picked.syx", ProgramBank("Imp"));
  page.chooseInBankMenu("Import Bank.../SysEx (*.syx / *.nl2)");
  refused("Import");
  page.plug->GetParam(P::kRefreshFolders)->Set(1.0);
  page.plug->OnParamChange(P::kRefreshFolders);
  refused("the Refresh button");
  page.plug->GetParam(kShowLibrarian)->Set(0.0);
  page.plug->GetParam(kDatatype)->Set(1.0);
  page.plug->OnParamChange(kDatatype);
  refused("Perfs with the page hidden");
  EXPECT_FALSE(page.plug->panelMode().perfMode);
  EXPECT_EQ(page.backend.ShownAlerts().size(), 4u);
}

TEST(LibrarianUnsavedQuestion, EachAnswerByItsButton) {
  {
    SavePage page;
    page.paste();
    page.backend.ScriptMessageBoxAnswerText("Cancel");
    page.chooseInBankMenu("Refresh Folders");
    EXPECT_TRUE(page.unsaved());
    EXPECT_EQ(page.librarianStatus(), Tavro::kSaveOrDiscardText);
  }
  {
    SavePage page;
    const std::string before = page.data.read("Patches/Abank.nl2");
    page.paste();
    page.backend.ScriptMessageBoxAnswerText("No");
    page.chooseInBankMenu("Refresh Folders");
    EXPECT_FALSE(page.unsaved());
    EXPECT_EQ(page.rowText(0, 6), "A6");
    EXPECT_TRUE(page.data.read("Patches/Abank.nl2") == before);
  }
  {
    SavePage page;
    page.paste();
    page.backend.ScriptMessageBoxAnswerText("Yes");
    page.chooseInBankMenu("Refresh Folders");
    EXPECT_FALSE(page.unsaved());
    EXPECT_EQ(page.rowText(0, 6), "B4");
    const std::vector<uint8_t> pasted = NamedProgramDump("B4", 4);
    EXPECT_TRUE(page.data.read("Patches/Abank.nl2").substr(6 * pasted.size(), pasted.size()) ==
                std::string(pasted.begin(), pasted.end()));
  }
}

// Yes, with a folder the save cannot write into (no temporary can be made there, as
// in a read-only folder): the work stays, unsaved, and the line says why.
TEST(LibrarianUnsavedQuestion, SaveFailingAtTheQuestionKeepsTheWork) {
  SavePage page;
  const std::string before = page.data.read("Patches/Abank.nl2");
  page.paste();
  Kit_AtomicFileCalls readOnly = Kit_AtomicFileSystem();
  readOnly.open = [](const char*, int, mode_t) {
    errno = EACCES;
    return -1;
  };
  Kit_SetAtomicFileCalls(&readOnly);
  page.backend.ScriptMessageBoxAnswerText("Yes");
  page.chooseInBankMenu("Refresh Folders");
  Kit_SetAtomicFileCalls(nullptr);
  EXPECT_TRUE(page.unsaved());
  EXPECT_EQ(page.rowText(0, 6), "B4");
  EXPECT_EQ(page.librarianStatus(),
            "Bank not saved: Patches/Abank.nl2: could not create a temporary file: Permission denied");
  EXPECT_TRUE(page.data.read("Patches/Abank.nl2") == before);
}

// A click at the middle of the control, the status line emptied first.
void PressAtCentre(SavePage& page, IControl* control) {
  const IRECT r = control->GetRECT();
  IMouseMod mod(true);
  page.plug->showStatus("");
  page.plug->graphics->OnMouseDown((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
  page.plug->graphics->OnMouseUp((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
}

TEST(LibrarianUnsavedQuestion, TheGreyedPerfsSwitchSaysWhyWhenPressed) {
  SavePage page;
  IControl* perfs = page.plug->keptControls().datatypeControl;
  ASSERT_NE(perfs, nullptr);
  const auto press = [&] { PressAtCentre(page, perfs); };
  page.paste();
  ASSERT_TRUE(perfs->IsGrayed());
  press();
  EXPECT_EQ(page.librarianStatus(), Tavro::kSaveOrDiscardText);
  EXPECT_EQ(page.plug->GetParam(kDatatype)->Value(), 0.0);

  page.backend.ScriptMessageBoxAnswerText("No");
  page.chooseInBankMenu("Refresh Folders");
  page.plug->GetParam(P::kPatchSearch)->Set(1.0);
  page.plug->OnParamChange(P::kPatchSearch);
  ASSERT_TRUE(perfs->IsGrayed());
  press();
  EXPECT_EQ(page.librarianStatus(), Tavro::kCloseSearchFirstText);
}

// Over unsaved work the greyed Perfs asks as Refresh asks: Cancel keeps the work and the
// kind; No drops the work, Yes saves it, and either goes on to the performances.
TEST(LibrarianUnsavedQuestion, TheGreyedPerfsSwitchAsksAsRefreshAsks) {
  for (const std::string answer : {"Cancel", "No", "Yes", "No on the synthesizer page"}) {
    SCOPED_TRACE(answer);
    SavePage page;
    const std::string before = page.data.read("Patches/Abank.nl2");
    page.paste();
    const bool synthPage = answer.find("synthesizer") != std::string::npos;
    if (synthPage) {
      // There Perfs lies over the page, outside any layer.
      page.plug->GetParam(kShowLibrarian)->Set(0.0);
      page.plug->tabSwitch.mainTabSwitch(page.plug.get(), 2, page.plug->unitLink().nordModel, 0);
    }
    page.backend.ScriptMessageBoxAnswerText(synthPage ? "No" : answer);
    PressAtCentre(page,
                  synthPage ? page.plug->keptControls().datamodeControl : page.plug->keptControls().datatypeControl);
    ASSERT_EQ(page.backend.ShownAlerts().size(), 1u);
    EXPECT_EQ(page.backend.ShownAlerts()[0].text, Tavro::kUnsavedOnRefreshText);
    const bool settled = answer != "Cancel";
    EXPECT_EQ(page.plug->panelMode().perfMode.load(), settled);
    EXPECT_EQ(page.plug->GetParam(kDatamode)->Value(), settled ? 1.0 : 0.0);
    EXPECT_EQ(page.unsaved(), !settled);
    const std::vector<uint8_t> pasted = NamedProgramDump("B4", 4);
    const std::string row6 = page.data.read("Patches/Abank.nl2").substr(6 * pasted.size(), pasted.size());
    EXPECT_EQ(row6 == std::string(pasted.begin(), pasted.end()), answer == "Yes");
    EXPECT_EQ(page.data.read("Patches/Abank.nl2") == before, answer != "Yes");
  }
}

TEST(LibrarianSlotEdits, RenameCopyAndPasteSayWhatTheyDid) {
  SavePage page;
  page.command(P::kLibLowerNextBank, 1.0, true);
  page.backend.ScriptPopupChoiceText("Copy");
  page.click(1, 4, IMouseMod(false, true));
  EXPECT_EQ(page.librarianStatus(), "Copied \"B4\" from slot 5");
  page.backend.ScriptPopupChoiceText("Paste");
  page.click(0, 6, IMouseMod(false, true));
  EXPECT_EQ(page.librarianStatus(), "Pasted \"B4\" into slot 7");
  page.renameRow(3, "Evening");
  EXPECT_EQ(page.librarianStatus(), "Renamed slot 4 to \"Evening\"");
  page.list().CopySlotData(-100, -100);
  EXPECT_EQ(page.librarianStatus(), "Nothing copied: no slot under the pointer");
}

}  // namespace
