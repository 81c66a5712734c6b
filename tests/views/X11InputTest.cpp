#include <gtest/gtest.h>
// After the test framework: the X headers define macros such as None.
#include <X11/X.h>
#include <X11/keysym.h>

#include "views/View_CocoaRules.h"
#include "views/View_TextEntry.h"
#include "views/View_X11Input.h"

namespace {

TEST(X11Input, ShiftControlAltBecomeShiftControlOption) {
  const ViewModifiers m = X11Modifiers(ShiftMask | ControlMask | Mod1Mask);
  EXPECT_TRUE(m.shift);
  EXPECT_TRUE(m.control);
  EXPECT_TRUE(m.option);
  EXPECT_FALSE(m.command);
  const ViewModifiers none = X11Modifiers(Mod2Mask | LockMask);
  EXPECT_FALSE(none.shift || none.control || none.option || none.command);
}

TEST(X11Input, ButtonsFourAndFiveAreTheWheel) {
  const auto up = X11WheelEvent(4, 3, 4, 0);
  ASSERT_TRUE(up);
  EXPECT_EQ(up->deltaY, 1);
  EXPECT_EQ(up->deltaX, 0);
  EXPECT_EQ(up->x, 3);
  const auto down = X11WheelEvent(5, 0, 0, ShiftMask);
  ASSERT_TRUE(down);
  EXPECT_EQ(down->deltaY, -1);
  EXPECT_TRUE(down->mods.shift);
  const auto side = X11WheelEvent(6, 0, 0, 0);
  ASSERT_TRUE(side);
  EXPECT_EQ(side->deltaY, 0);
  EXPECT_EQ(side->deltaX, 1);
  EXPECT_FALSE(X11WheelEvent(1, 0, 0, 0));
  EXPECT_FALSE(X11WheelEvent(8, 0, 0, 0));
}

TEST(X11Input, RightButtonIsRight) {
  EXPECT_EQ(X11MouseButton(1), ViewMouseButton::Left);
  EXPECT_EQ(X11MouseButton(3), ViewMouseButton::Right);
  EXPECT_EQ(X11MouseButton(2), ViewMouseButton::Other);
  EXPECT_EQ(X11ClassifyButton(9), X11ButtonKind::Unknown);
}

TEST(X11Input, ArrowsGetTheirCodesAndOneCharacter) {
  const auto left = X11KeyEvent(XK_Left, "", 0);
  ASSERT_TRUE(left);
  EXPECT_EQ(left->keyCode, kViewKeyLeft);
  // What the Cocoa view then makes of it.
  EXPECT_EQ(CocoaPanelKey(*left).key, 3);
  EXPECT_EQ(CocoaPanelKey(*X11KeyEvent(XK_Up, "", 0)).key, 1);
  EXPECT_EQ(CocoaPanelKey(*X11KeyEvent(XK_space, " ", 0)).key, 0);
}

TEST(X11Input, CharactersComeFromLatin1) {
  const auto a = X11KeyEvent(XK_A, "A", ShiftMask);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->keyCode, kViewKeyNone);
  EXPECT_EQ(a->characters, "A");
  EXPECT_TRUE(a->mods.shift);
  EXPECT_EQ(X11KeyEvent(XK_eacute, "\xE9", 0)->characters, "\xC3\xA9");
}

TEST(X11Input, ReturnEnterAndEditingKeys) {
  EXPECT_EQ(X11KeyEvent(XK_Return, "\r", 0)->keyCode, kViewKeyReturn);
  EXPECT_EQ(X11KeyEvent(XK_KP_Enter, "\r", 0)->keyCode, kViewKeyEnter);
  EXPECT_EQ(X11KeyEvent(XK_BackSpace, "\x08", 0)->keyCode, kViewKeyBackspace);
  EXPECT_EQ(X11KeyEvent(XK_Delete, "\x7f", 0)->keyCode, kViewKeyForwardDelete);
}

// Home and End (also on the keypad) reach an entry with their codes; Control-A
// with its control character and the Control modifier: the entry's select-all.
TEST(X11Input, HomeEndAndSelectAllReachTheEntry) {
  for (unsigned long sym : {XK_Home, XK_KP_Home}) EXPECT_EQ(X11KeyEvent(sym, "", 0)->keyCode, kViewKeyHome);
  for (unsigned long sym : {XK_End, XK_KP_End}) EXPECT_EQ(X11KeyEvent(sym, "", 0)->keyCode, kViewKeyEnd);
  const auto selectAll = X11KeyEvent(XK_a, "\x01", ControlMask);
  ASSERT_TRUE(selectAll);
  EXPECT_TRUE(ViewIsSelectAllKey(*selectAll));
  EXPECT_FALSE(ViewIsSelectAllKey(*X11KeyEvent(XK_a, "a", 0)));
  EXPECT_FALSE(ViewIsSelectAllKey(*X11KeyEvent(XK_b, "\x02", ControlMask)));
}

TEST(X11Input, ModifierKeysAloneMakeNoEvent) {
  EXPECT_FALSE(X11KeyEvent(XK_Shift_L, "", 0));
  EXPECT_FALSE(X11KeyEvent(XK_Control_R, "", ControlMask));
}

}  // namespace
