#include "views/View_PopupSession.h"

#include <algorithm>

namespace {

constexpr int kPadding = 6;      // left and right of the text
constexpr int kMarkColumn = 14;  // check marks
constexpr int kArrowColumn = 14;
constexpr int kIndent = 12;
constexpr int kSeparatorHeight = 7;

// The item is the chosen one, or a group whose items hold it.
bool HoldsChosen(const ViewMenuItem& item) {
  if (item.checked) return true;
  if (!item.submenu) return false;
  const std::vector<ViewMenuItem>& inside = item.submenu->items;
  return std::any_of(inside.begin(), inside.end(), HoldsChosen);
}

}  // namespace

bool ViewPopupSession::Selectable(const ViewMenuItem& item) { return !item.separator && item.enabled; }

ViewPopupSession::ViewPopupSession(const ViewMenu& menu, int x, int y, int viewWidth, int viewHeight,
                                   ViewOverlayPainter& painter)
    : painter_(painter), viewWidth_(viewWidth), viewHeight_(viewHeight), itemHeight_(painter.LineHeight() + 6) {
  if (menu.items.empty()) {
    done_ = true;
    return;
  }
  levels_.push_back(LayOut(menu, x, y, x));
}

ViewPopupSession::Level ViewPopupSession::LayOut(const ViewMenu& menu, int x, int y, int leftAlternative) const {
  Level level;
  level.menu = &menu;
  int textWidth = 0;
  bool indented = false;
  for (const ViewMenuItem& item : menu.items) {
    textWidth = std::max(textWidth, painter_.TextWidth(item.title));
    indented = indented || item.indented;
  }
  const int columnWidth = kPadding * 2 + kMarkColumn + kArrowColumn + (indented ? kIndent : 0) + textWidth;
  const int available = std::max(viewHeight_ - 2, itemHeight_);

  // Items in columns, each as tall as fits the panel.
  int column = 0, top = 0, tallest = 0;
  for (const ViewMenuItem& item : menu.items) {
    const int h = item.separator ? kSeparatorHeight : itemHeight_;
    if (top > 0 && top + h > available) {
      ++column;
      top = 0;
    }
    level.items.push_back({column * columnWidth, top, columnWidth, h});
    top += h;
    tallest = std::max(tallest, top);
  }
  const int width = (column + 1) * columnWidth + 2, height = tallest + 2;
  int left = x;
  if (left + width > viewWidth_) left = leftAlternative - width;
  left = std::max(0, std::min(left, viewWidth_ - width));
  const int topEdge = std::max(0, std::min(y, viewHeight_ - height));
  level.box = {left, topEdge, width, height};
  for (ViewRect& r : level.items) {
    r.x += left + 1;
    r.y += topEdge + 1;
  }
  // A menu opens on what is chosen (or on the group that holds it), so the arrows
  // move from there.
  for (size_t i = 0; i < menu.items.size() && level.highlighted < 0; ++i)
    if (HoldsChosen(menu.items[i]) && Selectable(menu.items[i])) level.highlighted = int(i);
  return level;
}

ViewRect ViewPopupSession::Bounds() const {
  ViewRect all;
  for (const Level& l : levels_) all = ViewRectUnion(all, l.box);
  return all;
}

std::vector<ViewRect> ViewPopupSession::LevelBoxes() const {
  std::vector<ViewRect> boxes;
  for (const Level& l : levels_) boxes.push_back(l.box);
  return boxes;
}

bool ViewPopupSession::Hit(int x, int y, int* level, int* item) const {
  for (int l = int(levels_.size()) - 1; l >= 0; --l) {
    const Level& lv = levels_[size_t(l)];
    if (!lv.box.Contains(x, y)) continue;
    for (size_t i = 0; i < lv.items.size(); ++i)
      if (lv.items[i].Contains(x, y)) {
        *level = l;
        *item = int(i);
        return true;
      }
    *level = l;
    *item = -1;
    return true;
  }
  return false;
}

void ViewPopupSession::Highlight(int level, int item) {
  levels_.resize(size_t(level) + 1);
  Level& lv = levels_.back();
  lv.highlighted = item;
  if (item < 0) return;
  const ViewMenuItem& it = lv.menu->items[size_t(item)];
  if (it.submenu && !it.submenu->items.empty() && it.enabled) {
    const ViewRect& r = lv.items[size_t(item)];
    levels_.push_back(LayOut(*it.submenu, lv.box.x + lv.box.w - 2, r.y - 1, lv.box.x + 2));
  }
}

