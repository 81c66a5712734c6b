#include <gtest/gtest.h>

#include <string>

#include "Framework/IGraphicsStructs.h"

TEST(IRECTRules, EmptyMeansAllZero) {
  EXPECT_TRUE(IRECT().Empty());
  EXPECT_FALSE(IRECT(0, 0, 0, 1).Empty());
  EXPECT_FALSE(IRECT(5, 5, 5, 5).Empty());
}

TEST(IRECTRules, IntersectsIncludesTouchingRightAndBottomEdges) {
  const IRECT a(0, 0, 10, 10);
  EXPECT_TRUE(a.Intersects(IRECT(10, 0, 20, 10)));   // A.R >= B.L
  EXPECT_FALSE(IRECT(10, 0, 20, 10).Intersects(a));  // A.L < B.R fails
  EXPECT_FALSE(a.Intersects(IRECT(11, 0, 20, 10)));
  EXPECT_FALSE(a.Intersects(IRECT()));
  EXPECT_FALSE(IRECT().Intersects(a));
}

TEST(IRECTRules, UnionAndIntersection) {
  const IRECT a(0, 0, 10, 10), b(5, 2, 20, 8);
  EXPECT_EQ(a.Union(b), IRECT(0, 0, 20, 10));
  EXPECT_EQ(IRECT().Union(b), b);
  EXPECT_EQ(a.Union(IRECT()), a);
  EXPECT_EQ(a.Intersect(b), IRECT(5, 2, 10, 8));
  EXPECT_EQ(a.Intersect(IRECT(30, 30, 40, 40)), IRECT());
}

TEST(IRECTRules, ContainsExcludesRightAndBottom) {
  const IRECT r(2, 3, 6, 8);
  EXPECT_TRUE(r.Contains(2, 3));
  EXPECT_TRUE(r.Contains(5, 7));
  EXPECT_FALSE(r.Contains(6, 7));
  EXPECT_FALSE(r.Contains(5, 8));
}

TEST(IColorPixel, RoundTripsThroughTheRasteriserLayout) {
  const IColor c(128, 1, 2, 3);
  EXPECT_EQ(c.ToPixel(), 0x03020180u);
  EXPECT_EQ(IColor::FromPixel(c.ToPixel()), c);
  // Out-of-range channels are masked, never spilling into a neighbour.
  EXPECT_EQ(IColor(256 + 5, 0, 0, 0).ToPixel(), 5u);
}

TEST(IText, FaceNamesAreCutToTheirField) {
  IText t;
  t.SetFont("A face name that is far longer than thirty-one characters");
  EXPECT_EQ(std::string(t.font).size(), 31u);
}

TEST(IBitmapFrames, ZeroFramesCountAsOne) {
  IBitmap b(nullptr, 30, 90, 0);
  EXPECT_EQ(b.FrameHeight(), 90);
  IBitmap strip(nullptr, 30, 90, 3);
  EXPECT_EQ(strip.FrameHeight(), 30);
  IBitmap side(nullptr, 90, 30, 3, true);
  EXPECT_EQ(side.FrameWidth(), 30);
  EXPECT_EQ(side.FrameHeight(), 30);
}
