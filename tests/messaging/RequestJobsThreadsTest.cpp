// The request jobs and the device-id enquiry against a simulated unit on virtual time:
// what the status line shows and when, what goes out, and where the replies land.
#include <gtest/gtest.h>

#include "JobTestBench.h"

namespace {

constexpr uint64_t kStepMicros = 200 * 1000;

std::string Probe(int shown) { return "Please wait, checking DeviceID " + std::to_string(shown); }

SynthSimSettings Unit(int deviceId, uint64_t latencyMicros = 1000, bool silent = false) {
  SynthSimSettings settings;
  settings.deviceId = deviceId;
  settings.replyLatencyMicros = latencyMicros;
  settings.silent = silent;
  return settings;
}

TEST(DeviceEnquiryJob, ASilentUnitIsProbedFromStepFifteenAndGivenUpAfterThirtySix) {
  JobTestBench bench(1, Unit(0, 1000, true));
  bench.Run(kJobDeviceIdEnquiry);
  std::vector<std::string> expected = {"Connecting to Hardware"};
  for (int id = 1; id <= 16; ++id) expected.push_back(Probe(id));
  expected.push_back("No response from Hardware!");
  EXPECT_EQ(bench.editor.StatusTexts(), expected);
  // One step before the request, fifteen before the probe, one per id.
  for (int id = 1; id <= 16; ++id) EXPECT_EQ(bench.StepsUntil(Probe(id)), 15 + id) << id;
  EXPECT_EQ(bench.StepsUntil("No response from Hardware!"), 1 + 36);
  EXPECT_TRUE(bench.manager.sender()->timedOut);
  // Unanswered, the enquiry is over: a later performance is not taken for its answer.
  EXPECT_FALSE(bench.editor.enquiryPending);
  EXPECT_FALSE(bench.editor.overlayShown);
  EXPECT_EQ(bench.sim.ReceivedCount(), 1u + 16u);
}

TEST(DeviceEnquiryJob, AUnitAtIdFiveAnswersTheSixthProbe) {
  JobTestBench bench(1, Unit(5));
  bench.Run(kJobDeviceIdEnquiry);
  std::vector<std::string> expected = {"Connecting to Hardware"};
  for (int id = 1; id <= 6; ++id) expected.push_back(Probe(id));
  expected.push_back("Plug-in is ready to go!");
  EXPECT_EQ(bench.editor.StatusTexts(), expected);
  EXPECT_EQ(bench.editor.deviceId, 5);
  EXPECT_FALSE(bench.editor.enquiryPending);
  EXPECT_FALSE(bench.manager.sender()->timedOut);
}

TEST(DeviceEnquiryJob, ACancelDuringTheProbeStopsItAtTheCurrentId) {
  JobTestBench bench(1, Unit(9, 1000, true));
  MIDIMessageSender* sender = bench.manager.sender();
  bench.clock.ScheduleAt(17 * kStepMicros + kStepMicros / 2, [sender] { sender->requestCancel(); });
  bench.Run(kJobDeviceIdEnquiry);
  EXPECT_EQ(bench.editor.StatusTexts(),
            (std::vector<std::string>{"Connecting to Hardware", Probe(1), Probe(2), "Data request CANCELLED!"}));
  EXPECT_FALSE(bench.editor.enquiryPending);
  EXPECT_FALSE(sender->timedOut);
  EXPECT_FALSE(sender->cancelRequested());  // hiding the overlay clears it
}

// A reply is taken only between steps: one that arrives in the last step is too late.
TEST(RequestJobs, AReplyInTheLastStepTimesOut) {
  struct Case {
    int job;
    double replySteps;  // from the request
    const char* last;
  };
  // The enquiry asks after one step; its twentieth main step ends 36 steps later.
  const Case cases[] = {
      {kJobDeviceIdEnquiry, 34.5, "Plug-in is ready to go!"},
      {kJobDeviceIdEnquiry, 35.5, "No response from Hardware!"},
      {kJobRequestSingleMulti, 13.5, "Data received to slot(s)"},
      {kJobRequestSingleMulti, 14.5, "CONNECTION TIMED OUT!"},
  };
  for (const Case& c : cases) {
    JobTestBench bench(1, Unit(0, uint64_t(c.replySteps * kStepMicros)));
    bench.editor.perfMode = c.job == kJobRequestSingleMulti;
    bench.Run(c.job);
    EXPECT_EQ(bench.editor.StatusTexts().back(), c.last) << c.job << " " << c.replySteps;
    EXPECT_EQ(bench.manager.sender()->timedOut.load(), std::string(c.last).find("ready") == std::string::npos &&
                                                           std::string(c.last).find("slot") == std::string::npos);
  }
}

// Stored programs 0-98 of bank 0, each with its own cutoff.
void FillBank(JobTestBench& bench) {
  for (int number = 0; number < 99; ++number) {
    bench.editor.panel.At("kFilterCutoff", 0) = number;
    std::vector<uint8_t> dump = bench.editor.programDumpCoder()->Build(bench.editor.panel, 0, 0);
    dump[4] = 1;  // bank 0
    dump[5] = uint8_t(number);
    bench.sim.Receive(dump.data(), dump.size());
  }
}

TEST(RequestJobs, ABankRequestFillsTheSlotsInOrder) {
  JobTestBench bench(1, Unit(0));
  FillBank(bench);
  bench.editor.selectedSlot = 57;
  bench.Run(kJobRequestAllPatches);
  for (int p = 0; p < 99; ++p) {
    const std::vector<uint8_t> slot = bench.editor.LibrarySlot(p);
    ASSERT_EQ(slot.size(), 149u) << p;
    EXPECT_EQ(std::vector<uint8_t>(slot.begin() + 6, slot.begin() + 138), bench.sim.StoredProgram(0, p)) << p;
    EXPECT_EQ(slot[12] + 16 * slot[13], p);
  }
  EXPECT_TRUE(bench.editor.unsaved);
  EXPECT_EQ(bench.editor.selectedSlot, 0);
  EXPECT_FALSE(bench.manager.sender()->timedOut);
}

TEST(RequestJobs, AUnitSilentFromProgramFortyLeavesTheFirstFortyAndNoUnsavedMark) {
  SynthSimSettings settings = Unit(0);
  settings.silentAfterRequests = 40;
  JobTestBench bench(1, settings);
  FillBank(bench);
  bench.Run(kJobRequestAllPatches);
  for (int p = 0; p < 99; ++p) EXPECT_EQ(bench.editor.LibrarySlot(p).empty(), p >= 40) << p;
  EXPECT_FALSE(bench.editor.unsaved);
  EXPECT_EQ(bench.editor.StatusTexts().back(), "CONNECTION TIMED OUT!");
  EXPECT_TRUE(bench.manager.sender()->timedOut);
  EXPECT_EQ(bench.editor.selectedSlot, 0);
}

TEST(RequestJobs, RequestsCarryTheTypeAndNumberOfTheModel) {
  struct Case {
    int model, job, bank, slot, selected;
    bool useActiveSlot;
    uint8_t type, number;
  };
  const Case cases[] = {
      {2, kJobRequestAllPatches, 9, 0, 0, false, 0x18, 0},
      {1, kJobRequestAllPatches, 3, 0, 0, false, 0x0E, 0},
      {2, kJobRequestPart, 0, 2, 0, false, 0x0E, 2},
      {0, kJobRequestPart, 0, 3, 0, false, 0x0A, 3},
      {1, kJobRequestAllMulti, 1, 0, 0, false, 0x29, 0},
      {2, kJobRequestAllMulti, 1, 0, 0, false, 0x2A, 0},
      {1, kJobRequestSingleMulti, 3, 0, 42, false, 0x29, 42},
      {2, kJobRequestSingleMulti, 3, 0, 99, false, 0x2C, 99},
      {2, kJobRequestSinglePatch, 2, 0, 98, false, 0x11, 98},
      {1, kJobRequestSinglePatch, 0, 0, 7, true, 0x0A, 1},
      {1, kJobRequestArrangement, 0, 0, 0, false, 0x28, 0},
  };
  for (const Case& c : cases) {
    JobTestBench bench(c.model, Unit(0, 1000, true));
    bench.editor.deviceId = 3;
    bench.editor.activeSlot = 1;
    bench.editor.selectedSlot = c.selected;
    JobArgs args = JobTestBench::Job(c.job);
    args.bank = c.bank;
    args.slot = c.slot;
    args.useActiveSlot = c.useActiveSlot;
    bench.Run(args);
    const auto sent = bench.editor.Sent();
    ASSERT_FALSE(sent.empty()) << c.job;
    EXPECT_EQ(sent.front(), (std::vector<uint8_t>{0xF0, 0x33, 3, 0x04, c.type, c.number, 0xF7}))
        << "model " << c.model << " job " << c.job;
  }
}

// A slot outside the bank would go out as a wrong program number (-1 as 0xFF).
TEST(RequestJobs, ASelectedSlotOutsideTheBankSendsNothing) {
  const std::pair<int, int> cases[] = {
      {kJobRequestSinglePatch, -1}, {kJobRequestSinglePatch, 99}, {kJobRequestSingleMulti, -1},
      {kJobRequestSingleMulti, 100}};
  for (const auto& c : cases) {
    JobTestBench bench(1, Unit(0));
    bench.editor.selectedSlot = c.second;
    bench.Run(c.first);
    EXPECT_TRUE(bench.editor.Sent().empty()) << c.first << " slot " << c.second;
    EXPECT_TRUE(bench.editor.StatusTexts().empty());
    EXPECT_FALSE(bench.editor.overlayShown);
  }
}

TEST(RequestJobs, RepliesGoToThePanelOrTheLibrarian) {
  JobTestBench bench(1, Unit(0));
  bench.sim.SetValue("kFilterCutoff", 2, 99);
  JobArgs part = JobTestBench::Job(kJobRequestPart);
  part.slot = 2;
  bench.Run(part);
  EXPECT_EQ(bench.editor.panel.At("kFilterCutoff", 2), 99);
  EXPECT_EQ(bench.editor.StatusTexts(), std::vector<std::string>{});  // the dispatch reports a reply

  JobArgs toLibrarian = JobTestBench::Job(kJobRequestArrangement);
  bench.editor.perfMode = true;
  bench.editor.selectedSlot = 4;
  bench.Run(toLibrarian);
  EXPECT_EQ(bench.editor.LibrarySlot(4).size(), 725u);
  EXPECT_TRUE(bench.editor.unsaved);

  JobArgs toPanel = JobTestBench::Job(kJobRequestArrangement);
  toPanel.toPanel = true;
  bench.Run(toPanel);
  EXPECT_TRUE(bench.editor.tabRefreshPending);
  EXPECT_TRUE(bench.editor.isDataProcessed());
}

TEST(RequestJobs, WithoutPortsTheRequestWaitsOutItsTime) {
  JobTestBench bench(1, Unit(0));
  bench.editor.midiIOSet = false;
  bench.Run(kJobRequestPart);
  const auto texts = bench.editor.StatusTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts.front(), "Set MIDI I/O First!");
  EXPECT_EQ(texts.back(), "No response from Hardware!");
  EXPECT_EQ(bench.sim.ReceivedCount(), 0u);
}

}  // namespace
