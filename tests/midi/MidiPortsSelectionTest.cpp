#include <gtest/gtest.h>

#include <functional>

#include "MidiPortFake.h"
#include "MidiPortsTestSink.h"

namespace {
const std::string kOther = "Keyboard:Port 1";

class MidiPortsSelection : public ::testing::Test {
protected:
  void SetUp() override {
    fake_->AddReadablePort(kOther);
    fake_->AddReadablePort(kSynthOut);
    fake_->AddWritablePort(kOther);
    fake_->AddWritablePort(kSynthIn);
  }
  int SelectIn(const std::string& name, int index = 1) { return ports_.setExternalMIDIIn(index, name.c_str()); }
  int SelectOut(const std::string& name, int index = 1) { return ports_.setExternalMIDIOut(index, name.c_str()); }

  std::shared_ptr<MidiPortFake> fake_ = std::make_shared<MidiPortFake>();
  MidiPortsTestSink sink_;
  IMidiPorts ports_{&sink_, fake_};
};
}  // namespace

TEST(MidiPortsNoDevice, ListsHoldOnlyOffAndEverySelectionGivesZero) {
  auto fake = std::make_shared<MidiPortFake>();
  MidiPortsTestSink sink;
  IMidiPorts ports(&sink, fake);
  EXPECT_EQ(*ports.getExternalMIDIInNames(), IMidiPortNames({"OFF"}));
  EXPECT_EQ(*ports.getExternalMIDIOutNames(), IMidiPortNames({"OFF"}));
  int index = 1;
  EXPECT_EQ(ports.setExternalMIDIIn(index, "Anything"), 0);
  EXPECT_EQ(index, 0);
  index = 1;
  EXPECT_EQ(ports.setExternalMIDIOut(index, "OFF"), 0);
  EXPECT_EQ(index, 0);
}

TEST(MidiPortsNoDevice, UnreachableMidiSystemLeavesOnlyOff) {
  auto fake = std::make_shared<MidiPortFake>();
  fake->AddReadablePort(kSynthOut);
  fake->SetUnavailable(true);
  MidiPortsTestSink sink;
  IMidiPorts ports(&sink, fake);
  EXPECT_EQ(*ports.getExternalMIDIInNames(), IMidiPortNames({"OFF"}));
  int index = 1;
  EXPECT_EQ(ports.setExternalMIDIIn(index, kSynthOut.c_str()), 0);
  EXPECT_EQ(ports.GetMIDIInPortNumber(kSynthOut.c_str()), -1);
}

TEST(MidiPortsNoDevice, SelectingBeforeTheListsExistOpensNothing) {
  auto fake = std::make_shared<MidiPortFake>();
  fake->AddWritablePort(kSynthIn);
  MidiPortsTestSink sink;
  IMidiPorts ports(&sink, fake);
  int index = 1;
  EXPECT_EQ(ports.setExternalMIDIOut(index, kSynthIn.c_str()), 0);
  EXPECT_EQ(fake->OutputsOpenOn(kSynthIn), 0u);
}

TEST_F(MidiPortsSelection, ListsStartWithOffThenThePortsInOrder) {
  EXPECT_EQ(*ports_.getExternalMIDIInNames(), IMidiPortNames({"OFF", kOther, kSynthOut}));
  EXPECT_EQ(*ports_.getExternalMIDIOutNames(), IMidiPortNames({"OFF", kOther, kSynthIn}));
}

TEST_F(MidiPortsSelection, ListIsBuiltOnceAndIgnoresLaterPorts) {
  const IMidiPortNames* first = ports_.getExternalMIDIInNames();
  fake_->AddReadablePort("Late Device:out");
  EXPECT_EQ(ports_.getExternalMIDIInNames(), first);
  EXPECT_EQ(first->size(), 3u);
}

TEST_F(MidiPortsSelection, SelectionOpensTheNamedPortAndReturnsItsPosition) {
  ports_.getExternalMIDIInNames();
  ports_.getExternalMIDIOutNames();
  int in = 5;
  EXPECT_EQ(ports_.setExternalMIDIIn(in, kSynthOut.c_str()), 2);
  EXPECT_EQ(in, 2);
  EXPECT_EQ(ports_.SelectedInput(), 2);
  EXPECT_EQ(fake_->InputsOpenOn(kSynthOut), 1u);
  EXPECT_EQ(fake_->InputsOpenOn(kOther), 0u);

  EXPECT_EQ(SelectOut(kOther), 1);  // position 1 is port 0
  EXPECT_EQ(fake_->OutputsOpenOn(kOther), 1u);
  EXPECT_TRUE(ports_.IsOutputOpen());
}

