#include <gtest/gtest.h>

#include "MidiTransport/MidiPortByteRing.h"

namespace {
std::vector<unsigned char> PopOne(MidiPortByteRing& ring) {
  std::vector<unsigned char> message(ring.PeekSize());
  ring.Pop(message.data());
  return message;
}
}  // namespace

TEST(MidiPortByteRing, KeepsMessagesWholeAndInOrderAcrossTheWrap) {
  MidiPortByteRing ring(64);
  for (int round = 0; round < 50; ++round) {
    const std::vector<unsigned char> a(5, static_cast<unsigned char>(round));
    const std::vector<unsigned char> b(11, static_cast<unsigned char>(round + 100));
    ASSERT_TRUE(ring.Push(a.data(), 5));
    ASSERT_TRUE(ring.Push(b.data(), 11));
    EXPECT_EQ(PopOne(ring), a);
    // A header read in place, then the rest without it.
    unsigned char front[3] = {};
    ring.PeekFront(front, 3);
    EXPECT_EQ(std::vector<unsigned char>(front, front + 3), std::vector<unsigned char>(b.begin(), b.begin() + 3));
    std::vector<unsigned char> rest(8);
    ring.Pop(rest.data(), 3);
    EXPECT_EQ(rest, std::vector<unsigned char>(b.begin() + 3, b.end()));
  }
  EXPECT_EQ(ring.PeekSize(), 0u);
}

TEST(MidiPortByteRing, RefusesWhatDoesNotFitAndStaysIntact) {
  MidiPortByteRing ring(64);
  const std::vector<unsigned char> message(28, 7);
  ASSERT_TRUE(ring.Push(message.data(), 28));
  ASSERT_TRUE(ring.Push(message.data(), 28));
  EXPECT_FALSE(ring.Push(message.data(), 1));
  EXPECT_EQ(PopOne(ring), message);
  EXPECT_TRUE(ring.Push(message.data(), 28));
  EXPECT_FALSE(ring.CanEverHold(61));
  EXPECT_TRUE(ring.CanEverHold(60));
}

TEST(MidiPortByteRing, EmptyMessageIsRefusedAndDropSkipsOne) {
  MidiPortByteRing ring(64);
  const unsigned char bytes[3] = {1, 2, 3};
  EXPECT_FALSE(ring.Push(bytes, 0));
  ASSERT_TRUE(ring.Push(bytes, 3));
  ASSERT_TRUE(ring.Push(bytes + 1, 2));
  ring.Drop();
  EXPECT_EQ(PopOne(ring), std::vector<unsigned char>({2, 3}));
}

TEST(MidiPortByteRing, StagedMessagesShowOnlyOncePublished) {
  MidiPortByteRing ring(64);
  const std::vector<unsigned char> a(20, 1), b(20, 2), c(20, 3);
  ASSERT_TRUE(ring.Stage(a.data(), 20));
  ASSERT_TRUE(ring.Stage(b.data(), 20));
  EXPECT_EQ(ring.PeekSize(), 0u);
  EXPECT_FALSE(ring.Stage(c.data(), 20));  // staged ones take their room
  ring.Publish();
  EXPECT_EQ(PopOne(ring), a);
  EXPECT_EQ(PopOne(ring), b);
  EXPECT_TRUE(ring.Empty());
}
