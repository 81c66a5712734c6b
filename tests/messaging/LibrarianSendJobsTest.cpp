// Jobs 2 and 3 on the virtual clock against the simulated synthesizer: a librarian
// slot reaches the panel and then the unit from the panel; a bank is written paced,
// so a unit that needs time to store loses nothing, and stops where it should.

#include <gtest/gtest.h>

#include "JobEditorFake.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {
using Bytes = std::vector<uint8_t>;
constexpr uint64_t kMs = 1000;

// A stored program whose data bytes tell `number` apart, named.
Bytes StoredProgram(int number, const std::string& name = "Prog") {
  Bytes program(std::begin(kInitProgram), std::end(kInitProgram));
  program[4] = 2;  // as it came from a bank
  program[5] = uint8_t(number % 99);
  program[6] = uint8_t(number % 16);  // kOsc2Semitones, low nibble
  program[7] = uint8_t(number / 16 % 8);
  return ProgramDumpCoder::WithName(program, name);
}

Bytes StoredPerformance(int number) {
  const auto init = InitPerformance();
  Bytes performance(init.begin(), init.end());
  performance[4] = 0x1F;
  performance[5] = uint8_t(number);
  performance[636] = 9;  // another unit's id, 25 as nybbles
  performance[637] = 1;
  performance[536] = uint8_t(number % 16);  // slot B's channel
  return PerformanceDumpCoder::WithNames(performance, "Perf", {"A", "B", "C", "D"});
}

LibrarianPatch Patch(Bytes bytes) {
  LibrarianPatch patch;
  patch.name = "x";
  if (!bytes.empty()) patch.messages.push_back({std::move(bytes)});
  return patch;
}

// ---- job 3

struct BankCase {
  const char* what;
  int model;
  int type;
  int slots;
  int bank;
  int timerMs;
  int emptyAt = -1;    // that slot holds no message
  int damagedAt = -1;  // that slot carries a status byte inside
  int cancelAt = -1;   // cancel while that slot is paced
  int discardAt = -1;  // the library is rescanned while that slot is paced
  bool searchPane = false;
  uint64_t memoryWriteMs = 0;
  int wantSent;
  int wantLost = 0;
};

class StoreBank : public ::testing::TestWithParam<BankCase> {};

