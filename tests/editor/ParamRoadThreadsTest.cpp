// The parameter road: the dispatcher's stages, a knob's way to the synthesizer, and
// resends asked for while worker (transfer) is busy. Resends start real worker threads.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IGraphicsMac.h"
#include "Kit_Mutex.h"
#include "RoadTestSupport.h"
#include "layout/UIConfigManager.h"
#include "librarian/TavroParams.h"
#include "messaging/SendOutcome.h"
#include "messaging/TransferJobSteps.h"

namespace {

using Message = MidiPortFake::Message;
using Jobs = std::vector<std::pair<int, int>>;

constexpr int kFilterType = 156;  // + slot, CC 44
constexpr int kSlotABOutMode = 310;
constexpr int kLocalControl = 346;
constexpr int kMultiName = 353;
constexpr int kPatchName = 354;  // + slot

std::string Status(const Tavro& t) {
  return t.keptControls().statusText ? t.keptControls().statusText->GetTextString() : "";
}

// Messages sent from position `from` on.
std::vector<Message> Since(const RoadFixture& f, size_t from) {
  const std::vector<Message> all = f.sent();
  return std::vector<Message>(all.begin() + long(std::min(from, all.size())), all.end());
}

TEST(Dispatcher, EachStageDoesWhatItsRowSays) {
  struct Row {
    const char* what;
    int param;
    double value;
    bool port;
    size_t messages;  // sent in all
    Message first;    // the first of them, when any
    Jobs jobs;
  };
  const Message noteOffA{0x80, 127, 64}, noteOffB{0x81, 127, 64};
  const Row rows[] = {
      {"cutoff knob of slot A", kFilterCutoff, 80, true, 1, {0xB0, kCutoffCC, 80}, {}},
      {"cutoff knob without a port", kFilterCutoff + 2, 80, false, 0, {}, {}},
      {"program name of slot B", kPatchName + 1, 0, true, 127, noteOffB, {{kJobSendPart, 1}}},
      {"performance name", kMultiName, 0, true, 4 * 127, noteOffA, {{kJobSendArrangement, 0}}},
      {"part channel of slot C", kPartMidiChannel + 2, 9, true, 4 * 127, noteOffA, {{kJobSendArrangement, 0}}},
      {"a performance setting", kSlotABOutMode, 1, true, 4 * 127, noteOffA, {{kJobSendArrangement, 0}}},
      {"a performance setting without a port", kSlotABOutMode, 1, false, 0, {}, {}},
      {"device id", kDeviceID, 7, true, 0, {}, {}},
      {"local control", kLocalControl, 1, true, 0, {}, {}},
      {"bank edited flag (read-out only)", kBankEditUnsaved, 1, true, 0, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    RoadFixture f;
    if (row.port) f.openOutput();
    f.edit(row.param, row.value);
    f.settle();
    const std::vector<Message> sent = f.sent();
    EXPECT_EQ(sent.size(), row.messages);
    if (!sent.empty()) {
      EXPECT_EQ(sent.front(), row.first);
    }
    EXPECT_EQ(JobRecord::Get().Runs(), row.jobs);
  }

  RoadFixture f;
  f.openOutput();
  f.edit(kPartMidiChannel + 2, 9);
  EXPECT_EQ(f.plug->slotTables().slotChannels[2], 9);  // stored before the notes off went out
  EXPECT_EQ(f.sent()[2 * 127], (Message{0x88, 127, 64}));
  f.edit(kDeviceID, 7);
  EXPECT_EQ(f.plug->unitLink().deviceId, 7);
  f.edit(kLocalControl, 1);
  EXPECT_TRUE(f.plug->midiFilters().localControl);
  f.edit(kLocalControl, 0);
  EXPECT_FALSE(f.plug->midiFilters().localControl);
}

TEST(Dispatcher, AKnobIsReadOutMirroredToSlotsOnItsChannelAndSentOnce) {
  struct Row {
    std::array<int, 4> channels;
    std::array<bool, 4> follows;  // slots B-D of the edited slot A
  };
  const Row rows[] = {
      {{1, 1, 1, 1}, {true, true, true, true}},
      {{1, 2, 1, 4}, {true, false, true, false}},
      {{1, 2, 3, 4}, {true, false, false, false}},
  };
  for (const Row& row : rows) {
    RoadFixture f;
    f.openOutput();
    for (int s = 0; s < kSlotCount; ++s) f.plug->GetParam(kPartMidiChannel + s)->Set(row.channels[size_t(s)]);
    for (int s = 1; s < kSlotCount; ++s) f.plug->GetParam(kFilterCutoff + s)->Set(3);
    f.edit(kFilterCutoff, 90);
    for (int s = 1; s < kSlotCount; ++s)
      EXPECT_EQ(f.plug->GetParam(kFilterCutoff + s)->Value(), row.follows[size_t(s)] ? 90 : 3) << s;
    EXPECT_EQ(f.sent(), (std::vector<Message>{{0xB0, kCutoffCC, 90}}));
    EXPECT_EQ(Status(*f.plug), f.plug->GetParam(kFilterCutoff)->GetNameForHost());
    EXPECT_NE(f.plug->keptControls().valueText->GetTextString().find("90"), std::string::npos);
  }
}

TEST(Dispatcher, IndicesOutsideTheTableAreIgnored) {
  RoadFixture f;
  f.openOutput();
  for (int p : {-1, int(kTavroParamCount), 1 << 30}) f.plug->OnParamChange(p);
  f.plug->processControlAction(f.action(kFilterCutoff), kTavroParamCount, 50);
  f.plug->processControlAction(nullptr, kFilterCutoff, 50);
  EXPECT_TRUE(f.sent().empty());
}

TEST(Dispatcher, ASelectorValueShowsThatChildOnly) {
  RoadFixture f;
  ControlAction* action = f.action(kBankEditUnsaved);
  ASSERT_NE(action, nullptr);
  ControlLayer selector(0, "selector");
  for (int id = 0; id < 3; ++id) selector.AddChildLayer(new ControlLayer(id, "page" + std::to_string(id)));
  selector.Hide(false);
  action->selectorLayer = &selector;
  f.edit(kBankEditUnsaved, 2);
  action->selectorLayer = nullptr;
  EXPECT_EQ(selector.GetActiveChildID(), 2);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(selector.GetChildLayer(i)->IsShown(), i == 2) << i;
}

TEST(KnobRoad, ADragOnSlotACutoffSendsItsValueOnChannel1) {
  RoadFixture f;
  f.openOutput();
  IControl* knob = nullptr;
  for (IControl* c : f.action(kFilterCutoff)->boundControls)
    if (!c->IsHidden()) knob = c;
  ASSERT_NE(knob, nullptr);
  const IRECT r = knob->GetRECT();
  const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
  IMouseMod left(true);
  f.plug->graphics->OnMouseDown(x, y, &left);
  // Down, then up: the knob moves whatever it started at.
  for (int dy = 4; dy <= 40; dy += 4) f.plug->graphics->OnMouseDrag(x, y + dy, &left);
  for (int dy = 36; dy >= -40; dy -= 4) f.plug->graphics->OnMouseDrag(x, y + dy, &left);
  f.plug->graphics->OnMouseUp(x, y - 40, &left);
  const std::vector<Message> sent = f.sent();
  ASSERT_FALSE(sent.empty());
  for (const Message& m : sent) {
    EXPECT_EQ(m[0], 0xB0);
    EXPECT_EQ(m[1], kCutoffCC);
  }
  EXPECT_EQ(sent.back()[2], f.plug->GetParam(kFilterCutoff)->Int());
}

TEST(KnobRoad, WholeValuesOnTheSlotsChannel) {
  struct Step {
    const char* what;
    int param;
    double value;
    std::vector<Message> sent;
  };
  const Step steps[] = {
      {"64", kFilterCutoff, 64, {{0xB0, kCutoffCC, 64}}},
      {"64.7 is 64 again", kFilterCutoff, 64.7, {}},
      {"65.2", kFilterCutoff, 65.2, {{0xB0, kCutoffCC, 65}}},
      {"slot B on channel 10", kFilterCutoff + 1, 20, {{0xB9, kCutoffCC, 20}}},
      {"filter type 4", kFilterType, 4, {{0xB0, 44, 4}}},
      {"filter type 5: the performance instead", kFilterType, 5, {}},
      {"slot D on channel 0", kFilterCutoff + 3, 30, {}},
      {"slot C on channel 17", kFilterCutoff + 2, 30, {}},
  };
  RoadFixture f;
  f.openOutput();
  f.plug->GetParam(kPartMidiChannel + 1)->Set(10);
  f.plug->GetParam(kPartMidiChannel + 2)->Set(17);
  f.plug->GetParam(kPartMidiChannel + 3)->Set(0);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const size_t before = f.sent().size();
    f.edit(step.param, step.value);
    EXPECT_EQ(Since(f, before), step.sent);
  }
  f.settle();
  EXPECT_EQ(JobRecord::Get().Runs(), (Jobs{{kJobSendArrangement, 0}}));
}

TEST(KnobRoad, WithoutAPortTheValueWaitsForOne) {
  RoadFixture f;
  f.edit(kFilterCutoff, 80);
  EXPECT_EQ(Status(*f.plug), "Set MIDI I/O First!");
  f.plug->showStatus("");
  f.plug->processControlAction(f.action(kDeviceOutSelection), kDeviceOutSelection, 3);
  EXPECT_EQ(Status(*f.plug), "");  // the port selectors say nothing
  f.openOutput();
  f.plug->OnParamChange(kFilterCutoff);
  EXPECT_EQ(f.sent(), (std::vector<Message>{{0xB0, kCutoffCC, 80}}));
}

// Without a MIDI Out, an edit meant for the unit changes the panel, sends nothing and
// says why, whichever road it takes; no text claims it reached the unit.
TEST(KnobRoad, WithoutAPortEveryEditForTheUnitSaysSo) {
  const struct {
    const char* what;
    int param;
    double value;
  } kRoads[] = {
      {"a knob", kFilterCutoff, 80},
      {"Rand", kRandomize, 1},
      {"a slot's solo", kSlotSolo + 1, 1},
      {"a part's MIDI channel", kPartMidiChannel + 2, 5},
  };
  for (const auto& road : kRoads) {
    SCOPED_TRACE(road.what);
    RoadFixture f;
    f.plug->showStatus("");
    f.edit(road.param, road.value);
    f.settle();
    EXPECT_EQ(Status(*f.plug), kSetPortsFirst);
    EXPECT_TRUE(f.sent().empty());
  }
}

// A control change the port refuses (the unit unplugged) is said, not passed over.
TEST(KnobRoad, AControlChangeThePortRefusesSaysSo) {
  RoadFixture f;
  f.openOutput();
  f.edit(kFilterCutoff, 64);
  ASSERT_EQ(f.sent().size(), 1u);
  EXPECT_NE(Status(*f.plug), kMidiSendFailed);
  f.ports->RemovePort(RoadFixture::kSynthIn);
  f.edit(kFilterCutoff, 65);
  EXPECT_EQ(Status(*f.plug), kMidiSendFailed);
}

// The jobs' dumps and requests learn from the answer whether their SysEx went out.
TEST(KnobRoad, ASysExThePortRefusesIsAnsweredUnsent) {
  RoadFixture f;
  f.openOutput();
  const unsigned char request[] = {0xF0, 0x33, 0x00, 0x06, 0x0A, 0x00, 0xF7};
  EXPECT_TRUE(f.plug->checksumCheckAndSend(request, int(sizeof request)));
  f.ports->RemovePort(RoadFixture::kSynthIn);
  EXPECT_FALSE(f.plug->checksumCheckAndSend(request, int(sizeof request)));
}

TEST(KnobRoad, ASwitchSendsItsOffAndOnValues) {
  RoadFixture f;
  f.openOutput();
  const int p = f.firstOfKind(kActionCCSwitch);
  ASSERT_GE(p, 0);
  const ControlAction& a = *f.action(p);
  const unsigned char cc = (unsigned char)a.ccNumber, off = (unsigned char)a.offValue, on = (unsigned char)a.onValue;
  for (double v : {1.0, 0.0, -1.0, 0.0, 3.0}) f.edit(p, v);
  EXPECT_EQ(f.sent(),
            (std::vector<Message>{{0xB0, cc, on}, {0xB0, cc, off}, {0xB0, cc, on}, {0xB0, cc, off}, {0xB0, cc, on}}));
}

TEST(KnobRoad, ANoValueKnobResendsTheActiveSlotsProgram) {
  RoadFixture f;
  f.openOutput();
  const int p = f.firstOfKind(kActionProgramResend, kAdjustDAWOffset);
  ASSERT_GE(p, 0);
  f.plug->setActiveSlot(2);
  f.edit(p, 1);
  f.settle();
  EXPECT_TRUE(f.sent().empty());
  EXPECT_EQ(JobRecord::Get().Runs(), (Jobs{{kJobSendPart, 2}}));
}

TEST(KnobRoad, ChangesFromTheSynthesizerAndMirrorsAreNotSentBack) {
  struct Row {
    bool hardwareChange, applying, localControl;
    int fromHost;
    bool sent;
  };
  const Row rows[] = {
      {false, false, false, 0, true}, {false, false, true, 0, true}, {false, true, false, 0, true},
      {false, true, true, 0, false},  {false, true, true, 1, true},  {false, true, false, 1, true},
      {true, false, false, 1, false}, {true, true, false, 1, false},
  };
  RoadFixture f;
  f.openOutput();
  double value = 10;
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.hardwareChange << row.applying << row.localControl << row.fromHost);
    f.plug->setHardwareChangeActive(row.hardwareChange);
    f.plug->midiManager->applyingHardwareValue = row.applying;
    f.plug->setLocalControl(row.localControl);
    f.plug->midiManager->fromHost = row.fromHost;
    const size_t before = f.sent().size();
    f.edit(kFilterCutoff, ++value);
    EXPECT_EQ(Since(f, before).size(), row.sent ? 1u : 0u);
  }

  f.plug->setHardwareChangeActive(false);
  f.plug->midiManager->applyingHardwareValue = false;
  f.plug->setLinkInProgress(true);
  const size_t before = f.sent().size();
  f.plug->processControlAction(f.action(kFilterCutoff + 1), kFilterCutoff + 1, 300);
  f.plug->setLinkInProgress(false);
  EXPECT_EQ(Since(f, before).size(), 0u);
  EXPECT_EQ(f.plug->GetParam(kFilterCutoff + 1)->Value(), f.plug->GetParam(kFilterCutoff + 1)->GetMax());
}

