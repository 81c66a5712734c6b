#include <gtest/gtest.h>

#include "editor/midi/IMidiQueue.h"

namespace {

std::vector<int> Offsets(const IMidiQueue& q) {
  std::vector<int> out;
  for (const IMidiMsg& m : q.waiting()) out.push_back(m.mOffset * 100 + m.mData1);
  return out;
}

TEST(MidiQueue, KeepsOffsetOrderAndArrivalOrderOfEqualOffsets) {
  IMidiQueue q(4, 4);
  const int adds[][2] = {{5, 1}, {2, 2}, {5, 3}, {0, 4}, {2, 5}, {9, 6}};  // offset, tag
  for (const auto& a : adds) {
    IMidiMsg m(a[0], 0xB0, uint8_t(a[1]), 0);
    q.Add(&m);
  }
  EXPECT_EQ(Offsets(q), (std::vector<int>{4, 202, 205, 501, 503, 906}));
  EXPECT_EQ(q.capacity(), 8);  // grown by the granularity
}

TEST(MidiQueue, ResizeFitsTheBlockAndKeepsWaitingMessages) {
  IMidiQueue q(1024, 1024);
  for (int i = 0; i < 600; ++i) {
    IMidiMsg m(i, 0x90, 60, 100);
    q.Add(&m);
  }
  q.Resize(100);
  EXPECT_EQ(q.granularity(), 512);
  EXPECT_EQ(q.capacity(), 1024);  // 600 waiting, rounded up to 512
  EXPECT_EQ(q.size(), 600);
  q.Resize(513);
  EXPECT_EQ(q.granularity(), 1024);
  EXPECT_EQ(q.waiting().front().mOffset, 0);
  EXPECT_EQ(q.waiting().back().mOffset, 599);
}

TEST(MidiQueue, WithoutGranularityAFullQueueDropsTheMessage) {
  IMidiQueue q(1, 0);
  IMidiMsg a(1, 0x90, 1, 1), b(0, 0x90, 2, 1);
  q.Add(&a);
  q.Add(&b);
  EXPECT_EQ(q.size(), 1);
  EXPECT_EQ(q.waiting().front().mData1, 1);
}

}  // namespace