TEST_F(MidiPortsSelection, OffClosesTheOpenPortAndGivesZero) {
  ports_.getExternalMIDIInNames();
  ports_.getExternalMIDIOutNames();
  ASSERT_EQ(SelectIn(kSynthOut), 2);
  ASSERT_EQ(SelectOut(kSynthIn), 2);
  EXPECT_EQ(SelectIn("OFF"), 0);
  EXPECT_EQ(SelectOut("OFF"), 0);
  ports_.FinishClosingInputs();
  EXPECT_EQ(fake_->InputsOpenOn(kSynthOut), 0u);
  EXPECT_EQ(fake_->OutputsOpenOn(kSynthIn), 0u);
  EXPECT_EQ(ports_.SelectedInput(), 0);
  EXPECT_EQ(ports_.SelectedOutput(), 0);
  EXPECT_FALSE(ports_.IsOutputOpen());
}

TEST_F(MidiPortsSelection, IndexZeroClosesWhateverTheName) {
  ports_.getExternalMIDIOutNames();
  ASSERT_EQ(SelectOut(kSynthIn), 2);
  EXPECT_EQ(SelectOut(kSynthIn, 0), 0);
  EXPECT_EQ(fake_->OutputsOpenOn(kSynthIn), 0u);
}

TEST_F(MidiPortsSelection, UnknownNameGivesZeroAndLeavesThePortClosed) {
  ports_.getExternalMIDIInNames();
  ASSERT_EQ(SelectIn(kSynthOut), 2);
  int index = 2;
  EXPECT_EQ(ports_.setExternalMIDIIn(index, "Unplugged Synth:out"), 0);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(ports_.SelectedInput(), 0);
  ports_.FinishClosingInputs();
  EXPECT_EQ(fake_->InputsOpenOn(kSynthOut), 0u);
  index = 1;
  EXPECT_EQ(ports_.setExternalMIDIIn(index, nullptr), 0);
}

TEST_F(MidiPortsSelection, SameSelectionTwiceClosesAndOpensAgain) {
  ports_.getExternalMIDIInNames();
  ASSERT_EQ(SelectIn(kSynthOut), 2);
  ASSERT_EQ(SelectIn(kSynthOut), 2);
  ports_.FinishClosingInputs();
  EXPECT_EQ(fake_->OpenCount(kSynthOut), 2u);
  EXPECT_EQ(fake_->InputsOpenOn(kSynthOut), 1u);
}

TEST_F(MidiPortsSelection, FailedOpenGivesZeroNotThePosition) {
  ports_.getExternalMIDIOutNames();
  fake_->SetOpenFails(kSynthIn, true);
  int index = 2;
  EXPECT_EQ(ports_.setExternalMIDIOut(index, kSynthIn.c_str()), 0);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(ports_.SelectedOutput(), 0);
  EXPECT_FALSE(ports_.IsOutputOpen());
  const unsigned char clock = 0xF8;
  EXPECT_FALSE(ports_.SendPatchSysex(&clock, 1));
}

TEST_F(MidiPortsSelection, ShiftedPortNumbersStillOpenTheChosenName) {
  ports_.getExternalMIDIInNames();
  fake_->RemovePort(kOther);  // the synthesizer moves from port 1 to port 0
  EXPECT_EQ(SelectIn(kSynthOut), 2);
  EXPECT_EQ(fake_->InputsOpenOn(kSynthOut), 1u);
}

TEST_F(MidiPortsSelection, PortGoneSinceTheListWasBuiltGivesZero) {
  ports_.getExternalMIDIInNames();
  fake_->RemovePort(kSynthOut);
  EXPECT_EQ(SelectIn(kSynthOut), 0);
  EXPECT_EQ(ports_.SelectedInput(), 0);
}

TEST_F(MidiPortsSelection, NameStoredCutTo32CharactersOpensTheLongPort) {
  const std::string longName = "Vudidi Nord USB Interface:Vudidi Nord USB Interface MIDI 1 24:0";
  fake_->AddWritablePort(longName);
  ports_.getExternalMIDIOutNames();
  EXPECT_EQ(SelectOut(longName.substr(0, 32)), 3);
  EXPECT_EQ(fake_->OutputsOpenOn(longName), 1u);
}

