// Dumps stored from midi-in while worker (transfer) moves the selected slot, other
// threads copy slots and the main thread rescans: every slot read is whole.

#include "LibrarianFixtures.h"
#include "librarian/PatchLibrarian.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

// Unsigned, so the six digits never gain a minus sign the buffer has no room for.
std::string DumpName(unsigned n) {
  char name[11];
  std::snprintf(name, sizeof name, "Dump%06u", n % 1000000u);
  return name;
}

TEST(LibrarianThreads, SlotsStayWholeWhileStoredCopiedAndRescanned) {
  TempFolder data;
  const std::string root = data / "Patches";
  ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
  for (int b = 0; b < 3; ++b) WriteBytes(root + "/Bank" + std::to_string(b) + ".syx", Programs(99, b * 100));
  FakeEditor editor;
  editor.dataFolder = data.path() + "/";
  PatchLibrarian librarian(&editor);
  librarian.loadPatchesFromFilesystem(root);

  constexpr int kRounds = 2000;
  std::atomic<int> torn{0};
  std::atomic<int> copied{0};
  std::thread midiIn([&] {
    for (int i = 0; i < kRounds; ++i) {
      LibrarianPatch dump;
      dump.name = DumpName(i);
      dump.messages.push_back({Program(i, 0, dump.name)});
      librarian.setSysexDatatoSelectedSlot(&dump);
    }
  });
  std::thread sender([&] {
    for (int i = 0; i < kRounds; ++i) {
      librarian.selectedSlot = (i * 7) % 101 - 1;  // -1 and 99 included: both store nothing
      librarian.upperFileIndex = i % 4;            // 3 lies outside the list
    }
  });
  std::thread copier([&] {
    for (int i = 0; i < kRounds; ++i) {
      LibrarianPatch slot;
      if (!librarian.copyPatch(0, i % 3, (i * 13) % 100, &slot) || slot.empty()) continue;
      const Bytes& bytes = slot.messages[0].bytes;
      if (bytes.size() != 149 || slot.name != std::string(bytes.begin() + 138, bytes.begin() + 148)) ++torn;
      ++copied;
    }
  });
  for (int i = 0; i < 5; ++i) librarian.initBankFilesOnDiscard(root);
  midiIn.join();
  sender.join();
  copier.join();

  EXPECT_EQ(torn.load(), 0);
  EXPECT_GT(copied.load(), 0);
  librarian.inspect([](const PatchLibrary& library) {
    ASSERT_EQ(library.programFiles.size(), 3u);
    for (const auto& bank : library.programFiles) {
      EXPECT_TRUE(bank->patches.size() == 99 || bank->patches.size() == 100);
    }
  });
}

}  // namespace
