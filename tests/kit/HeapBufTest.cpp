#include "FailingAllocator.h"
#include "Kit_HeapBuf.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

TEST(HeapBuf, FreshPageGranularBufferAllocatesJustBelowAPage) {
  Kit_HeapBuf buf;
  ASSERT_NE(buf.Resize(10), nullptr);
  EXPECT_EQ(buf.GetSize(), 10);
  EXPECT_EQ(buf.GetAllocated(), 4000);
}

TEST(HeapBuf, SmallGranularityGrowsByTheStep) {
  Kit_HeapBuf buf(128);
  ASSERT_NE(buf.Resize(100), nullptr);
  EXPECT_EQ(buf.GetAllocated(), 228);
  // Half the new size once that exceeds the granularity.
  ASSERT_NE(buf.Resize(1000), nullptr);
  EXPECT_EQ(buf.GetAllocated(), 1500);
}

TEST(HeapBuf, GrowthWithinTheAllocationKeepsTheBlock) {
  Kit_HeapBuf buf;
  void* first = buf.Resize(10);
  EXPECT_EQ(buf.Resize(3999), first);
  EXPECT_EQ(buf.GetAllocated(), 4000);
}

TEST(HeapBuf, LargeBuffersGrowInWholePagesAtMostFourMegabytesAhead) {
  Kit_HeapBuf buf;
  ASSERT_NE(buf.Resize(20000), nullptr);
  // Half the size, rounded down to whole pages.
  EXPECT_EQ(buf.GetAllocated(), (20000 + 8192 + 96) / 4096 * 4096 - 96);
  ASSERT_NE(buf.Resize(100000000), nullptr);
  EXPECT_EQ(buf.GetAllocated(), (100000000 + 0x400000 + 96) / 4096 * 4096 - 96);
  EXPECT_EQ((buf.GetAllocated() + 96) % 4096, 0);
}

TEST(HeapBuf, ShrinkingWithoutResizeDownKeepsTheAllocation) {
  Kit_HeapBuf buf;
  buf.Resize(10000);
  const int allocated = buf.GetAllocated();
  ASSERT_NE(buf.Resize(10, false), nullptr);
  EXPECT_EQ(buf.GetSize(), 10);
  EXPECT_EQ(buf.GetAllocated(), allocated);
}

TEST(HeapBuf, ALargeDropWithResizeDownShrinksTheBlock) {
  Kit_HeapBuf buf;
  buf.Resize(100000);
  ASSERT_NE(buf.Resize(10, true), nullptr);
  EXPECT_EQ(buf.GetAllocated(), 4000);
}

TEST(HeapBuf, ASmallDropWithResizeDownKeepsTheBlock) {
  Kit_HeapBuf buf;
  buf.Resize(100000);
  const int allocated = buf.GetAllocated();
  // Above half the allocation: no shrink.
  buf.Resize(allocated / 2 + 1, true);
  EXPECT_EQ(buf.GetAllocated(), allocated);
  // Below half, but not 4 granules below the allocation.
  Kit_HeapBuf small(1024);
  small.Resize(1000);
  ASSERT_EQ(small.GetAllocated(), 2024);
  small.Resize(900, true);
  EXPECT_EQ(small.GetAllocated(), 2024);
}

TEST(HeapBuf, ResizeToZeroReturnsNull) {
  Kit_HeapBuf buf;
  buf.Resize(100);
  EXPECT_EQ(buf.Resize(0), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
  Kit_HeapBuf fresh;
  EXPECT_EQ(fresh.Resize(0), nullptr);
}

TEST(HeapBuf, MinimumAllocationIsHonoured) {
  Kit_HeapBuf buf(128);
  buf.SetMinAllocation(10000);
  buf.Resize(5);
  EXPECT_EQ(buf.GetAllocated(), 10000);
}

TEST(HeapBuf, ContentsSurviveGrowthAndShrink) {
  Kit_HeapBuf buf(16);
  char* data = static_cast<char*>(buf.Resize(26));
  for (int i = 0; i < 26; ++i) data[i] = char('a' + i);
  data = static_cast<char*>(buf.Resize(1000000));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::memcmp(data, "abcdefghijklmnopqrstuvwxyz", 26), 0);
  data = static_cast<char*>(buf.Resize(5, true));
  EXPECT_EQ(std::memcmp(data, "abcde", 5), 0);
}