TEST_F(MidiPortsSelection, AlsaNameWithChangedNumbersOpens) {
  const std::string now = "Vudidi Nord USB:MIDI 1 28:0";
  fake_->AddReadablePort(now);
  ports_.getExternalMIDIInNames();
  EXPECT_EQ(SelectIn("Vudidi Nord USB:MIDI 1 24:0"), 3);
  EXPECT_EQ(fake_->InputsOpenOn(now), 1u);
}

TEST_F(MidiPortsSelection, UnreadableNameKeepsPositionsInLineAndCannotBeChosen) {
  fake_->SetNameFails(kOther, true);
  const IMidiPortNames* names = ports_.getExternalMIDIInNames();
  EXPECT_EQ(*names, IMidiPortNames({"OFF", "", kSynthOut}));
  EXPECT_EQ(SelectIn(""), 0);
  EXPECT_EQ(SelectIn(kSynthOut), 2);
  EXPECT_EQ(fake_->InputsOpenOn(kSynthOut), 1u);
}

TEST_F(MidiPortsSelection, DevicePositionsAndPortNumbers) {
  ports_.getExternalMIDIInNames();
  ports_.getExternalMIDIOutNames();
  EXPECT_EQ(ports_.getExternalMIDIInDevice("OFF"), 0);
  EXPECT_EQ(ports_.getExternalMIDIInDevice(kSynthOut.c_str()), 2);
  EXPECT_EQ(ports_.getExternalMIDIInDevice("missing"), -1);
  EXPECT_EQ(ports_.getExternalMIDIOutDevice(kSynthIn.c_str()), 2);
  EXPECT_EQ(ports_.getExternalMIDIOutDevice(nullptr), -1);

  EXPECT_EQ(ports_.GetMIDIInPortNumber("OFF"), 0);
  EXPECT_EQ(ports_.GetMIDIInPortNumber("virtual input"), 1);
  EXPECT_EQ(ports_.GetMIDIInPortNumber(kSynthOut.c_str()), 2);
  EXPECT_EQ(ports_.GetMIDIInPortNumber("missing"), -1);
  EXPECT_EQ(ports_.GetMIDIOutPortNumber("virtual output"), 1);
  EXPECT_EQ(ports_.GetMIDIOutPortNumber(kSynthIn.c_str()), 2);
  fake_->RemovePort(kOther);  // asked from the system now, not from the list
  EXPECT_EQ(ports_.GetMIDIOutPortNumber(kSynthIn.c_str()), 1);
}

TEST_F(MidiPortsSelection, VirtualOutputIsOfferedToOthersAndCarriesSends) {
  ASSERT_TRUE(ports_.initializeVirtualOutput("Tavro"));
  const std::string virtualName = std::string(IMidiPorts::kOutputClientName) + ":From Tavro";
  MidiPortsTestSink listenerSink;
  IMidiPorts listener(&listenerSink, fake_);
  const IMidiPortNames* names = listener.getExternalMIDIInNames();
  ASSERT_NE(std::find(names->begin(), names->end(), virtualName), names->end());
  int index = 1;
  ASSERT_GT(listener.setExternalMIDIIn(index, virtualName.c_str()), 0);
  IMidiMsg cc(0, 0xB2, 7, 100);
  EXPECT_TRUE(ports_.SendMidiMsg(cc));
  ASSERT_EQ(listenerSink.Messages().size(), 1u);
  EXPECT_EQ(listenerSink.Messages()[0].mStatus, 0xB2);
}

// Every chosen port that does not open says so on the log, and why, each time: the
// system gone, the port gone since the list was built, the open refused.
TEST_F(MidiPortsSelection, EveryFailedOpenSaysWhichPortAndWhy) {
  ports_.getExternalMIDIInNames();
  ports_.getExternalMIDIOutNames();
  const auto said = [&](const std::function<void()>& choose) {
    testing::internal::CaptureStderr();
    choose();
    return testing::internal::GetCapturedStderr();
  };
  fake_->RemovePort(kSynthOut);
  EXPECT_EQ(said([&] { SelectIn(kSynthOut); }),
            "MIDI: MIDI In '" + kSynthOut + "' not opened: not among the system's ports now\n");
  fake_->SetOpenFails(kSynthIn, true);
  EXPECT_EQ(said([&] { SelectOut(kSynthIn); }),
            "MIDI: MIDI Out '" + kSynthIn + "' not opened: the MIDI system refused it\n");
  // The system gone once the input had been let go: no input can be made.
  ASSERT_GT(SelectIn(kOther), 0);
  ASSERT_EQ(SelectIn(IMidiPorts::kOffName, 0), 0);
  fake_->SetUnavailable(true);
  for (int twice = 0; twice < 2; ++twice) {
    EXPECT_EQ(said([&] { SelectIn(kOther); }), "MIDI: MIDI In '" + kOther + "' not opened: no MIDI system\n");
  }
}

