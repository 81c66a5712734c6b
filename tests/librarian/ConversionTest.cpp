// Program files of 100 programs or more become banks of 99 beside them; the source
// moves to "Converted Banks". Nothing is overwritten and a failure leaves nothing new.

#include "LibrarianFixtures.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

namespace {

struct ConversionCase {
  int programs;
  std::vector<int> bankFills;  // programs from the source in each written bank
};

// A failing case is named by its source's size, not printed as bytes.
void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.programs << " programs"; }

class Conversion : public ::testing::TestWithParam<ConversionCase> {};

// The raw bytes a split bank holds for source programs [from, to), padded with init programs.
Bytes ExpectedBank(const PatchFile& source, int from, int to) {
  std::vector<Bytes> parts;
  for (int i = from; i < to; ++i) parts.push_back(source.patches[size_t(i)].messages[0].bytes);
  for (int i = to - from; i < 99; ++i) parts.push_back(Bytes(initSinglePatch().begin(), initSinglePatch().end()));
  return Join(parts);
}

TEST_P(Conversion, SplitsIntoBanksOf99AndMovesTheSource) {
  const ConversionCase& c = GetParam();
  TempFolder data;
  const std::string root = data / "Patches";
  ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((data / "Converted Banks").c_str(), 0755), 0);
  const Bytes source = Programs(c.programs);
  WriteBytes(root + "/Big.syx", source);
  // Earlier conversions' files stay as they are.
  WriteBytes(root + "/Big Singles 1.nl2", Programs(99, 500));
  WriteBytes(data / "Converted Banks/Big.syx", Programs(120, 700));
  FakeEditor editor;
  editor.dataFolder = data.path() + "/";
  PatchLibrarian librarian(&editor);
  librarian.loadPatchesFromFilesystem(root);

  EXPECT_FALSE(Exists(root + "/Big.syx"));
  EXPECT_EQ(ReadBytes(data / "Converted Banks/Big (2).syx"), source);
  EXPECT_EQ(ReadBytes(data / "Converted Banks/Big.syx"), Programs(120, 700));
  EXPECT_EQ(ReadBytes(root + "/Big Singles 1.nl2"), Programs(99, 500));
  const PatchFile read = Read(source);
  std::vector<std::string> written;
  for (size_t k = 0; k < c.bankFills.size(); ++k) {
    const std::string name = "Big Singles " + std::to_string(k + 1) + (k == 0 ? " (2)" : "") + ".nl2";
    written.push_back(name);
    EXPECT_EQ(ReadBytes(root + "/" + name), ExpectedBank(read, int(k) * 99, int(k) * 99 + c.bankFills[k])) << name;
  }
  EXPECT_FALSE(Exists(root + "/Big Singles " + std::to_string(c.bankFills.size() + 1) + ".nl2"));
  EXPECT_TRUE(editor.Logged("moved file " + data / "Converted Banks/Big (2).syx due to mismatching data in package!"));
  librarian.inspect([&](const PatchLibrary& library) {
    // The old "Big Singles 1.nl2" first, then the new banks, already in the tree.
    ASSERT_EQ(library.programFiles.size(), 1 + written.size());
    for (size_t k = 0; k < written.size(); ++k) {
      EXPECT_EQ(library.programFiles[k + 1]->fileName, written[k]);
      EXPECT_EQ(library.programFiles[k + 1]->folderChain, std::vector<std::string>{"Patches"});
    }
    EXPECT_EQ(library.programTree.at(0)->files.size(), 1 + written.size());
  });
}

// Each written bank counts its rows from its own first: the slot byte and default name
// of every row follow its place in the bank, not in the source.
TEST(Conversion, EachSplitBankNumbersItsOwnRows) {
  TempFolder data;
  const std::string root = data / "Patches";
  ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
  WriteBytes(root + "/Big.syx", Programs(198));
  FakeEditor editor;
  editor.dataFolder = data.path() + "/";
  PatchLibrarian librarian(&editor);
  librarian.loadPatchesFromFilesystem(root);
  constexpr size_t kNamed = 149, kSlotAt = 5, kNameAt = 138;
  for (const char* name : {"Big Singles 1.nl2", "Big Singles 2.nl2"}) {
    const Bytes bank = ReadBytes(root + "/" + name);
    ASSERT_EQ(bank.size(), 99 * kNamed) << name;
    for (size_t row = 0; row < 99; ++row) {
      const std::string number = std::to_string(row + 1);
      const auto dump = bank.begin() + long(row * kNamed);
      EXPECT_EQ(dump[kSlotAt], row) << name << " row " << row;
      EXPECT_EQ(std::string(dump + kNameAt, dump + kNameAt + 10),
                "Sound   " + std::string(2 - number.size(), '0') + number)
          << name << " row " << row;
    }
  }
}

