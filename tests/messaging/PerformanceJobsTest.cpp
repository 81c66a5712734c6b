// Jobs 0 and 10 and the performance parse, on the virtual clock against the
// simulated synthesizer: the panel's performance reaches the unit field by field and
// comes back through the parser on every model; the librarian road; the INIT
// performance both ways; the parser's enquiry branch and its variant form.

#include <gtest/gtest.h>

#include "JobEditorFake.h"
#include "PanelValues.h"
#include "SpacedPerformance.h"
#include "layout/tables/ParamNameTable.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {
using Bytes = std::vector<uint8_t>;

JobArgs Job(int code, bool flag = false) {
  JobArgs args;
  args.jobCode = code;
  args.toLibrarian = flag;
  args.toHardware = flag;
  return args;
}

class PerformanceJobs : public ::testing::TestWithParam<int> {
protected:
  int model_ = GetParam();
  JobEditorFake editor_{model_};
};

TEST_P(PerformanceJobs, EveryFieldTravelsPanelJobZeroUnitParserPanel) {
  PanelValues& panel = editor_.panel;
  for (int slot = 0; slot < 4; ++slot) {
    for (int k = 0; k < kPartBlockFieldCount; ++k) {
      const PartBlockField& f = kPartBlockFields[k];
      panel.At(PartParam(f, model_), slot) = (7 * k + 3 * slot + model_ + 1) % (FieldMaximum(f.coding) + 1);
    }
  }
  for (int k = 0; k < kPerformanceFieldCount; ++k) {
    const PerformanceField& f = kPerformanceFields[k];
    panel.At(f.param, f.slot) = (5 * k + 1) % (FieldMaximum(f.coding) + 1);
  }
  editor_.activeSlot = 2;
  PanelValues before = panel;
  editor_.Run(Job(kJobSendArrangement));

  const std::vector<SynthSim::Message> received = editor_.sim.Received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].size(), 715u);
  EXPECT_EQ(received[0][4], 0x1E);  // the edit buffer, on every model
  EXPECT_EQ(received[0][5], 0);
  EXPECT_EQ(editor_.Now(), 750000u);  // the settling pause
  EXPECT_EQ(editor_.overlayShown, 1);
  EXPECT_EQ(editor_.overlayHidden, 1);

  // Back through the unit's reply into a panel emptied first.
  panel = PanelValues(model_);
  editor_.RequestPerformance();
  const char* const bank = model_ == 2 ? "kCurrentBank2x" : "kCurrentBank";
  PanelValues want = before;
  for (int slot = 0; slot < 4; ++slot) {
    if (model_ == 0) want.At("kFilterDistortion", slot) = 0;  // not taken on the first model
    want.At("kCurrentBank", slot) = want.At("kCurrentBank2x", slot) = before.At(bank, slot);
    // The ten-bank model's program read-out follows the slot's program.
    want.At("kCurrentProgram2x", slot) = before.At("kCurrentProgram", slot);
    // The parser sets both LFO 2 destinations, and the hold light beside them.
    want.At("kLFO2Destination", slot) = want.At("kLFO2DestinationNL1", slot) =
        before.At(model_ == 0 ? "kLFO2DestinationNL1" : "kLFO2Destination", slot);
    want.At("kLFO2Hold", slot) = panel.At("kLFO2Hold", slot);
    want.At("kOscillator2OctaveLED", slot) = panel.At("kOscillator2OctaveLED", slot);
  }
  want["kMasterTune"] = 99;                      // never sent: tune 0
  want["kQuickTab"] = 2;                         // the active slot
  want["kDeviceID"] = JobEditorFake::kDeviceId;  // the unit's own
  for (int i = 0; i < kLayoutParamCount; ++i) {
    EXPECT_EQ(panel.Value(i), want.Value(i)) << "parameter " << i << " model " << model_;
  }
  EXPECT_TRUE(editor_.dataProcessed);
}

INSTANTIATE_TEST_SUITE_P(Models, PerformanceJobs, ::testing::Values(0, 1, 2));

