// The synthesizer page serves the NL2 and the NL2x: its badge reads the model chosen.

#include <gtest/gtest.h>

#include "Framework/ControlLayer.h"
#include "Framework/IControlText.h"
#include "Framework/IGraphicsMac.h"
#include "LintTestSupport.h"
#include "PanelSnapshots.h"

namespace {

constexpr int kNordModelParam = 796;

// The text of the page's own model caption as the page draws it.
std::string BadgeOn(LintPanel& panel, const std::string& viewName) {
  for (const PanelView& view : PanelViews()) {
    if (view.name == viewName) ShowView(panel, view);
  }
  ControlLayer* page = panel.manager().getLayer("synthPageNL2");
  for (int i = 0; page && i < page->NControls(); ++i) {
    auto* text = dynamic_cast<ITextControl*>(page->GetControl(i));
    if (!text || page->GetControl(i)->ParamIdx() != kNordModelParam) continue;
    const std::string shown = text->GetTextString();  // a caption ends in its (empty) unit
    return shown.substr(0, shown.find_last_not_of(' ') + 1);
  }
  return "no badge";
}

TEST(ModelBadge, ReadsTheModelChosen) {
  LintPanel panel(BuiltBundle(), 1.0);
  EXPECT_EQ(BadgeOn(panel, "nl2x-synth"), "NL2x");
  EXPECT_EQ(BadgeOn(panel, "nl2-synth"), "NL2");
}

}  // namespace