TEST_P(StoreBank, WritesPacedAndStopsWhereItShould) {
  const BankCase& c = GetParam();
  JobEditorFake editor(c.model);
  SynthSimSettings settings = editor.sim.Settings();
  settings.memoryWriteMicros = c.memoryWriteMs * kMs;
  editor.sim.SetSettings(settings);
  editor.timerMs = c.timerMs;
  editor.librarian.patchType = c.type;
  editor.searchShown = c.searchPane;
  std::vector<LibrarianPatch> patches;
  for (int i = 0; i < c.slots; ++i) {
    Bytes bytes = i == c.emptyAt ? Bytes() : c.type == 0 ? StoredProgram(i) : StoredPerformance(i);
    if (i == c.damagedAt) bytes[20] = 0x90;
    patches.push_back(Patch(bytes));
  }
  const int index = editor.AddBank(c.type, patches, c.searchPane);
  (c.searchPane ? editor.librarian.lowerFileIndex : editor.librarian.upperFileIndex) = index;
  const uint64_t pacing = uint64_t(c.type == 0 ? 2 : 4) * c.timerMs * kMs;
  const uint64_t first = 50 * kMs;  // after the notes-off pause
  if (c.cancelAt >= 0) {
    editor.clock.ScheduleAt(first + c.cancelAt * pacing + pacing / 2,
                            [&] { editor.manager.sender()->requestCancel(); });
  }
  if (c.discardAt >= 0) {
    editor.clock.ScheduleAt(first + c.discardAt * pacing + 1, [&] {
      editor.librarian.modify([](PatchLibrary& library) {
        library.filesOfType(0).clear();
        library.searchFiles.clear();
      });
    });
  }
  JobArgs args;
  args.jobCode = kJobStoreAllPatches;
  args.storePane = c.searchPane ? 1 : 0;
  args.storeBank = c.bank;
  editor.Run(args);

  // All Notes Off on every channel: the host's notes may sound on any.
  ASSERT_EQ(editor.midiSent.size(), 16u);
  for (size_t channel = 0; channel < 16; ++channel) {
    EXPECT_EQ(editor.midiSent[channel].mStatus, 0xB0 + channel);
    EXPECT_EQ(editor.midiSent[channel].mData1, 123);
    EXPECT_EQ(editor.midiSent[channel].mData2, 0);
  }
  const std::vector<SynthSim::Arrival> arrivals = editor.sim.Arrivals();
  ASSERT_EQ(int(arrivals.size()), c.wantSent) << c.what;
  const size_t size = c.type == 0 ? 139 : 715;
  const int typeByte = c.type == 0 ? c.bank + 1 : 0x1F + (c.model == 2 ? c.bank : 0);
  for (int i = 0; i < c.wantSent; ++i) {
    const Bytes& m = arrivals[size_t(i)].message;
    ASSERT_EQ(m.size(), size) << c.what << " slot " << i;
    EXPECT_EQ(m[2], JobEditorFake::kDeviceId);
    EXPECT_EQ(m[4], typeByte) << c.what;
    EXPECT_EQ(m[5], i);
    EXPECT_EQ(m.back(), 0xF7);
    EXPECT_EQ(arrivals[size_t(i)].micros, first + i * pacing) << c.what << " slot " << i;
  }
  EXPECT_EQ(editor.sim.LostStores(), c.wantLost) << c.what;
  if (c.type == 0 && c.wantLost == 0) {
    for (int i = 0; i < c.wantSent; ++i) {
      const Bytes stored = editor.sim.StoredProgram(c.bank, i);
      EXPECT_EQ(stored[0], i % 16) << c.what << " slot " << i;  // none lost
    }
  }
  const int bankSize = c.type == 0 ? 99 : 100;
  // A cancel says how much of the bank went before it.
  const int count = std::min(c.model <= 1 && c.type == 0 && c.bank == 0 ? 40 : bankSize, c.slots);
  const std::string cancelled =
      "Data write CANCELLED! / " + std::to_string(c.wantSent) + " of " + std::to_string(count) + " sent";
  EXPECT_EQ(editor.Shown(cancelled), c.cancelAt >= 0) << cancelled;
  if (c.cancelAt >= 0) {
    EXPECT_EQ(editor.statuses.back(), cancelled);
  }
  const bool toEnd = (c.emptyAt < 0 || c.emptyAt >= bankSize) && c.damagedAt < 0;
  const int lastRow = std::max(c.wantSent - 1, 0) + (toEnd ? 0 : 1);
  EXPECT_EQ(editor.librarian.selectedSlot.load(), toEnd || c.searchPane ? 0 : lastRow);
  if (c.searchPane) {
    EXPECT_EQ(editor.librarian.lowerSelectedSlot.load(), lastRow);
  }
  ASSERT_FALSE(editor.selectedRows.empty());
  // A store run to its end leaves upper row 0 selected, shown where it acts.
  EXPECT_EQ(editor.selectedRows.back(), toEnd ? std::make_pair(0, 0) : std::make_pair(c.searchPane ? 1 : 0, lastRow));
  EXPECT_FALSE(editor.overlayVisible);
}

void PrintTo(const BankCase& c, std::ostream* os) { *os << c.what; }

INSTANTIATE_TEST_SUITE_P(
    Cases, StoreBank,
    ::testing::Values(
        BankCase{"99 programs to bank 2 on the ten-bank model", 2, 0, 99, 2, 250, -1, -1, -1, -1, false, 499, 99},
        BankCase{"a unit slower than the pacing loses stores", 2, 0, 99, 2, 200, -1, -1, -1, -1, false, 401, 99, 49},
        BankCase{"bank 0 on model 1: forty programs", 1, 0, 99, 0, 200, -1, -1, -1, -1, false, 0, 40},
        BankCase{"bank 0 on model 1 with a short file: to its end", 1, 0, 12, 0, 200, -1, -1, -1, -1, false, 0, 12},
        BankCase{"bank 1 on model 1: the whole file", 1, 0, 99, 1, 200, -1, -1, -1, -1, false, 0, 99},
        BankCase{"slot 12 empty", 2, 0, 99, 0, 200, 12, -1, -1, -1, false, 0, 12},
        BankCase{"a listed bank's empty hundredth row is not the unit's", 2, 0, 100, 1, 200, 99, -1, -1, -1, false, 0,
                 99},
        BankCase{"a file of 120 programs fills the unit's 99 and no number past them", 2, 0, 120, 1, 200, -1, -1, -1,
                 -1, false, 0, 99},
        BankCase{"a file of 130 performances fills the unit's 100", 2, 1, 130, 0, 200, -1, -1, -1, -1, false, 0, 100},
        BankCase{"slot 7 damaged", 2, 0, 99, 0, 200, -1, 7, -1, -1, false, 0, 7},
        BankCase{"cancel during slot 5", 2, 0, 99, 0, 200, -1, -1, 5, -1, false, 0, 6},
        BankCase{"the bank discarded mid-run", 2, 0, 99, 4, 300, -1, -1, -1, 10, false, 0, 99},
        BankCase{"search results, discarded mid-run", 1, 0, 30, 1, 200, -1, -1, -1, 3, true, 0, 30},
        BankCase{"performances on model 1 whatever the bank", 1, 1, 100, 3, 200, -1, -1, -1, -1, false, 0, 100},
        BankCase{"performances to bank 1 on the ten-bank model", 2, 1, 100, 1, 350, -1, -1, -1, -1, false, 1399, 100}));

