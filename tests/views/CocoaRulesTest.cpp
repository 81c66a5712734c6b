#include <gtest/gtest.h>

#include "KeyEvent.h"
#include "views/View_CocoaRules.h"

namespace {

TEST(CocoaRules, DirtyRectBecomesViewRectWithFlippedOrigin) {
  const CocoaRect r = CocoaViewRectFromPanel({10, 20, 29, 39}, 400);
  EXPECT_EQ(r, (CocoaRect{10, 360, 20, 20}));
}

TEST(CocoaRules, DrawRectConvertsBackToTheSamePanelArea) {
  // The redraw request grows the rect by one pixel each way; drawRect: reads it back.
  const CocoaRect v = CocoaViewRectFromPanel({10, 20, 29, 39}, 400);
  EXPECT_EQ(CocoaPanelRectFromView(v, 400), (PanelRect{10, 20, 30, 40}));
  EXPECT_EQ(CocoaPanelRectFromView({0.0, 0.0, 300.5, 400.0}, 400), (PanelRect{0, 0, 300, 400}));
}

TEST(CocoaRules, WindowAndViewRectsRoundTrip) {
  const ViewRect w{10, 20, 20, 20};
  const CocoaRect v = CocoaViewRectFromWindow(w, 400);
  EXPECT_EQ(v, (CocoaRect{10, 360, 20, 20}));
  EXPECT_EQ(CocoaWindowRectFromView(v, 400), w);
}

TEST(CocoaRules, FractionalViewRectCoversEveryTouchedPixel) {
  EXPECT_EQ(CocoaWindowRectFromView({1.5, 2.5, 3.0, 4.0}, 10), (ViewRect{1, 3, 4, 5}));
}

// The view point is truncated first, then flipped: y = H - trunc(view y) - 3.
TEST(CocoaRules, ClickPositionTruncatesThenAppliesOffsets) {
  const int H = 400;
  EXPECT_EQ(CocoaPanelPoint(10.7, H - 20.2, H), (PanelPoint{8, 18}));
  EXPECT_EQ(CocoaPanelPoint(2.0, H - 3.0, H), (PanelPoint{0, 0}));
  EXPECT_EQ(CocoaPanelPoint(0.0, H, H), (PanelPoint{-2, -3}));
}

TEST(CocoaRules, WindowPixelReachesPanelWithTheViewOffsets) {
  double vx = 0, vy = 0;
  CocoaViewPointFromWindow(50, 60, 400, &vx, &vy);
  EXPECT_EQ(CocoaPanelPoint(vx, vy, 400), (PanelPoint{48, 57}));
}

TEST(CocoaRules, CommandClickIsLeftAndRight) {
  ViewModifiers cmd;
  cmd.command = true;
  EXPECT_EQ(CocoaMouseMod(cmd, false), (PanelMouseMod{true, true, false, false, false}));
  EXPECT_EQ(CocoaMouseMod({}, true), (PanelMouseMod{false, true, false, false, false}));
  EXPECT_EQ(CocoaMouseMod({}, false), (PanelMouseMod{true, false, false, false, false}));
}

TEST(CocoaRules, ShiftControlOptionBecomeSCA) {
  ViewModifiers m;
  m.shift = m.control = m.option = true;
  EXPECT_EQ(CocoaMouseMod(m, true), (PanelMouseMod{false, true, true, true, true}));
}

TEST(CocoaRules, WheelDeltaTruncatesTowardsZero) {
  EXPECT_EQ(CocoaWheelDelta(0.5), 0);
  EXPECT_EQ(CocoaWheelDelta(-0.9), 0);
  EXPECT_EQ(CocoaWheelDelta(2.7), 2);
  EXPECT_EQ(CocoaWheelDelta(-3.2), -3);
}

TEST(CocoaRules, LettersOfEitherCaseGiveTheSameKey) {
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyNone, "a")).key, 15);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyNone, "A")).key, 15);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyNone, "z")).key, 40);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyNone, "0")).key, 5);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyNone, "9")).key, 14);
}