void ViewPopupSession::Activate(int level, int item) {
  const Level& lv = levels_[size_t(level)];
  const ViewMenuItem& it = lv.menu->items[size_t(item)];
  if (!Selectable(it)) return;
  if (it.submenu) {
    Highlight(level, item);
    return;
  }
  choice_ = ViewMenuChoice{lv.menu, item};
  done_ = true;
}

void ViewPopupSession::Mouse(const ViewMouseEvent& e) {
  if (done_) return;
  int level = -1, item = -1;
  const bool hit = Hit(int(e.x), int(e.y), &level, &item);
  switch (e.action) {
    case ViewMouseAction::Move:
    case ViewMouseAction::Drag:
      if (hit && item >= 0 && levels_[size_t(level)].highlighted != item) {
        engaged_ = true;
        Highlight(level, item);
      }
      break;
    case ViewMouseAction::Down:
      if (!hit) {
        done_ = true;  // dismissed
        break;
      }
      engaged_ = true;
      if (item >= 0) Activate(level, item);
      break;
    case ViewMouseAction::Up:
      if (hit && item >= 0 && engaged_ && !levels_[size_t(level)].menu->items[size_t(item)].submenu)
        Activate(level, item);
      break;
  }
}

void ViewPopupSession::MoveHighlight(int step) {
  Level& lv = levels_.back();
  const int n = int(lv.menu->items.size());
  int i = lv.highlighted;
  for (int tries = 0; tries < n; ++tries) {
    // The ends stop the arrows, as the platform's menus do: a Down past the last
    // port never wraps round to OFF.
    i = i < 0 ? (step > 0 ? 0 : n - 1) : i + step;
    if (i < 0 || i >= n) return;
    if (Selectable(lv.menu->items[size_t(i)])) {
      lv.highlighted = i;
      return;
    }
  }
}

void ViewPopupSession::OpenByKey(int level, int item) {
  Activate(level, item);
  // A submenu opened by a key lights its chosen item, else its first.
  if (int(levels_.size()) > level + 1 && levels_.back().highlighted < 0) MoveHighlight(1);
}

void ViewPopupSession::Key(const ViewKeyEvent& key) {
  if (done_) return;
  const int last = int(levels_.size()) - 1;
  const int current = levels_.back().highlighted;
  switch (key.keyCode) {
    case kViewKeyDown: MoveHighlight(1); break;
    case kViewKeyUp: MoveHighlight(-1); break;
    case kViewKeyLeft:
      if (last > 0) levels_.pop_back();
      break;
    case kViewKeyEscape: done_ = true; break;
    case kViewKeyRight:
      if (current >= 0 && levels_.back().menu->items[size_t(current)].submenu) OpenByKey(last, current);
      break;
    case kViewKeyReturn:
    case kViewKeyEnter:
    case kViewKeySpace:
      if (current >= 0) OpenByKey(last, current);
      break;
    default: break;
  }
}

void ViewPopupSession::Draw(Raster_IBitmap* dest, ViewOverlayPainter& painter) {
  for (const Level& lv : levels_) {
    painter.Fill(dest, lv.box, ViewOverlayColours::kFace);
    painter.Frame(dest, lv.box, ViewOverlayColours::kFrame);
    for (size_t i = 0; i < lv.items.size(); ++i) {
      const ViewMenuItem& it = lv.menu->items[i];
      const ViewRect& r = lv.items[i];
      if (it.separator) {
        painter.Fill(dest, {r.x + kPadding, r.y + r.h / 2, r.w - 2 * kPadding, 1}, ViewOverlayColours::kFrame);
        continue;
      }
      const bool lit = int(i) == lv.highlighted && it.enabled;
      if (lit) painter.Fill(dest, r, ViewOverlayColours::kHighlight);
      const uint32_t ink = lit ? ViewOverlayColours::kHighlightText
                               : (it.enabled ? ViewOverlayColours::kText : ViewOverlayColours::kDisabledText);
      if (it.checked) painter.Fill(dest, {r.x + kPadding + 2, r.y + r.h / 2 - 3, 6, 6}, ink);
      const int textLeft = r.x + kPadding + kMarkColumn + (it.indented ? kIndent : 0);
      painter.Text(dest, {textLeft, r.y, r.x + r.w - kArrowColumn - textLeft, r.h}, it.title, ink, ViewTextAlign::Left);
      if (it.submenu)
        painter.Text(dest, {r.x + r.w - kArrowColumn, r.y, kArrowColumn - 2, r.h}, ">", ink, ViewTextAlign::Center);
    }
  }
}
