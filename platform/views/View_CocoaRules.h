#pragma once
// How the Cocoa view translates between the panel and its view.
//
// The view's coordinates have y growing upwards from the bottom; the panel's grow
// downwards from the top. H is always the panel height.

#include <optional>
#include <string>

#include "views/View_Events.h"
#include "views/View_Geometry.h"

struct CocoaRect {
  double x = 0, y = 0, w = 0, h = 0;
  bool operator==(const CocoaRect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

// Panel rect (L, T, R, B) -> view rect with origin (L, H - 1 - B), size (R - L + 1, B - T + 1).
// Used for redraw requests, popups and text entries.
CocoaRect CocoaViewRectFromPanel(const PanelRect& r, int H);
// The drawRect: conversion: L = x, T = H - (y + h), R = x + w, B = H - y, truncated.
PanelRect CocoaPanelRectFromView(const CocoaRect& r, int H);

// Between view coordinates and the back end's window pixels (y downwards).
CocoaRect CocoaViewRectFromWindow(const ViewRect& r, int H);
ViewRect CocoaWindowRectFromView(const CocoaRect& r, int H);
void CocoaViewPointFromWindow(double wx, double wy, int H, double* vx, double* vy);

// Mouse position: x = trunc(view x) - 2, y = H - trunc(view y) - 3.
PanelPoint CocoaPanelPoint(double viewX, double viewY, int H);

// Left-button events (and moves and wheel): L and R = Command; right-button events: R only.
PanelMouseMod CocoaMouseMod(const ViewModifiers& mods, bool rightButtonEvent);

// Wheel delta: the vertical delta truncated towards zero.
int CocoaWheelDelta(double deltaY);

enum class CocoaKeyOutcome { Dropped, PassedOn, PanelKey };
struct CocoaKeyResult {
  CocoaKeyOutcome outcome = CocoaKeyOutcome::Dropped;
  int key = -1;
};
// keyDown: needs exactly one character; arrows and space by key code, then characters.
CocoaKeyResult CocoaPanelKey(const ViewKeyEvent& event);

// Where a popup menu opens, in window pixels: the point (x, y - 4) of the view rect
// (of the panel rect converted to a view rect).
void CocoaPopupAnchorFromView(const CocoaRect& r, int H, int* wx, int* wy);

// The text entry's formatter: refuses a partial string with a character outside the
// set (none = any), longer than the maximum length (0 = unlimited) or whose integer
// value exceeds the maximum value (0 = unlimited).
struct CocoaFormatter {
  std::optional<std::u32string> acceptable;
  int maximumLength = 0;
  int maximumValue = 0;

  bool IsPartialStringValid(const std::string& utf8) const;
};

// The formatter for a parameter type (0 none, 1 bool, 2 int, 3 enum, 4 double, 5 text).
CocoaFormatter CocoaFormatterForParamType(int paramType, int maximumLength);

// The entry font size: the text size x 0.9, truncated.
int CocoaEntryFontSize(int textSize);

// Integer value of a string the way a string's intValue reads it: leading blanks,
// an optional sign, then digits; 0 when there are none; saturated at the int range.
int CocoaIntValue(const std::string& text);
