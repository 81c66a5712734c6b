#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "PanelFakes.h"
#include "librarian/panel/PatchSearch.h"

// A bank streams in from the synthesizer (slots stored and rows reloaded on the
// receiving thread) while the main thread draws, moves with the keys and searches.
TEST(PanelThreads, StreamedBankWhileDrawingScrollingAndSearching) {
  PanelRig rig;
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("U.syx", {"Patches"}, std::vector<std::string>(99, "old")));
  AddBanks(rig.librarian, std::move(banks));
  std::atomic<bool> done{false};
  std::thread receiver([&] {
    for (int round = 0; round < 3; ++round)
      for (int slot = 0; slot < 99; ++slot) {
        const std::string name = "new " + std::to_string(slot);
        rig.editor.view->currentRow = slot;
        rig.librarian.selectedSlot = slot;
        const LibrarianPatch patch = Program(name, round);
        rig.librarian.setSysexDatatoSelectedSlot(&patch);
        rig.editor.view->patchSelectionUpperChanged();
      }
    done = true;
  });
  const IRECT r = rig.rowRect(0, 0);
  do {
    rig.editor.surface->DrawAll();
    rig.editor.surface->OnKeyDown(r.L + 1, r.T + 1, 2);
    createNewSearchPatchFiles(rig.librarian, "new");
  } while (!done);
  receiver.join();
  rig.editor.view->patchSelectionUpperChanged();
  for (int slot = 0; slot < 99; ++slot)
    EXPECT_EQ(rig.editor.view->row(0, slot)->GetTextString(), "new " + std::to_string(slot));
  EXPECT_EQ(createNewSearchPatchFiles(rig.librarian, "new"), 2);  // 99 results and the empty bank after
}
