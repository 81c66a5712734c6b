#include <gtest/gtest.h>

#include "KeyEvent.h"
#include "views/View_CarbonRules.h"

namespace {

TEST(CarbonRules, ClickPositionUsesTheSameOffsetsAsCocoa) {
  EXPECT_EQ(CarbonPanelPoint(10.7, 20.2), (PanelPoint{8, 17}));
  EXPECT_EQ(CarbonPanelPoint(0, 0), (PanelPoint{-2, -3}));
}

TEST(CarbonRules, CommandClickWithFirstButtonIsRight) {
  ViewModifiers cmd;
  cmd.command = true;
  EXPECT_EQ(CarbonMouseMod(ViewMouseButton::Left, cmd), (PanelMouseMod{true, true, false, false, false}));
}

TEST(CarbonRules, ControlClickIsControlNotRight) {
  ViewModifiers ctl;
  ctl.control = true;
  EXPECT_EQ(CarbonMouseMod(ViewMouseButton::Left, ctl), (PanelMouseMod{true, false, false, true, false}));
}

TEST(CarbonRules, SecondButtonIsRightAndLeftStaysSet) {
  EXPECT_EQ(CarbonMouseMod(ViewMouseButton::Right, {}), (PanelMouseMod{true, true, false, false, false}));
  ViewModifiers m;
  m.shift = m.option = true;
  EXPECT_EQ(CarbonMouseMod(ViewMouseButton::Left, m), (PanelMouseMod{true, false, true, false, true}));
}

TEST(CarbonRules, KeyMapping) {
  EXPECT_EQ(CarbonPanelKey(Key(kViewKeyLeft, "")), 3);
  EXPECT_EQ(CarbonPanelKey(Key(kViewKeyRight, "")), 4);
  EXPECT_EQ(CarbonPanelKey(Key(kViewKeyDown, "")), 2);
  EXPECT_EQ(CarbonPanelKey(Key(kViewKeyUp, "")), 1);
  EXPECT_EQ(CarbonPanelKey(Key(kViewKeySpace, " ")), 0);
  EXPECT_EQ(CarbonPanelKey(Key(kViewKeyNone, "7")), 12);
  EXPECT_EQ(CarbonPanelKey(Key(kViewKeyNone, "b")), 16);
  EXPECT_EQ(CarbonPanelKey(Key(kViewKeyNone, "B")), 16);
  EXPECT_FALSE(CarbonPanelKey(Key(kViewKeyNone, "+")).has_value());
  EXPECT_FALSE(CarbonPanelKey(Key(kViewKeyNone, "")).has_value());
}

TEST(CarbonRules, InvalidRectKeepsTheDirtyRectsOwnSize) {
  EXPECT_EQ(CarbonPaneRect({10, 20, 29, 39}), (ViewRect{10, 20, 19, 19}));
  EXPECT_EQ(CarbonPaneRect({5, 6, 105, 26}), (ViewRect{5, 6, 100, 20}));
}

TEST(CarbonRules, PopupOpensFiveBelowTheRect) {
  int x = 0, y = 0;
  CarbonPopupAnchor({10, 20, 29, 39}, &x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 44);
}

TEST(CarbonRules, ReturnAndEnterCommit) {
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyReturn, "\r"), 2, 0, 16), CarbonEntryKey::Commit);
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyEnter, "\x03"), 5, 16, 16), CarbonEntryKey::Commit);
}

TEST(CarbonRules, EditingKeysAreLeftToTheEntry) {
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyBackspace, "\x08"), 2, 16, 16), CarbonEntryKey::LeftToEntry);
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyForwardDelete, "\x7f"), 2, 3, 16), CarbonEntryKey::LeftToEntry);
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyUp, ""), 2, 3, 16), CarbonEntryKey::LeftToEntry);
}

TEST(CarbonRules, PointIsSwallowedForIntAndAcceptedForDouble) {
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, "."), 2, 0, 16), CarbonEntryKey::Swallow);
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, "."), 4, 0, 16), CarbonEntryKey::Accept);
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, "x"), 1, 0, 16), CarbonEntryKey::Swallow);
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, "-"), 3, 0, 16), CarbonEntryKey::Accept);
}

TEST(CarbonRules, TextAndParameterlessEntriesTakeAnyCharacterUpToTheLength) {
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, "_"), 5, 15, 16), CarbonEntryKey::Accept);
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, "_"), -1, 15, 16), CarbonEntryKey::Accept);
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, "_"), 5, 16, 16), CarbonEntryKey::Swallow);
  EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, "\xC3\xA9"), -1, 0, 16), CarbonEntryKey::Accept);
}

// A text parameter holds a name the synthesizer keeps in 7-bit bytes: a letter beyond
// is refused as it is typed.
TEST(CarbonRules, TextEntriesTakeOnlySevenBitCharacters) {
  for (const char* refused : {"\xC3\xA9", "\xC3\x9F", "\xE2\x82\xAC", "\xF0\x9F\x8E\xB9"})
    EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, refused), 5, 0, 16), CarbonEntryKey::Swallow) << refused;
  for (const char* taken : {" ", "~", "_", "A", "}"})
    EXPECT_EQ(CarbonTextEntryKey(Key(kViewKeyNone, taken), 5, 0, 16), CarbonEntryKey::Accept) << taken;
}

}  // namespace
