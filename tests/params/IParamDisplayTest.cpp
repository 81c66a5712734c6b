#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Framework/IParam.h"

namespace {
std::string Shown(const IParam& param, double value, bool normalized = false, bool withDisplayText = true,
                  int size = 64) {
  char out[64];
  std::memset(out, '#', sizeof out);
  param.GetDisplayForHost(value, normalized, out, size, withDisplayText);
  return out;
}
}  // namespace

TEST(IParamDisplay, TextsGrowInOrderAndSetMax) {
  IParam param;
  param.InitEnum("e", 0, 10);
  for (int v = 0; v < 4; ++v) param.SetDisplayText(v, ("t" + std::to_string(v)).c_str());
  EXPECT_EQ(param.GetNDisplayTexts(), 4);
  EXPECT_DOUBLE_EQ(param.GetMax(), 3.0);
  EXPECT_EQ(param.SetDisplayText(2, "again"), "again");
  EXPECT_EQ(param.GetNDisplayTexts(), 4);
  EXPECT_DOUBLE_EQ(param.GetMax(), 3.0);
  EXPECT_EQ(param.GetDisplayText(2), "again");
  int value = -1;
  EXPECT_EQ(param.GetDisplayTextAtIdx(3, &value), "t3");
  EXPECT_EQ(value, 3);
}

TEST(IParamDisplay, OutOfRangeValuesAreIgnored) {
  IParam param;
  param.SetDisplayText(0, "zero");
  EXPECT_EQ(param.SetDisplayText(-1, "minus"), "");
  EXPECT_EQ(param.SetDisplayText(5, "gap"), "");
  EXPECT_EQ(param.GetNDisplayTexts(), 1);
  EXPECT_DOUBLE_EQ(param.GetMax(), 0.0);
  EXPECT_EQ(param.GetDisplayText(-1), "");
  EXPECT_EQ(param.GetDisplayText(5), "");
  int value = 42;
  EXPECT_EQ(param.GetDisplayTextAtIdx(7, &value), "");
  EXPECT_EQ(value, 42);
}

TEST(IParamDisplay, LongTextIsCut) {
  IParam param;
  const std::string longText(300, 'y');
  EXPECT_EQ(std::string(param.SetDisplayText(0, longText.c_str())), std::string(IParam::kMaxDisplayTextLength, 'y'));
}

TEST(IParamDisplay, MapDisplayTextIsExact) {
  IParam param;
  param.SetDisplayText(0, "Alpha");
  param.SetDisplayText(1, "Beta");
  int value = -7;
  EXPECT_FALSE(param.MapDisplayText("beta", &value));
  EXPECT_EQ(value, -7);
  EXPECT_TRUE(param.MapDisplayText("Beta", &value));
  EXPECT_EQ(value, 1);
}

TEST(IParamDisplay, ResetEmptiesTheTable) {
  IParam param;
  param.InitBool("b", false);
  param.ResetDisplayTexts();
  EXPECT_EQ(param.GetNDisplayTexts(), 0);
  EXPECT_EQ(param.GetDisplayText(0), "");
}

TEST(IParamDisplay, HostTextOfNumbers) {
  IParam param;
  EXPECT_EQ(Shown(param, 2.7), "2");
  EXPECT_EQ(Shown(param, -0.5), "0");
  IParam fine;
  fine.InitDouble("d", 0.0, -10.0, 10.0, 0.1);
  fine.NegateDisplay(true);
  EXPECT_EQ(Shown(fine, 3.5), "-3.5");
  EXPECT_EQ(Shown(fine, 0.75, true), "-5.0");  // normalized 0.75 maps to 5
}

TEST(IParamDisplay, HostTextPrefersDisplayText) {
  IParam param;
  param.InitBool("b", false);
  EXPECT_EQ(Shown(param, 1.0), "on");
  EXPECT_EQ(Shown(param, 1.0, false, false), "1");
  EXPECT_EQ(Shown(param, 1.0, true), "on");
}

TEST(IParamDisplay, HostTextRespectsTheSize) {
  IParam param;
  param.SetDisplayText(0, "a long display text");
  EXPECT_EQ(Shown(param, 0.0, false, true, 5), "a lo");
  IParam number;
  number.InitInt("n", 0, 0, 1000000);
  EXPECT_EQ(Shown(number, 123456.0, false, true, 4), "123");
  char untouched[2] = {'#', '#'};
  number.GetDisplayForHost(1.0, false, untouched, 0);
  EXPECT_EQ(untouched[0], '#');
  number.GetDisplayForHost(1.0, false, nullptr, 10);  // must not crash
}

TEST(IParamDisplay, LabelHiddenWhenValueHasText) {
  IParam param;
  param.InitBool("b", true, "label");
  EXPECT_STREQ(param.GetLabelForHost(), "");
  param.Set(0.0);
  EXPECT_STREQ(param.GetLabelForHost(), "");
  IParam plain;
  plain.InitInt("n", 3, 0, 10, "ms");
  EXPECT_STREQ(plain.GetLabelForHost(), "ms");
}

TEST(IParamDisplay, Bounds) {
  IParam param;
  param.InitInt("n", 0, -3, 7);
  double lo = 0, hi = 0;
  param.GetBounds(&lo, &hi);
  EXPECT_DOUBLE_EQ(lo, -3.0);
  EXPECT_DOUBLE_EQ(hi, 7.0);
}
