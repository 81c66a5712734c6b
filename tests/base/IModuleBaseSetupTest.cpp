#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BaseTestPlug.h"

TEST(IModuleBaseSetup, TheEditorsParameterSet) {
  BaseTestPlug plug(798, 0, "2-2", 0);
  plug.addNonAutomateParamCount(798);
  EXPECT_EQ(plug.NParams(), 798);
  EXPECT_EQ(plug.NAutomatedParams(), 0);
  EXPECT_EQ(plug.NNonAutomatedParams(), 798);
  EXPECT_EQ(plug.NPresets(), 0);
  EXPECT_EQ(plug.NChannelIO(), 1);
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  ASSERT_NE(plug.GetParam(797), nullptr);
  EXPECT_EQ(plug.GetParam(798), nullptr);
  EXPECT_EQ(plug.GetParam(-1), nullptr);
  EXPECT_EQ(plug.GetParam(0)->Type(), IParam::kTypeNone);
}

TEST(IModuleBaseSetup, ConstructorState) {
  BaseTestPlug plug(1, 1);
  EXPECT_EQ(plug.GetHost(), kHostUninit);
  EXPECT_EQ(plug.GetAPI(), kAPIAU);
  EXPECT_FALSE(plug.IsBypassed());
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
  EXPECT_DOUBLE_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_EQ(plug.GetBlockSize(), 0);
  EXPECT_EQ(plug.GetUniqueID(), FourCharCode("tvrq"));
  EXPECT_EQ(plug.GetMfrID(), FourCharCode("Orv1"));
  EXPECT_TRUE(plug.DoesStateChunks());
  EXPECT_FALSE(plug.IsInst());
  EXPECT_EQ(plug.GetGUI(), nullptr);
  EXPECT_STREQ(plug.GetEffectName(), "Tavro Editor");
  EXPECT_STREQ(plug.GetMfrName(), "Orvane");
}

TEST(IModuleBaseSetup, LongNamesAreCut) {
  const std::string longName(300, 'n');
  BaseTestPlug plug(1, 1, "2-2", 0, longName.c_str());
  EXPECT_EQ(std::string(plug.GetEffectName()), std::string(IModuleBase::kMaxNameLength, 'n'));
  EXPECT_EQ(std::string(plug.GetProductName()), std::string(IModuleBase::kMaxNameLength, 'n'));
}

TEST(IModuleBaseSetup, ChannelIOTokens) {
  BaseTestPlug two(1, 1, "1-1 2-2");
  EXPECT_EQ(two.NChannelIO(), 2);
  EXPECT_EQ(two.NInChannels(), 2);
  EXPECT_EQ(two.NOutChannels(), 2);
  int in = -1, out = -1;
  EXPECT_TRUE(two.GetChannelIO(0, &in, &out));
  EXPECT_EQ(in, 1);
  EXPECT_EQ(out, 1);
  EXPECT_TRUE(two.GetChannelIO(1, &in, &out));
  EXPECT_EQ(in, 2);
  EXPECT_EQ(out, 2);
  EXPECT_FALSE(two.GetChannelIO(2, &in, &out));

  BaseTestPlug bad(1, 1, "x");
  EXPECT_EQ(bad.NChannelIO(), 1);
  EXPECT_TRUE(bad.GetChannelIO(0, &in, &out));
  EXPECT_EQ(in, 0);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(bad.NInChannels(), 0);

  BaseTestPlug halfParsed(1, 1, "3 0-4");
  EXPECT_EQ(halfParsed.NChannelIO(), 2);
  EXPECT_EQ(halfParsed.NInChannels(), 3);
  EXPECT_EQ(halfParsed.NOutChannels(), 4);
}

TEST(IModuleBaseSetup, LegalIO) {
  BaseTestPlug plug(1, 1, "1-1 2-2");
  EXPECT_TRUE(plug.LegalIO(1, 1));
  EXPECT_TRUE(plug.LegalIO(2, 2));
  EXPECT_FALSE(plug.LegalIO(2, 1));
  EXPECT_TRUE(plug.LegalIO(-1, 2));
  EXPECT_TRUE(plug.LegalIO(1, -1));
  EXPECT_TRUE(plug.LegalIO(-1, -1));
  EXPECT_FALSE(plug.LegalIO(3, -1));
  BaseTestPlug none(1, 1, "");
  EXPECT_EQ(none.NChannelIO(), 0);
  EXPECT_FALSE(none.LegalIO(-1, -1));
}

