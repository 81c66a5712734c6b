// Importing a bank into "Patches", the data folder and the help pages.
#include <gtest/gtest.h>
#include <filesystem>

#include "LibrarianPageSupport.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/TavroParams.h"

namespace {

struct ImportPage : LibrarianPage {
  ImportPage() : LibrarianPage(Banks{}) {}
  std::string patches() const { return data.folder() + "Patches"; }
};

TEST(LibrarianImport, CopiesTheFileWholeAndRefreshListsIt) {
  ImportPage page;
  const std::string bank = ProgramBank("Imp");
  page.offer("Picked.syx", bank);
  EXPECT_TRUE(page.plug->saveImportedFile(false));
  EXPECT_EQ(page.data.read("Patches/Picked.syx"), bank);
  ASSERT_EQ(page.backend.ShownPrompts().size(), 1u);
  page.plug->librarianPanel().refreshFolders();
  EXPECT_EQ(page.plug->GetParam(kPatchSelectionListUpper)->GetDisplayText(0), "Picked.syx");
  EXPECT_EQ(page.rowText(0, 7), "Imp7");
  for (const std::string& path : page.data.contents()) EXPECT_EQ(path.find(".tmp-"), std::string::npos) << path;
}

TEST(LibrarianImport, ACancelledPromptCopiesNothing) {
  ImportPage page;
  page.backend.ScriptFilePromptAnswer(std::nullopt);
  EXPECT_FALSE(page.plug->saveImportedFile(true));
  EXPECT_FALSE(Exists(page.patches()));
}

// A path that names no file imports nothing and says why.
TEST(LibrarianImport, APathThatNamesNoFileSaysWhy) {
  const struct {
    std::string typed, status;
  } cases[] = {
      {"Banks/", "Import failed: {root}/Banks/: That names a folder, not a file."},
      {"Gone/", "Import failed: {root}/Gone/: That names a folder, not a file."},
      {"Gone.syx", "Import failed: file cannot be read (Gone.syx: missing)"},
      // The scan lists no file of another name: a copy would never be seen.
      {"Banks/Plain", "Import failed: {root}/Banks/Plain: The name must end in: syx nl2"},
      {"Banks/Plain.NL2.bak", "Import failed: {root}/Banks/Plain.NL2.bak: The name must end in: syx nl2"},
  };
  for (const auto& c : cases) {
    ImportPage page;
    std::filesystem::create_directories(page.data.root() + "/Banks");
    for (const char* name : {"Plain", "Plain.NL2.bak"})
      std::ofstream(page.data.root() + "/Banks/" + name, std::ios::binary) << ProgramBank("Pl");
    page.backend.ScriptFilePromptAnswer(page.data.root() + "/" + c.typed);
    EXPECT_FALSE(page.plug->saveImportedFile(false));
    std::string status = c.status;
    if (const size_t at = status.find("{root}"); at != std::string::npos) status.replace(at, 6, page.data.root());
    EXPECT_EQ(page.status(), status) << c.typed;
    EXPECT_FALSE(Exists(page.patches()));
  }
}

TEST(LibrarianImport, AFileOver16MiBIsRefused) {
  ImportPage page;
  page.offer("Huge.mid", std::string(16 * 1024 * 1024 + 1, '\0'));
  EXPECT_FALSE(page.plug->saveImportedFile(true));
  EXPECT_EQ(page.status(), "Import failed: file larger than 16 MB");
  EXPECT_FALSE(Exists(page.patches() + "/Huge.mid"));
}

TEST(LibrarianImport, ABankFileTheScanWouldNotReadIsRefusedWithTheReason) {
  ImportPage page;
  const std::string bank = ProgramBank("Sm");
  page.offer("Small.syx", bank.substr(0, 4500));
  EXPECT_FALSE(page.plug->saveImportedFile(false));
  EXPECT_EQ(page.status(), "Import failed: file smaller than 4501 bytes");
  EXPECT_FALSE(Exists(page.patches() + "/Small.syx"));
  // One byte more is a bank file the scan reads.
  page.offer("Small.syx", bank.substr(0, 4501));
  EXPECT_TRUE(page.plug->saveImportedFile(false));
  EXPECT_EQ(page.data.read("Patches/Small.syx"), bank.substr(0, 4501));
}

TEST(LibrarianImport, AFailedWriteKeepsWhatWasThereAndSaysSo) {
  ImportPage page;
  // "Patches" is a file here: nothing can be written into it.
  page.data.write("Patches", "not a folder");
  page.offer("Bank.syx", ProgramBank("X"));
  EXPECT_FALSE(page.plug->saveImportedFile(false));
  EXPECT_EQ(page.status(), "Import failed: Patches folder cannot be written");
  EXPECT_EQ(page.data.read("Patches"), "not a folder");

  ImportPage second;
  // A folder of the same name stays, with what it holds; the copy takes a free name.
  second.write("Patches/Bank.syx/inside.txt", "kept");
  second.offer("Bank.syx", ProgramBank("Y"));
  EXPECT_TRUE(second.plug->saveImportedFile(false));
  EXPECT_EQ(second.data.read("Patches/Bank.syx/inside.txt"), "kept");
  EXPECT_EQ(second.data.read("Patches/Bank (2).syx"), ProgramBank("Y"));
  for (const std::string& path : second.data.contents()) EXPECT_EQ(path.find(".tmp-"), std::string::npos) << path;
}

TEST(LibrarianImport, ThePromptStartsInTheFolderOfTheLastChosenFile) {
  ImportPage page;
  const std::string far = page.data.root() + "/far";
  std::filesystem::create_directories(far);
  page.offer("far/One.syx", ProgramBank("One"));
  EXPECT_TRUE(page.plug->saveImportedFile(false));
  EXPECT_EQ(std::string(page.plug->GetProgramFilePath()), far + "/One.syx");
  // A cancelled prompt keeps the folder it started in.
  page.backend.ScriptFilePromptAnswer(std::nullopt);
  EXPECT_FALSE(page.plug->saveImportedFile(true));
  page.offer("Two.syx", ProgramBank("Two"));
  EXPECT_TRUE(page.plug->saveImportedFile(false));
  const auto& prompts = page.backend.ShownPrompts();
  ASSERT_EQ(prompts.size(), 3u);
  EXPECT_NE(prompts[0].folder, far + "/");
  EXPECT_EQ(prompts[1].folder, far + "/");
  EXPECT_EQ(prompts[1].types, std::vector<std::string>{"mid"});
  EXPECT_EQ(prompts[2].folder, far + "/");
  EXPECT_EQ(std::string(page.plug->GetProgramFilePath()), page.data.root() + "/Two.syx");
}

// Draws nothing itself: takes back every redraw request so that the next one shows.
void Clean(IControl* control) {
  while (control->IsDirty()) control->SetClean();
}

TEST(LibrarianImport, BothBankListsRedrawWhenARefreshRenamesTheirEntry) {
  LibrarianPage page(Banks{{"Bank B.syx", "B"}});
  IControl* lists[] = {page.plug->keptControls().upperListControl, page.plug->keptControls().lowerListControl};
  for (IControl* list : lists) {
    ASSERT_NE(list, nullptr);
    Clean(list);
  }
  // The panes' bank goes and a new one takes entry 0, where both lists stand: its text changes.
  page.write("Patches/Bank A.syx", ProgramBank("A"));
  std::remove((page.data.folder() + "Patches/Bank B.syx").c_str());
  page.plug->librarianPanel().refreshFolders();
  for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower}) {
    EXPECT_EQ(page.plug->GetParam(list)->Value(), 0.0);
    EXPECT_EQ(page.plug->GetParam(list)->GetDisplayText(0), "Bank A.syx");
  }
  for (IControl* list : lists) EXPECT_TRUE(list->IsDirty());
}

