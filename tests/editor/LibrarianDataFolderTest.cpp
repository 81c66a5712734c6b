// Importing a bank into "Patches", the data folder and the help pages.
#include <gtest/gtest.h>

#include "LibrarianPageSupport.h"
#include "TavroLibrarianPanel.h"

namespace {

struct ImportPage : LibrarianPage {
  ImportPage() : LibrarianPage(Banks{}) {}
  std::string patches() const { return data.folder() + "Patches"; }
  // A file outside the data folder, picked in the next prompt.
  std::string offer(const std::string& name, const std::string& bytes) {
    const std::string path = data.root() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    backend.ScriptFilePromptAnswer(path);
    return path;
  }
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

TEST(LibrarianImport, AFileOver16MiBIsRefused) {
  ImportPage page;
  page.offer("Huge.mid", std::string(16 * 1024 * 1024 + 1, '\0'));
  EXPECT_FALSE(page.plug->saveImportedFile(true));
  EXPECT_EQ(page.status(), "Import failed: file larger than 16 MB");
  EXPECT_FALSE(Exists(page.patches() + "/Huge.mid"));
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
