#include "Kit_HeapBuf.h"

#include <gtest/gtest.h>

#include <climits>

TEST(TypedBuf, CountsElementsOfItsType) {
  Kit_TypedBuf<double> buf;
  double* values = buf.Resize(5);
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(buf.GetSize(), 5);
  EXPECT_EQ(buf.Buffer().GetSize(), int(5 * sizeof(double)));
  for (int i = 0; i < 5; ++i) values[i] = i * 0.5;
  values = buf.Resize(1000);
  EXPECT_DOUBLE_EQ(values[4], 2.0);
}

TEST(TypedBuf, ElementCountThatOverflowsTheByteSizeIsRefused) {
  Kit_TypedBuf<int64_t> buf;
  buf.Resize(3);
  EXPECT_EQ(buf.Resize(INT_MAX / 4), nullptr);
  EXPECT_EQ(buf.GetSize(), 3);
  EXPECT_EQ(buf.Resize(-2), nullptr);
  EXPECT_EQ(buf.GetSize(), 3);
}

TEST(TypedBuf, ResizeToZeroEmptiesIt) {
  Kit_TypedBuf<int> buf;
  buf.Resize(4);
  EXPECT_EQ(buf.Resize(0), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
}
