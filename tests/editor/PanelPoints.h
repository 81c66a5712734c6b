#pragma once
// Where a script clicks: the centres of shown controls, read from a headless editor.

#include <string>
#include <utility>

#include "Framework/IControl.h"
#include "RoadTestSupport.h"
#include "layout/ControlAction.h"

// The centre of the first shown control bound by `action`; (-1, -1) when none is shown.
inline std::pair<int, int> ShownCentre(const ControlAction* action) {
  for (IControl* c : action->boundControls) {
    if (c->IsHidden()) continue;
    const IRECT r = c->GetRECT();
    return {(r.L + r.R) / 2, (r.T + r.B) / 2};
  }
  return {-1, -1};
}

// The centre of the shown control of `paramIdx` with slot `slot` active and layer
// `layer` (if any) open, read from a headless editor; (-1, -1) when none is shown.
inline std::pair<int, int> ControlCentre(int paramIdx, int slot = 0, const char* layer = nullptr) {
  RoadFixture f;
  f.plug->setActiveSlot(slot);
  f.plug->tabSwitch.quickTabSwitch(f.plug.get(), kQuickTab, slot, f.plug->unitLink().nordModel);
  if (layer) f.plug->showLayer(layer, true);
  return ShownCentre(f.action(paramIdx));
}

// `control`'s centre; (-1, -1) for none.
inline std::pair<int, int> Centre(const IControl* control) {
  if (!control) return {-1, -1};
  const IRECT r = control->GetRECT();
  return {(r.L + r.R) / 2, (r.T + r.B) / 2};
}

// A point as a script line writes it, "x y".
inline std::string PointText(std::pair<int, int> at) {
  return std::to_string(at.first) + " " + std::to_string(at.second);
}

inline std::string Click(std::pair<int, int> at) {
  return "click " + std::to_string(at.first) + " " + std::to_string(at.second) + "\n";
}

// Script lines clicking slot tab `slot` (0 = A) of the shown row of four, read from a
// headless editor, and checking that the slot took.
inline std::string ClickSlotTab(int slot) {
  RoadFixture f;
  for (IControl* tabs : f.action(kQuickTab)->boundControls) {
    if (tabs->IsHidden()) continue;
    const IRECT r = tabs->GetRECT();
    return Click({r.L + (r.R - r.L) * (2 * slot + 1) / 8, (r.T + r.B) / 2}) + "expect-param " +
           std::to_string(int(kQuickTab)) + " " + std::to_string(slot) + "\n";
  }
  return "no slot tabs shown\n";
}
