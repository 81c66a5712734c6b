#pragma once
// A popup menu as the back ends show it: titles already formatted, flags resolved.

#include <memory>
#include <string>
#include <vector>

struct ViewMenu;

struct ViewMenuItem {
  std::string title;
  bool separator = false;
  bool enabled = true;
  bool checked = false;
  bool indented = false;
  std::unique_ptr<ViewMenu> submenu;  // null for a plain item
};

struct ViewMenu {
  const void* tag = nullptr;  // the caller's menu this one stands for; not used by the back ends
  std::vector<ViewMenuItem> items;
};

// What the user chose: the menu that holds the item (a submenu when chosen there)
// and the item's index in it.
struct ViewMenuChoice {
  const ViewMenu* menu = nullptr;
  int index = -1;
};

// An item's title with the number prefix of a menu's prefix mode: 1 "%1d: ",
// 2 "%02d: ", 3 "%03d: " of the item's 1-based number; other modes add nothing.
std::string ViewMenuItemTitle(const std::string& text, int prefixMode, int zeroBasedIndex);

// The choice an index path names (item of the top menu, then of its submenu, ...);
// none when the path is empty, leaves the menu, or ends on a separator, a
// disabled item or an item that opens a submenu.
bool ViewMenuResolvePath(const ViewMenu& menu, const std::vector<int>& path, ViewMenuChoice* choice);
