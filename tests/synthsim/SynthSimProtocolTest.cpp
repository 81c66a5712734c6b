#include <gtest/gtest.h>

#include "Kit_TimeSource.h"
#include "SynthSim.h"
#include "SynthSimPatches.h"

namespace {
using Message = SynthSim::Message;

Message Request(int deviceId, uint8_t type, uint8_t number) {
  return {0xF0, 0x33, static_cast<uint8_t>(deviceId), 0x04, type, number, 0xF7};
}

Message ProgramDump(int deviceId, uint8_t type, uint8_t number, uint8_t fill) {
  Message dump(139, fill);
  dump[0] = 0xF0;
  dump[1] = 0x33;
  dump[2] = static_cast<uint8_t>(deviceId);
  dump[3] = 0x04;
  dump[4] = type;
  dump[5] = number;
  dump[138] = 0xF7;
  return dump;
}

Message PerformanceDump(int deviceId, uint8_t type, uint8_t number, uint8_t fill, size_t size) {
  Message dump(size, fill);
  dump[0] = 0xF0;
  dump[1] = 0x33;
  dump[2] = static_cast<uint8_t>(deviceId);
  dump[3] = 0x04;
  dump[4] = type;
  dump[5] = number;
  dump[size - 1] = 0xF7;
  return dump;
}

int UnsignedPair(const Message& data, int position) { return data[position - 6] + 16 * data[position - 5]; }
int SignedPair(const Message& data, int position) {
  const int v = UnsignedPair(data, position);
  return data[position - 5] < 8 ? v + 128 : v - 128;
}

class SynthSimProtocol : public ::testing::Test {
protected:
  void SetUp() override { Kit_SetTimeSource(&clock_); }
  void TearDown() override { Kit_SetTimeSource(nullptr); }

  void Configure(int deviceId, int model) {
    SynthSimSettings settings = sim_.Settings();
    settings.deviceId = deviceId;
    settings.model = model;
    sim_.SetSettings(settings);
  }
  void Receive(const Message& message) { sim_.Receive(message.data(), message.size()); }
  // Replies that fall due within the next `micros`.
  std::vector<Message> RepliesWithin(uint64_t micros) {
    clock_.Advance(micros);
    std::vector<Message> due;
    due.swap(replies_);
    return due;
  }

