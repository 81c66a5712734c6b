#include <gtest/gtest.h>

#include <memory>

#include "BaseTestPlug.h"
#include "MidiPortFake.h"

namespace {
struct PlugOnFakePorts : ::testing::Test {
  PlugOnFakePorts() {
    fake->AddReadablePort("Nord Out");
    fake->AddWritablePort("Nord In");
    plug.UseMidiTransports(fake);
  }
  std::shared_ptr<MidiPortFake> fake = std::make_shared<MidiPortFake>();
  BaseTestPlug plug{1, 1};
};
}  // namespace

TEST_F(PlugOnFakePorts, NameListsComeFromThePorts) {
  const IMidiPortNames* in = plug.getExternalMIDIInNames();
  ASSERT_EQ(in->size(), 2u);
  EXPECT_EQ((*in)[0], "OFF");
  EXPECT_EQ((*in)[1], "Nord Out");
  EXPECT_EQ(plug.getExternalMIDIOutNames()->at(1), "Nord In");
  EXPECT_EQ(plug.getExternalMIDIInDevice("Nord Out"), 1);
  EXPECT_EQ(plug.getExternalMIDIOutDevice("nothing"), -1);
}

TEST_F(PlugOnFakePorts, HardwareInputReachesTheHooksWithTheFlag) {
  plug.getExternalMIDIInNames();
  int index = 1;
  ASSERT_EQ(plug.setExternalMIDIIn(index, "Nord Out"), 1);
  fake->Deliver("Nord Out", {0xC2, 0x05});
  fake->Deliver("Nord Out", {0xF0, 0x33, 0x00, 0x04, 0x20, 0xF7});
  ASSERT_EQ(plug.midiIn.size(), 1u);
  EXPECT_TRUE(plug.midiIn[0].second);
  EXPECT_EQ(plug.midiIn[0].first.mStatus, 0xC2);
  EXPECT_EQ(plug.midiIn[0].first.mData1, 0x05);
  EXPECT_EQ(plug.midiIn[0].first.mData2, 0);
  ASSERT_EQ(plug.sysexIn.size(), 1u);
  EXPECT_TRUE(plug.sysexIn[0].second);
  EXPECT_EQ(plug.sysexIn[0].first.size(), 6u);
}

TEST_F(PlugOnFakePorts, OutputOpensByName) {
  plug.getExternalMIDIOutNames();
  int index = 1;
  EXPECT_EQ(plug.setExternalMIDIOut(index, "Nord In"), 1);
  EXPECT_TRUE(plug.GetMidiPorts().IsOutputOpen());
  index = 0;
  EXPECT_EQ(plug.setExternalMIDIOut(index, "OFF"), 0);
  EXPECT_FALSE(plug.GetMidiPorts().IsOutputOpen());
}
