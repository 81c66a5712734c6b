// Saving the left pane's bank: both forms byte for byte, the in-place save's naming
// and refusals, and atomic replacement when any step of the write fails.

#include "Kit_AtomicFile.h"
#include "LibrarianFixtures.h"
#include "PatchLibrarian.h"
#include "PatchTemplates.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Writer : public ::testing::Test {
protected:
  void SetUp() override {
    editor_.dataFolder = data_.path() + "/";
    ASSERT_EQ(::mkdir(root_.c_str(), 0755), 0);
  }
  void Load(const std::string& name, const Bytes& bytes, int type) {
    WriteBytes(root_ + "/" + name, bytes);
    librarian_.loadPatchesFromFilesystem(root_);
    librarian_.patchType = type;
  }

  TempFolder data_;
  const std::string root_ = data_ / "Patches";
  FakeEditor editor_;
  PatchLibrarian librarian_{&editor_};
};

TEST_F(Writer, MidiFileFormHoldsOneFixedEventPerSlot) {
  std::vector<Bytes> named;
  for (int i = 0; i < 99; ++i) named.push_back(Program(i, i, "Name " + std::to_string(10000 + i)));
  Load("Bank.nl2", Join(named), 0);
  editor_.promptAnswer = root_ + "/Out.mid";
  ASSERT_TRUE(librarian_.savePatchAs("Out", root_, true, nullptr));
  const Bytes file = ReadBytes(root_ + "/Out.mid");
  ASSERT_EQ(file.size(), 14209u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 53),
            Bytes(midiSingleStartHeader_NL99.begin(), midiSingleStartHeader_NL99.end()));
  EXPECT_EQ(Bytes(file.end() - 4, file.end()), (Bytes{0x00, 0xFF, 0x2F, 0x00}));
  // Event 1 of the second slot: device 0F, type 01, slot 1, F7 where the name was.
  const size_t second = 53 + 138 + 5 - 1;
  EXPECT_EQ(Bytes(file.begin() + long(second) + 1, file.begin() + long(second) + 6),
            (Bytes{0x33, 0x0F, 0x04, 0x01, 0x01}));
  EXPECT_EQ(file[second + 138], 0xF7);
  EXPECT_EQ(editor_.pairs[0].fileName, "Out.mid");
  EXPECT_EQ(editor_.pairs[0].folderName, "Patches");

  editor_.promptAnswer = root_ + "/Out.nl2";
  ASSERT_TRUE(librarian_.savePatchAs("Out", root_, false, nullptr));
  EXPECT_EQ(ReadBytes(root_ + "/Out.nl2"), Join(named));
}

TEST_F(Writer, SaveAsWithoutBankOrAfterCancelWritesNothing) {
  std::string error;
  EXPECT_FALSE(librarian_.savePatchAs("Out", root_, true, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(editor_.prompts, 0);
  Load("Bank.syx", Programs(99), 0);
  EXPECT_FALSE(librarian_.savePatchAs("Out", root_, true, &error));
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(Names(root_), std::vector<std::string>{"Bank.syx"});
}

TEST_F(Writer, SaveInPlaceNamesSyxBanksNl2UnderAFreeName) {
  Load("Bank.syx", Programs(99), 0);
  WriteBytes(root_ + "/Bank.nl2", Bytes{1, 2, 3});
  ASSERT_TRUE(librarian_.saveEditedPatch(root_ + "/Bank.syx", "Bank.syx", nullptr));
  EXPECT_EQ(ReadBytes(root_ + "/Bank.nl2"), (Bytes{1, 2, 3}));
  EXPECT_EQ(ReadBytes(root_ + "/Bank.syx"), Programs(99));
  EXPECT_EQ(ReadBytes(root_ + "/Bank (2).nl2").size(), 99u * 149);
  EXPECT_EQ(editor_.pairs[0].fileName, "Bank (2).nl2");
  ASSERT_TRUE(librarian_.saveEditedPatch(root_ + "/Bank.mid", "Bank.MID", nullptr));
  EXPECT_EQ(ReadBytes(root_ + "/Bank.mid").size(), 14209u);
  EXPECT_EQ(editor_.pairs[0].fileName, "Bank.MID");
}

// The system's calls for the atomic write with one step failing.
std::vector<Kit_AtomicFileCalls> FailingSteps() {
  std::vector<Kit_AtomicFileCalls> steps(6, Kit_AtomicFileSystem());
  steps[0].open = [](const char*, int, mode_t) { return errno = EACCES, -1; };
  steps[1].write = [](int, const void*, size_t) -> ssize_t { return errno = ENOSPC, -1; };
  steps[2].fchmod = [](int, mode_t) { return errno = EPERM, -1; };
  steps[3].fsync = [](int) { return errno = EIO, -1; };
  steps[4].close = [](int fd) { return ::close(fd), errno = EIO, -1; };
  steps[5].rename = [](const char*, const char*) { return errno = EIO, -1; };
  return steps;
}

TEST_F(Writer, AFailedOrKilledWriteLeavesTheOldFileWhole) {
  Load("Bank.nl2", Programs(99), 0);
  const Bytes old = ReadBytes(root_ + "/Bank.nl2");
  const std::vector<Kit_AtomicFileCalls> steps = FailingSteps();
  for (const Kit_AtomicFileCalls& failing : steps) {
    Kit_SetAtomicFileCalls(&failing);
    std::string error;
    EXPECT_FALSE(librarian_.saveEditedPatch(root_ + "/Bank.nl2", "Bank.nl2", &error)) << &failing - steps.data();
    Kit_SetAtomicFileCalls(nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(root_ + "/Bank.nl2"), old);
    EXPECT_EQ(Names(root_), std::vector<std::string>{"Bank.nl2"});
  }
  const pid_t child = ::fork();
  if (child == 0) {
    Kit_AtomicFileCalls killed = Kit_AtomicFileSystem();
    killed.rename = [](const char*, const char*) { return ::raise(SIGKILL); };
    Kit_SetAtomicFileCalls(&killed);
    librarian_.saveEditedPatch(root_ + "/Bank.nl2", "Bank.nl2", nullptr);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadBytes(root_ + "/Bank.nl2"), old);
  EXPECT_EQ(Names(root_).size(), 2u);  // the leftover temporary
  librarian_.initBankFilesOnDiscard(root_);
  librarian_.inspect([](const PatchLibrary& library) { EXPECT_EQ(library.programFiles.size(), 1u); });
}

}  // namespace
