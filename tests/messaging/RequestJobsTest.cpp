// The request jobs and the device-id enquiry against a simulated unit on virtual time,
// through the real SysEx dispatch: what the status line shows and when, what goes out,
// and where the replies land.
#include <gtest/gtest.h>

#include <algorithm>

#include "JobTestBench.h"

namespace {

constexpr uint64_t kStepMicros = 200 * 1000;
using Bytes = std::vector<uint8_t>;

std::string Probe(int shown) { return "Please wait, checking DeviceID " + std::to_string(shown); }

SynthSimSettings Unit(int deviceId, uint64_t latencyMicros = 1000, bool silent = false) {
  SynthSimSettings settings;
  settings.deviceId = deviceId;
  settings.replyLatencyMicros = latencyMicros;
  settings.silent = silent;
  return settings;
}

// A bench whose editor believes the device id is `editorId`.
struct Bench : JobTestBench {
  Bench(int editorId, SynthSimSettings unit, int model = 1) : JobTestBench(model, unit) { deviceId = editorId; }
  bool TimedOut() { return manager.sender()->timedOut; }
};

TEST(DeviceEnquiryJob, ASilentUnitIsProbedFromStepFifteenAndGivenUpAfterThirtySix) {
  Bench bench(0, Unit(0, 1000, true));
  bench.Run(kJobDeviceIdEnquiry);
  std::vector<std::string> expected = {"Connecting to Hardware"};
  for (int id = 1; id <= 16; ++id) expected.push_back(Probe(id));
  expected.push_back("No response from Hardware!");
  EXPECT_EQ(bench.statuses, expected);
  // One step before the request, fifteen before the probe, then one per id.
  for (int id = 1; id <= 16; ++id) EXPECT_EQ(bench.StepsUntil(Probe(id)), 15 + id) << id;
  EXPECT_EQ(bench.StepsUntil("No response from Hardware!"), 1 + 36);
  EXPECT_TRUE(bench.TimedOut());
  EXPECT_FALSE(bench.overlayVisible);
  EXPECT_EQ(bench.sim.ReceivedCount(), 1u + 16u);
  EXPECT_EQ(bench.panel["kDeviceID"], 0);
  // Unanswered, the enquiry is over: the next requested performance reaches the
  // panel's parser and leaves the device id alone.
  EXPECT_FALSE(bench.enquiryPending);
  bench.sim.SetSettings(Unit(JobEditorFake::kDeviceId));
  // Asked once the probes are no longer owed an answer: before, the reply could be
  // the late answer of the probe to id 5, and would not be loaded.
  bench.clock.Advance(RequestLedger::kOwedMicros + 1);
  bench.RequestPerformance();
  EXPECT_TRUE(bench.dataProcessed);
  EXPECT_EQ(bench.deviceId, 0);
}

// The MIDI system went while the enquiry waited (its ports closed): the line keeps
// saying so rather than blame the unit.
TEST(DeviceEnquiryJob, PortsClosedDuringTheWaitLeaveTheLineToWhatClosedThem) {
  Bench bench(0, Unit(0, 1000, true));
  bench.midiIOSet = false;
  bench.Run(kJobDeviceIdEnquiry);
  EXPECT_EQ(std::count(bench.statuses.begin(), bench.statuses.end(), "No response from Hardware!"), 0);
  EXPECT_TRUE(bench.TimedOut());
}

TEST(DeviceEnquiryJob, AUnitAtIdFiveAnswersTheSixthProbe) {
  Bench bench(0, Unit(5));
  bench.Run(kJobDeviceIdEnquiry);
  std::vector<std::string> expected = {"Connecting to Hardware"};
  for (int id = 1; id <= 6; ++id) expected.push_back(Probe(id));
  expected.push_back("Plug-in is ready to go!");
  EXPECT_EQ(bench.statuses, expected);
  EXPECT_EQ(bench.deviceId, 5);
  // The project keeps the found id: a reopened one sends to it.
  EXPECT_EQ(bench.panel["kDeviceID"], 5);
  EXPECT_FALSE(bench.enquiryPending);
  EXPECT_FALSE(bench.TimedOut());
}

TEST(DeviceEnquiryJob, ACancelDuringTheProbeStopsItAtTheCurrentId) {
  Bench bench(0, Unit(9, 1000, true));
  MIDIMessageSender* sender = bench.manager.sender();
  bench.clock.ScheduleAt(17 * kStepMicros + kStepMicros / 2, [sender] { sender->requestCancel(); });
  bench.Run(kJobDeviceIdEnquiry);
  EXPECT_EQ(bench.statuses,
            (std::vector<std::string>{"Connecting to Hardware", Probe(1), Probe(2), "Data request CANCELLED!"}));
  EXPECT_FALSE(bench.enquiryPending);
  EXPECT_FALSE(bench.TimedOut());
  EXPECT_FALSE(sender->cancelRequested());  // hiding the overlay clears it
}

// A reply is taken only between steps: one that arrives in the last step is too late.
TEST(RequestJobs, AReplyInTheLastStepTimesOut) {
  struct Case {
    int job;
    double replySteps;  // from the request
    bool taken;
  };
  // The enquiry asks after one step and ends its twentieth main step 36 steps later;
  // job 6 asks at once and waits 15 steps.
  const Case cases[] = {
      {kJobDeviceIdEnquiry, 34.5, true},
      {kJobDeviceIdEnquiry, 35.5, false},
      {kJobRequestSingleMulti, 13.5, true},
      {kJobRequestSingleMulti, 14.5, false},
  };
  for (const Case& c : cases) {
    Bench bench(0, Unit(0, uint64_t(c.replySteps * kStepMicros)));
    const bool enquiry = c.job == kJobDeviceIdEnquiry;
    if (!enquiry) bench.UsePerformances();
    bench.Run(c.job);
    const std::string last = bench.statuses.empty() ? "" : bench.statuses.back();
    const char* timeOutText = enquiry ? "No response from Hardware!" : "CONNECTION TIMED OUT!";
    EXPECT_EQ(last == timeOutText, !c.taken) << c.job << " " << c.replySteps;
    EXPECT_EQ(bench.TimedOut(), !c.taken) << c.job << " " << c.replySteps;
    if (enquiry) {
      EXPECT_EQ(last == "Plug-in is ready to go!", c.taken);
    } else {
      // Taken or not, the reply came before the job ended and changed the slot.
      EXPECT_EQ(bench.Stored(0).size(), 725u);
      EXPECT_EQ(bench.unsavedMarks, 1);
    }
  }
}

// Stored programs 0-98 of bank 0 in the unit, each with its own cutoff.
void FillBank(JobTestBench& bench) {
  for (int number = 0; number < 99; ++number) {
    bench.panel.At("kFilterCutoff", 0) = number;
    Bytes dump = bench.programCoder->Build(bench.panel, 0, bench.sim.Settings().deviceId);
    dump[4] = 1;  // bank 0
    dump[5] = uint8_t(number);
    bench.sim.Receive(dump.data(), dump.size());
  }
}

TEST(RequestJobs, ABankRequestFillsTheSlotsInOrder) {
  Bench bench(0, Unit(0));
  FillBank(bench);
  bench.librarian.selectedSlot = 57;
  bench.Run(kJobRequestAllPatches);
  for (int p = 0; p < 99; ++p) {
    const Bytes slot = bench.Stored(p);
    ASSERT_GE(slot.size(), 139u) << p;
    EXPECT_EQ(Bytes(slot.begin() + 6, slot.begin() + 138), bench.sim.StoredProgram(0, p)) << p;
    EXPECT_EQ(slot[12] + 16 * slot[13], p);
  }
  EXPECT_EQ(bench.unsavedMarks, 1);
  EXPECT_EQ(bench.librarian.selectedSlot, 0);
  EXPECT_FALSE(bench.TimedOut());
}

// A port that carries one request a second time a little later (a JACK reader can
// read a writer's buffer again when the writer's cycle came late): the unit answers it
// twice. Its reply takes 150 ms and the echo comes 100 ms after the request, so the
// second reply arrives after the job asked for the next program, before that one's reply.
struct EchoingBench : Bench {
  static constexpr int kEchoed = 20;
  static constexpr uint64_t kEchoLateMicros = 100 * 1000;
  EchoingBench() : Bench(0, Unit(0, 150 * 1000)) {}
  bool checksumCheckAndSend(const unsigned char* bytes, int length) override {
    if (length == 5 && bytes[4] == kEchoed && !echoed) {
      echoed = true;
      const std::vector<unsigned char> request(bytes, bytes + length);
      clock.ScheduleIn(kEchoLateMicros, [this, request] { Bench::checksumCheckAndSend(request.data(), 5); });
    }
    return Bench::checksumCheckAndSend(bytes, length);
  }
  bool echoed = false;
};

TEST(RequestJobs, ASecondReplyToAnEarlierRequestLandsInNoSlot) {
  EchoingBench bench;
  FillBank(bench);
  bench.Run(kJobRequestAllPatches);
  ASSERT_TRUE(bench.echoed);
  for (int p = 0; p < 99; ++p) {
    const Bytes slot = bench.Stored(p);
    ASSERT_GE(slot.size(), 139u) << p;
    EXPECT_EQ(slot[5], p);
    EXPECT_EQ(Bytes(slot.begin() + 6, slot.begin() + 138), bench.sim.StoredProgram(0, p)) << p;
  }
  EXPECT_FALSE(bench.TimedOut());
  EXPECT_EQ(std::count(bench.statuses.begin(), bench.statuses.end(), "Reply from Hardware could not be read!"), 0);
}

// The slots that came are changed: the bank is marked unsaved (a refresh would drop
// them silently otherwise) and the status line says how much arrived.
TEST(RequestJobs, AUnitSilentFromProgramFortyLeavesTheFirstFortyMarkedUnsaved) {
  SynthSimSettings unit = Unit(0);
  unit.silentAfterRequests = 40;
  Bench bench(0, unit);
  FillBank(bench);
  bench.Run(kJobRequestAllPatches);
  for (int p = 0; p < 99; ++p) EXPECT_EQ(bench.Stored(p).empty(), p >= 40) << p;
  EXPECT_EQ(bench.unsavedMarks, 1);
  ASSERT_GE(bench.statuses.size(), 2u);
  // Why it stopped stays readable, the count after it.
  EXPECT_EQ(bench.statuses[bench.statuses.size() - 2], "Receiving 41 of 99");
  EXPECT_EQ(bench.statuses.back(), "CONNECTION TIMED OUT! / Only 40 of 99 programs received");
  EXPECT_TRUE(bench.TimedOut());
  EXPECT_EQ(bench.librarian.selectedSlot, 0);
}

TEST(RequestJobs, AUnitSilentFromTheFirstRequestMarksNothing) {
  SynthSimSettings unit = Unit(0);
  unit.silentAfterRequests = 0;
  Bench bench(0, unit);
  bench.UsePerformances();
  bench.Run(kJobRequestAllMulti);
  EXPECT_EQ(bench.unsavedMarks, 0);
  // Its progress while it runs, then the outcome.
  EXPECT_EQ(bench.statuses, (std::vector<std::string>{"Receiving 1 of 100", "CONNECTION TIMED OUT!"}));
}

// The active performance's request (job 4) has its own time-out text, for the panel
// and for the librarian alike, and a silent unit changes no slot.
TEST(RequestJobs, ASilentUnitEndsTheActivePerformanceRequestWithNoResponseFromNord) {
  for (bool toPanel : {true, false}) {
    SCOPED_TRACE(toPanel);
    Bench bench(0, Unit(0, 1000, true));
    bench.UsePerformances();
    JobArgs args = JobTestBench::Job(kJobRequestArrangement);
    args.toPanel = toPanel;
    bench.Run(args);
    ASSERT_FALSE(bench.statuses.empty());
    EXPECT_EQ(bench.statuses.back(), "No response from Nord!");
    EXPECT_EQ(std::count(bench.statuses.begin(), bench.statuses.end(), "CONNECTION TIMED OUT!"), 0);
    EXPECT_TRUE(bench.TimedOut());
    EXPECT_FALSE(bench.overlayVisible);
    EXPECT_FALSE(bench.dataProcessed);
    EXPECT_EQ(bench.unsavedMarks, 0);
    EXPECT_TRUE(bench.Stored(0).empty());
  }
}

TEST(RequestJobs, ACancelledBankSaysHowManyPerformancesCame) {
  Bench bench(0, Unit(0));
  bench.UsePerformances();
  MIDIMessageSender* sender = bench.manager.sender();
  // Each performance takes one step: the cancel falls in the fourth, whose reply has
  // come and is kept (and counted) though the job stops.
  bench.clock.ScheduleAt(3 * kStepMicros + kStepMicros / 2, [sender] { sender->requestCancel(); });
  bench.Run(kJobRequestAllMulti);
  EXPECT_EQ(bench.unsavedMarks, 1);
  EXPECT_EQ(bench.statuses, (std::vector<std::string>{
                                "Receiving 1 of 100", "Receiving 2 of 100", "Receiving 3 of 100", "Receiving 4 of 100",
                                "Data request Cancelled! / Only 4 of 100 performances received"}));
  EXPECT_FALSE(bench.Stored(3).empty());
  EXPECT_TRUE(bench.Stored(4).empty());
}

TEST(RequestJobs, RequestsCarryTheTypeAndNumberOfTheModel) {
  struct Case {
    int model, job, bank, slot, selected;
    bool useActiveSlot;
    uint8_t type, number;
  };
  const Case cases[] = {
      {2, kJobRequestAllPatches, 9, 0, 0, false, 0x18, 0},    {1, kJobRequestAllPatches, 3, 0, 0, false, 0x0E, 0},
      {2, kJobRequestPart, 0, 2, 0, false, 0x0E, 2},          {0, kJobRequestPart, 0, 3, 0, false, 0x0A, 3},
      {1, kJobRequestAllMulti, 1, 0, 0, false, 0x29, 0},      {2, kJobRequestAllMulti, 1, 0, 0, false, 0x2A, 0},
      {1, kJobRequestSingleMulti, 3, 0, 42, false, 0x29, 42}, {2, kJobRequestSingleMulti, 3, 0, 99, false, 0x2C, 99},
      {2, kJobRequestSinglePatch, 2, 0, 98, false, 0x11, 98}, {1, kJobRequestSinglePatch, 0, 0, 7, true, 0x0A, 1},
      {1, kJobRequestArrangement, 0, 0, 0, false, 0x28, 0},
  };
  for (const Case& c : cases) {
    Bench bench(3, Unit(0, 1000, true), c.model);
    const bool performances =
        c.job == kJobRequestAllMulti || c.job == kJobRequestSingleMulti || c.job == kJobRequestArrangement;
    if (performances) bench.UsePerformances();
    bench.activeSlot = 1;
    bench.librarian.selectedSlot = c.selected;
    JobArgs args = JobTestBench::Job(c.job);
    args.bank = c.bank;
    args.slot = c.slot;
    args.useActiveSlot = c.useActiveSlot;
    bench.Run(args);
    const auto sent = bench.sim.Received();
    ASSERT_FALSE(sent.empty()) << c.job;
    EXPECT_EQ(sent.front(), (Bytes{0xF0, 0x33, 3, 0x04, c.type, c.number, 0xF7}))
        << "model " << c.model << " job " << c.job;
  }
}

// A slot outside the bank would go out as a wrong program number (-1 as 0xFF), and
// its reply could not be kept: nothing is asked, and the status line says why.
TEST(RequestJobs, ASelectedSlotOutsideTheBankSendsNothing) {
  struct Case {
    int job, slot;
    bool useActiveSlot;
  };
  const Case cases[] = {{kJobRequestSinglePatch, -1, false},
                        {kJobRequestSinglePatch, 99, false},
                        {kJobRequestSinglePatch, 99, true},
                        {kJobRequestSingleMulti, -1, false},
                        {kJobRequestSingleMulti, 100, false}};
  for (const Case& c : cases) {
    Bench bench(0, Unit(0));
    if (c.job == kJobRequestSingleMulti) bench.UsePerformances();
    bench.librarian.selectedSlot = c.slot;
    JobArgs args = JobTestBench::Job(c.job);
    args.useActiveSlot = c.useActiveSlot;
    bench.Run(args);
    EXPECT_EQ(bench.sim.ReceivedCount(), 0u) << c.job << " slot " << c.slot;
    EXPECT_EQ(bench.statuses, std::vector<std::string>{"Not requested: selected row is outside the bank"});
    EXPECT_EQ(bench.unsavedMarks, 0);
    EXPECT_FALSE(bench.overlayVisible);
    EXPECT_FALSE(bench.manager.patchRequest.isArmed());
  }
}

// Every request into the librarian, in each refusing state: nothing is asked of the
// unit, nothing is marked, and the status line says why.
TEST(RequestJobs, ARequestNothingCanKeepIsRefusedBeforeItIsSent) {
  struct Case {
    const char* what;
    int job;
    bool performanceJob, useActiveSlot;
    int libraryType;  // the librarian's current list
    bool noBank;
  };
  const Case cases[] = {
      {"program, no bank", kJobRequestSinglePatch, false, false, 0, true},
      {"active slot, no bank", kJobRequestSinglePatch, false, true, 0, true},
      {"program bank, no bank", kJobRequestAllPatches, false, false, 0, true},
      {"program, performances shown", kJobRequestSinglePatch, false, false, 1, false},
      {"temp buffer, no bank", kJobRequestArrangement, true, false, 1, true},
      {"performance, no bank", kJobRequestSingleMulti, true, false, 1, true},
      {"performance bank, programs shown", kJobRequestAllMulti, true, false, 0, false},
      {"performance, programs shown", kJobRequestSingleMulti, true, false, 0, false},
  };
  for (const Case& c : cases) {
    Bench bench(0, Unit(0));
    bench.perfMode = c.performanceJob;
    bench.librarian.patchType = c.libraryType;
    if (c.noBank) bench.librarian.upperFileIndex = 5;
    bench.librarian.selectedSlot = 3;
    bench.manager.patchRequest.arm();  // as the menu's starter does
    JobArgs args = JobTestBench::Job(c.job);
    args.useActiveSlot = c.useActiveSlot;
    bench.Run(args);
    EXPECT_EQ(bench.sim.ReceivedCount(), 0u) << c.what;
    // A bank of the other kind open is named as such.
    const std::string why = !c.noBank && c.performanceJob ? "a performance does not go into a program bank"
                            : !c.noBank                   ? "a program does not go into a performance bank"
                                                          : "no bank of this kind open";
    EXPECT_EQ(bench.statuses, std::vector<std::string>{"Not requested: " + why}) << c.what;
    EXPECT_EQ(bench.unsavedMarks, 0) << c.what;
    EXPECT_FALSE(bench.manager.patchRequest.isArmed()) << c.what;
    EXPECT_FALSE(bench.manager.performanceRequest.isArmed()) << c.what;
    EXPECT_EQ(bench.Now(), 0u) << c.what;  // no wait
  }
}

// The bank goes (a rescan) while the reply is on its way: the refusal ends the wait at
// once and says why, with no unsaved mark.
TEST(RequestJobs, AReplyTheLibrarianRefusesEndsTheWait) {
  Bench bench(0, Unit(0, 50 * 1000));
  bench.librarian.selectedSlot = 8;
  bench.clock.ScheduleAt(10 * 1000, [&bench] { bench.librarian.upperFileIndex = 5; });
  bench.Run(kJobRequestSinglePatch);
  EXPECT_EQ(bench.statuses.back(), "Not stored: no bank of this kind open");
  EXPECT_EQ(bench.unsavedMarks, 0);
  EXPECT_EQ(bench.Now(), kStepMicros);  // taken after the first step
  EXPECT_FALSE(bench.TimedOut());
}

TEST(RequestJobs, ABankWhoseFileGoesStopsAndCountsWhatWasKept) {
  Bench bench(0, Unit(0));
  FillBank(bench);
  // One program a step: the bank goes during the sixth.
  bench.clock.ScheduleAt(5 * kStepMicros + kStepMicros / 2, [&bench] { bench.librarian.upperFileIndex = 5; });
  bench.Run(kJobRequestAllPatches);
  EXPECT_EQ(bench.sim.ReceivedCount(), 99u + 7u);  // the filled bank, then seven requests
  EXPECT_EQ(bench.unsavedMarks, 1);
  ASSERT_GE(bench.statuses.size(), 2u);
  EXPECT_EQ(bench.statuses.back(), "Not stored: no bank of this kind open / Only 6 of 99 programs received");
}

// A reply that comes but cannot be read is not "no response".
TEST(RequestJobs, AReplyThatCannotBeReadIsSaidSo) {
  for (const int job : {kJobDeviceIdEnquiry, kJobRequestPart, kJobRequestSinglePatch, kJobRequestAllPatches}) {
    SynthSimSettings unit = Unit(0);
    unit.wrongSizeReplies = true;
    Bench bench(0, unit);
    bench.Run(job);
    EXPECT_EQ(bench.statuses.back(), "Reply from Hardware could not be read!") << job;
    EXPECT_TRUE(bench.TimedOut()) << job;
    EXPECT_EQ(bench.unsavedMarks, 0) << job;
  }
  // A silent unit still gives no response.
  Bench silent(0, Unit(0, 1000, true));
  silent.Run(kJobRequestSinglePatch);
  EXPECT_EQ(silent.statuses.back(), "No response from Hardware!");
}

TEST(RequestJobs, RepliesGoToThePanelOrTheLibrarian) {
  Bench bench(0, Unit(0));
  bench.sim.SetValue("kFilterCutoff", 2, 99);
  JobArgs part = JobTestBench::Job(kJobRequestPart);
  part.slot = 2;
  part.toPanel = true;
  bench.Run(part);
  EXPECT_EQ(bench.panel.At("kFilterCutoff", 2), 99);
  // The line is cleared while the request waits; the job says the outcome: the
  // editor's SysEx input says nothing while a transfer runs.
  EXPECT_EQ(bench.statuses, (std::vector<std::string>{"", "Data processed - Ready!"}));

  bench.UsePerformances();
  bench.librarian.selectedSlot = 4;
  bench.Run(kJobRequestArrangement);
  EXPECT_EQ(bench.Stored(4).size(), 725u);
  EXPECT_EQ(bench.unsavedMarks, 1);

  JobArgs toPanel = JobTestBench::Job(kJobRequestArrangement);
  toPanel.toPanel = true;
  bench.Run(toPanel);
  EXPECT_TRUE(bench.manager.tabRefreshPending);
  EXPECT_TRUE(bench.dataProcessed);
  EXPECT_EQ(bench.unsavedMarks, 1);
}

// The ports close under a bank fetch (chosen OFF, or the MIDI system gone): it ends
// at once and says so and how much came, rather than wait out an answer that cannot
// come and blame the unit.
TEST(RequestJobs, PortsClosedUnderABankFetchEndItAtOnce) {
  struct ClosingBench : Bench {
    using Bench::Bench;
    void showStatus(const std::string& text) override {
      Bench::showStatus(text);
      if (text == "Receiving 41 of 99") midiIOSet = false;
    }
  };
  SynthSimSettings unit = Unit(0);
  unit.silentAfterRequests = 40;
  ClosingBench bench(0, unit);
  FillBank(bench);
  bench.Run(kJobRequestAllPatches);
  EXPECT_EQ(bench.statuses.back(), "Set MIDI I/O First! / Only 40 of 99 programs received");
  EXPECT_LE(bench.StepsUntil(bench.statuses.back()) - bench.StepsUntil("Receiving 41 of 99"), 1.0);
  EXPECT_FALSE(bench.TimedOut());
}

TEST(RequestJobs, WithoutPortsTheRequestWaitsOutItsTime) {
  Bench bench(0, Unit(0));
  bench.midiIOSet = false;
  bench.Run(kJobRequestPart);
  ASSERT_GE(bench.statuses.size(), 3u);
  EXPECT_EQ(bench.statuses[1], "Set MIDI I/O First!");
  EXPECT_EQ(bench.statuses.back(), "No response from Hardware!");
  EXPECT_EQ(bench.sim.ReceivedCount(), 0u);
}

// The requests the unit received, as "type number", in order.
std::vector<std::string> RequestsReceived(const SynthSim& sim) {
  std::vector<std::string> found;
  for (const Bytes& m : sim.Received())
    if (m.size() == 7 && m[0] == 0xF0 && m[1] == 0x33)
      found.push_back(std::to_string(m[4]) + " " + std::to_string(m[5]));
  return found;
}

// Each model family reads the other's program requests as something else or not at
// all: an unanswered one is checked with slot A's request in the other form.
TEST(RequestJobs, AUnitOfTheOtherModelsThatDoesNotAnswerIsNamed) {
  struct Case {
    const char* what;
    int panelModel, unitModel, job, bank;
    std::string lastRequest, text;
  };
  const Case cases[] = {
      {"slot program, NL2 panel, NL2x unit", 1, 2, kJobRequestPart, 0, "14 0",
       "Unit answers NL2x requests: check model!"},
      {"stored program, NL2 panel, NL2x unit", 1, 2, kJobRequestSinglePatch, 1, "14 0",
       "Unit answers NL2x requests: check model!"},
      {"bank, NL2x panel, NL1 unit", 2, 0, kJobRequestAllPatches, 5, "10 0",
       "Unit answers NL1/NL2 requests: check model!"},
      {"stored performance, NL2x panel, NL2 unit", 2, 1, kJobRequestSingleMulti, 3, "10 0",
       "Unit answers NL1/NL2 requests: check model!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bench bench(7, Unit(7), c.panelModel);
    SynthSimSettings unit = Unit(7);
    unit.model = c.unitModel;
    bench.sim.SetSettings(unit);
    bench.sim.SetValue("kFilterCutoff", 0, 99);
    const int cutoff = bench.panel.At("kFilterCutoff", 0);
    if (c.job == kJobRequestSingleMulti) bench.UsePerformances();
    JobArgs args = JobTestBench::Job(c.job);
    args.bank = c.bank;
    args.toPanel = c.job == kJobRequestPart;
    bench.Run(args);
    ASSERT_FALSE(bench.statuses.empty());
    EXPECT_EQ(bench.statuses.back(), c.text);
    EXPECT_TRUE(bench.TimedOut());
    const auto requests = RequestsReceived(bench.sim);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back(), c.lastRequest);
    // The check's answer is loaded nowhere.
    EXPECT_EQ(bench.panel.At("kFilterCutoff", 0), cutoff);
    EXPECT_EQ(bench.unsavedMarks, 0);
    EXPECT_TRUE(bench.Stored(0).empty());
  }
}

// An NL1/NL2 panel asks for CARD 3 with 0x0E, which an NL2x reads as "send slot": its
// four edit slots come back, as type 0. They are no programs of CARD 3.
TEST(RequestJobs, TheOtherModelsAnswerToABankRequestIsNotLoaded) {
  Bench bench(7, Unit(7), 1);
  SynthSimSettings unit = Unit(7);
  unit.model = 2;
  bench.sim.SetSettings(unit);
  JobArgs args = JobTestBench::Job(kJobRequestAllPatches);
  args.bank = 3;
  bench.Run(args);
  for (int p = 0; p < 4; ++p) EXPECT_TRUE(bench.Stored(p).empty()) << p;
  EXPECT_EQ(bench.unsavedMarks, 0);
  EXPECT_EQ(bench.statuses.back(), "Unit answers NL2x requests: check model!");
  // It stopped at the first answer: one request went out.
  EXPECT_EQ(RequestsReceived(bench.sim), (std::vector<std::string>{"14 0"}));
}

// The same for one stored program asked into the selected slot.
TEST(RequestJobs, TheOtherModelsAnswerToOneProgramRequestIsNotLoaded) {
  Bench bench(7, Unit(7), 1);
  SynthSimSettings unit = Unit(7);
  unit.model = 2;
  bench.sim.SetSettings(unit);
  bench.librarian.selectedSlot = 2;
  JobArgs args = JobTestBench::Job(kJobRequestSinglePatch);
  args.bank = 3;
  bench.Run(args);
  EXPECT_TRUE(bench.Stored(2).empty());
  EXPECT_EQ(bench.unsavedMarks, 0);
  EXPECT_EQ(bench.statuses.back(), "Unit answers NL2x requests: check model!");
}

// The check's answer takes 1.4 s, past the check's five steps; the next request is
// asked at once and the answer arrives during it. It answers the check, not the
// request: nothing is loaded.
TEST(RequestJobs, TheChecksLateAnswerIsNotTakenForTheNextRequests) {
  Bench bench(7, Unit(7, 1400 * 1000), 1);
  SynthSimSettings unit = Unit(7, 1400 * 1000);
  unit.model = 2;
  bench.sim.SetSettings(unit);
  bench.sim.SetValue("kFilterCutoff", 0, 99);
  const int cutoff = bench.panel.At("kFilterCutoff", 0);
  JobArgs args = JobTestBench::Job(kJobRequestPart);
  args.toPanel = true;
  bench.Run(args);
  EXPECT_EQ(bench.statuses.back(), "No response from Hardware!");
  bench.statuses.clear();
  bench.Run(args);
  EXPECT_EQ(bench.panel.At("kFilterCutoff", 0), cutoff);
  EXPECT_FALSE(bench.Shown("Data processed - Ready!"));
  EXPECT_FALSE(bench.dataProcessed);
}

// The check asks right after a request of this family went unanswered: the check's
// answer, 400 ms late, also reads as that request's slot A. It is the check's.
TEST(RequestJobs, TheChecksAnswerIsNotTakenForTheUnansweredRequestBeforeIt) {
  Bench bench(7, Unit(7, 400 * 1000), 1);
  SynthSimSettings unit = Unit(7, 400 * 1000);
  unit.model = 2;
  bench.sim.SetSettings(unit);
  JobArgs args = JobTestBench::Job(kJobRequestPart);
  args.toPanel = true;
  bench.Run(args);
  EXPECT_EQ(bench.statuses.back(), "Unit answers NL2x requests: check model!");
}

// A unit that came late to its first request: the answer the next request gets could
// be the first one's, so it is not loaded and the request is asked again; the answer
// to that is loaded.
TEST(RequestJobs, AnAnswerThatMayBeLateIsPassedOverAndTheRequestAskedAgain) {
  Bench bench(7, Unit(7, 1000, true), 1);
  bench.sim.SetValue("kFilterCutoff", 0, 99);
  JobArgs args = JobTestBench::Job(kJobRequestPart);
  args.toPanel = true;
  bench.Run(args);
  EXPECT_EQ(bench.statuses.back(), "No response from Hardware!");
  bench.sim.SetSettings(Unit(7));
  bench.statuses.clear();
  const size_t before = RequestsReceived(bench.sim).size();
  bench.Run(args);
  EXPECT_EQ(bench.panel.At("kFilterCutoff", 0), 99);
  EXPECT_EQ(bench.statuses.back(), "Data processed - Ready!");
  // Slot A's request three times: the first run asked the unit's id twice (the
  // request and its probe), and an answer was owed to each. (Its check asked in the
  // other family's form, which the unit does not answer with slot A.)
  const std::vector<std::string> all = RequestsReceived(bench.sim);
  EXPECT_EQ(std::vector<std::string>(all.begin() + long(before), all.end()),
            (std::vector<std::string>{"10 0", "10 0", "10 0"}));
}

// A unit answering in 4.5-6 s: slot A's request is probed at the unit's id before
// its answer comes, so the unit answers slot A twice, the second time while slot B's
// request (asked a quarter second after) waits. That answer is owed to slot A's probe:
// slot B's request still loads its own.
TEST(RequestJobs, AProbesSecondAnswerDuringTheNextRequestLeavesItToItsOwn) {
  for (const uint64_t latencyMicros : {4500 * 1000, 5500 * 1000, 6000 * 1000}) {
    Bench bench(0, Unit(0, latencyMicros), 1);
    bench.sim.SetValue("kFilterCutoff", 1, 77);
    JobArgs args = JobTestBench::Job(kJobRequestPart);
    args.toPanel = true;
    bench.Run(args);
    ASSERT_EQ(bench.statuses.back(), "Data processed - Ready!") << latencyMicros;
    bench.clock.Advance(250 * 1000);
    args.slot = 1;
    bench.Run(args);
    EXPECT_EQ(bench.statuses.back(), "Data processed - Ready!") << latencyMicros;
    EXPECT_EQ(bench.panel.At("kFilterCutoff", 1), 77) << latencyMicros;
    const std::vector<Bytes> asked = bench.sim.Received();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), Bytes{0xF0, 0x33, 0, 0x04, 0x0A, 0, 0xF7}), 2)
        << "slot A, then its probe at the unit's id";
  }
}

