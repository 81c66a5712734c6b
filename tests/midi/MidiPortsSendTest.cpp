#include <gtest/gtest.h>

#include <functional>

#include "Kit_TimeSource.h"

#include "MidiPortFake.h"
#include "MidiPortsTestSink.h"

namespace {
using Bytes = std::vector<unsigned char>;

class MidiPortsSend : public ::testing::Test {
protected:
  void SetUp() override {
    fake_->AddWritablePort(kSynthIn);
    ports_.getExternalMIDIOutNames();
  }
  void Open() {
    int index = 1;
    ASSERT_EQ(ports_.setExternalMIDIOut(index, kSynthIn.c_str()), 1);
  }
  std::vector<Bytes> Sent() { return fake_->Sent(kSynthIn); }

  std::shared_ptr<MidiPortFake> fake_ = std::make_shared<MidiPortFake>();
  MidiPortsTestSink sink_;
  IMidiPorts ports_{&sink_, fake_};
};
}  // namespace

TEST_F(MidiPortsSend, NothingIsSentWithoutAnOpenPort) {
  IMidiMsg cc(0, 0xB0, 7, 100);
  const Bytes dump = {0xF0, 0x33, 0x00, 0x04, 0x28, 0x00, 0xF7};
  EXPECT_FALSE(ports_.SendMidiMsg(cc));
  EXPECT_FALSE(ports_.SendMidiSysex2(dump));
  EXPECT_FALSE(ports_.SendPatchSysex(dump.data(), 7));
  EXPECT_FALSE(ports_.SendMidiSysex(dump.data(), 7));
  Open();
  int index = 1;
  ports_.setExternalMIDIOut(index, "OFF");
  EXPECT_FALSE(ports_.SendMidiMsg(cc));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(MidiPortsSend, ChannelMessagesCarryTheirOwnNumberOfDataBytes) {
  Open();
  IMidiMsg programChange;
  programChange.MakeProgramChangeMsg(5 / 127.0, 2);  // data2 0xFF is never sent
  EXPECT_TRUE(ports_.SendMidiMsg(programChange));
  EXPECT_TRUE(ports_.SendMidiMsg(IMidiMsg(0, 0xB0, 7, 127)));
  EXPECT_TRUE(ports_.SendMidiMsg(IMidiMsg(0, 0xD1, 64, 99)));
  EXPECT_TRUE(ports_.SendMidiMsg(IMidiMsg(0, 0x80, 60, 64)));
  EXPECT_TRUE(ports_.SendMidiMsg(IMidiMsg(0, 0xE0, 0, 64)));
  const std::vector<Bytes> expected = {{0xC2, 5}, {0xB0, 7, 127}, {0xD1, 64}, {0x80, 60, 64}, {0xE0, 0, 64}};
  EXPECT_EQ(Sent(), expected);
}

TEST_F(MidiPortsSend, AnythingButAWellFormedChannelMessageIsRefused) {
  Open();
  EXPECT_FALSE(ports_.SendMidiMsg(IMidiMsg(0, 0x45, 1, 2)));    // no status byte
  EXPECT_FALSE(ports_.SendMidiMsg(IMidiMsg(0, 0xB0, 7, 128)));  // data byte would read as a status
  // System messages (0xFF would reset the synthesizer) are not channel messages.
  for (int status = 0xF0; status <= 0xFF; ++status) {
    EXPECT_FALSE(ports_.SendMidiMsg(IMidiMsg(0, uint8_t(status), 1, 2))) << status;
  }
  IMidiMsg wrongChannel;
  wrongChannel.MakeControlChangeMsg(7, 0.5, -1);
  EXPECT_FALSE(ports_.SendMidiMsg(wrongChannel));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(MidiPortsSend, SysExIsFramedOnlyWhenItLacksTheLeadingF0) {
  Open();
  const unsigned char bare[] = {0x41, 0x10};
  const unsigned char framed[] = {0xF0, 0x41, 0x10};
  const unsigned char request[] = {0x33, 0x05, 0x04, 0x28, 0x00};
  EXPECT_TRUE(ports_.SendMidiSysex(bare, 2));
  EXPECT_TRUE(ports_.SendMidiSysex(framed, 3));
  EXPECT_TRUE(ports_.SendMidiSysex(request, 5));
  const std::vector<Bytes> expected = {
      {0xF0, 0x41, 0x10, 0xF7}, {0xF0, 0x41, 0x10}, {0xF0, 0x33, 0x05, 0x04, 0x28, 0x00, 0xF7}};
  EXPECT_EQ(Sent(), expected);
}

TEST_F(MidiPortsSend, PatchAndVectorSendsGoAsGiven) {
  Open();
  Bytes dump(139, 0x00);
  dump.front() = 0xF0;
  dump.back() = 0xF7;
  EXPECT_TRUE(ports_.SendPatchSysex(dump.data(), static_cast<int>(dump.size())));
  EXPECT_TRUE(ports_.SendMidiSysex2(dump));
  EXPECT_TRUE(ports_.SendMidiSysex2({0xF8}));
  const std::vector<Bytes> expected = {dump, dump, {0xF8}};
  EXPECT_EQ(Sent(), expected);
}

TEST_F(MidiPortsSend, EmptyOrMissingBytesSendNothing) {
  Open();
  const unsigned char lone = 0xF0;
  EXPECT_FALSE(ports_.SendMidiSysex(&lone, 1));
  EXPECT_FALSE(ports_.SendMidiSysex(nullptr, 4));
  EXPECT_FALSE(ports_.SendMidiSysex(&lone, 0));
  EXPECT_FALSE(ports_.SendPatchSysex(&lone, -3));
  EXPECT_FALSE(ports_.SendMidiSysex2({}));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(MidiPortsSend, UnpluggedPortReportsFailure) {
  Open();
  fake_->RemovePort(kSynthIn);
  EXPECT_FALSE(ports_.SendMidiSysex2({0xF8}));
}

// Every road to the unit is paced by the port's room: a burst four times what the
// port holds goes whole and in order, each send waiting (on virtual time) for room.
TEST_F(MidiPortsSend, EveryRoadWaitsForRoomInAFullPort) {
  Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);
  const Bytes dump = {0xF0, 0x33, 0x04, 0xF7};
  struct Road {
    const char* what;
    std::function<bool(IMidiPorts&)> send;
    Bytes sent;
  };
  const std::vector<Road> roads = {
      {"channel message", [](IMidiPorts& p) { return p.SendMidiMsg(IMidiMsg(0, 0xB0, 7, 1)); }, {0xB0, 7, 1}},
      {"SysEx", [&](IMidiPorts& p) { return p.SendMidiSysex(dump.data(), 4); }, dump},
      {"patch SysEx", [&](IMidiPorts& p) { return p.SendPatchSysex(dump.data(), 4); }, dump},
      {"byte vector", [&](IMidiPorts& p) { return p.SendMidiSysex2(dump); }, dump},
      {"edge to a unit",
       [](IMidiPorts& p) {
         uint64_t unit = p.OutputUnit();
         return p.SendToUnit({0xFA}, unit);
       },
       {0xFA}},
  };
  Open();
  fake_->LimitRoom(kSynthIn, 4, 1);
  for (const Road& road : roads) {
    const size_t before = Sent().size();
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(road.send(ports_)) << road.what << " " << i;
    const std::vector<Bytes> sent = Sent();
    EXPECT_EQ(std::vector<Bytes>(sent.begin() + long(before), sent.end()), std::vector<Bytes>(16, road.sent))
        << road.what;
  }
  Kit_SetTimeSource(nullptr);
}
