// The data-folder scan over real folders: order, chains, trees, limits, and survival
// of whatever a folder may hold.

#include "LibrarianFixtures.h"
#include "librarian/PatchLibrarian.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Scan : public ::testing::Test {
protected:
  void SetUp() override {
    editor_.dataFolder = data_.path() + "/";
    ASSERT_EQ(::mkdir(root_.c_str(), 0755), 0);
  }
  void Folder(const std::string& relative) { ASSERT_EQ(::mkdir((root_ + "/" + relative).c_str(), 0755), 0); }
  void Bank(const std::string& relative, const Bytes& bytes = Programs(99)) {
    WriteBytes(root_ + "/" + relative, bytes);
  }
  // "chain/name" of every listed record of a type, in list order.
  std::vector<std::string> Listed(int type) const {
    std::vector<std::string> listed;
    librarian_.inspect([&](const PatchLibrary& library) {
      for (const auto& file : library.filesOfType(type)) {
        std::string entry;
        for (const std::string& folder : file->folderChain) entry += folder + "/";
        listed.push_back(entry + file->fileName);
      }
    });
    return listed;
  }
  // One line per tree entry: root name, then "  sub", then "    subsub", each with its files.
  std::vector<std::string> Tree(int type) const {
    std::vector<std::string> lines;
    auto files = [](const std::vector<PatchFile*>& list) {
      std::string text;
      for (const PatchFile* f : list) text += " " + f->fileName;
      return text;
    };
    librarian_.inspect([&](const PatchLibrary& library) {
      for (const auto& root : type == 0 ? library.programTree : library.performanceTree) {
        lines.push_back("[" + root->name + "]" + files(root->files));
        for (const SubFolderFiles& sub : root->subFolders) {
          lines.push_back("  " + sub.name + files(sub.files));
          for (const SubFolderFiles2& subSub : sub.subFolders)
            lines.push_back("    " + subSub.name + files(subSub.files));
        }
      }
    });
    return lines;
  }

  TempFolder data_;
  const std::string root_ = data_ / "Patches";
  FakeEditor editor_;
  PatchLibrarian librarian_{&editor_};
};

TEST_F(Scan, SubFoldersComeBeforeTheRootWithTheirChains) {
  Bank("a.syx");
  Bank("b.nl2");
  Folder("Sub");
  Bank("Sub/c.syx");
  librarian_.loadPatchesFromFilesystem(root_);
  EXPECT_EQ(Listed(0), (std::vector<std::string>{"Patches/Sub/c.syx", "Patches/a.syx", "Patches/b.nl2"}));
  librarian_.inspect([&](const PatchLibrary& library) {
    EXPECT_EQ(library.programFiles[0]->reservedPath, root_ + "/Sub/c.syx");
    EXPECT_EQ(library.programFiles[0]->folderName, "Sub");
    EXPECT_EQ(library.programFiles[0]->patches.size(), 100u);
    EXPECT_TRUE(library.programFiles[0]->patches[99].empty());
    EXPECT_EQ(library.folderList, (std::vector<std::string>{root_ + "/Sub", root_}));
  });
}

// The tree as the folders arrive: a sub-folder met again after its own sub-folders
// holds the next ones in a root entry of its own; a file deeper than three levels is
// in its third-level folder, where a menu offers it, also when that folder holds no
// bank of its own (G/H).
TEST_F(Scan, TreeFollowsTheFoldersAndKeepsDeepFilesInTheirThirdLevel) {
  for (const char* folder : {"A", "A/B", "A/D", "B", "A/D/E", "A/D/E/F", "G", "G/H", "G/H/I"}) Folder(folder);
  for (const char* bank : {"A/x.syx", "A/y.syx", "A/B/z.syx", "A/D/w.syx", "B/v.syx", "r.syx", "A/D/E/F/deep.syx",
                           "A/D/w2.syx", "G/H/I/lone.syx"})
    Bank(bank);
  Bank("A/p.syx", Join(std::vector<Bytes>(100, Performance(1))));
  librarian_.loadPatchesFromFilesystem(root_);
  EXPECT_EQ(Tree(0), (std::vector<std::string>{"[]", "  A x.syx y.syx", "    B z.syx", "[]", "  A",
                                               "    D w.syx w2.syx deep.syx", "[]", "  B v.syx", "[]", "  G",
                                               "    H lone.syx", "[Patches] r.syx"}));
  EXPECT_EQ(Tree(1), (std::vector<std::string>{"[]", "  A p.syx"}));
}

