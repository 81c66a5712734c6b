#pragma once
// Rectangles of the view layer.
//
// ViewRect is in window pixels: origin top-left, y downwards, width and height.
// PanelRect mirrors the panel's own rectangles (left, top, right, bottom) so the
// view rules can be written without knowing the panel surface.

#include <algorithm>

struct ViewRect {
  int x = 0, y = 0, w = 0, h = 0;

  bool IsEmpty() const { return w <= 0 || h <= 0; }
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
  bool operator==(const ViewRect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

// The smallest rect covering both; an empty rect adds nothing.
inline ViewRect ViewRectUnion(const ViewRect& a, const ViewRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  const int l = std::min(a.x, b.x), t = std::min(a.y, b.y);
  const int r = std::max(a.x + a.w, b.x + b.w), btm = std::max(a.y + a.h, b.y + b.h);
  return {l, t, r - l, btm - t};
}

// The part of `r` inside a width x height area; empty when nothing is inside.
inline ViewRect ViewRectClip(const ViewRect& r, int width, int height) {
  const int l = std::max(r.x, 0), t = std::max(r.y, 0);
  const int rr = std::min(r.x + r.w, width), b = std::min(r.y + r.h, height);
  if (rr <= l || b <= t) return {};
  return {l, t, rr - l, b - t};
}

struct PanelRect {
  int L = 0, T = 0, R = 0, B = 0;
  bool operator==(const PanelRect& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
};