// Values outside their fields go out held to them.
TEST(PerformanceJobsClamp, JobZeroHoldsEachValueToItsField) {
  JobEditorFake editor(1);
  struct Case {
    const char* param;
    int slot;
    double value;
    int unitValue;
  };
  const Case kCases[] = {
      {"kFilterCutoff", 0, 300, 255},          {"kFilterCutoff", 1, -5, 0},      {"kVFilterCutoff", 2, 1e9, 255},
      {"kOscillatorMode", 3, 200, 127},        {"kPartMidiChannel", 1, 128, 16}, {"kPartMidiChannel", 2, -14, 0},
      {"kSystemPitchBendRange", 0, 1000, 255}, {"kFilterEnvNote", 1, 999, 127},
  };
  for (const Case& c : kCases) editor.panel.At(c.param, c.slot) = c.value;
  editor.activeSlot = 9;
  editor.Run(Job(kJobSendArrangement));
  const SynthSim::Message dump = editor.sim.Received().at(0);
  EXPECT_TRUE(std::all_of(dump.begin() + 1, dump.end() - 1, [](uint8_t b) { return b < 0x80; }));
  for (const Case& c : kCases) EXPECT_EQ(editor.sim.Value(c.param, c.slot), c.unitValue) << c.param;
  EXPECT_EQ(editor.sim.Value("kQuickTab", 0), 3);
}

TEST(PerformanceJobsNames, JobZeroKeepsAndSendsTheNames) {
  JobEditorFake editor(1);
  const int patchName = ParamIndex("kPatchName");
  editor.panel.names[ParamIndex("kMultiName")] = "Twelve chars";
  editor.panel.names[patchName + 0] = "Bass";
  editor.panel.names[patchName + 2] = "Strings";
  editor.librarian.patchType = 1;
  editor.perfMode = true;
  const int file = editor.AddBank(1, std::vector<LibrarianPatch>(100));
  editor.librarian.upperFileIndex = file;
  editor.librarian.selectedSlot = 7;
  editor.Run(Job(kJobSendArrangement, true));

  EXPECT_EQ(editor.sim.ReceivedCount(), 0u);  // the librarian road sends nothing
  const LibrarianPatch stored = editor.Slot(1, file, 7);
  ASSERT_EQ(stored.messages.size(), 1u);
  const Bytes& named = stored.messages[0].bytes;
  ASSERT_EQ(named.size(), 765u);
  EXPECT_EQ(std::string(named.begin() + 714, named.begin() + 724), "Twelve cha");
  EXPECT_EQ(std::string(named.begin() + 724, named.begin() + 728), "Bass");
  EXPECT_EQ(Bytes(named.begin() + 734, named.begin() + 744), Bytes(10, 0));  // empty: ten zero bytes
  EXPECT_EQ(editor.patchManagerNames,
            (std::array<std::string, 5>{"Twelve chars", "Bass", "Set Name", "Strings", "Set Name"}));
  EXPECT_EQ(editor.unsavedMarks, 1);
  EXPECT_EQ(editor.fed.size(), 1u);

  // While a slot is renamed its text names the dump and the kept name stays.
  editor.renameActive = true;
  editor.panel.names[ParamIndex("kPatchRename")] = "Renamed";
  editor.patchManagerNames[0] = "Kept";
  editor.Run(Job(kJobSendArrangement, true));
  const Bytes renamed = editor.Slot(1, file, 7).messages.at(0).bytes;
  EXPECT_EQ(std::string(renamed.begin() + 714, renamed.begin() + 721), "Renamed");
  EXPECT_EQ(editor.patchManagerNames[0], "Kept");
}

TEST(PerformanceJobsPorts, WithoutPortsJobZeroSaysSoAndSendsNothing) {
  JobEditorFake editor(1);
  editor.midiIOSet = false;
  editor.Run(Job(kJobSendArrangement));
  EXPECT_EQ(editor.sim.ReceivedCount(), 0u);
  EXPECT_TRUE(editor.Shown("Set MIDI I/O First!"));
  EXPECT_EQ(editor.overlayHidden, 1);
}

Bytes InitWithId(int id) {
  const auto init = InitPerformance();
  Bytes bytes(init.begin(), init.end());
  bytes[2] = bytes[636] = uint8_t(id);
  return bytes;
}

