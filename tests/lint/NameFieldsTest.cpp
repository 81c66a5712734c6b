// The names of the performance and of the four slots: a ten-character name is drawn
// whole, at one size in all five fields, at every panel size.

#include <gtest/gtest.h>

#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "LintTestSupport.h"
#include "PanelSnapshots.h"
#include "layout/ControlAction.h"
#include "rasteriser/Raster.h"

namespace {

constexpr int kMultiName = 353;
constexpr int kFirstSlotName = 354;

// Light pixels of the drawn panel: three of the four bytes high in either channel order.
bool Light(unsigned int pixel) {
  int high = 0;
  for (int shift = 0; shift < 32; shift += 8) high += ((pixel >> shift) & 0xFF) > 0x90 ? 1 : 0;
  return high >= 3;
}

// The columns a field's text inks, from its first to its last.
int InkedWidth(Raster_IBitmap* picture, const IRECT& field) {
  int first = -1, last = -1;
  for (int x = field.L; x < field.R; ++x) {
    for (int y = field.T; y < field.B; ++y) {
      if (!Light(picture->getBits()[y * picture->getRowSpan() + x])) continue;
      if (first < 0) first = x;
      last = x;
      break;
    }
  }
  return first < 0 ? 0 : last - first + 1;
}

IRECT FieldOf(LintPanel& panel, int param) {
  const ControlAction* action = panel.manager().getControlAction(param);
  if (action && !action->boundControls.empty()) return action->boundControls.front()->GetRECT();
  ADD_FAILURE() << "no field for parameter " << param;
  return IRECT();
}

TEST(NameFields, ATenCharacterPerformanceNameIsDrawnAsLargeAsTheSlotNames) {
  for (double scale : {0.75, 1.0, 1.25}) {
    LintPanel panel(BuiltBundle(), scale);
    for (int param = kMultiName; param < kFirstSlotName + 4; ++param)
      panel.plug().GetParam(param)->SetDisplayText(0, "WWWWWWWWWW");
    ShowView(panel, PanelViews()[1]);
    Raster_IBitmap* picture = panel.graphics().GetDrawBitmap();
    const int slotName = InkedWidth(picture, FieldOf(panel, kFirstSlotName));
    ASSERT_GT(slotName, 0) << scale;
    EXPECT_NEAR(InkedWidth(picture, FieldOf(panel, kMultiName)), slotName, 1) << "at scale " << scale;
    for (int slot = 1; slot < 4; ++slot)
      EXPECT_NEAR(InkedWidth(picture, FieldOf(panel, kFirstSlotName + slot)), slotName, 1) << "at scale " << scale;
  }
}

}  // namespace
