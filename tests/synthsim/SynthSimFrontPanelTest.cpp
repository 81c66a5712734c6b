// The simulator's front panel: knobs, notes and program changes sent at their times,
// a program change loading the stored sound, and the script that plays them.

#include <gtest/gtest.h>

#include "Kit_TimeSource.h"
#include "SynthSim.h"
#include "SynthSimScript.h"

namespace {
using Message = SynthSim::Message;

class SynthSimFrontPanel : public ::testing::Test {
protected:
  SynthSimFrontPanel() { Kit_SetTimeSource(&clock_); }
  ~SynthSimFrontPanel() override { Kit_SetTimeSource(nullptr); }

  // Stores a program whose data bytes are all `fill` at bank `bank`, number `number`.
  void StoreProgram(int bank, int number, uint8_t fill) {
    Message dump(139, fill);
    dump[0] = 0xF0, dump[1] = 0x33, dump[2] = 0, dump[3] = 0x04;
    dump[4] = uint8_t(bank + 1), dump[5] = uint8_t(number), dump[138] = 0xF7;
    sim_.Receive(dump.data(), dump.size());
  }

  Kit_VirtualClock clock_{0};
  SynthSimVirtualScheduler scheduler_{clock_};
  std::vector<std::pair<uint64_t, Message>> sent_;
  SynthSim sim_{SynthSimSettings{}, scheduler_, [this](const Message& m) { sent_.push_back({clock_.NowMicros(), m}); }};
};

TEST_F(SynthSimFrontPanel, PlaysAtItsTimesAndAProgramChangeLoadsTheStoredSound) {
  const int slotB = 1;
  const int channelB = sim_.Value("kPartMidiChannel", slotB) - 1;
  ASSERT_GE(channelB, 0);
  const int bank = sim_.Value("kCurrentBank", slotB);
  StoreProgram(bank, 5, 3);
  ASSERT_NE(sim_.ProgramEditBuffer(slotB), sim_.StoredProgram(bank, 5));

  sim_.PlayNote(3000, channelB, 60, 100);
  sim_.PlayControlChange(1000, channelB, 74, 99);
  sim_.PlayProgramChange(2000, channelB, 5);
  sim_.PlayProgramChange(4000, channelB, 120);  // past the bank: nothing loads
  clock_.Advance(1500);
  EXPECT_NE(sim_.ProgramEditBuffer(slotB), sim_.StoredProgram(bank, 5)) << "not before its time";
  clock_.Advance(3000);
  EXPECT_EQ(sim_.ProgramEditBuffer(slotB), sim_.StoredProgram(bank, 5));
  const uint8_t b = uint8_t(channelB);
  const std::vector<std::pair<uint64_t, Message>> expected = {{1000, {uint8_t(0xB0 | b), 74, 99}},
                                                              {2000, {uint8_t(0xC0 | b), 5}},
                                                              {3000, {uint8_t(0x90 | b), 60, 100}},
                                                              {4000, {uint8_t(0xC0 | b), 120}}};
  EXPECT_EQ(sent_, expected);
}

TEST_F(SynthSimFrontPanel, WithWireTimeKnobsLeaveBackToBackAndWaitForAReplyOnTheWire) {
  SynthSimSettings settings = sim_.Settings();
  settings.wireTime = true;
  sim_.SetSettings(settings);
  const Message request = {0xF0, 0x33, 0x00, 0x04, 0x0A, 0x00, 0xF7};  // slot A's program
  sim_.Receive(request.data(), request.size());
  // The reply (139 bytes) holds the wire from 1 ms on; the knob turned meanwhile follows
  // it, and three turned together leave one after another, 960 us each.
  const uint64_t replyEnd = 1000 + 139 * 320;
  sim_.PlayControlChange(2000, 0, 74, 1);
  for (int value = 2; value <= 4; ++value) sim_.PlayControlChange(replyEnd + 10000, 1, 42, value);
  sim_.PlayProgramChange(replyEnd + 10000, 1, 3);
  clock_.Advance(replyEnd + 20000);
  const std::vector<std::pair<uint64_t, Message>> expected = {{replyEnd + 960, {0xB0, 74, 1}},
                                                              {replyEnd + 10960, {0xB1, 42, 2}},
                                                              {replyEnd + 11920, {0xB1, 42, 3}},
                                                              {replyEnd + 12880, {0xB1, 42, 4}},
                                                              {replyEnd + 13520, {0xC1, 3}}};
  ASSERT_EQ(sent_.size(), 6u);
  EXPECT_EQ(sent_[0].second.size(), 139u);
  const std::vector<std::pair<uint64_t, Message>> afterReply(sent_.begin() + 1, sent_.end());
  EXPECT_EQ(afterReply, expected);
}

TEST_F(SynthSimFrontPanel, OnTheGlobalChannelAStoredPerformanceLoads) {
  Message dump(715, 2);
  dump[0] = 0xF0, dump[1] = 0x33, dump[2] = 0, dump[3] = 0x04, dump[4] = 0x1F, dump[5] = 7, dump[714] = 0xF7;
  sim_.Receive(dump.data(), dump.size());
  const Message stored = sim_.StoredPerformance(0, 7);
  ASSERT_FALSE(stored.empty());
  ASSERT_NE(sim_.PerformanceEditBuffer(), stored);
  sim_.PlayProgramChange(0, sim_.Settings().deviceId, 7);
  clock_.Advance(1);
  EXPECT_EQ(sim_.PerformanceEditBuffer(), stored);
}

TEST_F(SynthSimFrontPanel, ScriptsPlayWholeOrNotAtAll) {
  std::string error;
  EXPECT_TRUE(
      PlayFrontPanelScript("# a knob, then a note\n\n10 cc 2 74 5\n  20 note 16 60 1\n30 pc 1 3\n", sim_, &error))
      << error;
  clock_.Advance(40000);
  ASSERT_EQ(sent_.size(), 3u);
  EXPECT_EQ(sent_[0], (std::pair<uint64_t, Message>{10000, {0xB1, 74, 5}}));
  EXPECT_EQ(sent_[1], (std::pair<uint64_t, Message>{20000, {0x9F, 60, 1}}));
  EXPECT_EQ(sent_[2], (std::pair<uint64_t, Message>{30000, {0xC0, 3}}));

  for (const char* bad : {"10 cc 0 74 5", "10 cc 17 74 5", "10 cc 1 128 5", "10 pc 1 3 4", "10 note 1 60",
                          "-1 cc 1 1 1", "10 wheel 1 1 1", "cc 1 1 1"}) {
    sent_.clear();
    EXPECT_FALSE(PlayFrontPanelScript(std::string("5 cc 1 1 1\n") + bad + "\n", sim_, &error)) << bad;
    EXPECT_EQ(error, std::string("line 2: ") + bad);
    clock_.Advance(20000);
    EXPECT_TRUE(sent_.empty()) << bad << ": nothing of a bad script plays";
  }
}

}  // namespace