TEST(HeapBuf, NegativeSizeIsRefusedAndChangesNothing) {
  Kit_HeapBuf buf;
  buf.Resize(50);
  EXPECT_EQ(buf.Resize(-1), nullptr);
  EXPECT_EQ(buf.GetSize(), 50);
}

TEST(HeapBuf, CopyIsDeep) {
  Kit_HeapBuf a;
  std::memcpy(a.Resize(4), "wxyz", 4);
  Kit_HeapBuf b(a);
  Kit_HeapBuf c;
  c = a;
  static_cast<char*>(a.Get())[0] = 'W';
  EXPECT_EQ(std::memcmp(b.Get(), "wxyz", 4), 0);
  EXPECT_EQ(std::memcmp(c.Get(), "wxyz", 4), 0);
  EXPECT_EQ(b.GetSize(), 4);
}

TEST(HeapBufAllocation, FailedGrowthReportsNullAndKeepsEverything) {
  FailingAllocator failing;
  Kit_HeapBuf buf;
  char* data = static_cast<char*>(buf.Resize(100));
  ASSERT_NE(data, nullptr);
  std::memcpy(data, "kept", 4);
  FailingAllocator::failAllocate = FailingAllocator::failReallocate = true;
  EXPECT_EQ(buf.Resize(100000), nullptr);
  EXPECT_EQ(buf.GetSize(), 100);
  EXPECT_EQ(buf.Get(), data);
  EXPECT_EQ(std::memcmp(buf.Get(), "kept", 4), 0);
}

TEST(HeapBufAllocation, FailedFirstAllocationReportsNull) {
  FailingAllocator failing;
  FailingAllocator::failAllocate = true;
  Kit_HeapBuf buf;
  EXPECT_EQ(buf.Resize(10), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
  EXPECT_EQ(buf.GetAllocated(), 0);
}

TEST(HeapBufAllocation, FailedReallocationFallsBackToAFreshCopy) {
  FailingAllocator failing;
  Kit_HeapBuf buf;
  std::memcpy(buf.Resize(8), "12345678", 8);
  FailingAllocator::failReallocate = true;
  char* data = static_cast<char*>(buf.Resize(50000));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::memcmp(data, "12345678", 8), 0);
  EXPECT_EQ(buf.GetSize(), 50000);
}

TEST(HeapBufAllocation, FailedShrinkKeepsTheLargerBlockAndSucceeds) {
  FailingAllocator failing;
  Kit_HeapBuf buf;
  std::memcpy(buf.Resize(100000), "abc", 3);
  const int allocated = buf.GetAllocated();
  FailingAllocator::failAllocate = FailingAllocator::failReallocate = true;
  char* data = static_cast<char*>(buf.Resize(3, true));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::memcmp(data, "abc", 3), 0);
  EXPECT_EQ(buf.GetAllocated(), allocated);
}

TEST(HeapBufAllocation, GrowthNearTwoGigabytesDoesNotOverflow) {
  FailingAllocator failing;
  FailingAllocator::failAllocate = FailingAllocator::failReallocate = true;
  for (int granularity : {128, 4096}) {
    Kit_HeapBuf buf(granularity);
    EXPECT_EQ(buf.Resize(INT_MAX - 10), nullptr);
    // The request covers the size and stays inside the int range.
    EXPECT_GE(FailingAllocator::lastRequest, size_t(INT_MAX - 10));
    EXPECT_LE(FailingAllocator::lastRequest, size_t(INT_MAX));
    EXPECT_EQ(buf.AllocationFor(INT_MAX), INT_MAX);
  }
}