  Kit_VirtualClock clock_{0};
  SynthSimVirtualScheduler scheduler_{clock_};
  std::vector<Message> replies_;
  SynthSim sim_{SynthSimSettings{}, scheduler_, [this](const Message& m) { replies_.push_back(m); }};
};

TEST_F(SynthSimProtocol, EditPerformancePartBlocksAreTheProgramEditBuffers) {
  // Every field by name is the dump coders' round trip; here where values land.
  ASSERT_TRUE(sim_.SetValue("kFilterCutoff", 2, 200));
  ASSERT_TRUE(sim_.SetValue("kVFilterCutoff", 2, 0));
  // One value in two nybbles, low first: 25 is 9, 1.
  ASSERT_TRUE(sim_.SetValue("kGlobalCtrlChange", 0, 25));
  EXPECT_FALSE(sim_.SetValue("kMDB52", 0, 9));
  EXPECT_FALSE(sim_.SetValue("kNoSuchParameter", 0, 1));
  EXPECT_EQ(sim_.Value("kFilterCutoff", 4), -1);
  const Message program = sim_.ProgramEditBuffer(2);
  EXPECT_EQ(UnsignedPair(program, 12), 200);
  EXPECT_EQ(SignedPair(program, 62), 0);
  const Message performance = sim_.PerformanceEditBuffer();
  EXPECT_EQ(Message(performance.begin() + 2 * 132, performance.begin() + 3 * 132), program);
  EXPECT_EQ(performance[640 - 6], 9);
  EXPECT_EQ(performance[641 - 6], 1);

  // A program sent to slot B shows in the performance; a performance sets all four.
  Receive(ProgramDump(0, 0, 1, 0x05));
  const Message withProgram = sim_.PerformanceEditBuffer();
  EXPECT_EQ(Message(withProgram.begin() + 132, withProgram.begin() + 264), Message(132, 0x05));
  Receive(PerformanceDump(0, 0x1E, 0, 0x06, 715));
  for (int slot = 0; slot < 4; ++slot) EXPECT_EQ(sim_.ProgramEditBuffer(slot), Message(132, 0x06));
}

TEST_F(SynthSimProtocol, ReplyLengthsGiveEachForm) {
  struct Case {
    int length;
    uint8_t request;
    size_t size;
  };
  const Case kCases[] = {{139, 0x0A, 139}, {149, 0x0A, 149}, {149, 0x28, 715}, {711, 0x28, 711}, {712, 0x28, 712},
                         {720, 0x28, 720}, {725, 0x28, 725}, {765, 0x28, 765}, {765, 0x0A, 139}};
  for (const Case& c : kCases) {
    SynthSimSettings settings = sim_.Settings();
    settings.replyLength = c.length;
    sim_.SetSettings(settings);
    Receive(Request(0, c.request, 0));
    const auto replies = RepliesWithin(2000);
    ASSERT_EQ(replies.size(), 1u) << c.length;
    EXPECT_EQ(replies[0].size(), c.size) << c.length;
    EXPECT_EQ(replies[0].front(), 0xF0);
    EXPECT_EQ(replies[0].back(), 0xF7) << c.length;
    for (size_t i = 1; i + 1 < replies[0].size(); ++i) ASSERT_LT(replies[0][i], 0x80) << c.length << " at " << i;
  }
}

TEST_F(SynthSimProtocol, WireTimeSilenceSlotByteAndUnaskedDumps) {
  SynthSimSettings settings = sim_.Settings();
  settings.wireTime = true;
  settings.silentAfterRequests = 2;
  settings.slotByteOutOfRange = true;
  sim_.SetSettings(settings);
  Receive(Request(0, 0x28, 0));
  Receive(Request(0, 0x0A, 3));
  Receive(Request(0, 0x0A, 2));  // the third request: silent from here
  // 715 bytes at 320 us each after the 1 ms latency, then the program behind it.
  EXPECT_TRUE(RepliesWithin(1000 + 715 * 320 - 1).empty());
  EXPECT_EQ(RepliesWithin(1).size(), 1u);
  EXPECT_TRUE(RepliesWithin(139 * 320 - 1).empty());
  const auto program = RepliesWithin(1);
  ASSERT_EQ(program.size(), 1u);
  EXPECT_EQ(program[0][5], 3 + 4);
  EXPECT_TRUE(RepliesWithin(10000000).empty());

  sim_.SendProgramUnasked(1);
  sim_.SendPerformanceUnasked();
  const auto unasked = RepliesWithin(10000000);
  ASSERT_EQ(unasked.size(), 2u);
  EXPECT_EQ(unasked[0].size(), 139u);
  EXPECT_EQ(unasked[1].size(), 715u);
}

TEST_F(SynthSimProtocol, KeepsArrivalTimes) {
  Receive({0xF8});
  clock_.Advance(5000);
  Receive({0xFA});
  const auto arrivals = sim_.Arrivals();
  ASSERT_EQ(arrivals.size(), 2u);
  EXPECT_EQ(arrivals[1].micros - arrivals[0].micros, 5000u);
  EXPECT_EQ(arrivals[1].message, Message{0xFA});
}

}  // namespace

TEST_F(SynthSimProtocol, StartsWithTheInitProgramInEverySlot) {
  for (int slot = 0; slot < 4; ++slot) {
    const Message data = sim_.ProgramEditBuffer(slot);
    ASSERT_EQ(data.size(), 132u);
    EXPECT_EQ(UnsignedPair(data, 6), 60);    // second oscillator semitones
    EXPECT_EQ(UnsignedPair(data, 12), 127);  // filter cutoff
    EXPECT_EQ(UnsignedPair(data, 40), 100);  // amp gain
    for (int position = 56; position < 106; position += 2) EXPECT_EQ(SignedPair(data, position), 128);
    EXPECT_EQ(data[122 - 6], 2);  // oscillator mode
  }
  // Stored programs are the INIT sound with the number as cutoff and 100 less the
  // bank as amp gain; nothing else differs.
  Message stored = sim_.StoredProgram(9, 98);
  ASSERT_EQ(stored.size(), 132u);
  EXPECT_EQ(UnsignedPair(stored, 12), 98);
  EXPECT_EQ(UnsignedPair(stored, 40), 91);
  stored[12 - 6] = 0x0F, stored[13 - 6] = 0x07, stored[40 - 6] = 0x04, stored[41 - 6] = 0x06;
  EXPECT_EQ(stored, SynthSimInitProgramData());
  EXPECT_TRUE(sim_.StoredProgram(10, 0).empty());
  EXPECT_TRUE(sim_.ProgramEditBuffer(4).empty());
}

TEST_F(SynthSimProtocol, InitPerformanceCarriesFourInitPartsAndItsSettings) {
  const Message data = sim_.PerformanceEditBuffer();
  ASSERT_EQ(data.size(), 708u);
  const Message program = SynthSimInitProgramData();
  for (int slot = 0; slot < 4; ++slot) {
    EXPECT_TRUE(std::equal(program.begin(), program.end(), data.begin() + slot * 132));
  }
  // Part channels 1..4, split point pair 4 + 16 * 2.
  EXPECT_EQ(data[536 - 6], 1);
  EXPECT_EQ(data[540 - 6], 3);
  EXPECT_EQ(UnsignedPair(data, 712), 36);
  EXPECT_EQ(data[636 - 6], 4);
}

