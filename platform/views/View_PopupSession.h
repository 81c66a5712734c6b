#pragma once
// A popup menu drawn inside the panel: a box of items below the anchor, submenus
// opening to the side, several columns when the menu is taller than the panel.
// Mouse: a press on an item chooses it, a press outside every box dismisses, a
// release over an item chooses it once the pointer moved or pressed inside.
// Keys: each level opens on its checked item; arrows move from there and open or close
// submenus, Return or space chooses, Escape dismisses.

#include <optional>
#include <vector>

#include "views/View_Menu.h"
#include "views/View_ModalSession.h"

class ViewPopupSession : public ViewModalSession {
public:
  ViewPopupSession(const ViewMenu& menu, int x, int y, int viewWidth, int viewHeight, ViewOverlayPainter& painter);

  void Mouse(const ViewMouseEvent& event) override;
  void Key(const ViewKeyEvent& event) override;
  bool Done() const override { return done_; }
  ViewRect Bounds() const override;
  void Draw(Raster_IBitmap* dest, ViewOverlayPainter& painter) override;

  std::optional<ViewMenuChoice> Choice() const { return choice_; }
  // The box of each open level, outermost first (for tests and drawing).
  std::vector<ViewRect> LevelBoxes() const;
  // The rect of item `index` of open level `level`.
  ViewRect ItemRect(int level, int index) const { return levels_[size_t(level)].items[size_t(index)]; }

private:
  struct Level {
    const ViewMenu* menu = nullptr;
    ViewRect box;
    std::vector<ViewRect> items;
    int highlighted = -1;
  };

  Level LayOut(const ViewMenu& menu, int x, int y, int leftAlternative) const;
  bool Hit(int x, int y, int* level, int* item) const;
  void Highlight(int level, int item);
  void Activate(int level, int item);  // choose, or open its submenu
  void OpenByKey(int level, int item);
  void MoveHighlight(int step);
  static bool Selectable(const ViewMenuItem& item);

  ViewOverlayPainter& painter_;
  int viewWidth_, viewHeight_;
  int itemHeight_;
  std::vector<Level> levels_;
  bool engaged_ = false;  // the pointer moved or pressed inside since the menu opened
  bool done_ = false;
  std::optional<ViewMenuChoice> choice_;
};