TEST(LibrarianLists, ResetRefillsTheTextsOfTheCurrentTypeWithoutEmptyingOrMoving) {
  LibrarianPage page(Banks{{"Bank A.syx", "A"}, {"Bank B.syx", "B"}});
  Tavro& plug = *page.plug;
  plug.GetParam(kPatchSelectionListLower)->Set(1.0);
  for (int list :
       {int(kPatchSelectionListUpper), int(kPatchSelectionListLower), TavroParam::kCurrentOpenPatchBankL + 2})
    plug.GetParam(list)->SetDisplayText(0, "stale");
  for (IControl* list : {plug.keptControls().upperListControl, plug.keptControls().lowerListControl}) Clean(list);
  plug.ResetPatchSelectionMenus();
  for (int list :
       {int(kPatchSelectionListUpper), int(kPatchSelectionListLower), TavroParam::kCurrentOpenPatchBankL + 2}) {
    EXPECT_EQ(plug.GetParam(list)->GetDisplayText(0), "Bank A.syx");
    EXPECT_EQ(plug.GetParam(list)->GetDisplayText(1), "Bank B.syx");
  }
  EXPECT_EQ(plug.GetParam(kPatchSelectionListLower)->Value(), 1.0);
  for (IControl* list : {plug.keptControls().upperListControl, plug.keptControls().lowerListControl})
    EXPECT_TRUE(list->IsDirty());

  // With performances and no performance file there is nothing to fill: the lists
  // keep what they show.
  plug.setPerfMode(true);
  plug.GetParam(kPatchSelectionListUpper)->SetDisplayText(0, "kept");
  plug.ResetPatchSelectionMenus();
  EXPECT_EQ(plug.GetParam(kPatchSelectionListUpper)->GetDisplayText(0), "kept");
}

