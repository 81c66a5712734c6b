#pragma once
// How the Carbon view translates between the panel and its pane.
//
// The pane's coordinates already grow downwards from the top-left, like the panel's.

#include <optional>
#include <string>

#include "views/View_Events.h"
#include "views/View_Geometry.h"
#include "views/View_TextEntry.h"

// Mouse position: the pane point truncated, then x - 2 and y - 3.
PanelPoint CarbonPanelPoint(double paneX, double paneY);

// L always; R for the second button or the first with Command; S, C, A from Shift,
// Control and Option.
PanelMouseMod CarbonMouseMod(ViewMouseButton button, const ViewModifiers& mods);

// Raw key down: arrows and space by key code, then digits and letters; none otherwise.
std::optional<int> CarbonPanelKey(const ViewKeyEvent& event);

// A panel rect in the pane: origin (L, T), size (R - L, B - T). Used for the redraw
// request of a composited window and for the text entry's bounds.
ViewRect CarbonPaneRect(const PanelRect& r);

// Where a popup menu opens, in pane pixels: left of the rect, 5 below its bottom.
void CarbonPopupAnchor(const PanelRect& r, int* x, int* y);

enum class CarbonEntryKey {
  Commit,       // Return or Enter: end the entry, keeping the text
  LeftToEntry,  // editing keys the entry handles itself
  Accept,       // a character the entry takes
  Swallow,      // a character refused
};
// The text entry's key filter. `paramType` is the entry's parameter type (-1 when the
// entry has no parameter); `currentLength` counts the characters the key's own would
// join.
CarbonEntryKey CarbonTextEntryKey(const ViewKeyEvent& event, int paramType, int currentLength, int maximumLength);
// The text entry's filter: CarbonTextEntryKey on the text that stays beside the typed
// characters (a selection they replace does not count).
ViewEntryFilter CarbonEntryFilter(int paramType, int maximumLength);