TEST(InitPerformanceJob, ToTheUnitExactlyAndIntoThePanel) {
  JobEditorFake editor(2);
  editor.panel.At("kPartMidiChannel", 3) = 9;
  editor.Run(Job(kJobInitPerformance, true));
  ASSERT_EQ(editor.sim.ReceivedCount(), 1u);
  EXPECT_EQ(editor.sim.Received()[0], InitWithId(JobEditorFake::kDeviceId));
  EXPECT_EQ(editor.panel.At("kPartMidiChannel", 3), 4);
  EXPECT_EQ(editor.panel["kKeyboardSplitPoint"], 36);
  EXPECT_TRUE(editor.Shown("Performance INIT Sent!"));
  EXPECT_FALSE(editor.manager.sender()->timedOut);
  EXPECT_EQ(editor.Now(), 25000u);  // taken at the first poll
}

TEST(InitPerformanceJob, ToTheUnitWithoutPortsSaysSoAndSendsNothing) {
  JobEditorFake editor(1);
  editor.midiIOSet = false;
  editor.Run(Job(kJobInitPerformance, true));
  EXPECT_EQ(editor.statuses, std::vector<std::string>{"Set MIDI I/O First!"});
  EXPECT_EQ(editor.sim.ReceivedCount(), 0u);
  EXPECT_TRUE(editor.fed.empty());
  EXPECT_EQ(editor.overlayHidden, 1);
}

TEST(InitPerformanceJob, ToTheLibrarianOrWhileTheUnitEditsSendsNothing) {
  for (const bool hardwareChange : {false, true}) {
    JobEditorFake editor(1);
    editor.perfMode = true;
    editor.librarian.patchType = 1;
    editor.librarian.upperFileIndex = editor.AddBank(1, std::vector<LibrarianPatch>(100));
    editor.librarian.selectedSlot = 3;
    editor.hardwareChange = hardwareChange;
    editor.Run(Job(kJobInitPerformance, hardwareChange));
    EXPECT_EQ(editor.sim.ReceivedCount(), 0u);
    const Bytes stored = editor.Slot(1, 0, 3).messages.at(0).bytes;
    ASSERT_EQ(stored.size(), 725u);
    const Bytes init = InitWithId(JobEditorFake::kDeviceId);
    EXPECT_TRUE(std::equal(init.begin(), init.begin() + 714, stored.begin()));
    EXPECT_EQ(std::string(stored.begin() + 714, stored.end() - 1), "Init Perf ");
    ASSERT_FALSE(editor.statuses.empty());
    EXPECT_EQ(editor.statuses.back(), "Initialized slot 4 as \"Init Perf\"");
    EXPECT_EQ(editor.unsavedMarks, 1);
  }
}

TEST(InitPerformanceJob, APanelThatNeverTakesItTimesOutAfterAHundredPolls) {
  JobEditorFake editor(1);
  editor.inputDown = true;
  editor.Run(Job(kJobInitPerformance, true));
  EXPECT_TRUE(editor.Shown("CONNECTION TIMED OUT!"));
  EXPECT_TRUE(editor.manager.sender()->timedOut);
  EXPECT_EQ(editor.Now(), 100u * 25000u);
  EXPECT_EQ(std::count(editor.statuses.begin(), editor.statuses.end(), "Processing, please wait..."), 100);
  EXPECT_EQ(editor.overlayHidden, 1);
}

TEST(PerformanceParse, TheSpacedFormDecodesEvenWhileTheEnquiryWaits) {
  JobEditorFake editor(1);
  editor.sim.SetValue("kPartMidiChannel", 1, 11);
  editor.sim.SetValue("kKeyboardSplitPoint", 0, 77);
  editor.inputDown = true;
  editor.sim.SendPerformanceUnasked();
  editor.clock.Advance(1000000);
  editor.inputDown = false;
  ASSERT_EQ(editor.replies.size(), 1u);
  const Bytes reply = SpacedPerformance(editor.replies[0]);

  editor.enquiryPending = true;
  ISysEx spaced(0, reply.data(), int(reply.size()));
  editor.manager.sysexPerformancePatchParseWN(&spaced);
  EXPECT_TRUE(editor.manager.dumpProcessed);
  EXPECT_TRUE(editor.enquiryPending);
  EXPECT_EQ(editor.panel.At("kPartMidiChannel", 1), 11);
  EXPECT_EQ(editor.panel["kKeyboardSplitPoint"], 77);
  EXPECT_EQ(editor.panel.names[ParamIndex("kPatchName") + 3], "PerfFromHW");

  const Bytes standard = InitWithId(0);
  editor.manager.dumpProcessed = false;
  ISysEx notSpaced(0, standard.data(), int(standard.size()));
  editor.manager.sysexPerformancePatchParseWN(&notSpaced);
  EXPECT_FALSE(editor.manager.dumpProcessed);  // only the 765-byte variant
}

