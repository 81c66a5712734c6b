// The synthesizer's controllers and the host's MIDI moving the panel: controllers by
// model and side, local control, bank select, program-number limits and the
// librarian's following, filters and lights. Program changes that start request
// jobs are in IncomingMidiThreadsTest.cpp.

#include <gtest/gtest.h>

#include <algorithm>

#include "FakeIncomingEditor.h"
#include "Kit_TimeSource.h"

namespace {

constexpr int kParam = 10;
constexpr int kSlotB = 1;
constexpr uint8_t kOnSlotB = 0x01;   // slot B's part channel, 2
constexpr uint8_t kOnGlobal = 0x0F;  // the global channel

struct Incoming : ::testing::Test {
  Incoming() { editor.manager = &manager; }
  ~Incoming() override { Kit_SetTimeSource(nullptr); }

  void FromDevice(uint8_t status, uint8_t data1, uint8_t data2 = 0) {
    IMidiMsg msg(0, status, data1, data2);
    manager.ProcessMidiMsgFromDevice(&msg);
  }
  void FromHost(uint8_t status, uint8_t data1, uint8_t data2, int slot) {
    IMidiMsg msg(0, status, data1, data2);
    manager.ProcessMidiMsgFromDAW(&msg, slot);
  }
  std::vector<std::string> Events(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& e : editor.events())
      if (e.rfind(prefix, 0) == 0) found.push_back(e);
    return found;
  }
  static std::vector<double> ValuesOf(RecordingControl* control) {
    std::vector<double> values;
    for (const RecordingControl::Given& g : control->Values()) values.push_back(g.value);
    return values;
  }

  Kit_VirtualClock clock;  // pauses pass at once
  FakeIncomingEditor editor;
  MIDIMessageManager manager{&editor, nullptr, nullptr, nullptr};
};

TEST_F(Incoming, ControllersByModelAndSide) {
  struct Row {
    const char* what;
    int cc, model;
    bool fromDevice;
    int value, max;
    std::vector<double> values;
    std::vector<std::string> changes;
  };
  const std::string tab = "change 771", own = "change " + std::to_string(kParam);
  const Row rows[] = {
      {"switch: 1 is on", 16, 1, true, 1, 127, {1.0}, {tab}},
      {"switch: 127 is off", 80, 2, true, 127, 127, {0.0}, {tab}},
      {"switch on the first model", 34, 0, true, 1, 127, {1.0}, {tab}},
      {"four steps", 20, 1, true, 3, 127, {0.75}, {}},
      {"four steps: 4", 18, 2, true, 4, 127, {1.0}, {}},
      {"four steps: 0 and 5 are off", 21, 2, true, 5, 127, {0.0}, {}},
      {"four steps on the first model: scaled, own handling", 20, 0, true, 3, 127, {3 / 127.0}, {own}},
      {"24 on a later model re-selects the tab", 24, 2, true, 64, 127, {64 / 127.0}, {tab}},
      {"24 on the first model is ordinary", 24, 0, true, 64, 127, {64 / 127.0}, {}},
      {"78 runs its own handling", 78, 1, true, 40, 127, {40 / 127.0}, {own}},
      {"ordinary controller", 74, 1, true, 100, 127, {100 / 127.0}, {}},
      {"value over the range, not less the minimum", 74, 1, true, 2, 4, {0.5}, {}},
      {"from the host 16 is ordinary", 16, 1, false, 1, 127, {1 / 127.0}, {}},
      {"from the host 20 is ordinary", 20, 2, false, 3, 127, {3 / 127.0}, {}},
      {"a control without a range is left alone", 74, 1, true, 64, 0, {}, {}},
      {"from the host too", 74, 1, false, 64, 0, {}, {}},
  };
  for (const Row& r : rows) {
    FakeIncomingEditor e;
    MIDIMessageManager m(&e, nullptr, nullptr, nullptr);
    e.manager = &m;
    e.model = r.model;
    RecordingControl* control = e.bind(kSlotB + 1, r.cc, r.model > 0 ? 0 : 1, kParam, 0, r.max);
    IMidiMsg msg(0, 0xB0 | kOnSlotB, uint8_t(r.cc), uint8_t(r.value));
    if (r.fromDevice)
      m.ProcessMidiMsgFromDevice(&msg);
    else
      m.ProcessMidiMsgFromDAW(&msg, kSlotB);
    EXPECT_EQ(ValuesOf(control), r.values) << r.what;
    std::vector<std::string> changes;
    for (const std::string& ev : e.events())
      if (ev.rfind("change", 0) == 0) changes.push_back(ev);
    EXPECT_EQ(changes, r.changes) << r.what;
    EXPECT_FALSE(m.applyingHardwareValue) << r.what;
    // Lit and passed on whether or not a control took it.
    const std::vector<std::string> events = e.events();
    EXPECT_NE(std::find(events.begin(), events.end(), "light 1"), events.end()) << r.what;
    EXPECT_EQ(events.back(), "forward " + FakeIncomingEditor::Bytes(msg)) << r.what;
  }
}

