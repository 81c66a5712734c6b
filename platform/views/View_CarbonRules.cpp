#include "views/View_CarbonRules.h"

#include <algorithm>
#include <cmath>

#include "views/View_PanelKeys.h"

PanelPoint CarbonPanelPoint(double paneX, double paneY) {
  return {int(std::trunc(paneX)) - 2, int(std::trunc(paneY)) - 3};
}

PanelMouseMod CarbonMouseMod(ViewMouseButton button, const ViewModifiers& mods) {
  PanelMouseMod m;
  m.L = true;
  m.R = button == ViewMouseButton::Right || (button == ViewMouseButton::Left && mods.command);
  m.S = mods.shift;
  m.C = mods.control;
  m.A = mods.option;
  return m;
}

std::optional<int> CarbonPanelKey(const ViewKeyEvent& event) {
  return PanelKeyFor(event.keyCode, Utf8FirstCharacter(event.characters));
}

ViewRect CarbonPaneRect(const PanelRect& r) { return {r.L, r.T, r.R - r.L, r.B - r.T}; }

void CarbonPopupAnchor(const PanelRect& r, int* x, int* y) {
  *x = r.L;
  *y = r.B + 5;
}

namespace {

// The character code a Carbon key event carries (Return 13, Enter 3, backspace 8,
// delete 127, else the first character).
char32_t CarbonCharCode(const ViewKeyEvent& event) {
  switch (event.keyCode) {
    case kViewKeyReturn: return 13;
    case kViewKeyEnter: return 3;
    case kViewKeyBackspace: return 8;
    case kViewKeyForwardDelete: return 127;
    default: return Utf8FirstCharacter(event.characters);
  }
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

bool TypeAccepts(int paramType, char32_t c) {
  switch (paramType) {
    case 1:
    case 2:
    case 3: return IsDigit(c) || c == U'+' || c == U'-';
    case 4: return IsDigit(c) || c == U'+' || c == U'-' || c == U'.';
    // Text is a name the synthesizer holds: 7-bit characters only, as Cocoa's formatter
    // takes them; a letter beyond would reach the unit's dumps as bytes it cannot hold.
    case 5: return c >= U' ' && c < 0x7F;
    default: return true;
  }
}

}  // namespace

CarbonEntryKey CarbonTextEntryKey(const ViewKeyEvent& event, int paramType, int currentLength, int maximumLength) {
  const char32_t c = CarbonCharCode(event);
  if (c == 13 || c == 3) return CarbonEntryKey::Commit;
  // Home and End move the caret as the arrows do: the field's own keys.
  if ((event.keyCode >= kViewKeyLeft && event.keyCode <= kViewKeyUp) || event.keyCode == kViewKeyHome ||
      event.keyCode == kViewKeyEnd || c == 8 || c == 127)
    return CarbonEntryKey::LeftToEntry;
  if (!TypeAccepts(paramType, c)) return CarbonEntryKey::Swallow;
  return currentLength < maximumLength ? CarbonEntryKey::Accept : CarbonEntryKey::Swallow;
}

ViewEntryFilter CarbonEntryFilter(int paramType, int maximumLength) {
  return [paramType, maximumLength](const ViewKeyEvent& key, const std::string&, const std::string& proposed) {
    // Typing over a selection replaces it: only what stays counts against the length.
    const int remaining = Utf8CharacterCount(proposed) - Utf8CharacterCount(key.characters);
    switch (CarbonTextEntryKey(key, paramType, std::max(remaining, 0), maximumLength)) {
      case CarbonEntryKey::Commit: return ViewEntryVerdict::Commit;
      case CarbonEntryKey::LeftToEntry: return ViewEntryVerdict::Edit;
      case CarbonEntryKey::Accept: return ViewEntryVerdict::Insert;
      case CarbonEntryKey::Swallow: return ViewEntryVerdict::Refuse;
    }
    return ViewEntryVerdict::Refuse;
  };
}
