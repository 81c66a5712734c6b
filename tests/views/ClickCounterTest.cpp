#include <gtest/gtest.h>

#include "views/View_ClickCounter.h"

namespace {

TEST(ViewClickCounter, SecondPressWithinTheTimeIsADoubleClick) {
  ViewClickCounter c;
  EXPECT_EQ(c.Press(ViewMouseButton::Left, 10, 10, 1000), 1);
  EXPECT_EQ(c.Press(ViewMouseButton::Left, 11, 9, 1000 + ViewClickCounter::kDoubleClickMillis), 2);
  EXPECT_EQ(c.Press(ViewMouseButton::Left, 11, 9, 1500), 3);
}

TEST(ViewClickCounter, SlowFarOrOtherButtonStartsAgain) {
  ViewClickCounter c;
  c.Press(ViewMouseButton::Left, 10, 10, 1000);
  EXPECT_EQ(c.Press(ViewMouseButton::Left, 10, 10, 1000 + ViewClickCounter::kDoubleClickMillis + 1), 1);
  EXPECT_EQ(c.Press(ViewMouseButton::Left, 10 + ViewClickCounter::kSlopPixels + 1, 10, 1500), 1);
  EXPECT_EQ(c.Press(ViewMouseButton::Right, 15, 10, 1600), 1);
}

TEST(ViewClickCounter, TimestampWrapIsStillClose) {
  ViewClickCounter c;
  c.Press(ViewMouseButton::Left, 0, 0, 0xFFFFFFF0u);
  EXPECT_EQ(c.Press(ViewMouseButton::Left, 0, 0, 0x10u), 2);
}

TEST(ViewClickCounter, TimeGoingBackwardsIsNotADoubleClick) {
  ViewClickCounter c;
  c.Press(ViewMouseButton::Left, 0, 0, 5000);
  EXPECT_EQ(c.Press(ViewMouseButton::Left, 0, 0, 4990), 1);
}

}  // namespace