TEST_F(Incoming, TheModelDecidesWhichControlSetIsAskedFirst) {
  RecordingControl* later = editor.bind(2, 74, 0, kParam);
  RecordingControl* first = editor.bind(2, 74, 1, kParam + 1);
  editor.model = 2;
  FromDevice(0xB0 | kOnSlotB, 74, 10);
  editor.model = 0;
  FromDevice(0xB0 | kOnSlotB, 74, 20);
  EXPECT_EQ(ValuesOf(later), std::vector<double>{10 / 127.0});
  EXPECT_EQ(ValuesOf(first), std::vector<double>{20 / 127.0});

  // Either set stands in when the other has no control.
  RecordingControl* only = editor.bind(3, 75, 0, kParam + 2);
  FromDevice(0xB0 | 0x02, 75, 30);
  EXPECT_EQ(ValuesOf(only), std::vector<double>{30 / 127.0});
}

TEST_F(Incoming, AControllerOnAPartChannelPastFourMovesThatSlotsControl) {
  constexpr int kSlotC = 2;
  constexpr int kCutoff = 74;
  // Slot C's cutoff is filed under slot C's key (3); slot C plays on channel 7.
  RecordingControl* slotC = editor.bind(kSlotC + 1, kCutoff, 0, kParam);
  RecordingControl* channel7 = editor.bind(7, kCutoff, 0, kParam + 1);
  editor.set(204 + kSlotC, 7);
  editor.model = 1;
  FromHost(0xB6, kCutoff, 5, kSlotC);
  FromDevice(0xB6, kCutoff, 9);
  EXPECT_EQ(ValuesOf(slotC), (std::vector<double>{5 / 127.0, 9 / 127.0}));
  EXPECT_TRUE(ValuesOf(channel7).empty());
  // Passed on to the unit all the same.
  EXPECT_EQ(Events("forward").front(), "forward B6 4A 05");

  // A channel no slot plays on is looked up as itself.
  FromDevice(0xB4, kCutoff, 11);  // channel 5: slot A (on 1) does not play there
  EXPECT_EQ(ValuesOf(slotC).size(), 2u);
  RecordingControl* channel5 = editor.bind(5, 75, 0, kParam + 2);
  FromDevice(0xB4, 75, 12);
  EXPECT_EQ(ValuesOf(channel5), std::vector<double>{12 / 127.0});
}

TEST_F(Incoming, TheSynthesizersSideRunsUnderThePluginMutexAndSaysSo) {
  RecordingControl* control = editor.bind(2, 74, 0, kParam);
  FromDevice(0xB0 | kOnSlotB, 74, 10);
  FromHost(0xB0 | kOnSlotB, 74, 20, kSlotB);
  const std::vector<RecordingControl::Given> given = control->Values();
  ASSERT_EQ(given.size(), 2u);
  EXPECT_TRUE(given[0].applyingHardwareValue && given[0].mutexHeld);
  EXPECT_EQ(given[0].fromHost, 0);
  EXPECT_FALSE(given[1].applyingHardwareValue);
  EXPECT_EQ(given[1].fromHost, 1);
  EXPECT_FALSE(manager.applyingHardwareValue);
  EXPECT_FALSE(editor.mutex.HeldByCaller());
}

