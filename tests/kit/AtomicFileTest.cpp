#include "Kit_AtomicFile.h"
#include "RemoveTree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// Which system call to fail, and its count among calls of that kind (1 = first).
enum class Step { kNone, kOpen, kFchmod, kWrite, kFsync, kClose, kRename };

struct Injection {
  Step step = Step::kNone;
  int nth = 1;
  int seen[8] = {};
  size_t writeLimit = 0;  // when not 0, each write takes at most this many bytes
  std::vector<std::string> opened;
  std::vector<int> removalsDuringWrite;  // what a scan's removal of the temporary did mid-write
  bool tryRemovalDuringWrite = false;
};
Injection gInject;

bool FailHere(Step step) {
  if (++gInject.seen[int(step)] != gInject.nth || gInject.step != step) return false;
  errno = EIO;
  return true;
}

int Open(const char* path, int flags, mode_t mode) {
  gInject.opened.push_back(path);
  return FailHere(Step::kOpen) ? -1 : ::open(path, flags, mode);
}
ssize_t Write(int fd, const void* bytes, size_t size) {
  if (FailHere(Step::kWrite)) return -1;
  if (gInject.tryRemovalDuringWrite && !gInject.opened.empty())
    gInject.removalsDuringWrite.push_back(Kit_RemoveAbandonedTemporary(gInject.opened.back()));
  return ::write(fd, bytes, gInject.writeLimit ? std::min(size, gInject.writeLimit) : size);
}
int Fchmod(int fd, mode_t mode) { return FailHere(Step::kFchmod) ? -1 : ::fchmod(fd, mode); }
int Fsync(int fd) { return FailHere(Step::kFsync) ? -1 : ::fsync(fd); }
// A failed close still releases the descriptor, as the system's does.
int Close(int fd) { return ::close(fd) != 0 || FailHere(Step::kClose) ? -1 : 0; }
int Rename(const char* from, const char* to) { return FailHere(Step::kRename) ? -1 : ::rename(from, to); }

const Kit_AtomicFileCalls kInjecting = {Open, Write, Fchmod, Fsync, Close, Rename, ::unlink};

class AtomicFile : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavro-atomic-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    gInject = Injection();
    Kit_SetAtomicFileCalls(&kInjecting);
  }
  void TearDown() override {
    Kit_SetAtomicFileCalls(nullptr);
    RemoveTree(dir_);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  static bool Save(const std::string& path, const std::string& text, std::string* error = nullptr) {
    return Kit_WriteFileAtomically(path, text.data(), text.size(), error);
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    DIR* folder = opendir(dir_.c_str());
    while (dirent* entry = readdir(folder)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_;
};

}  // namespace

TEST_F(AtomicFile, WritesANewFileAndReplacesAnOldOneKeepingItsPermissions) {
  ASSERT_TRUE(Save(Path("bank.syx"), std::string("\xF0\x00\xF7", 3)));
  EXPECT_EQ(Read(Path("bank.syx")), std::string("\xF0\x00\xF7", 3));
  ASSERT_EQ(chmod(Path("bank.syx").c_str(), 0640), 0);
  // Another user's file keeps its owner where the writer may give it (as root).
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(Path("bank.syx").c_str(), 1234, 5678), 0);
  }
  ASSERT_TRUE(Save(Path("bank.syx"), ""));
  EXPECT_EQ(Read(Path("bank.syx")), "");
  struct stat info {};
  ASSERT_EQ(stat(Path("bank.syx").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(info.st_uid, 1234u);
    EXPECT_EQ(info.st_gid, 5678u);
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"bank.syx"});
}

// A file made read-only stays as it is, whoever saves (root too), and says why.
TEST_F(AtomicFile, AReadOnlyFileIsKeptAndTheRefusalSaysSo) {
  Put(Path("kept.nl2"), "old");
  ASSERT_EQ(chmod(Path("kept.nl2").c_str(), 0444), 0);
  std::string error;
  EXPECT_FALSE(Save(Path("kept.nl2"), "new", &error));
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  EXPECT_EQ(Read(Path("kept.nl2")), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"kept.nl2"});
}

TEST_F(AtomicFile, TemporaryIsHiddenNextToTheTargetWithNoScannedExtension) {
  gInject.step = Step::kRename;
  EXPECT_FALSE(Save(Path("a.syx"), "x"));
  ASSERT_FALSE(gInject.opened.empty());
  const std::string temporary = gInject.opened[0];
  const std::string prefix = dir_ + "/.a.syx.tmp-";
  ASSERT_EQ(temporary.size(), prefix.size() + 6) << temporary;
  EXPECT_EQ(temporary.substr(0, prefix.size()), prefix);
  for (size_t i = prefix.size(); i < temporary.size(); ++i)
    EXPECT_TRUE(std::isalnum(uint8_t(temporary[i]))) << temporary;
}