// A rescan (after Discard) takes the scan's own tree: the split banks are in it at once.
TEST_P(Conversion, ARescanShowsTheSplitBanksInTheTree) {
  const ConversionCase& c = GetParam();
  TempFolder data;
  const std::string root = data / "Patches";
  ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
  WriteBytes(root + "/Big.syx", Programs(c.programs));
  FakeEditor editor;
  editor.dataFolder = data.path() + "/";
  PatchLibrarian librarian(&editor);
  librarian.initBankFilesOnDiscard(root);
  librarian.inspect([&](const PatchLibrary& library) {
    ASSERT_EQ(library.programFiles.size(), c.bankFills.size());
    ASSERT_EQ(library.programTree.size(), 1u);
    EXPECT_EQ(library.programTree.at(0)->files.size(), c.bankFills.size());
  });
}

INSTANTIATE_TEST_SUITE_P(Sizes, Conversion,
                         ::testing::Values(ConversionCase{100, {99, 1}}, ConversionCase{150, {99, 51}},
                                           ConversionCase{198, {99, 99}}, ConversionCase{300, {99, 99, 99, 3}}));

// "Patches" holding Big.syx of 150 programs; each test blocks "Converted Banks" its way.
class ConversionFailure : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
    WriteBytes(root + "/Big.syx", Programs(150));
    editor.dataFolder = data.path() + "/";
  }
  // The scan, which leaves the source alone and writes no bank beside it.
  PatchLibrarian& scan() {
    librarian = std::make_unique<PatchLibrarian>(&editor);
    librarian->loadPatchesFromFilesystem(root);
    EXPECT_EQ(Names(root), std::vector<std::string>{"Big.syx"});
    return *librarian;
  }

  TempFolder data;
  const std::string root = data / "Patches";
  FakeEditor editor;
  std::unique_ptr<PatchLibrarian> librarian;
};

TEST_F(ConversionFailure, AFailedMoveLeavesNoNewBankAndListsTheFileMarked) {
  WriteBytes(data / "Converted Banks", Bytes{1});  // a file where the folder should be
  PatchLibrarian& librarian = scan();
  librarian.inspect([](const PatchLibrary& library) {
    ASSERT_EQ(library.programFiles.size(), 1u);
    EXPECT_TRUE(library.programFiles[0]->incomplete());
    EXPECT_EQ(library.programFiles[0]->patches.size(), 100u);
  });
  librarian.patchType = 0;
  std::string error;
  EXPECT_FALSE(librarian.saveEditedPatch(root + "/Big.syx", "Big.syx", &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(ConversionFailure, AMoveThatFailsRemovesTheBanksWrittenBeforeIt) {
  // A folder on another file system where no file can be made, not even by root.
  ASSERT_EQ(::symlink("/proc", (data / "Converted Banks").c_str()), 0);
  PatchLibrarian& librarian = scan();
  EXPECT_EQ(ReadBytes(root + "/Big.syx"), Programs(150));
  librarian.inspect([](const PatchLibrary& library) { EXPECT_EQ(library.programFiles.size(), 1u); });
}

TEST(ConversionAcrossFileSystems, TheSourceIsCopiedThenRemoved) {
  TempFolder patches;
  TempFolder data("/dev/shm");
  struct stat a, b;
  ASSERT_EQ(::stat(patches.path().c_str(), &a), 0);
  ASSERT_EQ(::stat(data.path().c_str(), &b), 0);
  if (a.st_dev == b.st_dev) GTEST_SKIP() << "/tmp and /dev/shm are one file system here";
  const Bytes source = Programs(100);
  WriteBytes(patches / "Big.syx", source);
  FakeEditor editor;
  editor.dataFolder = data.path() + "/";
  PatchLibrarian librarian(&editor);
  librarian.loadPatchesFromFilesystem(patches.path());
  EXPECT_EQ(ReadBytes(data / "Converted Banks/Big.syx"), source);
  EXPECT_EQ(Names(patches.path()), (std::vector<std::string>{"Big Singles 1.nl2", "Big Singles 2.nl2"}));
}

}  // namespace
