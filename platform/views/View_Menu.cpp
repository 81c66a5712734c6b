#include "views/View_Menu.h"

#include <cstdio>

std::string ViewMenuItemTitle(const std::string& text, int prefixMode, int zeroBasedIndex) {
  static const char* const kFormats[] = {"%1d: ", "%02d: ", "%03d: "};
  if (prefixMode < 1 || prefixMode > 3) return text;
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, kFormats[prefixMode - 1], zeroBasedIndex + 1);
  return prefix + text;
}

bool ViewMenuResolvePath(const ViewMenu& menu, const std::vector<int>& path, ViewMenuChoice* choice) {
  const ViewMenu* current = &menu;
  for (size_t step = 0; step < path.size(); ++step) {
    const int i = path[step];
    if (i < 0 || size_t(i) >= current->items.size()) return false;
    const ViewMenuItem& item = current->items[size_t(i)];
    const bool last = step + 1 == path.size();
    if (!last) {
      if (!item.submenu) return false;
      current = item.submenu.get();
      continue;
    }
    if (item.separator || !item.enabled || item.submenu) return false;
    *choice = {current, i};
    return true;
  }
  return false;
}
