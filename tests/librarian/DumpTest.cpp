// Received dumps into the selected slot of the left pane's bank.

#include "LibrarianFixtures.h"
#include "librarian/PatchLibrarian.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct DumpCase {
  const char* what;
  int type;  // the librarian's patch type
  int fileIndex;
  int slot;
  bool performanceDump;
  bool stored;
  size_t bankSize;  // rows of the bank afterwards
};

// A failing case is named by what it stores, not printed as bytes.
void PrintTo(const DumpCase& c, std::ostream* os) { *os << c.what; }

class Dump : public ::testing::TestWithParam<DumpCase> {};

TEST_P(Dump, StoresIntoTheSelectedSlotOnly) {
  const DumpCase& c = GetParam();
  TempFolder data;
  const std::string root = data / "Patches";
  ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
  for (const char* name : {"P1.syx", "P2.syx", "P3.syx"}) WriteBytes(root + "/" + name, Programs(99));
  WriteBytes(root + "/Perf.syx", Join(std::vector<Bytes>(100, Performance(1))));
  FakeEditor editor;
  editor.performanceMode = true;  // the bank's own kind decides its size, not the mode
  PatchLibrarian librarian(&editor);
  librarian.loadPatchesFromFilesystem(root);
  librarian.patchType = c.type;
  librarian.upperFileIndex = c.fileIndex;
  librarian.selectedSlot = c.slot;
  const std::unique_ptr<PatchFile> before = librarian.copyBank(c.type, c.fileIndex);

  LibrarianPatch dump;
  dump.name = "Received  ";
  dump.messages.push_back({c.performanceDump ? Performance(9, 765) : Program(9, 0, dump.name)});
  librarian.setSysexDatatoSelectedSlot(&dump);

  const std::unique_ptr<PatchFile> after = librarian.copyBank(c.type, c.fileIndex);
  if (!before) return;
  ASSERT_EQ(after->patches.size(), c.bankSize);
  for (size_t i = 0; i < std::min(c.bankSize, before->patches.size()); ++i) {
    const bool replaced = c.stored && int(i) == c.slot;
    EXPECT_EQ(after->patches[i].name, replaced ? dump.name : before->patches[i].name) << i;
    if (replaced) {
      EXPECT_EQ(after->patches[i].messages[0].bytes, dump.messages[0].bytes);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Slots, Dump,
                         ::testing::Values(DumpCase{"program into the third file", 0, 2, 17, false, true, 99},
                                           DumpCase{"performance into a full bank", 1, 0, 99, true, true, 100},
                                           DumpCase{"no slot selected", 0, 0, -1, false, false, 100},
                                           DumpCase{"slot 99 of 99 programs", 0, 0, 99, false, false, 100},
                                           DumpCase{"performance into a program bank", 0, 1, 3, true, false, 100},
                                           DumpCase{"program into a performance bank", 1, 0, 3, false, false, 100},
                                           DumpCase{"file index outside the list", 0, 3, 3, false, false, 0}));

}  // namespace