TEST_F(SynthSimProtocol, PerformanceRequestIsAnsweredWithA715ByteDumpAfterTheLatency) {
  Configure(5, 1);
  Receive(Request(5, 0x28, 0));
  EXPECT_TRUE(RepliesWithin(999).empty());
  const auto replies = RepliesWithin(1);
  ASSERT_EQ(replies.size(), 1u);
  const Message& dump = replies[0];
  ASSERT_EQ(dump.size(), 715u);
  EXPECT_EQ(dump[0], 0xF0);
  EXPECT_EQ(dump[1], 0x33);
  EXPECT_EQ(dump[2], 5);
  EXPECT_EQ(dump[4], 0x1E);
  EXPECT_EQ(dump[5], 0);
  EXPECT_EQ(dump[714], 0xF7);
  EXPECT_EQ(dump[636], 5);  // the global channel: its own id, not the INIT performance's 4
  Message expected = sim_.PerformanceEditBuffer();
  expected[636 - 6] = 5;
  expected[637 - 6] = 0;
  EXPECT_EQ(Message(dump.begin() + 6, dump.end() - 1), expected);
}

TEST_F(SynthSimProtocol, PerformanceRepliesCarryTheUnitsIdAsTheirGlobalChannel) {
  Configure(9, 2);
  Receive(PerformanceDump(9, 0x1E, 0, 0x02, 715));
  Receive(PerformanceDump(9, 0x1F + 1, 3, 0x03, 725));
  Receive(Request(9, 0x28, 0));
  Receive(Request(9, 0x29 + 1, 3));
  const auto replies = RepliesWithin(2000);
  ASSERT_EQ(replies.size(), 2u);
  for (const Message& reply : replies) {
    ASSERT_EQ(reply.size(), 715u);
    // 9 as two nybbles, low first; its neighbours as stored.
    EXPECT_EQ(reply[636], 9);
    EXPECT_EQ(reply[637], 0);
    EXPECT_EQ(reply[635], reply[638]);
  }
  EXPECT_EQ(replies[0][638], 0x02);
  EXPECT_EQ(replies[1][638], 0x03);
  EXPECT_EQ(sim_.PerformanceEditBuffer()[636 - 6], 0x02);  // the memory keeps what it was sent
}

TEST_F(SynthSimProtocol, RequestsForAnotherDeviceIdGoUnanswered) {
  Configure(3, 1);
  for (int id = 0; id < 16; ++id) {
    if (id != 3) Receive(Request(id, 0x28, 0));
  }
  EXPECT_TRUE(RepliesWithin(1000000).empty());
  EXPECT_EQ(sim_.ReceivedCount(), 15u);
}

TEST_F(SynthSimProtocol, SlotRequestTypeDependsOnTheModel) {
  Configure(0, 1);
  Receive(Request(0, 0x0A, 2));
  Receive(Request(0, 0x0E, 2));  // on this model: stored program of bank 3
  auto replies = RepliesWithin(2000);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].size(), 139u);
  EXPECT_EQ(replies[0][4], 0);
  EXPECT_EQ(replies[0][5], 2);
  EXPECT_EQ(replies[1][4], 4);  // bank 3 + 1

  Configure(0, 2);
  Receive(Request(0, 0x0E, 3));
  Receive(Request(0, 0x0A, 3));  // means nothing on the ten-bank model
  replies = RepliesWithin(2000);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][4], 0);
  EXPECT_EQ(replies[0][5], 3);
}

TEST_F(SynthSimProtocol, StoredProgramRequestAnswersFromItsBank) {
  Configure(0, 2);
  Receive(ProgramDump(0, 10, 42, 0x05));  // store into bank 9, program 42
  Receive(Request(0, 0x0F + 9, 42));
  Receive(Request(0, 0x0F + 9, 99));  // no program 99 in a bank
  const auto replies = RepliesWithin(2000);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].size(), 139u);
  EXPECT_EQ(replies[0][4], 10);
  EXPECT_EQ(replies[0][5], 42);
  EXPECT_EQ(replies[0][6], 0x05);
  EXPECT_EQ(sim_.StoredProgram(9, 42), Message(132, 0x05));
}

