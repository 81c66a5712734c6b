// Jobs 1 and 11 against a simulated unit on virtual time, through the real SysEx
// dispatch: a part travels panel -> job 1 -> unit -> job 5 -> panel unchanged on every
// model, and the INIT program reaches the unit and the panel, or the librarian.
#include <gtest/gtest.h>

#include "JobTestBench.h"
#include "PanelValues.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {

using Bytes = std::vector<uint8_t>;

SynthSimSettings UnitAt(int deviceId) {
  SynthSimSettings settings;
  settings.deviceId = deviceId;
  return settings;
}

JobArgs PartJob(int code, int slot) {
  JobArgs args = JobTestBench::Job(code);
  args.slot = slot;
  args.toPanel = true;
  return args;
}

class PartRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(PartRoundTrip, EveryProgramFieldSurvivesTheUnit) {
  const int model = GetParam();
  JobTestBench bench(model, UnitAt(JobEditorFake::kDeviceId));
  PanelValues& panel = bench.panel;
  for (int slot = 0; slot < 4; ++slot) {
    // Distinct values: 7 is prime to each field's range.
    for (int k = 0; k < kPartBlockFieldCount; ++k) {
      const PartBlockField& f = kPartBlockFields[k];
      panel.At(PartParam(f, model), slot) = (7 * k + 3 * slot + model + 1) % (FieldMaximum(f.coding) + 1);
    }
    PanelValues sent = panel;
    bench.Run(PartJob(kJobSendPart, slot));
    for (int k = 0; k < kPartBlockFieldCount; ++k) panel.At(PartParam(kPartBlockFields[k], model), slot) = 0;
    bench.Run(PartJob(kJobRequestPart, slot));
    for (int k = 0; k < kPartBlockFieldCount; ++k) {
      const PartBlockField& f = kPartBlockFields[k];
      const std::string param = PartParam(f, model);
      // The first model has no distortion: its byte is not read back.
      const bool ignored = model == 0 && std::string(f.param) == "kFilterDistortion";
      EXPECT_EQ(panel.At(param, slot), ignored ? 0 : sent.At(param, slot)) << param << " slot " << slot;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Models, PartRoundTrip, ::testing::Values(0, 1, 2));

TEST(PartSendJob, ValuesOutsideAFieldAreHeldToItsRange) {
  JobTestBench bench(1, UnitAt(JobEditorFake::kDeviceId));
  bench.panel.At("kOsc2Waveform", 1) = 200;  // a byte
  bench.panel.At("kFilterCutoff", 1) = 999;  // a pair
  bench.panel.At("kAmpGain", 1) = -5;
  bench.Run(PartJob(kJobSendPart, 1));
  ASSERT_EQ(bench.sim.ReceivedCount(), 1u);
  const Bytes sent = bench.sim.Received()[0];
  ASSERT_EQ(sent.size(), 139u);
  for (size_t i = 1; i + 1 < sent.size(); ++i) EXPECT_LT(sent[i], 0x80) << i;
  EXPECT_EQ(bench.sim.Value("kOsc2Waveform", 1), 127);
  EXPECT_EQ(bench.sim.Value("kFilterCutoff", 1), 255);
  EXPECT_EQ(bench.sim.Value("kAmpGain", 1), 0);
}

TEST(PartSendJob, ToTheLibrarianTheNamedCopyIsStoredInTheSelectedSlot) {
  struct Case {
    const char* partName;
    bool renaming;
    const char* storedName;  // the ten name bytes up to the first zero
    const char* keptName;    // the kept name of part B afterwards
  };
  const Case cases[] = {
      {"Bright Pad Long", false, "Bright Pad", "Bright Pad Long"},
      {"", false, "", "Set Name"},
      {"Bright", true, "Renamed", ""},
  };
  for (const Case& c : cases) {
    JobTestBench bench(1, UnitAt(JobEditorFake::kDeviceId));
    bench.panel.names[ParamIndex("kPatchName") + 1] = c.partName;
    bench.panel.names[ParamIndex("kPatchRename")] = "Renamed";
    bench.renameActive = c.renaming;
    bench.librarian.selectedSlot = 6;
    JobArgs args = PartJob(kJobSendPart, 1);
    args.toLibrarian = true;
    bench.Run(args);
    const Bytes stored = bench.Stored(6);
    ASSERT_EQ(stored.size(), 149u) << c.partName;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&stored[138]), 10).c_str(), std::string(c.storedName));
    EXPECT_EQ(stored[5], 1);
    EXPECT_EQ(bench.patchManagerNames[2], c.keptName);
    EXPECT_EQ(bench.unsavedMarks, 1);
    EXPECT_EQ(bench.sim.ReceivedCount(), 0u);
  }
}