TEST_F(Scan, SizeLimitsAndExtensionsInAnyCase) {
  const Bytes big = Programs(33);  // 4587 bytes
  Bank("4500.syx", Bytes(big.begin(), big.begin() + 4500));
  Bank("4501.syx", Bytes(big.begin(), big.begin() + 4501));
  Bank("BANK.SYX");
  Bank("bank.Mid");
  Bank("text.txt");
  // A save killed before its rename leaves its temporary: the scan passes over it.
  Bank(".left.nl2.tmp-Ab12Cd");
  Bank("noise.nl2", Bytes(6000, 0x11));
  librarian_.loadPatchesFromFilesystem(root_);
  EXPECT_EQ(Listed(0), (std::vector<std::string>{"Patches/4501.syx", "Patches/BANK.SYX", "Patches/bank.Mid"}));
  EXPECT_TRUE(editor_.Logged("skipped file " + root_ + "/noise.nl2"));
}

TEST_F(Scan, FilesWithNothingReadableAreNamedForThePanel) {
  Folder("Sub");
  Bank("Sub/noise.syx", Bytes(6000, 0x11));
  Bank("good.syx");
  Bank("only notes.mid", Join({{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0}, Bytes(5000, 0x20)}));
  librarian_.loadPatchesFromFilesystem(root_);
  const std::string skipped =
      "Not read: Sub/noise.syx (no program or performance in it), only notes.mid (no "
      "program or performance in it)";
  EXPECT_EQ(librarian_.paneNotice(true), skipped);
  EXPECT_EQ(librarian_.paneNotice(false), "");
  // The list is the last scan's: a file mended since is no longer named.
  ASSERT_EQ(::unlink((root_ + "/Sub/noise.syx").c_str()), 0);
  librarian_.initBankFilesOnDiscard(root_);
  EXPECT_EQ(librarian_.paneNotice(true), "Not read: only notes.mid (no program or performance in it)");
  // With an incomplete left bank both are said.
  const Bytes whole = Programs(99);
  Bank("cut.syx", Bytes(whole.begin(), whole.end() - 1));
  librarian_.initBankFilesOnDiscard(root_);
  librarian_.patchType = 0;
  librarian_.upperFileIndex = 0;
  EXPECT_EQ(librarian_.paneNotice(true),
            "Not read: only notes.mid (no program or performance in it); cut.syx is incomplete (1 program "
            "completed (end missing)): Save in place is off, use Save As");
}