TEST(CocoaRules, ArrowsAndSpaceGoByKeyCode) {
  const std::string arrow = "\xEF\x9C\x80";  // one private-use character, as arrows carry
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyLeft, arrow)).key, 3);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyRight, arrow)).key, 4);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyDown, arrow)).key, 2);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyUp, arrow)).key, 1);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeySpace, " ")).key, 0);
}

TEST(CocoaRules, PlusIsPassedOnAndMultiCharacterEventsDropped) {
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyNone, "+")).outcome, CocoaKeyOutcome::PassedOn);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyNone, "ab")).outcome, CocoaKeyOutcome::Dropped);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyLeft, "")).outcome, CocoaKeyOutcome::Dropped);
  EXPECT_EQ(CocoaPanelKey(Key(kViewKeyNone, "a")).outcome, CocoaKeyOutcome::PanelKey);
}

TEST(CocoaRules, PopupOpensFiveBelowTheRect) {
  int x = 0, y = 0;
  CocoaPopupAnchorFromView(CocoaViewRectFromPanel({10, 20, 29, 39}, 400), 400, &x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 44);
}

TEST(CocoaRules, IntFormatterRefusesLetters) {
  const CocoaFormatter f = CocoaFormatterForParamType(2, 16);
  EXPECT_TRUE(f.IsPartialStringValid("-12"));
  EXPECT_FALSE(f.IsPartialStringValid("1a"));
  EXPECT_FALSE(f.IsPartialStringValid("1.5"));
}

TEST(CocoaRules, DoubleFormatterTakesPoint) {
  EXPECT_TRUE(CocoaFormatterForParamType(4, 16).IsPartialStringValid("+1.5"));
  EXPECT_FALSE(CocoaFormatterForParamType(4, 16).IsPartialStringValid("1,5"));
}

TEST(CocoaRules, TextFormatterTakesNameCharactersOnly) {
  const CocoaFormatter f = CocoaFormatterForParamType(5, 16);
  EXPECT_TRUE(f.IsPartialStringValid("Pad \"2\" (A)!"));
  EXPECT_FALSE(f.IsPartialStringValid("a_b"));
  EXPECT_FALSE(f.IsPartialStringValid("caf\xC3\xA9"));
}

TEST(CocoaRules, TypelessFormatterRefusesEverything) {
  const CocoaFormatter f = CocoaFormatterForParamType(0, 16);
  EXPECT_FALSE(f.IsPartialStringValid("1"));
  EXPECT_TRUE(f.IsPartialStringValid(""));
}

TEST(CocoaRules, SeventeenthCharacterIsRefusedAtDefaultLength) {
  const CocoaFormatter f = CocoaFormatterForParamType(5, 16);
  EXPECT_TRUE(f.IsPartialStringValid(std::string(16, 'x')));
  EXPECT_FALSE(f.IsPartialStringValid(std::string(17, 'x')));
}

TEST(CocoaRules, MaximumValueLimitsTheIntegerValue) {
  CocoaFormatter f;
  f.maximumValue = 127;
  EXPECT_TRUE(f.IsPartialStringValid("127"));
  EXPECT_FALSE(f.IsPartialStringValid("128"));
  EXPECT_TRUE(f.IsPartialStringValid("-500"));
  EXPECT_TRUE(f.IsPartialStringValid("abc"));
}

TEST(CocoaRules, UnlimitedFormatterTakesAnything) {
  EXPECT_TRUE(CocoaFormatter{}.IsPartialStringValid(std::string(200, '#')));
}

TEST(CocoaRules, IntValueReadsLikeTheStringClass) {
  EXPECT_EQ(CocoaIntValue("  42abc"), 42);
  EXPECT_EQ(CocoaIntValue("-7"), -7);
  EXPECT_EQ(CocoaIntValue("x1"), 0);
  EXPECT_EQ(CocoaIntValue("99999999999999999999"), 2147483647);
  EXPECT_EQ(CocoaIntValue("-99999999999999999999"), -2147483647 - 1);
}

TEST(CocoaRules, EntryFontIsNineTenthsTruncated) {
  EXPECT_EQ(CocoaEntryFontSize(12), 10);
  EXPECT_EQ(CocoaEntryFontSize(10), 9);
  EXPECT_EQ(CocoaEntryFontSize(0), 0);
}

}  // namespace