// The unit the output reaches: the same port chosen again while it stays connected
// reaches the same unit; another port, a port whose unit left in between, OFF, or a
// virtual output reach a new one.
TEST_F(MidiPortsSelection, TheOutputsUnitChangesUnlessTheSamePortIsChosenWhileConnected) {
  ports_.getExternalMIDIOutNames();
  ASSERT_EQ(SelectOut(kSynthIn), 2);
  const uint64_t first = ports_.OutputUnit();
  ASSERT_EQ(SelectOut(kSynthIn), 2);
  EXPECT_EQ(ports_.OutputUnit(), first) << "the unit never left";
  fake_->RemovePort(kSynthIn);
  fake_->AddWritablePort(kSynthIn);
  ASSERT_EQ(SelectOut(kSynthIn), 2);
  uint64_t back = ports_.OutputUnit();
  EXPECT_NE(back, first) << "the unit left and came back";
  uint64_t before = first;
  EXPECT_FALSE(ports_.SendToUnit({0xFA}, before)) << "meant for the unit before";
  EXPECT_TRUE(ports_.SendToUnit({0xFA}, back));
  EXPECT_EQ(fake_->Sent(kSynthIn), std::vector<MidiPortFake::Message>{{0xFA}});
  ASSERT_EQ(SelectOut(kOther), 1);
  EXPECT_NE(ports_.OutputUnit(), back);
  const uint64_t other = ports_.OutputUnit();
  EXPECT_EQ(SelectOut("OFF", 0), 0);
  ASSERT_EQ(SelectOut(kOther), 1);
  EXPECT_NE(ports_.OutputUnit(), other) << "closed in between";
  const uint64_t reopened = ports_.OutputUnit();
  EXPECT_TRUE(ports_.initializeVirtualOutput("Tavro"));
  EXPECT_NE(ports_.OutputUnit(), reopened);
}

// A patchbay cutting the output's connection and making it again, the port still
// chosen: what it reaches may be another unit, so the unit changes once per return;
// the same port chosen again after that keeps the new unit.
TEST_F(MidiPortsSelection, TheOutputsUnitChangesWhenItsConnectionComesBackFromOutside) {
  ports_.getExternalMIDIOutNames();
  ASSERT_EQ(SelectOut(kSynthIn), 2);
  const uint64_t first = ports_.OutputUnit();
  fake_->Reconnect(kOther);
  EXPECT_EQ(ports_.OutputUnit(), first) << "another port's connection";
  fake_->Reconnect(kSynthIn);
  uint64_t before = first;
  EXPECT_FALSE(ports_.SendToUnit({0xFA}, before)) << "meant for the unit before";
  uint64_t back = ports_.OutputUnit();
  EXPECT_NE(back, first);
  EXPECT_EQ(ports_.OutputUnit(), back) << "one return counts once";
  EXPECT_TRUE(ports_.SendToUnit({0xFA}, back));
  ASSERT_EQ(SelectOut(kSynthIn), 2);
  EXPECT_EQ(ports_.OutputUnit(), back) << "the unit that came back never left since";
  fake_->Reconnect(kSynthIn);
  fake_->Reconnect(kSynthIn);
  EXPECT_NE(ports_.OutputUnit(), back);
  // Found back by the send itself, before any notice: the bytes reached the unit now
  // there, and the sender learns which.
  uint64_t reached = ports_.OutputUnit();
  const uint64_t asked = reached;
  fake_->ReconnectFoundBySend(kSynthIn);
  EXPECT_TRUE(ports_.SendToUnit({0xFC}, reached));
  EXPECT_NE(reached, asked);
  EXPECT_EQ(ports_.OutputUnit(), reached);
  EXPECT_EQ(fake_->Sent(kSynthIn), (std::vector<MidiPortFake::Message>{{0xFA}, {0xFC}}));
}
