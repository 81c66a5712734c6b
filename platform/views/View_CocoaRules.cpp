#include "views/View_CocoaRules.h"

#include <climits>
#include <cmath>

#include "views/View_PanelKeys.h"

CocoaRect CocoaViewRectFromPanel(const PanelRect& r, int H) {
  return {double(r.L), double(H - 1 - r.B), double(r.R - r.L + 1), double(r.B - r.T + 1)};
}

PanelRect CocoaPanelRectFromView(const CocoaRect& r, int H) {
  return {int(r.x), int(H - (r.y + r.h)), int(r.x + r.w), int(H - r.y)};
}

CocoaRect CocoaViewRectFromWindow(const ViewRect& r, int H) {
  return {double(r.x), double(H - (r.y + r.h)), double(r.w), double(r.h)};
}

ViewRect CocoaWindowRectFromView(const CocoaRect& r, int H) {
  const int x = int(std::floor(r.x)), w = int(std::ceil(r.x + r.w)) - x;
  const int top = int(std::floor(H - (r.y + r.h))), bottom = int(std::ceil(H - r.y));
  return {x, top, w, bottom - top};
}

void CocoaViewPointFromWindow(double wx, double wy, int H, double* vx, double* vy) {
  *vx = wx;
  *vy = H - wy;
}

PanelPoint CocoaPanelPoint(double viewX, double viewY, int H) {
  return {int(std::trunc(viewX)) - 2, H - int(std::trunc(viewY)) - 3};
}

PanelMouseMod CocoaMouseMod(const ViewModifiers& mods, bool rightButtonEvent) {
  PanelMouseMod m;
  m.L = !rightButtonEvent;
  m.R = rightButtonEvent || mods.command;
  m.S = mods.shift;
  m.C = mods.control;
  m.A = mods.option;
  return m;
}

int CocoaWheelDelta(double deltaY) { return int(std::trunc(deltaY)); }

CocoaKeyResult CocoaPanelKey(const ViewKeyEvent& event) {
  if (Utf8CharacterCount(event.characters) != 1) return {CocoaKeyOutcome::Dropped, -1};
  const std::optional<int> key = PanelKeyFor(event.keyCode, Utf8FirstCharacter(event.characters));
  if (!key) return {CocoaKeyOutcome::PassedOn, -1};
  return {CocoaKeyOutcome::PanelKey, *key};
}

void CocoaPopupAnchorFromView(const CocoaRect& v, int H, int* wx, int* wy) {
  *wx = int(v.x);
  *wy = int(H - (v.y - 4));
}

bool CocoaFormatter::IsPartialStringValid(const std::string& utf8) const {
  const std::u32string chars = Utf8Decode(utf8);
  if (acceptable) {
    for (char32_t c : chars)
      if (acceptable->find(c) == std::u32string::npos) return false;
  }
  if (maximumLength > 0 && chars.size() > size_t(maximumLength)) return false;
  if (maximumValue > 0 && CocoaIntValue(utf8) > maximumValue) return false;
  return true;
}

CocoaFormatter CocoaFormatterForParamType(int paramType, int maximumLength) {
  CocoaFormatter f;
  f.maximumLength = maximumLength;
  switch (paramType) {
    case 1:
    case 2:
    case 3: f.acceptable = U"0123456789-+"; break;
    case 4: f.acceptable = U"0123456789.-+"; break;
    case 5: f.acceptable = U"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 \"!#$%&/'+-*()[],."; break;
    default: f.acceptable = U""; break;
  }
  return f;
}

int CocoaEntryFontSize(int textSize) { return int(textSize * 0.9); }

int CocoaIntValue(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const long long limit = negative ? -(long long)INT_MIN : INT_MAX;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) {
      value = limit;
      break;
    }
  }
  return negative ? int(-value) : int(value);
}