TEST_F(SynthSimProtocol, StoredPerformanceRequestsFollowTheModelsBanks) {
  Configure(0, 2);
  Receive(PerformanceDump(0, 0x1F + 2, 7, 0x03, 715));
  EXPECT_EQ(sim_.StoredPerformance(2, 7), Message(708, 0x03));
  Receive(Request(0, 0x29 + 2, 7));
  auto replies = RepliesWithin(2000);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].size(), 715u);
  EXPECT_EQ(replies[0][4], 0x1F + 2);
  EXPECT_EQ(replies[0][5], 7);
  EXPECT_EQ(replies[0][6], 0x03);

  Configure(0, 1);  // one performance bank only
  Receive(Request(0, 0x29 + 1, 7));
  EXPECT_TRUE(RepliesWithin(2000).empty());
  Receive(Request(0, 0x29, 99));
  replies = RepliesWithin(2000);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][4], 0x1F);
  EXPECT_EQ(replies[0][5], 99);
}

TEST_F(SynthSimProtocol, StoresProgramDumpsSentToItsSlots) {
  Receive(ProgramDump(0, 0, 1, 0x09));
  EXPECT_EQ(sim_.ProgramEditBuffer(1), Message(132, 0x09));
  EXPECT_EQ(sim_.ProgramEditBuffer(0), SynthSimInitProgramData());
  Receive(Request(0, 0x0A, 1));
  const auto replies = RepliesWithin(2000);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(Message(replies[0].begin() + 6, replies[0].end() - 1), Message(132, 0x09));
}

TEST_F(SynthSimProtocol, StoresNamedProgramAndLongPerformanceDumps) {
  Message named = ProgramDump(0, 0, 3, 0x02);
  named.insert(named.end() - 1, 10, 'A');
  Receive(named);
  EXPECT_EQ(sim_.ProgramEditBuffer(3), Message(132, 0x02));
  Receive(PerformanceDump(0, 0x1E, 0, 0x04, 765));
  EXPECT_EQ(sim_.PerformanceEditBuffer(), Message(708, 0x04));
}

TEST_F(SynthSimProtocol, IgnoresDumpsForOthersAndMalformedDumps) {
  const Message init = SynthSimInitProgramData();
  Receive(ProgramDump(1, 0, 0, 0x01));  // another device id
  Message wrongMaker = ProgramDump(0, 0, 0, 0x01);
  wrongMaker[1] = 0x41;
  Receive(wrongMaker);
  Message noEnd = ProgramDump(0, 0, 0, 0x01);
  noEnd.back() = 0x00;
  Receive(noEnd);
  Message truncated = ProgramDump(0, 0, 0, 0x01);
  truncated.resize(100);
  Receive(truncated);
  Receive(ProgramDump(0, 0, 4, 0x01));  // no slot 4
  Receive(PerformanceDump(0, 0x1E, 0, 0x01, 714));
  Receive(PerformanceDump(0, 0x1E, 0, 0x01, 766));
  EXPECT_EQ(sim_.ProgramEditBuffer(0), init);
  EXPECT_EQ(sim_.PerformanceEditBuffer(), SynthSimInitPerformanceData());
  EXPECT_TRUE(RepliesWithin(10000).empty());
  EXPECT_EQ(sim_.ReceivedCount(), 7u);
}

TEST_F(SynthSimProtocol, SilentUnitRecordsButNeverAnswers) {
  SynthSimSettings settings = sim_.Settings();
  settings.silent = true;
  sim_.SetSettings(settings);
  Receive(Request(0, 0x28, 0));
  EXPECT_TRUE(RepliesWithin(10000000).empty());
  EXPECT_EQ(sim_.ReceivedCount(), 1u);
}

TEST_F(SynthSimProtocol, WrongSizeRepliesFallOutsideTheAcceptedLengths) {
  SynthSimSettings settings = sim_.Settings();
  settings.wrongSizeReplies = true;
  sim_.SetSettings(settings);
  Receive(Request(0, 0x28, 0));
  Receive(Request(0, 0x0A, 0));
  const auto replies = RepliesWithin(2000);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].size(), 710u);
  EXPECT_EQ(replies[1].size(), 140u);
  EXPECT_EQ(replies[0].back(), 0xF7);
  EXPECT_EQ(replies[1].back(), 0xF7);
}

TEST_F(SynthSimProtocol, RepliesKeepTheOrderOfTheRequests) {
  for (uint8_t slot = 0; slot < 4; ++slot) Receive(Request(0, 0x0A, slot));
  const auto replies = RepliesWithin(2000);
  ASSERT_EQ(replies.size(), 4u);
  for (uint8_t slot = 0; slot < 4; ++slot) EXPECT_EQ(replies[slot][5], slot);
}

TEST_F(SynthSimProtocol, RecordsEveryMessageInOrder) {
  const std::vector<Message> sent = {{0xB0, 74, 100}, {0xC1, 5}, {0x80, 60, 64}, {0xFA}, {0xF8}, {0xFC}};
  for (const Message& m : sent) Receive(m);
  Receive({});
  EXPECT_EQ(sim_.Received(), sent);
  EXPECT_TRUE(RepliesWithin(10000).empty());
}
