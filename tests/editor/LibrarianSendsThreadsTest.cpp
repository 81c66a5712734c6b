// The librarian send starters and the resends after a change, on a headless editor:
// which job starts with what, and job 2's patch is its own however the bank changes.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "EditorTestSupport.h"
#include "Framework/IParam.h"
#include "Kit_TimeSource.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr int kAmpLock = 647;       // + slot
constexpr int kModWheelLock = 780;  // + slot

// What the started job was given; it may wait at the gate before it looks.
struct Capture {
  std::mutex lock;
  std::condition_variable changed;
  bool gated = false, open = false, done = false;
  JobArgs args;
  LibrarianPatch patch;
} gCapture;

void CapturingJob(MIDIMessageSender&, const JobArgs& args) {
  std::unique_lock<std::mutex> hold(gCapture.lock);
  gCapture.changed.wait(hold, [] { return !gCapture.gated || gCapture.open; });
  gCapture.args = args;
  if (args.librarianPatch) gCapture.patch = *args.librarianPatch;
  gCapture.done = true;
  gCapture.changed.notify_all();
}

struct LibrarianSends : EditorFixture {
  LibrarianSends() {
    Kit_SetTimeSource(&clock);  // the starters' pauses pass at once
    gCapture.gated = gCapture.open = gCapture.done = false;
    gCapture.args = JobArgs();
    gCapture.patch = LibrarianPatch();
    for (int code : {kJobSendArrangement, kJobSendPart, kJobSendLibrarianPatch, kJobStoreAllPatches})
      t.midiManager->sender()->setJob(code, &CapturingJob);
    t.setMidiIOSet(true);
  }
  ~LibrarianSends() {
    t.midiManager->shutDown();
    Kit_SetTimeSource(nullptr);
  }
  void addBank(int slots) {
    t.librarian->modify([&](PatchLibrary& library) {
      auto bank = std::make_unique<PatchFile>();
      for (int i = 0; i < slots; ++i) {
        LibrarianPatch patch;
        patch.name = "Slot " + std::to_string(i);
        patch.messages.push_back({std::vector<uint8_t>{0xF0, 0x33, 0, 0x04, 0, uint8_t(i), 0xF7}});
        bank->patches.push_back(patch);
      }
      library.programFiles.push_back(std::move(bank));
    });
    t.librarian->upperFileIndex = 0;
  }
  size_t bankSize() {
    size_t size = 0;
    t.librarian->inspect([&](const PatchLibrary& library) { size = library.programFiles[0]->patches.size(); });
    return size;
  }
  // The job's arguments once it ran; false when none started.
  bool jobRan() {
    std::unique_lock<std::mutex> hold(gCapture.lock);
    gCapture.open = true;
    gCapture.changed.notify_all();
    if (t.midiManager->jobsStarted(MIDIMessageManager::kTransferThread) == 0) return false;
    gCapture.changed.wait(hold, [] { return gCapture.done; });
    return true;
  }

  Kit_VirtualClock clock;
  Tavro& t = *plug;
};

TEST(LibrarianSendsStarters, ARowPastAShortBankPadsItAndStartsNothing) {
  LibrarianSends f;
  f.addBank(40);
  f.t.sendPatchToDeviceFromLibrarian(98, 0);
  EXPECT_EQ(f.bankSize(), 99u);
  EXPECT_FALSE(f.jobRan());
  EXPECT_EQ(f.t.statusShown(), "Not sent: slot is empty");
  f.t.setMidiIOSet(false);  // without ports: padded, nothing started
  f.t.sendPatchToDeviceFromLibrarian(5, 0);
  EXPECT_FALSE(f.jobRan());
  EXPECT_EQ(f.t.statusShown(), "Set MIDI I/O First!");
}

TEST(LibrarianSendsStarters, JobTwoSendsItsOwnCopyWhateverTheBankBecomes) {
  LibrarianSends f;
  f.addBank(12);
  f.t.setActiveSlot(2);
  gCapture.gated = true;
  f.t.sendPatchToDeviceFromLibrarian(7, 0);
  // The bank is discarded while the job starts.
  f.t.librarian->modify([](PatchLibrary& library) { library.programFiles.clear(); });
  ASSERT_TRUE(f.jobRan());
  EXPECT_EQ(gCapture.args.jobCode, kJobSendLibrarianPatch);
  EXPECT_EQ(gCapture.args.slot, 2);
  EXPECT_EQ(gCapture.patch.name, "Slot 7");
  ASSERT_EQ(gCapture.patch.messages.size(), 1u);
  EXPECT_EQ(gCapture.patch.messages[0].bytes[5], 7);
}

TEST(LibrarianSendsStarters, StoringABankTakesThePaneOfTheSelection) {
  LibrarianSends f;
  f.addBank(99);
  f.t.librarian->selectedSlot = 9;
  f.t.setMidiIOSet(false);
  f.t.SendAllProgramsFromLibrarian(3);
  EXPECT_EQ(f.t.librarian->selectedSlot.load(), 0);  // also without ports
  EXPECT_FALSE(f.jobRan());
  f.t.setMidiIOSet(true);
  f.t.storeAllPatchesToDeviceFromLibrarian(1, 2);
  ASSERT_TRUE(f.jobRan());
  EXPECT_EQ(gCapture.args.jobCode, kJobStoreAllPatches);
  EXPECT_EQ(gCapture.args.storePane, 1);
  EXPECT_EQ(gCapture.args.storeBank, 2);
}

TEST(LibrarianSendsStarters, ResendsFollowTheLocks) {
  struct Case {
    const char* what;
    int lockParam;  // set to 1, or -1 for none
    bool ports;
    bool multi;   // sendMultiDataBackToHardware, else the part of slot 1
    int wantJob;  // -1 for none
  };
  const Case kCases[] = {
      {"no lock of the slot", -1, true, false, -1},
      {"the slot's amplifier locked", kAmpLock + 1, true, false, kJobSendPart},
      {"another slot's lock", kAmpLock + 2, true, false, -1},
      {"locked, no ports: still sent", kAmpLock + 1, false, false, kJobSendPart},
      {"first mod-wheel lock", kModWheelLock, true, true, kJobSendArrangement},
      {"first mod-wheel lock, no ports", kModWheelLock, false, true, -1},
      {"another mod-wheel lock", kModWheelLock + 1, true, true, -1},
  };
  for (const Case& c : kCases) {
    LibrarianSends f;
    if (c.lockParam >= 0) f.t.GetParam(c.lockParam)->Set(1.0);
    f.t.setMidiIOSet(c.ports);
    if (c.multi) {
      f.t.sendMultiDataBackToHardware();
    } else {
      f.t.sendPartDataBackToHardware(1);
    }
    ASSERT_EQ(f.jobRan(), c.wantJob >= 0) << c.what;
    if (c.wantJob < 0) continue;
    EXPECT_EQ(gCapture.args.jobCode, c.wantJob) << c.what;
    EXPECT_FALSE(gCapture.args.toLibrarian) << c.what;
    if (!c.multi) {
      EXPECT_EQ(gCapture.args.slot, 1) << c.what;
    }
  }
}

}  // namespace