TEST(KnobRoad, ValuesThatAreNoNumbersOrHugeSendNothingWrong) {
  RoadFixture f;
  f.openOutput();
  ControlAction* a = f.action(kFilterCutoff);
  for (double v : {std::nan(""), HUGE_VAL, -HUGE_VAL}) f.plug->processControlAction(a, kFilterCutoff, v);
  EXPECT_TRUE(f.sent().empty());
  f.plug->processControlAction(a, kFilterCutoff, 1e300);
  f.plug->processControlAction(a, kFilterCutoff, -1e300);
  EXPECT_EQ(f.sent(), (std::vector<Message>{{0xB0, kCutoffCC, 127}, {0xB0, kCutoffCC, 0}}));
}

// What a host's script waits out: a job on worker (transfer), from its start to its end.
TEST(Transferring, FromTheStartOfAJobToItsEnd) {
  RoadFixture f;
  f.openOutput();
  EXPECT_FALSE(f.plug->IsTransferring());
  ASSERT_TRUE(f.holdTransferThread());
  EXPECT_TRUE(f.plug->IsTransferring());
  JobRecord::Get().Release();
  f.settle();
  EXPECT_FALSE(f.plug->IsTransferring());
}

TEST(PendingResend, TheLastOfEachKindRunsWhenTheBusyJobEnds) {
  RoadFixture f;
  f.openOutput();
  ASSERT_TRUE(f.holdTransferThread());

  const int knob = f.firstOfKind(kActionProgramResend, kAdjustDAWOffset);
  f.plug->setActiveSlot(1);
  for (double v : {1.0, 2.0, 3.0}) f.edit(knob, v);
  f.edit(kMultiName, 0);
  f.edit(kSlotABOutMode, 1);
  f.edit(kPatchName + 3, 0);
  JobArgs request;
  request.jobCode = kJobRequestPart;
  EXPECT_FALSE(f.plug->midiManager->startJob(request));  // not a resend: dropped
  EXPECT_EQ(f.plug->midiManager->pendingResends(), 3);
  EXPECT_EQ(f.started(), 1);
  EXPECT_EQ(f.dropped(), 1);

  JobRecord::Get().Release();
  f.settle();
  EXPECT_EQ(JobRecord::Get().Runs(), (Jobs{{kJobSendArrangement, 0}, {kJobSendPart, 1}, {kJobSendPart, 3}}));
  EXPECT_EQ(f.started(), 4);
  f.edit(knob, 4);
  f.settle();
  EXPECT_EQ(f.started(), 5);  // the thread is free again
}

