#pragma once
// Input events as the back ends deliver them to a view.
//
// Positions are window pixels (origin top-left, y downwards). Key codes are the
// Mac virtual key codes the views' rules are written in; the back ends translate
// their native keys into them. Characters are UTF-8, modifiers ignored.

#include <string>

struct ViewModifiers {
  bool shift = false;
  bool control = false;
  bool option = false;  // Alt
  bool command = false;
};

enum class ViewMouseButton { Left, Right, Other };
enum class ViewMouseAction { Down, Up, Drag, Move };

struct ViewMouseEvent {
  ViewMouseAction action = ViewMouseAction::Down;
  ViewMouseButton button = ViewMouseButton::Left;
  double x = 0, y = 0;
  int clickCount = 1;
  ViewModifiers mods;
};

struct ViewWheelEvent {
  double x = 0, y = 0;
  double deltaX = 0, deltaY = 0;  // lines; positive y scrolls up
  ViewModifiers mods;
};

// Mac virtual key codes the views look at.
enum ViewKeyCode : int {
  kViewKeyNone = -1,  // an ordinary character key: only its characters count
  kViewKeyReturn = 36,
  kViewKeyTab = 48,
  kViewKeySpace = 49,
  kViewKeyBackspace = 51,
  kViewKeyEscape = 53,
  kViewKeyEnter = 76,
  kViewKeyHome = 115,
  kViewKeyForwardDelete = 117,
  kViewKeyEnd = 119,
  kViewKeyLeft = 123,
  kViewKeyRight = 124,
  kViewKeyDown = 125,
  kViewKeyUp = 126,
};

struct ViewKeyEvent {
  int keyCode = kViewKeyNone;
  std::string characters;  // UTF-8, as typed without modifiers
  ViewModifiers mods;
};

// The panel's mouse modifier flags, mirrored here below the panel surface.
struct PanelMouseMod {
  bool L = false, R = false, S = false, C = false, A = false;
  bool operator==(const PanelMouseMod& o) const { return L == o.L && R == o.R && S == o.S && C == o.C && A == o.A; }
};

// A panel point after a view's translation.
struct PanelPoint {
  int x = 0, y = 0;
  bool operator==(const PanelPoint& o) const { return x == o.x && y == o.y; }
};
