#include "Kit_String.h"

#include <gtest/gtest.h>

#include <string>

TEST(String, GetIsNeverNull) {
  Kit_String empty;
  ASSERT_NE(empty.Get(), nullptr);
  EXPECT_STREQ(empty.Get(), "");
  Kit_String fromNull(nullptr);
  EXPECT_STREQ(fromNull.Get(), "");
}

TEST(String, SetCopiesAtMostTheGivenCountAndStopsAtZero) {
  Kit_String s;
  s.Set("abcdef", 3);
  EXPECT_STREQ(s.Get(), "abc");
  const char withZero[] = {'x', 'y', 0, 'z'};
  s.Set(withZero, 4);
  EXPECT_STREQ(s.Get(), "xy");
  s.Set("whole");
  EXPECT_STREQ(s.Get(), "whole");
  EXPECT_EQ(s.GetLength(), 5);
}

TEST(String, EmptyTextOnAnEmptyBufferChangesNothing) {
  Kit_String s;
  EXPECT_TRUE(s.Set(""));
  EXPECT_STREQ(s.Get(), "");
  s.Set("text");
  s.Set("");
  EXPECT_STREQ(s.Get(), "");
}

TEST(String, SetFormattedCutsAtMaxLength) {
  Kit_String s;
  s.SetFormatted(5, "%d", 1234567);
  EXPECT_STREQ(s.Get(), "12345");
  s.SetFormatted(20, "%s-%02d", "ab", 7);
  EXPECT_STREQ(s.Get(), "ab-07");
  s.SetFormatted(0, "%s", "gone");
  EXPECT_STREQ(s.Get(), "");
}

TEST(String, SetFormattedOfALongTextKeepsEveryCharacterUpToTheCut) {
  const std::string longText(1000, 'q');
  Kit_String s;
  s.SetFormatted(999, "%s!", longText.c_str());
  EXPECT_EQ(std::string(s.Get()), longText.substr(0, 999));
}

TEST(String, AppendJoinsAndHonoursItsCount) {
  Kit_String s("left");
  s.Append("-right", 3);
  EXPECT_STREQ(s.Get(), "left-ri");
  s.Append("");
  EXPECT_STREQ(s.Get(), "left-ri");
}

TEST(String, AppendingItselfSurvivesTheBufferMoving) {
  Kit_String s(std::string(120, 'a').c_str());
  s.Append(s.Get());
  EXPECT_EQ(std::string(s.Get()), std::string(240, 'a'));
}

TEST(String, SettingAPartOfItselfKeepsThatPart) {
  Kit_String s((std::string(5000, 'x') + "tail").c_str());
  s.Set(s.Get() + 5000);
  EXPECT_STREQ(s.Get(), "tail");
}

TEST(String, CopiesAreIndependent) {
  Kit_String a("one");
  Kit_String b(a);
  a.Set("two");
  EXPECT_STREQ(b.Get(), "one");
}
