// A page switch as the window's timer draws it must leave the screen exactly as a
// full redraw of the same state would: nothing of the old page may stay behind.
#include <gtest/gtest.h>

#include <vector>

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "ShownEditor.h"

namespace {

struct Switch {
  const char* what;
  int paramIdx;
  double value;
};

class PageSwitchRedraw : public ::testing::Test, protected ShownEditor {
protected:
  // As a click on the switch does: the control takes the value and tells the editor.
  void Flip(const Switch& s) {
    IControl* control = editor.plug->firstControl(s.paramIdx);
    ASSERT_NE(control, nullptr) << s.what;
    control->SetValueFromUserInput(editor.plug->GetParam(s.paramIdx)->GetNormalized(s.value));
  }
};

TEST_F(PageSwitchRedraw, EverySwitchDrawsWhatAFullRedrawDraws) {
  const Switch switches[] = {
      {"to the librarian", kShowLibrarian, 1},
      {"back to the synthesizer", kShowLibrarian, 0},
      {"to the velocity page", kShowVelomap, 1},
      {"back from velocity", kShowVelomap, 0},
      {"slot B", kQuickTab, 1},
      {"slot D", kQuickTab, 3},
      {"to NL1", kNordModel, 0},
      {"NL1 velocity", kShowVelomap, 1},
      {"NL1 librarian", kShowVelomap, 0},
      {"NL1 librarian on", kShowLibrarian, 1},
      {"NL1 back", kShowLibrarian, 0},
      {"to NL2x", kNordModel, 2},
      {"slot A", kQuickTab, 0},
      {"to NL2", kNordModel, 1},
  };
  for (const Switch& s : switches) {
    SCOPED_TRACE(s.what);
    Flip(s);
    window.Tick();
    const std::vector<uint32_t> afterSwitch = Screen();
    const std::vector<uint32_t> full = Redrawn();
    EXPECT_TRUE(SameScreen(afterSwitch, full, window.Width()));
  }
}

}  // namespace