TEST_F(AtomicFile, ShortWritesAreContinuedAndLongNamesStillFitATemporary) {
  gInject.writeLimit = 3;
  const std::string name(250, 'n');
  ASSERT_TRUE(Save(Path(name), "twelve bytes"));
  EXPECT_EQ(Read(Path(name)), "twelve bytes");
}

TEST_F(AtomicFile, ALinkStaysALinkAndTheFileItReachesIsReplaced) {
  ASSERT_EQ(mkdir(Path("real").c_str(), 0700), 0);
  Put(Path("real/file.nl2"), "old");
  ASSERT_EQ(symlink("real/file.nl2", Path("hop").c_str()), 0);
  ASSERT_EQ(symlink(Path("hop").c_str(), Path("link.nl2").c_str()), 0);
  ASSERT_EQ(symlink("real/missing.nl2", Path("dangling").c_str()), 0);

  ASSERT_TRUE(Save(Path("link.nl2"), "new"));
  ASSERT_TRUE(Save(Path("dangling"), "made"));
  struct stat info {};
  ASSERT_EQ(lstat(Path("link.nl2").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(lstat(Path("dangling").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(Read(Path("real/file.nl2")), "new");
  EXPECT_EQ(Read(Path("real/missing.nl2")), "made");
}

TEST_F(AtomicFile, UnwritableTargetsAreReportedAndLeaveNothingBehind) {
  ASSERT_EQ(mkdir(Path("folder").c_str(), 0700), 0);
  ASSERT_EQ(symlink("loop", Path("loop").c_str()), 0);
  const std::string targets[] = {Path("folder"), Path("missing/file"), Path("loop"), dir_ + "/", ""};
  for (const std::string& target : targets) {
    std::string error;
    EXPECT_FALSE(Save(target, "x", &error)) << target;
    EXPECT_FALSE(error.empty()) << target;
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder", "loop"}));
}

TEST_F(AtomicFile, EachFailingStepIsReportedAndLeavesNoTemporary) {
  struct Case {
    Step step;
    int nth;
    const char* reported;
    const char* contentsAfter;
  };
  const Case cases[] = {
      {Step::kOpen, 1, "could not create a temporary file", "old"},
      {Step::kFchmod, 1, "could not keep the file's permissions", "old"},
      {Step::kWrite, 1, "could not write", "old"},
      {Step::kFsync, 1, "could not flush to disk", "old"},
      {Step::kClose, 1, "could not finish writing", "old"},
      {Step::kRename, 1, "could not replace the file", "old"},
      // The folder's own open and flush come after the rename.
      {Step::kOpen, 2, "the folder could not be flushed", "new"},
      {Step::kFsync, 2, "the folder could not be flushed", "new"},
  };
  for (const Case& c : cases) {
    Put(Path("p.mid"), "old");
    gInject = Injection();
    gInject.step = c.step;
    gInject.nth = c.nth;
    std::string error;
    EXPECT_FALSE(Save(Path("p.mid"), "new", &error)) << c.reported;
    EXPECT_NE(error.find(c.reported), std::string::npos) << error;
    EXPECT_NE(error.find(Path("p.mid")), std::string::npos) << error;
    EXPECT_EQ(Read(Path("p.mid")), c.contentsAfter) << c.reported;
    EXPECT_EQ(Entries(), std::vector<std::string>{"p.mid"}) << c.reported;
  }
}

namespace {

// A scan clears temporaries a killed writer left, never one being written: the writer
// holds it locked from its creation until it is renamed.
TEST_F(AtomicFile, OnlyAnAbandonedTemporaryIsRemoved) {
  gInject.tryRemovalDuringWrite = true;
  ASSERT_TRUE(Save(Path("Bank.nl2"), "new"));
  EXPECT_EQ(gInject.removalsDuringWrite, std::vector<int>{0}) << "the temporary being written stays";
  EXPECT_EQ(Read(Path("Bank.nl2")), "new");

  const std::string left = Path(".Bank.nl2.tmp-a1B2c3");
  Put(left, "half");
  EXPECT_EQ(Kit_AtomicTemporaryTarget(".Bank.nl2.tmp-a1B2c3"), "Bank.nl2");
  EXPECT_TRUE(Kit_RemoveAbandonedTemporary(left));
  EXPECT_FALSE(Kit_RemoveAbandonedTemporary(left)) << "gone already";
  EXPECT_EQ(Entries(), std::vector<std::string>{"Bank.nl2"});

  // A link of that name is not followed, nor removed.
  ASSERT_EQ(symlink(Path("Bank.nl2").c_str(), left.c_str()), 0);
  EXPECT_FALSE(Kit_RemoveAbandonedTemporary(left));
  EXPECT_EQ(Read(Path("Bank.nl2")), "new");

  for (const char* other :
       {"Bank.nl2.tmp-a1B2c3", ".Bank.nl2.tmp-a1B2", ".Bank.nl2.tmp-a1B2c!", ".tmp-a1B2c3", ".x.tmp"})
    EXPECT_EQ(Kit_AtomicTemporaryTarget(other), "") << other;
}

}  // namespace
