// The synthesizer streams a bank into the librarian's slots on midi-in
// while the main thread draws, scrolls and searches the librarian page.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "Framework/IParam.h"
#include "LibrarianPageSupport.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/TavroParams.h"

namespace {

TEST(LibrarianPageThreads, ABankStreamsInWhileThePageIsDrawnScrolledAndSearched) {
  RegisterBuiltBundle();
  TempDataRoot data;
  std::filesystem::create_directories(data.folder() + "Patches");
  data.write("Patches/Bank.syx", ProgramBank("Old"));
  auto ports = std::make_shared<MidiPortFake>();
  ports->AddReadablePort("Synth Out");
  IModuleInstanceInfo info;
  info.mBundleID.Set(Tavro::kBundleID);
  auto plug = std::make_unique<Tavro>(info, ports);
  int in = 1;
  ASSERT_GT(plug->setExternalMIDIIn(in, "Synth Out"), 0);
  LibrarianViewControl* list = plug->librarianList();
  ASSERT_NE(list, nullptr);

  constexpr int kSlots = 99;
  std::atomic<int> stored{0};
  std::thread synthesizer([&] {
    // As the bank request does: arm, let the dump arrive, next slot.
    for (int slot = 0; slot < kSlots; ++slot) {
      plug->librarian->selectedSlot = slot;
      plug->SetLibrarianRequestActive(true);
      ports->Deliver("Synth Out", NamedProgramDump("New" + std::to_string(slot), slot));
      stored = slot + 1;
    }
  });
  IParam* search = plug->GetParam(TavroParam::kPatchSearchString);
  // The keys step through the lower pane: a row the keys select in the upper pane is
  // the slot the next dump fills, and the stream's own choice of slot would race them.
  list->select(1, 0);
  int round = 0;
  while (stored < kSlots) {
    IRECT all(0, 0, plug->graphics->Width(), plug->graphics->Height());
    plug->graphics->Draw(&all);
    list->OnKeyDown(0, 0, 1 + round % 4);
    search->SetDisplayText(0, round % 2 ? "New" : "Old1");
    plug->runLibrarianCommand(TavroParam::kPatchSearchString, 0.0, true);
    ++round;
  }
  synthesizer.join();
  plug->updatePatchLibrarianView(0);
  for (int slot = 0; slot < kSlots; slot += 14) {
    std::string text = list->row(0, slot)->GetTextString();
    EXPECT_EQ(text.erase(text.find_last_not_of(' ') + 1), "New" + std::to_string(slot));
  }
}

}  // namespace
