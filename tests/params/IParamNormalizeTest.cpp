#include <gtest/gtest.h>

#include <cmath>

#include "Framework/IParam.h"

TEST(IParamNormalize, FreshRecordRoundsToItsStepButNormalisesPlainValues) {
  IParam param;
  EXPECT_EQ(param.Type(), IParam::kTypeNone);
  param.SetNormalized(0.3);
  EXPECT_DOUBLE_EQ(param.Value(), 0.0);
  EXPECT_DOUBLE_EQ(param.GetNormalized(0.3), 0.3);
}

TEST(IParamNormalize, IntWithShapeTwoRoundsToNearestStep) {
  IParam param;
  param.InitInt("n", 0, 0, 10);
  param.SetShape(2.0);
  param.SetNormalized(1.0);
  EXPECT_DOUBLE_EQ(param.Value(), 10.0);
  param.SetNormalized(0.5);  // 0.25 * 10 = 2.5 rounds up
  EXPECT_DOUBLE_EQ(param.Value(), 3.0);
  EXPECT_NEAR(param.GetNormalized(), std::sqrt(0.3), 1e-12);
}

TEST(IParamNormalize, DoubleIsNotRoundedToItsStep) {
  IParam param;
  param.InitDouble("d", 0.0, 0.0, 10.0, 1.0);
  param.SetNormalized(0.123);
  EXPECT_DOUBLE_EQ(param.Value(), 1.23);
}

TEST(IParamNormalize, SetNormalizedHoldsInputToZeroOne) {
  // Host chunks reach SetNormalized: whatever arrives lands on an end, NaN on the low one.
  const struct {
    double normalized;
    double expected;
  } cases[] = {
      {1.5, 10.0}, {-0.5, 2.0}, {-1e300, 2.0}, {1e300, 10.0}, {NAN, 2.0}, {-INFINITY, 2.0}, {INFINITY, 10.0},
  };
  for (const auto& c : cases) {
    for (double shape : {1.0, 0.5, 3.0}) {
      IParam param;
      param.InitInt("n", 6, 2, 10);
      param.SetShape(shape);
      param.SetNormalized(c.normalized);
      EXPECT_DOUBLE_EQ(param.Value(), c.expected) << c.normalized << " shape " << shape;
    }
  }
}

TEST(IParamNormalize, OutOfRangeValuesNormaliseToTheEnds) {
  IParam param;
  param.InitInt("n", 0, -5, 5);
  EXPECT_DOUBLE_EQ(param.GetNormalized(-100.0), 0.0);
  EXPECT_DOUBLE_EQ(param.GetNormalized(100.0), 1.0);
  EXPECT_DOUBLE_EQ(param.GetNormalized(0.0), 0.5);
}

TEST(IParamNormalize, ShapeZeroIsIgnored) {
  IParam param;
  param.SetShape(3.0);
  param.SetShape(0.0);
  EXPECT_DOUBLE_EQ(param.GetShape(), 3.0);
}

TEST(IParamNormalize, SingleEntryMenuStaysFinite) {
  // A port menu holding only "OFF": one display text makes max equal min.
  IParam single;
  single.InitEnum("port", 0, 1);
  single.SetDisplayText(0, "OFF");
  EXPECT_DOUBLE_EQ(single.GetMin(), 0.0);
  EXPECT_DOUBLE_EQ(single.GetMax(), 0.0);
  EXPECT_DOUBLE_EQ(single.GetNormalized(), 0.0);
  EXPECT_DOUBLE_EQ(single.GetNormalized(3.0), 0.0);
  single.SetNormalized(0.7);
  EXPECT_DOUBLE_EQ(single.Value(), 0.0);
  EXPECT_DOUBLE_EQ(single.GetNormalized(), 0.0);
}

TEST(IParamNormalize, ClampedWriteStaysInRange) {
  IParam param;
  param.InitInt("n", 0, 1, 4);
  param.SetClamped(-3.0);
  EXPECT_DOUBLE_EQ(param.Value(), 1.0);
  param.SetClamped(9.0);
  EXPECT_DOUBLE_EQ(param.Value(), 4.0);
  param.SetClamped(2.5);
  EXPECT_DOUBLE_EQ(param.Value(), 2.5);
}

TEST(IParamNormalize, IntTruncatesSafely) {
  IParam param;
  param.Set(-2.7);
  EXPECT_EQ(param.Int(), -2);
  param.Set(1e300);
  EXPECT_EQ(param.Int(), INT32_MAX);
  param.Set(NAN);
  EXPECT_EQ(param.Int(), 0);
}

TEST(IParamNormalize, DBToAmp) {
  IParam param;
  param.Set(20.0);
  EXPECT_NEAR(param.DBToAmp(), 10.0, 1e-9);
  param.Set(0.0);
  EXPECT_DOUBLE_EQ(param.DBToAmp(), 1.0);
}

TEST(IParamNormalize, NotANumberNormalisesToTheLowEnd) {
  IParam param;
  param.InitDouble("level", 0.0, -6.0, 6.0, 0.5);
  param.SetShape(2.0);
  const double nan = std::nan("");
  EXPECT_DOUBLE_EQ(param.GetNormalized(nan), 0.0);
  param.Set(nan);
  EXPECT_DOUBLE_EQ(param.GetNormalized(), 0.0);
}
