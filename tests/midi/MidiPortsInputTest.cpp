#include <gtest/gtest.h>

#include "MidiPortFake.h"
#include "MidiPortsTestSink.h"

namespace {

class MidiPortsInput : public ::testing::Test {
protected:
  void SetUp() override {
    fake_->AddReadablePort(kSynthOut);
    ports_.getExternalMIDIInNames();
    int index = 1;
    ASSERT_EQ(ports_.setExternalMIDIIn(index, kSynthOut.c_str()), 1);
  }
  size_t Deliver(std::vector<unsigned char> bytes) { return fake_->Deliver(kSynthOut, bytes); }

  std::shared_ptr<MidiPortFake> fake_ = std::make_shared<MidiPortFake>();
  MidiPortsTestSink sink_;
  IMidiPorts ports_{&sink_, fake_};
};
}  // namespace

TEST_F(MidiPortsInput, ProgramChangeBecomesAMessageWithDataTwoZero) {
  ASSERT_EQ(Deliver({0xC1, 0x05}), 1u);
  const auto messages = sink_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].mStatus, 0xC1);
  EXPECT_EQ(messages[0].mData1, 0x05);
  EXPECT_EQ(messages[0].mData2, 0);
  EXPECT_EQ(messages[0].mOffset, 0);
}

TEST_F(MidiPortsInput, ControlChangeArrivesUnchanged) {
  Deliver({0xB3, 0x4A, 0x7F});
  const auto messages = sink_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].mStatus, 0xB3);
  EXPECT_EQ(messages[0].mData1, 0x4A);
  EXPECT_EQ(messages[0].mData2, 0x7F);
}

TEST_F(MidiPortsInput, SingleByteHasBothDataBytesZero) {
  Deliver({0xFA});
  const auto messages = sink_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].mStatus, 0xFA);
  EXPECT_EQ(messages[0].mData1, 0);
  EXPECT_EQ(messages[0].mData2, 0);
}

TEST_F(MidiPortsInput, SixByteSysExArrivesWhole) {
  const std::vector<unsigned char> sysex = {0xF0, 0x33, 0x00, 0x04, 0x28, 0xF7};
  Deliver(sysex);
  ASSERT_EQ(sink_.SysEx().size(), 1u);
  EXPECT_EQ(sink_.SysEx()[0], sysex);
  EXPECT_EQ(sink_.SysExOffsets()[0], 0);
  EXPECT_TRUE(sink_.Messages().empty());
}

TEST_F(MidiPortsInput, AnyFourByteMessageTakesTheSysExPath) {
  Deliver({0x90, 0x3C, 0x40, 0x00});
  ASSERT_EQ(sink_.SysEx().size(), 1u);
  EXPECT_EQ(sink_.SysEx()[0].size(), 4u);
}

TEST_F(MidiPortsInput, EmptyMessageIsIgnoredAndOrderIsKept) {
  Deliver({});
  Deliver({0xB0, 1, 2});
  Deliver({0xB0, 1, 3});
  const auto messages = sink_.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].mData2, 2);
  EXPECT_EQ(messages[1].mData2, 3);
}

TEST_F(MidiPortsInput, NothingArrivesAfterOff) {
  int index = 1;
  ports_.setExternalMIDIIn(index, "OFF");
  Deliver({0xB0, 1, 2});  // the port may still be closing: delivery has stopped already
  EXPECT_TRUE(sink_.Messages().empty());
  ports_.FinishClosingInputs();
  EXPECT_EQ(Deliver({0xB0, 1, 2}), 0u);
}

TEST_F(MidiPortsInput, CallbackWithoutUserDataIsIgnored) {
  std::vector<unsigned char> message = {0xB0, 1, 2};
  IMidiPorts::MIDICallback(0.0, &message, nullptr);
  ports_.processMIDIInput(0.0, &message, nullptr);
  EXPECT_TRUE(sink_.Messages().empty());
  IMidiPorts::MIDICallback(0.0, &message, &ports_);
  EXPECT_EQ(sink_.Messages().size(), 1u);
}

TEST_F(MidiPortsInput, TimingAndActiveSensingAreDroppedOnAnyTransport) {
  Deliver({0xF8});
  Deliver({0xF1, 0x23});
  Deliver({0xFE});
  Deliver({0xFA});
  const auto messages = sink_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].mStatus, 0xFA);
}
