// Bus construction for other channel layouts than the test plug-in's: an
// instrument with several output buses and an effect with a side chain.

#include <vector>

#include "AUTestUnit.h"

namespace {

class LayoutPlug : public IModuleAU {
public:
  LayoutPlug(const char* channelIO, bool instrument, int sideChain)
      : IModuleAU(IModuleInstanceInfo(), 1, channelIO, 0, "Layout", "Layout", "Test", 0x10000, 1, 2, 0, false, true,
                  instrument) {
    initialize(IModuleInstanceInfo(), 1, 1, channelIO, 0, "Layout", "Layout", "Test", 0x10000, 1, 2, 0, false, true,
               instrument, sideChain);
  }
  void ProcessDoubleReplacing(double**, double**, int) override { ++ticks; }
  int ticks = 0;
};

OSStatus Render(LayoutPlug& plug, UInt32 bus, double sampleTime, UInt32 buffers = 2) {
  static std::vector<float> samples(8 * 64);
  AudioBufferListStorage<4> list;
  list.mNumberBuffers = buffers;
  for (UInt32 c = 0; c < buffers; ++c) list.mBuffers[c] = {1, 64 * sizeof(float), &samples[c * 64]};
  AudioTimeStamp stamp = {};
  stamp.mSampleTime = sampleTime;
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  return IModuleAU::RenderProc(&plug, &flags, &stamp, bus, 64, list.List());
}

TEST(BusLayout, AnInstrumentGetsOneOutputBusPerTwoChannels) {
  LayoutPlug plug("0-5", true, 0);
  ASSERT_EQ(plug.NOutputBuses(), 3);
  EXPECT_EQ(plug.NInputBuses(), 0);
  EXPECT_EQ(plug.GetBus(kAudioUnitScope_Output, 2)->mNPlugChannels, 1);
  EXPECT_EQ(plug.GetBus(kAudioUnitScope_Output, 2)->mPlugChannelStartIdx, 4);
  EXPECT_STREQ(plug.GetOutputBusLabel(1), "output 2");
  EXPECT_EQ(plug.GetBus(kAudioUnitScope_Input, 0), nullptr);

  UInt32 size = 0, tag = 0;
  Boolean writable = false;
  EXPECT_EQ(plug.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 2, &size, &writable,
                             nullptr),
            noErr);
  size = sizeof tag;
  EXPECT_EQ(plug.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 2, &size, &writable,
                             &tag),
            noErr);
  EXPECT_EQ(tag, kAudioChannelLayoutTag_Mono);
  EXPECT_EQ(plug.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 0, &size, &writable,
                             &tag),
            noErr);
  EXPECT_EQ(tag, kAudioChannelLayoutTag_Stereo);
  EXPECT_EQ(plug.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 3, &size, &writable,
                             &tag),
            kAudioUnitErr_InvalidElement);
  // No input bus: the input scope has no tags.
  EXPECT_EQ(
      plug.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Input, 0, &size, &writable, &tag),
      kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(IModuleAU::GetTagForNumChannels(3), kAudioChannelLayoutTag_Unknown);
}

TEST(BusLayout, ThePlugInRunsWhenTheLastConnectedOutputBusRenders) {
  LayoutPlug plug("0-4", true, 0);
  ASSERT_EQ(plug.NOutputBuses(), 2);
  EXPECT_EQ(Render(plug, 0, 0), noErr);  // bus 1 not yet connected: bus 0 is the last
  EXPECT_EQ(plug.ticks, 1);
  EXPECT_EQ(Render(plug, 1, 64), noErr);  // now bus 1 is the last connected one
  EXPECT_EQ(plug.ticks, 2);
  EXPECT_EQ(Render(plug, 0, 128), noErr);
  EXPECT_EQ(plug.ticks, 2);
  EXPECT_EQ(Render(plug, 1, 128), noErr);
  EXPECT_EQ(plug.ticks, 3);
  EXPECT_EQ(Render(plug, 1, 192, 3), kAudioUnitErr_InvalidPropertyValue);
}

TEST(BusLayout, AnEffectWithASideChainHasAMainAndAnAuxInput) {
  LayoutPlug plug("4-2", false, 1);
  ASSERT_EQ(plug.NInputBuses(), 2);
  EXPECT_EQ(plug.GetBus(kAudioUnitScope_Input, 0)->mNPlugChannels, 3);
  EXPECT_EQ(plug.GetBus(kAudioUnitScope_Input, 1)->mNPlugChannels, 1);
  EXPECT_EQ(plug.GetBus(kAudioUnitScope_Input, 1)->mPlugChannelStartIdx, 3);
  EXPECT_STREQ(plug.GetInputBusLabel(0), "main input");
  EXPECT_STREQ(plug.GetInputBusLabel(1), "aux input");
  ASSERT_EQ(plug.NOutputBuses(), 1);
  EXPECT_STREQ(plug.GetOutputBusLabel(0), "output");
  EXPECT_EQ(plug.GetBus(kAudioUnitScope_Output, 0)->mNPlugChannels, 2);
  // An effect offers no layout tags and no instrument count.
  UInt32 size = 0;
  Boolean writable = false;
  EXPECT_EQ(plug.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 0, &size, &writable,
                             nullptr),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(
      plug.GetProperty(kMusicDeviceProperty_InstrumentCount, kAudioUnitScope_Global, 0, &size, &writable, nullptr),
      kAudioUnitErr_InvalidProperty);
}

TEST(BusLayout, CheckLegalIOCountsOnlyBusesTheHostSet) {
  LayoutPlug plug("1-1 2-2", false, 0);
  EXPECT_TRUE(plug.CheckLegalIO());  // nothing set yet
  EXPECT_TRUE(plug.CheckLegalIO(kAudioUnitScope_Input, 0, 2));
  EXPECT_FALSE(plug.CheckLegalIO(kAudioUnitScope_Input, 0, 3));
  plug.GetBus(kAudioUnitScope_Input, 0)->mNHostChannels = 1;
  plug.GetBus(kAudioUnitScope_Output, 0)->mNHostChannels = 2;
  EXPECT_FALSE(plug.CheckLegalIO());
  plug.GetBus(kAudioUnitScope_Output, 0)->mNHostChannels = 1;
  EXPECT_TRUE(plug.CheckLegalIO());
  std::vector<IModuleAU::BusChannels> buses(3);
  buses[0].mNHostChannels = 2;
  buses[2].mNHostChannels = 1;
  EXPECT_EQ(IModuleAU::NHostChannelsConnected(buses), 3);
  EXPECT_EQ(IModuleAU::NHostChannelsConnected(buses, 0), 1);
  buses[2].mNHostChannels = -1;
  EXPECT_EQ(IModuleAU::NHostChannelsConnected(buses, 0), -1);
}

}  // namespace