TEST_F(Scan, SurvivesWhatAFolderMayHold) {
  Bank("good.syx");
  ASSERT_EQ(::symlink("/nowhere/at/all.syx", (root_ + "/dangling.syx").c_str()), 0);
  Folder("Loop");
  ASSERT_EQ(::symlink(root_.c_str(), (root_ + "/Loop/back").c_str()), 0);
  ASSERT_EQ(::mkfifo((root_ + "/x.syx").c_str(), 0644), 0);
  Folder("y.nl2");
  Folder("Locked");
  Bank("Locked/hidden.syx");
  Bank("unreadable.syx");
  const int sparse = ::open((root_ + "/huge.syx").c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(sparse, 0);
  ASSERT_EQ(::ftruncate(sparse, 3LL << 30), 0);
  ::close(sparse);
  ::chmod((root_ + "/Locked").c_str(), 0);
  ::chmod((root_ + "/unreadable.syx").c_str(), 0);

  // Root reads everything: a child drops to an unprivileged user to meet the locks.
  const passwd* nobody = ::getpwnam("nobody");
  const bool dropPrivileges = ::geteuid() == 0 && nobody;
  if (dropPrivileges) ::chmod(data_.path().c_str(), 0755);
  const pid_t child = ::fork();
  if (child == 0) {
    if (dropPrivileges && (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)) ::_exit(3);
    librarian_.loadPatchesFromFilesystem(root_);
    const std::vector<std::string> listed = Listed(0);
    const bool onlyGood = listed == std::vector<std::string>{"Patches/good.syx"};
    ::_exit(onlyGood && editor_.Logged("huge.syx: larger than 16 MiB") ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the scan crashed";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ::chmod((root_ + "/Locked").c_str(), 0755);
}

// A save cut short (the host killed) leaves ".NAME.tmp-XXXXXX" beside the bank: the
// next scan removes such leftovers of its banks, in every folder, and nothing else.
TEST_F(Scan, LeftoverTemporariesOfOurSavesAreRemovedByTheNextScan) {
  Folder("Sub");
  Bank("Same.nl2");
  Bank("Sub/Deep.syx");
  for (const char* name : {".Same.nl2.tmp-Ab12Cd", "Sub/.Deep.syx.tmp-xyz789", ".notes.txt.tmp-Ab12Cd",
                           ".Same.nl2.tmp-short", "keep.tmp-Ab12Cd", ".Busy.nl2.tmp-Zz99Yy"})
    WriteBytes(root_ + "/" + name, Programs(1));
  // One still being written: its writer holds it locked.
  const int busy = ::open((root_ + "/.Busy.nl2.tmp-Zz99Yy").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(busy, 0);
  ASSERT_EQ(::flock(busy, LOCK_EX), 0);
  librarian_.loadPatchesFromFilesystem(root_);
  ::close(busy);
  EXPECT_EQ(Names(root_), (std::vector<std::string>{".Busy.nl2.tmp-Zz99Yy", ".Same.nl2.tmp-short",
                                                    ".notes.txt.tmp-Ab12Cd", "Same.nl2", "Sub", "keep.tmp-Ab12Cd"}));
  EXPECT_EQ(Names(root_ + "/Sub"), std::vector<std::string>{"Deep.syx"});
  EXPECT_TRUE(editor_.Logged("removed leftover " + root_ + "/.Same.nl2.tmp-Ab12Cd"));
  EXPECT_EQ(Listed(0), (std::vector<std::string>{"Patches/Sub/Deep.syx", "Patches/Same.nl2"}));
}

TEST_F(Scan, DiscardTwiceEqualsAFreshStartAndClearingTreesKeepsTheFiles) {
  Folder("Sub");
  Bank("Sub/c.syx");
  Bank("p.syx", Join(std::vector<Bytes>(100, Performance(1))));
  librarian_.loadPatchesFromFilesystem(root_);
  const auto programs = Listed(0), performances = Listed(1), tree = Tree(0);
  librarian_.initBankFilesOnDiscard(root_);
  librarian_.initBankFilesOnDiscard(root_);
  EXPECT_EQ(Listed(0), programs);
  EXPECT_EQ(Listed(1), performances);
  EXPECT_EQ(Tree(0), tree);
  librarian_.loadPatchesFromFilesystem(data_ / "Absent");
  EXPECT_EQ(Listed(0), programs);
  EXPECT_TRUE(editor_.Logged("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER..."));
  librarian_.clearDataStructures(2);
  EXPECT_EQ(Tree(0), tree);
  librarian_.clearDataStructures(0);
  EXPECT_TRUE(Tree(0).empty());
  EXPECT_EQ(Tree(1).size(), 1u);
  EXPECT_EQ(Listed(0), programs);
}

}  // namespace