// Owed answers are forgotten after their time; both families' answers count.
TEST(RequestLedger, AnOwedAnswerIsLateOnlyWithinItsTimeAndFromItsUnit) {
  EXPECT_EQ(ReplyType(0x0E, 1), 4);
  EXPECT_EQ(ReplyType(0x0E, 2), 0);
  EXPECT_EQ(ReplyType(0x0A, 2), kNoReplyType);
  EXPECT_EQ(ReplyType(0x29 + 3, 2), 0x1F + 3);
  RequestLedger ledger;
  ledger.sent(5, 0x0E, 0, 2);
  ledger.ended(1000);
  EXPECT_FALSE(ledger.late(6, 0, 0, 2000)) << "another unit";
  EXPECT_FALSE(ledger.late(5, 0, 1, 2000)) << "another number";
  EXPECT_TRUE(ledger.late(5, 4, 0, 2000)) << "the first family's answer";
  EXPECT_FALSE(ledger.late(5, 0, 0, 2000)) << "paid";
  ledger.sent(5, 0x0E, 0, 2);
  ledger.ended(1000);
  EXPECT_FALSE(ledger.late(5, 0, 0, 1000 + RequestLedger::kOwedMicros + 1)) << "forgotten";
  EXPECT_EQ(ledger.owed(), 0u);
  // Forgotten too when no dump ever comes: a silent unit asked again and again.
  for (uint64_t t = 0; t < 10 * RequestLedger::kOwedMicros; t += 1000000) {
    ledger.sent(5, 0x0A, 0, 1);
    ledger.ended(t);
  }
  EXPECT_LE(ledger.owed(), size_t(RequestLedger::kOwedMicros / 1000000 + 1));
}

TEST(RequestJobs, AnUnansweredCheckLeavesNoResponse) {
  // A silent unit of either family: the check goes out and nothing is named.
  for (const int model : {1, 2}) {
    Bench bench(0, Unit(0, 1000, true), model);
    JobArgs args = JobTestBench::Job(kJobRequestPart);
    args.toPanel = true;
    bench.Run(args);
    EXPECT_EQ(bench.statuses.back(), "No response from Hardware!") << model;
    EXPECT_EQ(RequestsReceived(bench.sim).back(), model == 2 ? "10 0" : "14 0") << model;
  }
  // A unit of the panel's own model late with its reply is the same model: the stored
  // program arriving during the check is not taken for the other family's answer.
  Bench late(0, Unit(0, 37 * kStepMicros + kStepMicros / 2), 1);
  late.librarian.selectedSlot = 3;
  late.Run(kJobRequestSinglePatch);
  EXPECT_EQ(late.statuses.back(), "No response from Hardware!");
  EXPECT_TRUE(late.Stored(3).empty());
}

}  // namespace
