#include <gtest/gtest.h>

#include <string>

#include "Framework/IParam.h"

TEST(IParamInit, BoolSetsRangeAndTexts) {
  IParam param;
  param.InitBool("On", true, "lbl", "grp", -1, -1);
  EXPECT_EQ(param.Type(), IParam::kTypeBool);
  EXPECT_DOUBLE_EQ(param.Value(), 1.0);
  EXPECT_DOUBLE_EQ(param.GetDefault(), 1.0);
  EXPECT_DOUBLE_EQ(param.GetMin(), 0.0);
  EXPECT_DOUBLE_EQ(param.GetMax(), 1.0);
  EXPECT_EQ(param.GetNDisplayTexts(), 2);
  EXPECT_EQ(param.GetDisplayText(0), "off");
  EXPECT_EQ(param.GetDisplayText(1), "on");
  EXPECT_STREQ(param.GetNameForHost(), "On");
  EXPECT_STREQ(param.GetParamGroupForHost(), "grp");
  EXPECT_EQ(param.GetTagA(), -1);
  EXPECT_EQ(param.GetTagB(), -1);
}

TEST(IParamInit, EnumMaxIsAtLeastOne) {
  IParam a, b, c;
  a.InitEnum("a", 2, 5);
  b.InitEnum("b", 0, 1);
  c.InitEnum("c", 0, 0);
  EXPECT_EQ(a.Type(), IParam::kTypeEnum);
  EXPECT_DOUBLE_EQ(a.GetMax(), 4.0);
  EXPECT_DOUBLE_EQ(a.Value(), 2.0);
  EXPECT_DOUBLE_EQ(b.GetMax(), 1.0);
  EXPECT_DOUBLE_EQ(c.GetMax(), 1.0);
}

TEST(IParamInit, IntMaxIsAboveMin) {
  IParam param;
  param.InitInt("i", 5, 5, 5);
  EXPECT_EQ(param.Type(), IParam::kTypeInt);
  EXPECT_DOUBLE_EQ(param.GetMin(), 5.0);
  EXPECT_DOUBLE_EQ(param.GetMax(), 6.0);
}

TEST(IParamInit, DoublePrecisionFollowsTheStep) {
  const struct {
    double step;
    int precision;
  } cases[] = {{0.25, 2}, {0.1, 1}, {1.0, 0}, {1e-7, 6}, {0.01, 2}, {0.001, 3}, {0.5, 1}, {2.0, 0}};
  for (const auto& c : cases) {
    IParam param;
    param.InitDouble("d", 0.0, 0.0, 1.0, c.step);
    EXPECT_EQ(param.GetPrecision(), c.precision) << "step " << c.step;
  }
}

TEST(IParamInit, DoubleMaxIsAtLeastMinPlusStep) {
  IParam param;
  param.InitDouble("d", 1.0, 1.0, 0.5, 0.25);
  EXPECT_DOUBLE_EQ(param.GetMax(), 1.25);
  EXPECT_EQ(param.Type(), IParam::kTypeDouble);
}

TEST(IParamInit, TextTypeSurvivesLaterInit) {
  IParam param;
  param.InitText();
  param.InitEnum("name", 0, 3);
  EXPECT_EQ(param.Type(), IParam::kTypeText);
  param.InitDouble("name", 0.0, 0.0, 2.0, 1.0);
  EXPECT_EQ(param.Type(), IParam::kTypeText);
  EXPECT_DOUBLE_EQ(param.GetMax(), 2.0);
}

TEST(IParamInit, FirstInitFixesTheType) {
  IParam param;
  param.InitInt("i", 0, 0, 3);
  param.InitBool("b", false);
  EXPECT_EQ(param.Type(), IParam::kTypeInt);
}

TEST(IParamInit, LongStringsAreCutToTheField) {
  const std::string longText(200, 'x');
  IParam param;
  param.InitInt(longText.c_str(), 0, 0, 1, longText.c_str(), longText.c_str());
  EXPECT_EQ(std::string(param.GetNameForHost()), std::string(IParam::kMaxFieldLength, 'x'));
  EXPECT_EQ(std::string(param.GetParamGroupForHost()), std::string(IParam::kMaxFieldLength, 'x'));
  param.Set(5.0);  // no display text: the label shows
  EXPECT_EQ(std::string(param.GetLabelForHost()), std::string(IParam::kMaxFieldLength, 'x'));
}

TEST(IParamInit, NullStringsReadAsEmpty) {
  IParam param;
  param.InitInt(nullptr, 0, 0, 1, nullptr, nullptr);
  EXPECT_STREQ(param.GetNameForHost(), "");
  EXPECT_STREQ(param.GetLabelForHost(), "");
}

TEST(IParamInit, InitLeavesShapeFlagsAndActionAlone) {
  IParam param;
  param.SetShape(2.0);
  param.NegateDisplay(true);
  param.SetControlAction(reinterpret_cast<ControlAction*>(&param));
  param.InitInt("i", 0, 0, 3);
  EXPECT_DOUBLE_EQ(param.GetShape(), 2.0);
  EXPECT_TRUE(param.GetNegateDisplay());
  EXPECT_EQ(param.GetControlAction(), reinterpret_cast<ControlAction*>(&param));
  EXPECT_TRUE(param.GetCanAutomate());
  EXPECT_FALSE(param.GetIsMeta());
}
