#include <gtest/gtest.h>

#include "views/View_Menu.h"

namespace {

TEST(ViewMenu, PrefixModesNumberItemsFromOne) {
  EXPECT_EQ(ViewMenuItemTitle("Saw", 0, 0), "Saw");
  EXPECT_EQ(ViewMenuItemTitle("Saw", 1, 0), "1: Saw");
  EXPECT_EQ(ViewMenuItemTitle("Saw", 2, 6), "07: Saw");
  EXPECT_EQ(ViewMenuItemTitle("Saw", 3, 41), "042: Saw");
  EXPECT_EQ(ViewMenuItemTitle("Saw", 1, 122), "123: Saw");
  EXPECT_EQ(ViewMenuItemTitle("Saw", 4, 0), "Saw");
}

ViewMenu Sample() {
  ViewMenu m;
  m.items.resize(4);
  m.items[0].title = "One";
  m.items[1].separator = true;
  m.items[2].title = "Off";
  m.items[2].enabled = false;
  m.items[3].title = "More";
  m.items[3].submenu = std::make_unique<ViewMenu>();
  m.items[3].submenu->items.resize(2);
  m.items[3].submenu->items[1].title = "Deep";
  return m;
}

TEST(ViewMenu, PathResolvesIntoSubmenus) {
  const ViewMenu m = Sample();
  ViewMenuChoice c;
  ASSERT_TRUE(ViewMenuResolvePath(m, {3, 1}, &c));
  EXPECT_EQ(c.menu, m.items[3].submenu.get());
  EXPECT_EQ(c.index, 1);
  ASSERT_TRUE(ViewMenuResolvePath(m, {0}, &c));
  EXPECT_EQ(c.menu, &m);
  EXPECT_EQ(c.index, 0);
}

TEST(ViewMenu, PathsThatChooseNothing) {
  const ViewMenu m = Sample();
  ViewMenuChoice c;
  EXPECT_FALSE(ViewMenuResolvePath(m, {}, &c));
  EXPECT_FALSE(ViewMenuResolvePath(m, {1}, &c));  // separator
  EXPECT_FALSE(ViewMenuResolvePath(m, {2}, &c));  // disabled
  EXPECT_FALSE(ViewMenuResolvePath(m, {3}, &c));  // opens a submenu
  EXPECT_FALSE(ViewMenuResolvePath(m, {4}, &c));  // past the end
  EXPECT_FALSE(ViewMenuResolvePath(m, {-1}, &c));
  EXPECT_FALSE(ViewMenuResolvePath(m, {0, 0}, &c));  // no submenu there
  EXPECT_FALSE(ViewMenuResolvePath(m, {3, 2}, &c));
}

}  // namespace