TEST(IModuleBaseSetup, VersionStrings) {
  char buf[IModuleBase::kVersionStrSize];
  IModuleBase::GetVersionStr(0x20200, buf);
  EXPECT_STREQ(buf, "v2.2");
  IModuleBase::GetVersionStr(0x20201, buf);
  EXPECT_STREQ(buf, "v2.2.1");
  IModuleBase::GetVersionStr(0x30000, buf);
  EXPECT_STREQ(buf, "v3");
  IModuleBase::GetVersionStr(0x30005, buf);
  EXPECT_STREQ(buf, "v3.0.5");
  EXPECT_EQ(IModuleBase::GetDecimalVersion(0x20200), 20200);
  int major, minor, bugfix;
  IModuleBase::GetVersionParts(0x7FFF1203, &major, &minor, &bugfix);
  EXPECT_EQ(major, 0x7FFF);
  EXPECT_EQ(minor, 0x12);
  EXPECT_EQ(bugfix, 3);

  BaseTestPlug plug(1, 1);
  EXPECT_EQ(plug.GetEffectVersion(false), 0x20200);
  EXPECT_EQ(plug.GetEffectVersion(true), 20200);
  plug.GetEffectVersionStr(buf);
  EXPECT_STREQ(buf, "v2.2");
}

TEST(IModuleBaseSetup, HostIdentity) {
  BaseTestPlug plug(1, 1);
  plug.SetHost("com.apple.logic10", 0x10203);
  EXPECT_EQ(plug.GetHost(), kHostLogic);
  EXPECT_EQ(plug.GetHostVersion(false), 0x10203);
  EXPECT_EQ(plug.GetHostVersion(true), 10203);
  char buf[IModuleBase::kVersionStrSize];
  plug.GetHostVersionStr(buf);
  EXPECT_STREQ(buf, "v1.2.3");
  EXPECT_STREQ(plug.GetAPIString(), "AU");
  EXPECT_STREQ(plug.GetArchString(), "x86");
}

TEST(IModuleBaseSetup, SamplesPerBeat) {
  BaseTestPlug plug(1, 1);
  EXPECT_DOUBLE_EQ(plug.GetSamplesPerBeat(), 22050.0);
  plug.SetSampleRate(48000.0);
  plug.tempo = 0.0;
  EXPECT_DOUBLE_EQ(plug.GetSamplesPerBeat(), 0.0);
}

TEST(IModuleBaseSetup, SendMidiMsgsIsTheAndOfAll) {
  BaseTestPlug plug(1, 1);
  Kit_TypedBuf<IMidiMsg> msgs;
  EXPECT_TRUE(plug.SendMidiMsgs(&msgs));
  msgs.Resize(3);
  msgs.Get()[0] = IMidiMsg(0, 0x90, 60, 100);
  msgs.Get()[1] = IMidiMsg(0, 0x00, 0, 0);  // refused by the test plug
  msgs.Get()[2] = IMidiMsg(0, 0x80, 60, 64);
  EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
  ASSERT_EQ(plug.sent.size(), 3u);  // every message is still tried, in order
  EXPECT_EQ(plug.sent[2].mStatus, 0x80);
}

TEST(IModuleBaseSetup, NonAutomatedTailNeverExceedsTheList) {
  BaseTestPlug plug(3, 3);
  for (int i = 0; i < 3; ++i) plug.GetParam(i)->InitInt("p", i + 1, 0, 10);
  plug.addNonAutomateParamCount(10);
  EXPECT_EQ(plug.NNonAutomatedParams(), 3);
  EXPECT_EQ(plug.NAutomatedParams(), 0);
  ByteChunk chunk;
  plug.SerializeNonAutomatedParams(&chunk, 10);
  EXPECT_EQ(chunk.Size(), 3 * 8);
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 0, 10), 3 * 8);
  plug.addNonAutomateParamCount(-4);
  EXPECT_EQ(plug.NAutomatedParams(), 3);

  // More automated parameters than parameters: all of them are automated, none beyond.
  BaseTestPlug overAutomated(2, 5);
  EXPECT_EQ(overAutomated.NAutomatedParams(), 2);
  ByteChunk values;
  EXPECT_TRUE(overAutomated.SerializeParams(&values));
  EXPECT_EQ(values.Size(), 2 * 8);
  overAutomated.DirtyParameters();
  EXPECT_EQ(overAutomated.informed.size(), 2u);
}

TEST(IModuleBaseSetup, EachPlugInDrawsItsOwnRandomSequenceUnlessATestFixesIt) {
  BaseTestPlug first(1, 1);
  BaseTestPlug second(1, 1);
  auto draw = [](Kit_RandomSource& source) {
    std::vector<uint32_t> numbers;
    for (int i = 0; i < 4; ++i) numbers.push_back(source.Next());
    return numbers;
  };
  EXPECT_NE(draw(first.GetRandom()), draw(second.GetRandom()));

  Kit_SeededRandom reference(7);
  first.UseRandomSource(std::make_unique<Kit_SeededRandom>(7));
  second.UseRandomSource(std::make_unique<Kit_SeededRandom>(7));
  second.UseRandomSource(nullptr);
  const std::vector<uint32_t> expected = draw(reference);
  EXPECT_EQ(draw(first.GetRandom()), expected);
  EXPECT_EQ(draw(second.GetRandom()), expected);
}
