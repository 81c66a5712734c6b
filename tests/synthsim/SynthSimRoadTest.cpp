// The editor's ports and the simulated synthesizer in one process, on the fake
// MIDI system, with replies driven by the virtual clock.

#include <gtest/gtest.h>

#include <mutex>

#include "Framework/IMidiMsg.h"
#include "Framework/IMidiPorts.h"
#include "Kit_TimeSource.h"
#include "MidiPortFake.h"
#include "SynthSimPorts.h"

namespace {
using Message = std::vector<unsigned char>;

class RecordingSink : public IMidiPortsSink {
public:
  void MidiFromDevice(IMidiMsg* msg) override { messages.push_back({msg->mStatus, msg->mData1, msg->mData2}); }
  void SysExFromDevice(ISysEx* sysex) override { sysex_.emplace_back(sysex->mData, sysex->mData + sysex->mSize); }
  std::vector<Message> messages;
  std::vector<Message> sysex_;
};

class SynthSimRoad : public ::testing::Test {
protected:
  void SetUp() override {
    Kit_SetTimeSource(&clock_);
    SynthSimSettings settings;
    settings.deviceId = 7;
    settings.replyLatencyMicros = 20000;
    synth_ = std::make_unique<SynthSimPorts>(*fake_, scheduler_, settings);
    ASSERT_TRUE(synth_->Open());
    ports_.getExternalMIDIInNames();
    ports_.getExternalMIDIOutNames();
  }
  void TearDown() override {
    synth_.reset();
    Kit_SetTimeSource(nullptr);
  }
  void Connect() {
    int in = 1, out = 1;
    ASSERT_GT(ports_.setExternalMIDIIn(in, synth_->MidiOutName().c_str()), 0);
    ASSERT_GT(ports_.setExternalMIDIOut(out, synth_->MidiInName().c_str()), 0);
  }

  Kit_VirtualClock clock_{0};
  SynthSimVirtualScheduler scheduler_{clock_};
  std::shared_ptr<MidiPortFake> fake_ = std::make_shared<MidiPortFake>();
  std::unique_ptr<SynthSimPorts> synth_;
  RecordingSink sink_;
  IMidiPorts ports_{&sink_, fake_};
};
}  // namespace

TEST_F(SynthSimRoad, SimulatorPortsAppearInTheLists) {
  const IMidiPortNames& in = *ports_.getExternalMIDIInNames();
  const IMidiPortNames& out = *ports_.getExternalMIDIOutNames();
  EXPECT_EQ(in, IMidiPortNames({"OFF", "Nord Sim-out:midi"}));
  EXPECT_EQ(out, IMidiPortNames({"OFF", "Nord Sim-in:midi"}));
}

TEST_F(SynthSimRoad, DeviceIdEnquiryIsAnsweredByTheUnitWithThatId) {
  Connect();
  for (uint8_t id = 0; id < 16; ++id) {
    const unsigned char request[] = {0x33, id, 0x04, 0x28, 0x00};
    ASSERT_TRUE(ports_.SendMidiSysex(request, 5));
    clock_.Advance(200000);
    if (!sink_.sysex_.empty()) break;
  }
  ASSERT_EQ(sink_.sysex_.size(), 1u);
  EXPECT_EQ(sink_.sysex_[0].size(), 715u);
  EXPECT_EQ(sink_.sysex_[0][2], 7);
  EXPECT_EQ(synth_->Sim().ReceivedCount(), 8u);
}

TEST_F(SynthSimRoad, ReplyArrivesOnlyOnceItsTimeHasCome) {
  Connect();
  const unsigned char request[] = {0x33, 7, 0x04, 0x0A, 0x02};
  ASSERT_TRUE(ports_.SendMidiSysex(request, 5));
  clock_.Advance(19999);
  EXPECT_TRUE(sink_.sysex_.empty());
  clock_.Advance(1);
  ASSERT_EQ(sink_.sysex_.size(), 1u);
  EXPECT_EQ(sink_.sysex_[0].size(), 139u);
  EXPECT_EQ(sink_.sysex_[0][5], 2);
}

TEST_F(SynthSimRoad, DumpSentToTheUnitIsStoredAndComesBack) {
  Connect();
  Message dump(139, 0x06);
  dump[0] = 0xF0;
  dump[1] = 0x33;
  dump[2] = 7;
  dump[3] = 0x04;
  dump[4] = 0;
  dump[5] = 1;
  dump[138] = 0xF7;
  ASSERT_TRUE(ports_.SendMidiSysex2(dump));
  const unsigned char request[] = {0x33, 7, 0x04, 0x0A, 0x01};
  ASSERT_TRUE(ports_.SendMidiSysex(request, 5));
  clock_.Advance(20000);
  ASSERT_EQ(sink_.sysex_.size(), 1u);
  EXPECT_EQ(sink_.sysex_[0], dump);
}

TEST_F(SynthSimRoad, ControlMessagesReachTheUnitAsSent) {
  Connect();
  IMidiMsg programChange;
  programChange.MakeProgramChangeMsg(12 / 127.0, 0);
  IMidiMsg noteOff;
  noteOff.MakeNoteOffMsg(60, 0, 1, 64);
  ASSERT_TRUE(ports_.SendMidiMsg(IMidiMsg(0, 0xB0, 74, 99)));
  ASSERT_TRUE(ports_.SendMidiMsg(programChange));
  ASSERT_TRUE(ports_.SendMidiMsg(noteOff));
  ASSERT_TRUE(ports_.SendMidiSysex2({0xFA}));
  ASSERT_TRUE(ports_.SendMidiSysex2({0xF8}));
  const std::vector<Message> expected = {{0xB0, 74, 99}, {0xC0, 12}, {0x81, 60, 64}, {0xFA}, {0xF8}};
  EXPECT_EQ(synth_->Sim().Received(), expected);
}

TEST_F(SynthSimRoad, SilentUnitLeavesTheEditorWithoutReply) {
  SynthSimSettings settings = synth_->Sim().Settings();
  settings.silent = true;
  synth_->Sim().SetSettings(settings);
  Connect();
  const unsigned char request[] = {0x33, 7, 0x04, 0x28, 0x00};
  ASSERT_TRUE(ports_.SendMidiSysex(request, 5));
  clock_.Advance(10000000);
  EXPECT_TRUE(sink_.sysex_.empty());
}

TEST_F(SynthSimRoad, ReplyFallingDueAfterTheUnitIsGoneIsDropped) {
  Connect();
  const unsigned char request[] = {0x33, 7, 0x04, 0x28, 0x00};
  ASSERT_TRUE(ports_.SendMidiSysex(request, 5));
  synth_.reset();
  clock_.Advance(1000000);
  EXPECT_TRUE(sink_.sysex_.empty());
}
