#include <gtest/gtest.h>

#include "views/View_PanelKeys.h"

namespace {

TEST(PanelKeys, EveryDigitAndLetterHasItsNumber) {
  for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(PanelKeyFor(kViewKeyNone, char32_t(c)), 5 + (c - '0'));
  for (char c = 'A'; c <= 'Z'; ++c) {
    EXPECT_EQ(PanelKeyFor(kViewKeyNone, char32_t(c)), 15 + (c - 'A'));
    EXPECT_EQ(PanelKeyFor(kViewKeyNone, char32_t(c - 'A' + 'a')), 15 + (c - 'A'));
  }
}

TEST(PanelKeys, KeyCodeWinsOverCharacter) {
  EXPECT_EQ(PanelKeyFor(kViewKeyUp, U'a'), 1);
  EXPECT_EQ(PanelKeyFor(kViewKeySpace, U'5'), 0);
  EXPECT_EQ(PanelKeyFor(kViewKeyEscape, U'\x1b'), kPanelKeyEscape);
}

TEST(PanelKeys, OtherCharactersHaveNoNumber) {
  EXPECT_FALSE(PanelKeyFor(kViewKeyNone, U'@').has_value());
  EXPECT_FALSE(PanelKeyFor(kViewKeyNone, U'[').has_value());
  EXPECT_FALSE(PanelKeyFor(kViewKeyNone, U'\u00e9').has_value());
  EXPECT_FALSE(PanelKeyFor(kViewKeyReturn, U'\r').has_value());
}

TEST(Utf8, CountsAndDecodesCharacters) {
  EXPECT_EQ(Utf8CharacterCount(""), 0);
  EXPECT_EQ(Utf8CharacterCount("caf\xC3\xA9"), 4);
  EXPECT_EQ(Utf8FirstCharacter("\xE2\x82\xAC!"), U'\u20ac');
  EXPECT_EQ(Utf8Decode("a\xF0\x9F\x8E\xB9"), std::u32string(U"a\U0001F3B9"));
}

TEST(Utf8, MalformedBytesCountOneEachAndNeverReadPastTheEnd) {
  EXPECT_EQ(Utf8CharacterCount("\xC3"), 1);
  EXPECT_EQ(Utf8CharacterCount("\xE2\x82"), 2);
  EXPECT_EQ(Utf8CharacterCount("\xFF\xFE"), 2);
  EXPECT_EQ(Utf8FirstCharacter("\xC3"), char32_t(0xC3));
}

TEST(Utf8, EncodeRoundTrips) {
  for (char32_t c : {U'a', U'\u00e9', U'\u20ac', U'\uf700', U'\U0001F3B9'})
    EXPECT_EQ(Utf8Decode(Utf8Encode(c)), std::u32string(1, c));
}

}  // namespace
