// The plug-in's MIDI output goes to the hardware port, never to the host.

#include <memory>

#include "AUTestUnit.h"
#include "MidiPortFake.h"

namespace {

using Bytes = std::vector<unsigned char>;

class MidiOut : public ::testing::Test {
protected:
  void SetUp() override {
    fake_ = std::make_shared<MidiPortFake>();
    fake_->AddWritablePort("Synth In");
    plug_ = u_.Plug();
    plug_->UseMidiTransports(fake_);
  }
  void OpenPort() {
    plug_->getExternalMIDIOutNames();
    int index = 1;
    ASSERT_EQ(plug_->setExternalMIDIOut(index, "Synth In"), 1);
  }
  std::vector<Bytes> Sent() const { return fake_->Sent("Synth In"); }

  AUTestUnit u_;
  AUTestPlug* plug_ = nullptr;
  std::shared_ptr<MidiPortFake> fake_;
};

TEST_F(MidiOut, SysExWithoutItsFramingIsWrapped) {
  OpenPort();
  unsigned char bare[] = {0x41, 0x10};
  unsigned char framed[] = {0xF0, 0x41, 0x10};
  EXPECT_TRUE(plug_->SendMidiSysex(bare, sizeof bare));
  EXPECT_TRUE(plug_->SendMidiSysex(framed, sizeof framed));
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent()[0], (Bytes{0xF0, 0x41, 0x10, 0xF7}));
  EXPECT_EQ(Sent()[1], (Bytes{0xF0, 0x41, 0x10}));
}

TEST_F(MidiOut, ChannelMessagesCarryTheirDataBytes) {
  OpenPort();
  IMidiMsg programChange(0, 0xC2, 7, 99);
  IMidiMsg controlChange(0, 0xB0, 74, 64);
  EXPECT_TRUE(plug_->SendMidiMsg(&programChange));
  EXPECT_TRUE(plug_->SendMidiMsg(&controlChange));
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent()[0], (Bytes{0xC2, 7}));
  EXPECT_EQ(Sent()[1], (Bytes{0xB0, 74, 64}));
  EXPECT_FALSE(plug_->SendMidiVST(&controlChange));
  EXPECT_FALSE(plug_->SendMidiMsg(nullptr));
}

TEST_F(MidiOut, PatchSysExAndByteVectorsGoAsGiven) {
  OpenPort();
  unsigned char patch[] = {0xF0, 0x33, 0x04, 0xF7};
  EXPECT_TRUE(plug_->SendPatchSysex(patch, sizeof patch));
  EXPECT_TRUE(plug_->SendMidiSysex2({0xF0, 0x7E, 0xF7}));
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent()[0], (Bytes{0xF0, 0x33, 0x04, 0xF7}));
  EXPECT_EQ(Sent()[1], (Bytes{0xF0, 0x7E, 0xF7}));
}

TEST_F(MidiOut, WithoutAnOpenPortNothingIsSentAndTheSendSaysSo) {
  unsigned char bare[] = {0x41};
  IMidiMsg note(0, 0x90, 60, 100);
  EXPECT_FALSE(plug_->SendMidiSysex(bare, sizeof bare));
  EXPECT_FALSE(plug_->SendMidiMsg(&note));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(MidiOut, HostMidiIsNotEchoedToThePort) {
  OpenPort();
  ASSERT_EQ(MusicDeviceMIDIEvent(u_.unit, 0x90, 60, 100, 0), noErr);
  EXPECT_TRUE(Sent().empty());
}

}  // namespace
