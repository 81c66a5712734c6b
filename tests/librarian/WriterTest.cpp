// Saving the left pane's bank: both forms byte for byte, the in-place save's naming
// and refusals, and atomic replacement when any step of the write fails.

#include "Kit_AtomicFile.h"
#include "LibrarianFixtures.h"
#include "librarian/BankImage.h"
#include "librarian/LibrarianDisk.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>

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

// A dump of a length the unit does not send is cut or padded to the event's length
// without its own end byte: every event of the MIDI form holds exactly one F7, its last.
TEST_F(Writer, MidiFileFormEventsEndOnceWhateverTheStoredLength) {
  std::vector<Bytes> performances(100, Performance(1));
  performances[5] = Performance(5, 713);
  Load("Odd.syx", Join(performances), 1);
  LibrarianPatch odd;
  ASSERT_TRUE(librarian_.copyPatch(1, 0, 5, &odd));
  ASSERT_EQ(odd.messages.at(0).bytes.size(), 713u);
  editor_.promptAnswer = root_ + "/Out.mid";
  ASSERT_TRUE(librarian_.savePatchAs("Out", root_, true, nullptr));
  const Bytes file = ReadBytes(root_ + "/Out.mid");
  ASSERT_EQ(file.size(), 71952u);
  EXPECT_EQ(std::count(file.begin(), file.end(), 0xF7), 100);
  // Event 5: its body runs to the F7 at the event's end.
  const size_t fifth = 53 + 714 + 4 * (5 + 714) + 5;
  EXPECT_EQ(file[fifth + 713], 0xF7);
  EXPECT_EQ(file[fifth + 711], 0x00);
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

// A MIDI file bank as the writer lays it out, then the same with more in it: a track
// name, a note, or format 0. Saving in place would drop the extra: the bank goes
// beside it and the file stays byte for byte.
TEST_F(Writer, SaveInPlaceOfAMidiFileHoldingMoreWritesBesideIt) {
  Load("Bank.syx", Programs(99), 0);
  editor_.promptAnswer = root_ + "/Plain.mid";
  ASSERT_TRUE(librarian_.savePatchAs("Plain", root_, true, nullptr));
  const Bytes plain = ReadBytes(root_ + "/Plain.mid");
  ASSERT_TRUE(isPlainMidiBank(plain.data(), plain.size(), kProgramKind));
  EXPECT_FALSE(isPlainMidiBank(plain.data(), plain.size(), kPerformanceKind));

  // The SysEx track's length is at 45..48, its first event at 49.
  auto withTrackEvent = [&plain](const Bytes& event) {
    Bytes more = plain;
    more.insert(more.begin() + 49, event.begin(), event.end());
    const uint32_t length = (uint32_t(more[45]) << 24 | uint32_t(more[46]) << 16 | uint32_t(more[47]) << 8 | more[48]) +
                            uint32_t(event.size());
    for (int i = 0; i < 4; ++i) more[45 + size_t(i)] = uint8_t(length >> (24 - 8 * i));
    return more;
  };
  Bytes formatZero = plain;
  formatZero[9] = 0;
  const std::pair<const char*, Bytes> cases[] = {
      {"track name", withTrackEvent({0x00, 0xFF, 0x03, 0x04, 'B', 'a', 'n', 'k'})},
      {"a note", withTrackEvent({0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x00})},
      {"format 0", formatZero},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(isPlainMidiBank(bytes.data(), bytes.size(), kProgramKind));
    WriteBytes(root_ + "/Song.mid", bytes);
    std::string error;
    ASSERT_TRUE(librarian_.saveEditedPatch(root_ + "/Song.mid", "Song.mid", &error)) << error;
    EXPECT_EQ(ReadBytes(root_ + "/Song.mid"), bytes);
    EXPECT_EQ(editor_.pairs[0].fileName, "Song (2).mid");
    EXPECT_EQ(ReadBytes(root_ + "/Song (2).mid").size(), 14209u);
    ::unlink((root_ + "/Song (2).mid").c_str());
  }
  // The writer's own layout is saved over in place.
  ASSERT_TRUE(librarian_.saveEditedPatch(root_ + "/Plain.mid", "Plain.mid", nullptr));
  EXPECT_EQ(editor_.pairs[0].fileName, "Plain.mid");
  EXPECT_EQ(Names(root_), (std::vector<std::string>{"Bank.syx", "Plain.mid", "Song.mid"}));
}

// The pane's current file after Save As names the folder as the scan will: the menus
// find the saved bank by that key.
TEST_F(Writer, SaveAsNamesTheFolderAsTheScanDoes) {
  Load("Bank.nl2", Programs(99), 0);
  ASSERT_EQ(::mkdir((root_ + "/Pads").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((root_ + "/Pads/Warm").c_str(), 0755), 0);
  const std::pair<std::string, std::string> cases[] = {
      {root_ + "/Top.nl2", "Patches"},
      {root_ + "/Pads/First.nl2", "Patches/Pads"},
      {root_ + "/Pads/Warm/Second.nl2", "Patches/Pads/Warm"},
      // Elsewhere the folder's path: a folder named like one of the library's is not it.
      {data_.path() + "/Elsewhere.nl2", data_.path()},
  };
  for (const auto& [path, key] : cases) {
    editor_.promptAnswer = path;
    ASSERT_TRUE(librarian_.savePatchAs("Out", root_, false, nullptr)) << path;
    EXPECT_EQ(editor_.pairs[0].folderName, key) << path;
  }
  PatchLibrarian rescanned{&editor_};
  rescanned.loadPatchesFromFilesystem(root_);
  std::vector<std::pair<std::string, std::string>> keys;
  rescanned.inspect([&](const PatchLibrary& library) {
    for (const auto& file : library.programFiles) keys.push_back({file->fileName, folderKeyOfChain(file->folderChain)});
  });
  for (const auto& expected : std::vector<std::pair<std::string, std::string>>{
           {"Top.nl2", "Patches"}, {"First.nl2", "Patches/Pads"}, {"Second.nl2", "Patches/Pads/Warm"}})
    EXPECT_NE(std::find(keys.begin(), keys.end(), expected), keys.end()) << expected.first;
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