// A dump of the parsers' form: maker, model and a slot byte the program form reads.
Bytes DumpOfSize(size_t size) {
  Bytes bytes(size, 0);
  bytes[0] = 0xF0;
  bytes[1] = 0x33;
  bytes[3] = 0x04;
  bytes[5] = 1;
  bytes[size - 1] = 0xF7;
  return bytes;
}

// Each of the three parses reads the whole dump it is given and refuses one that is
// cut short, tells a negative size or is missing, leaving the panel as it was.
TEST(PerformanceParse, EveryParseRefusesAShortOrFalselySizedDump) {
  using Parse = void (MIDIMessageManager::*)(ISysEx*);
  const struct {
    Parse parse;
    size_t size;
    int namedParam;
  } roads[] = {
      {&MIDIMessageManager::sysexPartPatchParse, 139, ParamIndex("kPatchName") + 1},
      {&MIDIMessageManager::sysexPerformancePatchParse, 715, ParamIndex("kMultiName")},
      {&MIDIMessageManager::sysexPerformancePatchParseWN, 765, ParamIndex("kMultiName")},
  };
  for (const auto& road : roads) {
    SCOPED_TRACE(road.size);
    JobEditorFake editor(1);
    const Bytes whole = DumpOfSize(road.size);
    // Every byte of the short one is its own: a read past its end is caught by ASan.
    const Bytes cut(whole.begin(), whole.begin() + 100);
    for (ISysEx refused : {ISysEx(0, cut.data(), int(cut.size())), ISysEx(0, whole.data(), -1)}) {
      editor.manager.sysexBusy = false;
      (editor.manager.*road.parse)(&refused);
      EXPECT_FALSE(editor.manager.dumpProcessed);
      EXPECT_TRUE(editor.manager.sysexBusy);
      EXPECT_EQ(editor.panel.names.count(road.namedParam), 0u);
    }
    (editor.manager.*road.parse)(nullptr);
    EXPECT_FALSE(editor.manager.dumpProcessed);

    ISysEx taken(0, whole.data(), int(whole.size()));
    (editor.manager.*road.parse)(&taken);
    EXPECT_TRUE(editor.manager.dumpProcessed);
    EXPECT_EQ(editor.panel.names.count(road.namedParam), 1u);
  }
}

}  // namespace

// The unit's 765-byte reply is the public layout with names after it: through the
// dispatch every block stands where it does in 715 bytes.
TEST(PerformanceDispatch, A765ByteReplyIsTheNamedPublicForm) {
  JobEditorFake editor(1);
  editor.sim.SetValue("kFilterCutoff", 1, 201);
  editor.sim.SetValue("kFilterCutoff", 3, 77);
  editor.sim.SetValue("kLFO2Destination", 3, 4);  // the last field of slot D
  editor.sim.SetValue("kAfterTouchRcv", 2, 100);
  editor.sim.SetValue("kKeyboardSplitPoint", 0, 61);
  SynthSimSettings settings = editor.sim.Settings();
  settings.replyLength = 765;
  editor.sim.SetSettings(settings);
  editor.RequestPerformance();
  ASSERT_TRUE(editor.manager.dumpProcessed);
  EXPECT_EQ(editor.panel.At("kFilterCutoff", 1), 201);
  EXPECT_EQ(editor.panel.At("kFilterCutoff", 3), 77);
  EXPECT_EQ(editor.panel.At("kLFO2Destination", 3), 4);
  EXPECT_EQ(editor.panel.At("kAfterTouchRcv", 2), 100);
  EXPECT_EQ(editor.panel["kKeyboardSplitPoint"], 61);
  EXPECT_EQ(editor.nameText(ParamIndex("kMultiName")), "Sim Reply ");
  EXPECT_EQ(editor.nameText(ParamIndex("kPatchName") + 3), "Sim Reply ");
}