TEST(PartSendJob, WithoutPortsNothingIsSent) {
  JobTestBench bench(1, UnitAt(JobEditorFake::kDeviceId));
  bench.midiIOSet = false;
  bench.Run(PartJob(kJobSendPart, 0));
  EXPECT_EQ(bench.statuses, std::vector<std::string>{"Set MIDI I/O First!"});
  EXPECT_EQ(bench.sim.ReceivedCount(), 0u);
  EXPECT_FALSE(bench.overlayVisible);
}

// A part the port refuses is said to have failed, never passed over in silence.
TEST(PartSendJob, APartThePortRefusesSaysTheSendFailed) {
  JobTestBench bench(1, UnitAt(JobEditorFake::kDeviceId));
  bench.sysexTaken = 0;
  bench.Run(PartJob(kJobSendPart, 0));
  EXPECT_EQ(bench.sim.ReceivedCount(), 0u);
  EXPECT_EQ(bench.statuses, std::vector<std::string>{"MIDI send FAILED!"});
  EXPECT_FALSE(bench.overlayVisible);
}

TEST(InitPatchJob, ToTheUnitItLoadsTheActiveSlot) {
  JobTestBench bench(1, UnitAt(JobEditorFake::kDeviceId));
  bench.activeSlot = 2;
  JobArgs args = JobTestBench::Job(kJobInitPatch);
  args.toHardware = true;
  bench.Run(args);
  ASSERT_EQ(bench.sim.ReceivedCount(), 1u);
  const Bytes sent = bench.sim.Received()[0];
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 6), (Bytes{0xF0, 0x33, JobEditorFake::kDeviceId, 4, 0, 2}));
  EXPECT_EQ(bench.sim.Value("kFilterCutoff", 2), 127);
  EXPECT_EQ(bench.panel.At("kOsc2Semitones", 2), 60);
  EXPECT_EQ(bench.panel.At("kAmpGain", 2), 100);
  EXPECT_EQ(bench.panel.At("kVFilterCutoff", 2), 128);
  EXPECT_EQ(bench.statuses, (std::vector<std::string>{"Processing, please wait...", "Patch INIT Sent!"}));
}

TEST(InitPatchJob, ToTheUnitWithoutPortsSaysSoAndChangesNothing) {
  JobTestBench bench(1, UnitAt(JobEditorFake::kDeviceId));
  bench.midiIOSet = false;
  bench.panel.At("kAmpGain", 0) = 7;
  JobArgs args = JobTestBench::Job(kJobInitPatch);
  args.toHardware = true;
  bench.Run(args);
  EXPECT_EQ(bench.statuses, std::vector<std::string>{"Set MIDI I/O First!"});
  EXPECT_EQ(bench.sim.ReceivedCount(), 0u);
  EXPECT_TRUE(bench.fed.empty());
  EXPECT_EQ(bench.panel.At("kAmpGain", 0), 7);
  EXPECT_FALSE(bench.overlayVisible);
}

// Without a bank of programs open the INIT program has nowhere to go: nothing is
// marked, and the status line says why.
TEST(InitPatchJob, ToTheLibrarianWithoutAProgramBankStoresNothing) {
  JobTestBench bench(1, UnitAt(JobEditorFake::kDeviceId));
  bench.librarian.upperFileIndex = 5;  // past the list
  bench.Run(kJobInitPatch);
  EXPECT_EQ(bench.statuses, std::vector<std::string>{"Not stored: no bank of this kind open"});
  EXPECT_EQ(bench.unsavedMarks, 0);
}

TEST(InitPatchJob, ToTheLibrarianItStoresTheProgramAndSendsNothing) {
  JobTestBench bench(1, UnitAt(JobEditorFake::kDeviceId));
  bench.activeSlot = 3;
  bench.librarian.selectedSlot = 12;
  bench.Run(kJobInitPatch);
  const Bytes stored = bench.Stored(12);
  ASSERT_GE(stored.size(), 139u);
  EXPECT_EQ(stored[4], 0);
  EXPECT_EQ(stored[5], 0);
  EXPECT_EQ(Bytes(stored.begin() + 6, stored.begin() + 138), Bytes(kInitProgram + 6, kInitProgram + 138));
  // Named as what it is, and the line says what was done where.
  EXPECT_EQ(std::string(stored.begin() + 138, stored.end() - 1), "Init Patch");
  ASSERT_FALSE(bench.statuses.empty());
  EXPECT_EQ(bench.statuses.back(), "Initialized slot 13 as \"Init Patch\"");
  EXPECT_EQ(bench.unsavedMarks, 1);
  EXPECT_EQ(bench.sim.ReceivedCount(), 0u);
}

}  // namespace
