#include "views/View_X11Input.h"

#include <X11/X.h>
#include <X11/keysym.h>

#include "views/View_PanelKeys.h"

ViewModifiers X11Modifiers(unsigned int state) {
  ViewModifiers m;
  m.shift = (state & ShiftMask) != 0;
  m.control = (state & ControlMask) != 0;
  m.option = (state & Mod1Mask) != 0;
  return m;
}

X11ButtonKind X11ClassifyButton(unsigned int button) {
  switch (button) {
    case 1: return X11ButtonKind::Left;
    case 2: return X11ButtonKind::Middle;
    case 3: return X11ButtonKind::Right;
    case 4:
    case 5:
    case 6:
    case 7: return X11ButtonKind::Wheel;
    default: return X11ButtonKind::Unknown;
  }
}

ViewMouseButton X11MouseButton(unsigned int button) {
  switch (X11ClassifyButton(button)) {
    case X11ButtonKind::Left: return ViewMouseButton::Left;
    case X11ButtonKind::Right: return ViewMouseButton::Right;
    default: return ViewMouseButton::Other;
  }
}

std::optional<ViewWheelEvent> X11WheelEvent(unsigned int button, int x, int y, unsigned int state) {
  if (X11ClassifyButton(button) != X11ButtonKind::Wheel) return std::nullopt;
  ViewWheelEvent e;
  e.x = x;
  e.y = y;
  e.mods = X11Modifiers(state);
  switch (button) {
    case 4: e.deltaY = 1; break;
    case 5: e.deltaY = -1; break;
    case 6: e.deltaX = 1; break;
    default: e.deltaX = -1; break;
  }
  return e;
}

namespace {

struct SpecialKey {
  unsigned long keysym;
  int keyCode;
  char32_t character;  // what the platform reports as the key's one character
};

// Arrow, Home and End keys carry the platform's private-use function-key characters.
const SpecialKey kSpecialKeys[] = {
    {XK_Left, kViewKeyLeft, 0xF702},
    {XK_KP_Left, kViewKeyLeft, 0xF702},
    {XK_Right, kViewKeyRight, 0xF703},
    {XK_KP_Right, kViewKeyRight, 0xF703},
    {XK_Up, kViewKeyUp, 0xF700},
    {XK_KP_Up, kViewKeyUp, 0xF700},
    {XK_Down, kViewKeyDown, 0xF701},
    {XK_KP_Down, kViewKeyDown, 0xF701},
    {XK_Home, kViewKeyHome, 0xF729},
    {XK_KP_Home, kViewKeyHome, 0xF729},
    {XK_End, kViewKeyEnd, 0xF72B},
    {XK_KP_End, kViewKeyEnd, 0xF72B},
    {XK_space, kViewKeySpace, U' '},
    {XK_Return, kViewKeyReturn, U'\r'},
    {XK_KP_Enter, kViewKeyEnter, 3},
    {XK_BackSpace, kViewKeyBackspace, 8},
    {XK_Delete, kViewKeyForwardDelete, 127},
    {XK_KP_Delete, kViewKeyForwardDelete, 127},
    {XK_Escape, kViewKeyEscape, 27},
    {XK_Tab, kViewKeyTab, U'\t'},
};

}  // namespace

std::optional<ViewKeyEvent> X11KeyEvent(unsigned long keysym, const std::string& typed, unsigned int state) {
  ViewKeyEvent e;
  e.mods = X11Modifiers(state);
  for (const SpecialKey& k : kSpecialKeys) {
    if (k.keysym != keysym) continue;
    e.keyCode = k.keyCode;
    e.characters = Utf8Encode(k.character);
    return e;
  }
  if (typed.empty()) return std::nullopt;
  for (unsigned char byte : typed) e.characters += Utf8Encode(byte);
  return e;
}