// The port refuses from the 38th dump on: the line says the send failed and how much
// of the bank the unit holds now.
TEST(StoreBankRefused, APortGoneMidStoreSaysHowManyWent) {
  for (int type : {0, 1}) {
    SCOPED_TRACE(type);
    JobEditorFake editor(2);
    editor.librarian.patchType = type;
    std::vector<LibrarianPatch> patches;
    for (int i = 0; i < 99; ++i) patches.push_back(Patch(type == 0 ? StoredProgram(i) : StoredPerformance(i)));
    editor.librarian.upperFileIndex = editor.AddBank(type, patches);
    editor.sysexTaken = 37;
    JobArgs args;
    args.jobCode = kJobStoreAllPatches;
    args.storeBank = 1;
    editor.Run(args);
    EXPECT_EQ(editor.sim.ReceivedCount(), 37u);
    ASSERT_FALSE(editor.statuses.empty());
    EXPECT_EQ(editor.statuses.back(), "MIDI send FAILED! / 37 of 99 sent");
  }
}

// The plug-in closing mid-store (its host ended by a signal) leaves no status line
// to read: where the store was cut is said on stderr and in the log.
TEST(StoreBankRefused, ClosingMidStoreSaysWhereTheStoreWasCut) {
  JobEditorFake editor(2);
  std::vector<LibrarianPatch> patches;
  for (int i = 0; i < 99; ++i) patches.push_back(Patch(StoredProgram(i)));
  editor.librarian.upperFileIndex = editor.AddBank(0, patches);
  editor.timerMs = 200;
  const uint64_t pacing = 2 * 200 * kMs;
  editor.clock.ScheduleAt(50 * kMs + 10 * pacing + pacing / 2, [&] { editor.manager.sender()->shutDown(); });
  JobArgs args;
  args.jobCode = kJobStoreAllPatches;
  args.storeBank = 1;
  testing::internal::CaptureStderr();
  editor.Run(args);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(editor.sim.ReceivedCount(), 11u);
  EXPECT_NE(said.find("store cut after program 11 of 99\n"), std::string::npos) << said;
  EXPECT_EQ(editor.logged, std::vector<std::string>({"store cut after program 11 of 99"}));
}

TEST(StoreBankRefused, NoFileNoSlotsOrABankPastTheLastSendNothing) {
  for (const int bank : {0, -1, 10}) {
    JobEditorFake editor(2);
    if (bank != 0) editor.AddBank(0, {Patch(StoredProgram(0))});
    if (bank == 0) editor.AddBank(0, {});
    editor.librarian.selectedSlot = 5;
    JobArgs args;
    args.jobCode = kJobStoreAllPatches;
    args.storeBank = bank;
    editor.Run(args);
    EXPECT_EQ(editor.sim.ReceivedCount(), 0u) << bank;
    EXPECT_EQ(editor.librarian.selectedSlot.load(), bank == 0 ? 0 : 5) << bank;
    EXPECT_EQ(editor.Shown("Not stored: slot 1 holds no whole dump"), bank == 0) << bank;
    EXPECT_FALSE(editor.overlayVisible);
  }
}

// ---- job 2

JobArgs SendPatch(const LibrarianPatch& patch, int slot) {
  JobArgs args;
  args.jobCode = kJobSendLibrarianPatch;
  args.librarianPatch = std::make_shared<const LibrarianPatch>(patch);
  args.slot = slot;
  return args;
}

TEST(SendLibrarianPatch, AProgramGoesToSlotCThroughThePanel) {
  JobEditorFake editor(1);
  const Bytes stored = StoredProgram(37, "Choir Pad");
  editor.Run(SendPatch(Patch(stored), 2));

  ASSERT_EQ(editor.fed.size(), 1u);
  EXPECT_EQ(editor.fed[0].size(), 149u);
  EXPECT_EQ(editor.fed[0][2], JobEditorFake::kDeviceId);
  EXPECT_EQ(editor.fed[0][4], 0);
  EXPECT_EQ(editor.fed[0][5], 2);
  EXPECT_EQ(editor.panel.At("kOsc2Semitones", 2), 37);
  EXPECT_EQ(editor.panel.At("kOsc2Semitones", 0), 0);
  EXPECT_EQ(editor.panel.names[ParamIndex("kPatchName") + 2], std::string("Choir Pad\0", 10));
  const std::vector<SynthSim::Message> received = editor.sim.Received();
  ASSERT_EQ(received.size(), 1u);
  ASSERT_EQ(received[0].size(), 139u);
  EXPECT_EQ(received[0][5], 2);
  EXPECT_EQ(editor.sim.ProgramEditBuffer(2), Bytes(stored.begin() + 6, stored.begin() + 138));
  EXPECT_EQ(editor.Now(), (20 + 500) * kMs);  // taken at the first poll, then the part sender settles
}

