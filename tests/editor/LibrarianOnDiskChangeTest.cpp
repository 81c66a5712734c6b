// A bank file changed on disk while the page had it open, by another instance of the
// editor on the same data folder or by another program: saving over it is refused and
// says which file and what changed, so nothing anyone wrote is lost without a word.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>

#include "DataRoot.h"
#include "LibrarianPageSupport.h"

namespace {

constexpr const char* kSave = "Save (Overwrite current bank)";

// A raw bank of 100 performances of 715 bytes.
std::string PlainPerformanceBank() {
  std::string image;
  for (int p = 0; p < 100; ++p) {
    std::string dump = {'\xF0', '\x33', '\x00', '\x04', '\x1E', char(p)};
    for (int i = 6; i < 714; ++i) dump.push_back(char((p * 5 + i * 11) % 128));
    image += dump + '\xF7';
  }
  return image;
}

TEST(LibrarianOnDiskChange, ASaveOverABankChangedSinceItWasReadIsRefusedAndSaysWhy) {
  struct Road {
    const char* name;
    std::function<void(LibrarianPage&)> change;  // what happens to Abank.nl2 behind the page's back
    const char* size;                            // what change the line names
    bool saveAs;                                 // Save As onto the bank's own file, Replace answered
  };
  const std::string performances = PlainPerformanceBank();
  const Road roads[] = {
      {"another instance renames row 1 and saves first",
       [](LibrarianPage& page) {
         {
           LibrarianPage other(Banks{});
           PlatformSetDataRoot(page.data.root());
           other.restart();
           other.renameRow(1, "Other One");
           other.chooseInBankMenu(kSave);
           EXPECT_EQ(other.librarianStatus(), "Saved Abank.nl2");
         }
         PlatformSetDataRoot(page.data.root());
         Kit_SetTimeSource(&page.clock);
       },
       "", false},
      {"another program puts a performance bank in its place",
       [&performances](LibrarianPage& page) {
         page.write("Patches/New.tmp", performances);
         const std::string patches = page.data.folder() + "Patches/";
         ASSERT_EQ(std::rename((patches + "New.tmp").c_str(), (patches + "Abank.nl2").c_str()), 0);
       },
       "14751 -> 71500 bytes", false},
      {"another program writes it in place, then Save As onto it",
       [&performances](LibrarianPage& page) { page.write("Patches/Abank.nl2", performances); }, "14751 -> 71500 bytes",
       true},
      {"another program rewrites it in place, same size, and sets its time back",
       [](LibrarianPage& page) {
         const std::string path = page.data.folder() + "Patches/Abank.nl2";
         struct stat before {};
         ASSERT_EQ(::stat(path.c_str(), &before), 0);
         std::string bytes = page.data.read("Patches/Abank.nl2");
         bytes[40] = char(bytes[40] ^ 1);
         page.write("Patches/Abank.nl2", bytes);
         const timespec times[2] = {before.st_atim, before.st_mtim};
         ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
       },
       "changed in place", false},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    LibrarianPage page(Banks{{"Abank.nl2", "A"}});
    page.renameRow(2, "Mine");
    road.change(page);
    const std::string outside = page.data.read("Patches/Abank.nl2");
    if (road.saveAs) {
      page.backend.ScriptMessageBoxAnswerText("Replace");
      page.backend.ScriptFilePromptAnswer(page.data.folder() + "Patches/Abank.nl2");
      page.chooseInBankMenu(kSaveAsNl2);
    } else {
      page.chooseInBankMenu(kSave);
    }
    EXPECT_TRUE(page.data.read("Patches/Abank.nl2") == outside);
    const std::string said = page.librarianStatus();
    for (const char* part :
         {"Bank not saved: Patches/Abank.nl2: changed since it was read", road.size, "use Save As to keep both"})
      EXPECT_NE(said.find(part), std::string::npos) << said;
    EXPECT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 1.0);
    EXPECT_EQ(page.rowText(0, 2), "Mine");
  }
}

}  // namespace