// A resend that finds worker (transfer) busy is kept and runs when the busy job ends,
// whichever road asked for it: the dispatcher's name rows, the knob's MIDI action, the
// randomiser, and a slot change from the synthesizer.
TEST(PendingResend, EveryRoadsResendWaitsForTheBusyJobAndThenRuns) {
  struct Case {
    const char* what;
    std::function<void(RoadFixture&)> ask;
    std::pair<int, int> job;
  };
  const Case cases[] = {
      {"program name of slot C", [](RoadFixture& f) { f.edit(kPatchName + 2, 0); }, {kJobSendPart, 2}},
      {"performance name", [](RoadFixture& f) { f.edit(kMultiName, 0); }, {kJobSendArrangement, 0}},
      {"a performance setting", [](RoadFixture& f) { f.edit(kSlotABOutMode, 1); }, {kJobSendArrangement, 0}},
      {"no-value knob",
       [](RoadFixture& f) {
         f.plug->setActiveSlot(1);
         f.edit(f.firstOfKind(kActionProgramResend, kAdjustDAWOffset), 1);
       },
       {kJobSendPart, 1}},
      {"filter type 5 of slot B", [](RoadFixture& f) { f.edit(kFilterType + 1, 5); }, {kJobSendArrangement, 0}},
      {"the randomiser on slot B",
       [](RoadFixture& f) {
         f.plug->setActiveSlot(1);
         f.edit(kRandomize, 1);
       },
       {kJobSendPart, 1}},
      {"slot D chosen on the synthesizer",
       [](RoadFixture& f) {
         Kit_MutexLock lock(f.plug->GetMutex());
         f.plug->GetParam(kAllowPartChange)->Set(1.0);
         f.plug->GetParam(kQuickTab)->Set(3);
         f.plug->OnParamChange2(kQuickTab);
       },
       {kJobSendArrangement, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RoadFixture f;
    f.openOutput();
    ASSERT_TRUE(f.holdTransferThread());
    c.ask(f);
    EXPECT_EQ(f.plug->midiManager->pendingResends(), 1);
    EXPECT_EQ(f.started(), 1);
    EXPECT_EQ(f.dropped(), 0);
    EXPECT_TRUE(JobRecord::Get().Runs().empty());
    JobRecord::Get().Release();
    f.settle();
    EXPECT_EQ(JobRecord::Get().Runs(), Jobs{c.job});
    EXPECT_EQ(f.started(), 2);
  }
}

TEST(PendingResend, TheEnquiryStartsOnlyWithAPortAndInputNotSuspended) {
  RoadFixture f;
  f.plug->sendSysExInitialization();
  EXPECT_TRUE(f.plug->unitLink().deviceEnquiryPending);
  EXPECT_EQ(f.started(), 0);
  f.openOutput();
  f.plug->setSysexInputSuspended(true);
  f.plug->sendSysExInitialization();
  EXPECT_EQ(f.started(), 0);
  f.plug->setSysexInputSuspended(false);
  const uint64_t before = f.clock.NowMicros();
  f.plug->sendSysExInitialization();
  f.settle();
  EXPECT_EQ(JobRecord::Get().Runs(), (Jobs{{kJobDeviceIdEnquiry, 0}}));
  EXPECT_GE(f.clock.NowMicros() - before, 100000u);
}

}  // namespace