TEST(SendLibrarianPatch, APerformanceKeepsTheCurrentDeviceId) {
  JobEditorFake editor(2);
  editor.perfMode = true;
  editor.panel["kDeviceID"] = JobEditorFake::kDeviceId;
  editor.Run(SendPatch(Patch(StoredPerformance(7)), 0));

  ASSERT_EQ(editor.fed.size(), 1u);
  EXPECT_EQ(editor.fed[0][4], 0x1E);
  // The current id as one value: its low nybble, then 0.
  EXPECT_EQ(editor.fed[0][636], JobEditorFake::kDeviceId);
  EXPECT_EQ(editor.fed[0][637], 0);
  EXPECT_EQ(editor.panel["kDeviceID"], JobEditorFake::kDeviceId);
  EXPECT_EQ(editor.panel.At("kPartMidiChannel", 1), 8);
  const std::vector<SynthSim::Message> received = editor.sim.Received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].size(), 715u);
  EXPECT_EQ(received[0][4], 0x1E);
  EXPECT_EQ(editor.sim.Value("kDeviceID", 0), JobEditorFake::kDeviceId);
  EXPECT_EQ(editor.sim.Value("kPartMidiChannel", 1), 8);
}

TEST(SendLibrarianPatch, AMessageNotOfTheKindsFormIsNeverWritten) {
  struct Case {
    const char* what;
    bool performance;
    Bytes bytes;
    int slot;
  };
  Bytes foreign = StoredProgram(1);
  foreign[1] = 0x41;
  const Bytes performance = StoredPerformance(1);
  const Bytes program = StoredProgram(1);
  const Case kCases[] = {
      {"empty slot", false, {}, 0},
      {"short program", false, Bytes(program.begin(), program.begin() + 100), 0},
      {"program one byte long", false, Bytes(140, 0x10), 0},
      {"a stray byte", false, {0xF0}, 0},
      {"another maker's", false, foreign, 0},
      {"slot past D", false, StoredProgram(1), 4},
      {"a program as a performance", true, StoredProgram(1), 0},
      {"performance cut before 711", true, Bytes(performance.begin(), performance.begin() + 700), 0},
      {"performance past 765", true, Bytes(766, 0x01), 0},
  };
  for (const Case& c : kCases) {
    JobEditorFake editor(1);
    editor.perfMode = c.performance;
    editor.Run(SendPatch(Patch(c.bytes), c.slot));
    EXPECT_TRUE(editor.fed.empty()) << c.what;
    EXPECT_EQ(editor.sim.ReceivedCount(), 0u) << c.what;
    EXPECT_EQ(editor.Now(), 0u) << c.what;  // no wait
    EXPECT_EQ(editor.overlayHidden, 1) << c.what;
    // Never in silence.
    const char* said = c.bytes.empty() ? "Not sent: slot is empty"
                       : c.performance ? "Not sent: stored performance is damaged"
                                       : "Not sent: stored program is damaged";
    EXPECT_EQ(editor.statuses, std::vector<std::string>{said}) << c.what;
  }
}

TEST(SendLibrarianPatch, AWaitThePanelNeverEndsTimesOutOrIsCancelledSendingNothing) {
  for (const bool cancel : {false, true}) {
    JobEditorFake editor(1);
    editor.inputDown = true;
    if (cancel) editor.clock.ScheduleAt(333 * kMs, [&] { editor.manager.sender()->requestCancel(); });
    editor.Run(SendPatch(Patch(StoredProgram(3)), 1));
    EXPECT_EQ(editor.fed.size(), 1u);
    EXPECT_EQ(editor.sim.ReceivedCount(), 0u);
    EXPECT_EQ(editor.Shown("CONNECTION TIMED OUT!"), !cancel);
    EXPECT_EQ(editor.Now(), cancel ? 333 * kMs : 100 * 20 * kMs);
    EXPECT_EQ(editor.overlayHidden, 1);
  }
}

}  // namespace