TEST_F(Incoming, LocalControlIsTheSynthesizersReportNotAPanelValue) {
  constexpr int kLocalControl = 346;
  RecordingControl* control = editor.bind(2, 122, 0, kLocalControl);
  FromDevice(0xB0 | kOnSlotB, 122, 64);
  EXPECT_TRUE(editor.localControl);
  FromDevice(0xB0 | kOnSlotB, 122, 0);
  EXPECT_FALSE(editor.localControl);
  EXPECT_TRUE(control->Values().empty());
  // From the host it is an ordinary controller.
  FromHost(0xB0 | kOnSlotB, 122, 64, kSlotB);
  EXPECT_FALSE(editor.localControl);
  EXPECT_EQ(ValuesOf(control), std::vector<double>{64 / 127.0});
}

// A bank select the unit takes, from itself or passed on from the host, moves the Bank
// read-out: the performances' on the global channel, else the slot's.
TEST_F(Incoming, BankSelectLowByteMovesTheBankReadout) {
  FromDevice(0xB0 | kOnGlobal, 32, 3);
  EXPECT_EQ(editor.events(),
            (std::vector<std::string>{"choice 0 performance bank 3 number -1", "light 0",
                                      "forward " + FakeIncomingEditor::Bytes(IMidiMsg(0, 0xB0 | kOnGlobal, 32, 3))}));
  editor.clearEvents();
  FromDevice(0xB0 | kOnSlotB, 32, 4);
  EXPECT_EQ(editor.events().front(), "choice 1 program bank 4 number -1");
  editor.clearEvents();
  FromHost(0xB0 | kOnSlotB, 32, 5, kSlotB);
  EXPECT_EQ(editor.events().front(), "choice 1 program bank 5 number -1");
  // The high byte is no bank of the unit's.
  editor.clearEvents();
  FromDevice(0xB0 | kOnSlotB, 0, 1);
  FromHost(0xB0 | kOnSlotB, 0, 1, kSlotB);
  for (const std::string& event : editor.events()) EXPECT_EQ(event.rfind("choice", 0), std::string::npos) << event;
}

TEST_F(Incoming, ProgramNumbersAreHeldToTheBanks) {
  struct Row {
    int program;
    bool performances;
    int limited;
  };
  for (const Row& r : {Row{98, false, 98}, Row{100, false, 99}, Row{100, true, 99}, Row{120, false, 99},
                       Row{120, true, 100}, Row{0, true, 0}, Row{127, true, 100}}) {
    editor.performances = r.performances;
    EXPECT_EQ(manager.limitProgramNumber(r.program), r.limited) << r.program << " " << r.performances;
  }
}

