#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Framework/IPopupMenu.h"

namespace {
std::vector<std::string> Texts(const IPopupMenu& menu) {
  std::vector<std::string> out;
  for (int i = 0; i < menu.GetNItems(); ++i) out.push_back(menu.GetItemText(i));
  return out;
}
}  // namespace

TEST(PopupMenu, NewMenuIsEmptyWithNothingChosen) {
  IPopupMenu menu;
  EXPECT_EQ(menu.GetNItems(), 0);
  EXPECT_EQ(menu.GetPrefix(), 0);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

TEST(PopupMenu, InsertPositionsFollowTheIndexRules) {
  IPopupMenu menu;
  menu.AddItem("A");
  menu.AddItem("B", 0, 0);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"B", "A"}));
  menu.AddItem("C", 7, 0);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"B", "A", "C"}));
  menu.AddItem("D", -5, 0);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"D", "B", "A", "C"}));
  menu.AddItem("E", -1, 0);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"D", "B", "A", "C", "E"}));
  menu.AddItem("F", 2, 0);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"D", "B", "F", "A", "C", "E"}));
}

TEST(PopupMenu, ItemsKeepTheirFlagsAndCopiedText) {
  IPopupMenu menu;
  std::string text = "Volume";
  IPopupMenuItem* item = menu.AddItem(text.c_str(), -1, IPopupMenuItem::kDisabled | IPopupMenuItem::kTitle);
  text = "changed";
  EXPECT_STREQ(menu.GetItemText(0), "Volume");
  EXPECT_FALSE(item->GetEnabled());
  EXPECT_TRUE(item->GetIsTitle());
  EXPECT_EQ(item->GetSubmenu(), nullptr);
}

TEST(PopupMenu, SeparatorHasEmptyTextAndSeparatorFlag) {
  IPopupMenu menu;
  menu.AddItem("A");
  IPopupMenuItem* sep = menu.AddSeparator(-1);
  EXPECT_STREQ(sep->GetText(), "");
  EXPECT_EQ(sep->GetFlags(), IPopupMenuItem::kSeparator);
  EXPECT_EQ(menu.GetItem(1), sep);
}

TEST(PopupMenu, SubmenusArePlacedAndSurviveTheirParent) {
  IPopupMenu sub;
  sub.AddItem("inner");
  {
    IPopupMenu parent;
    parent.AddItem("first");
    IPopupMenuItem* appended = parent.AddItem("more", &sub);
    IPopupMenuItem* inserted = parent.AddItem("front", 0, &sub);
    EXPECT_EQ(parent.GetItem(2), appended);
    EXPECT_EQ(parent.GetItem(0), inserted);
    EXPECT_EQ(appended->GetSubmenu(), &sub);
    EXPECT_EQ(appended->GetFlags(), 0);
  }
  // The parent is gone; the submenu it pointed at is intact.
  EXPECT_EQ(sub.GetNItems(), 1);
  EXPECT_STREQ(sub.GetItemText(0), "inner");
}

TEST(PopupMenu, PrefixAcceptsOnlyKnownValues) {
  IPopupMenu menu;
  menu.SetPrefix(2);
  EXPECT_EQ(menu.GetPrefix(), 2);
  menu.SetPrefix(4);
  EXPECT_EQ(menu.GetPrefix(), 2);
  menu.SetPrefix(-1);
  EXPECT_EQ(menu.GetPrefix(), 2);
  menu.SetPrefix(0);
  EXPECT_EQ(menu.GetPrefix(), 0);
}

TEST(PopupMenu, CheckItemAloneChecksOneOrNone) {
  IPopupMenu menu;
  for (const char* t : {"a", "b", "c", "d", "e"}) menu.AddItem(t);
  menu.CheckItem(0, true);
  menu.CheckItemAlone(2);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(menu.IsItemChecked(i), i == 2) << i;
  menu.CheckItemAlone(9);
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(menu.IsItemChecked(i)) << i;
}

TEST(PopupMenu, OutOfRangeIndicesChangeNothing) {
  IPopupMenu menu;
  for (const char* t : {"a", "b", "c"}) menu.AddItem(t);
  EXPECT_FALSE(menu.CheckItem(5, true));
  EXPECT_FALSE(menu.CheckItem(-1, true));
  EXPECT_FALSE(menu.IsItemChecked(5));
  EXPECT_EQ(menu.GetItem(3), nullptr);
  EXPECT_EQ(menu.GetItem(-1), nullptr);
  EXPECT_STREQ(menu.GetItemText(3), "");
  EXPECT_STREQ(menu.GetItemText(-7), "");
  EXPECT_TRUE(menu.CheckItem(1, true));
  EXPECT_TRUE(menu.IsItemChecked(1));
  EXPECT_TRUE(menu.CheckItem(1, false));
  EXPECT_FALSE(menu.IsItemChecked(1));
}

TEST(PopupMenu, NullItemIsRefused) {
  IPopupMenu menu;
  EXPECT_EQ(menu.AddItem(static_cast<IPopupMenuItem*>(nullptr)), nullptr);
  EXPECT_EQ(menu.GetNItems(), 0);
}