TEST(LibrarianPanelStrings, SlotPrefixAndPatchesFolderLength) {
  LibrarianPage page;
  Tavro& plug = *page.plug;
  EXPECT_STREQ(plug.getPanelString(1, "Cutoff"), "Slot B Cutoff");
  EXPECT_EQ(plug.getPanelString(3, ""), plug.panelString.c_str());
  EXPECT_EQ(plug.panelString, "Slot D ");
  for (int slot : {-1, 4, 7}) EXPECT_STREQ(plug.getPanelString(slot, "Cutoff"), "Cutoff") << slot;
  EXPECT_EQ(plug.getPatchesFolderLength(), int((page.data.folder() + "Patches").size()));
  // The older editor's libraries are not read: no prompt, no file.
  const std::vector<std::string> before = page.data.contents();
  plug.importJPLibFile(true);
  EXPECT_TRUE(page.backend.ShownPrompts().empty());
  EXPECT_EQ(page.data.contents(), before);
}

// A bank of the same name is never replaced: both are there, and the status line
// names the copy.
TEST(LibrarianImport, ABankOfTheSameNameIsKeptBesideTheCopy) {
  ImportPage page;
  page.write("Patches/Bank.syx", ProgramBank("Old"));
  page.write("Patches/Bank (2).syx", ProgramBank("Older"));
  page.offer("Bank.syx", ProgramBank("New"));
  EXPECT_TRUE(page.plug->saveImportedFile(false));
  EXPECT_EQ(page.data.read("Patches/Bank.syx"), ProgramBank("Old"));
  EXPECT_EQ(page.data.read("Patches/Bank (2).syx"), ProgramBank("Older"));
  EXPECT_EQ(page.data.read("Patches/Bank (3).syx"), ProgramBank("New"));
  EXPECT_EQ(page.status(), "Imported as Bank (3).syx");
}

TEST(LibrarianImport, AFileWithoutProgramOrPerformanceIsRefusedAndSaidSo) {
  for (const std::string& bytes : {std::string(6000, 'x'), std::string(), std::string("\xF0\x41\x10\xF7", 4)}) {
    ImportPage page;
    page.offer("Notes.mid", bytes);
    EXPECT_FALSE(page.plug->saveImportedFile(true));
    EXPECT_EQ(page.status(), "Import failed: no program or performance in the file");
    EXPECT_FALSE(Exists(page.patches() + "/Notes.mid"));
  }
}

TEST(LibrarianHelp, TopicsOpenTheirPagesAndTheFolderOpensThroughTheView) {
  LibrarianPage page;
  for (int topic : {0, 1, 2, 3, -1}) page.plug->OpenHelpTopics(topic);
  const auto& urls = page.backend.OpenedURLs();
  ASSERT_EQ(urls.size(), 3u);
  for (const std::string& url : urls) EXPECT_EQ(url.rfind("https://", 0), 0u) << url;
  EXPECT_NE(urls[0], urls[1]);
  page.plug->OpenDataDirectory(false);
  EXPECT_EQ(page.backend.OpenedURLs().back(), page.data.folder());

  page.backend.ScriptOpenURLResult(false);
  page.plug->OpenDataDirectory(true);
  EXPECT_EQ(page.backend.OpenedURLs().back(), page.data.folder() + "Vudidi-Tavro-User-Manual.pdf");
  EXPECT_EQ(page.status(), "User manual not found in the data folder");
}

}  // namespace

TEST(LibrarianNotices, RefreshAndOpeningThePageSayWhatWasNotReadAndWhatIsIncomplete) {
  LibrarianPage page(Banks{});
  page.write("Patches/noise.syx", std::string(6000, '\x11'));
  std::string cut = ProgramBank("C");
  cut.pop_back();  // the last program's F7
  page.write("Patches/Cut.syx", cut);
  const std::string expected =
      "Not read: noise.syx (no program or performance in it); Cut.syx is incomplete (1 program completed (end "
      "missing)): Save in place is off, use Save As";
  page.command(TavroParam::kRefreshFolders, 1.0, false);
  EXPECT_EQ(page.status(), expected);
  EXPECT_EQ(page.rowText(0, 98), "C98");
  page.plug->showStatus("");
  page.plug->GetParam(kShowLibrarian)->Set(1.0);
  page.plug->runPanelCommand(kShowLibrarian, 1.0, false);
  EXPECT_EQ(page.status(), expected);
}