TEST_F(Incoming, TheLibrarianFollowsTheSynthesizersProgramChanges) {
  Kit_SetTimeSource(&clock);
  constexpr int kControlLibrary = 776;
  editor.set(kControlLibrary, 1);
  struct Row {
    const char* what;
    bool performances;
    uint8_t channel;
    int program;
    std::vector<std::string> events;
  };
  const Row rows[] = {
      {"program", false, kOnSlotB, 42, {"select 42", "librarian send 42"}},
      {"performance", true, kOnGlobal, 99, {"select 99", "librarian send 99"}},
      // One past the bank: sent (the send finds nothing) but never selected.
      {"program past the bank", false, kOnSlotB, 120, {"librarian send 99"}},
      {"performance past the bank", true, kOnGlobal, 120, {"librarian send 100"}},
      {"performance in program mode", false, kOnGlobal, 5, {"status Turn on PERF. mode from librarian first!"}},
      {"program in performance mode", true, kOnSlotB, 5, {"status Turn on PROG. mode from librarian first!"}},
  };
  for (const Row& r : rows) {
    editor.clearEvents();
    editor.performances = r.performances;
    manager.sysexBusy = false;
    manager.armLibrarianReceiver(r.performances);
    const uint64_t before = clock.NowMicros();
    FromDevice(uint8_t(0xC0 | r.channel), uint8_t(r.program));
    EXPECT_EQ(editor.events(), r.events) << r.what;
    const bool sent = r.events.back().rfind("librarian send", 0) == 0;
    // A send takes the synthesizer's reply away from a librarian request that waited.
    EXPECT_EQ(manager.performanceRequest.isArmed() || manager.patchRequest.isArmed(), !sent) << r.what;
    EXPECT_EQ(manager.sysexBusy.load(), sent) << r.what;
    EXPECT_EQ(clock.NowMicros() - before, sent ? 200000u : 0u) << r.what;
  }
  // From the host there is no mode check.
  editor.clearEvents();
  editor.performances = false;
  FromHost(0xC0 | kOnGlobal, 7, 0, 2);
  EXPECT_EQ(editor.events(), (std::vector<std::string>{"select 7", "librarian send 7", "light 2", "forward CF 07 00"}));
}

TEST_F(Incoming, FiltersPortsAndLights) {
  // A blocked class is ignored whole, lights included.
  editor.deviceBlocked[2] = true;
  FromDevice(0x90 | kOnSlotB, 60, 100);
  EXPECT_TRUE(editor.events().empty());
  editor.deviceBlocked[2] = false;
  FromDevice(0x90 | kOnSlotB, 60, 100);
  FromDevice(0xE0 | 0x03, 0, 64);  // slot D
  EXPECT_EQ(editor.events(), (std::vector<std::string>{"light 1", "forward 91 3C 64", "light 3", "forward E3 00 40"}));

  editor.clearEvents();
  editor.hostBlocked[0] = true;
  FromHost(0xB0 | kOnSlotB, 7, 1, kSlotB);
  editor.midiIOSet = false;
  FromHost(0x90 | kOnSlotB, 60, 1, kSlotB);
  EXPECT_TRUE(editor.events().empty());
  editor.midiIOSet = true;
  FromHost(0x90 | kOnSlotB, 60, 1, kSlotB);
  FromHost(0x90 | kOnSlotB, 60, 1, 4);  // no such slot
  EXPECT_EQ(editor.events(), (std::vector<std::string>{"light 1", "forward 91 3C 01"}));

  // A host program change without the librarian or the global switch is only passed on.
  editor.clearEvents();
  FromHost(0xC0 | kOnSlotB, 9, 0, kSlotB);
  EXPECT_EQ(editor.events(), (std::vector<std::string>{"light 1", "forward C1 09 00"}));
}

TEST_F(Incoming, WithLocalControlOnWhatTheSynthesizerPlayedIsNotEchoed) {
  RecordingControl* control = editor.bind(2, 74, 0, kParam);
  editor.localControl = true;
  FromDevice(0xB0 | kOnSlotB, 74, 10);  // a bound knob
  FromDevice(0xB0 | kOnSlotB, 75, 11);  // an unbound controller
  FromDevice(0x90 | kOnSlotB, 60, 100);
  EXPECT_EQ(ValuesOf(control), std::vector<double>{10 / 127.0});
  EXPECT_EQ(editor.events(), (std::vector<std::string>{"light 1", "light 1", "light 1"}));
  // The host's MIDI still goes on; with local control off the unit's comes back.
  editor.clearEvents();
  FromHost(0x90 | kOnSlotB, 60, 1, kSlotB);
  editor.localControl = false;
  FromDevice(0x90 | kOnSlotB, 60, 100);
  EXPECT_EQ(editor.events(), (std::vector<std::string>{"light 1", "forward 91 3C 01", "light 1", "forward 91 3C 64"}));
}

}  // namespace
