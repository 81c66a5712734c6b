// A click at the centre of every control a page shows reaches that control: on each
// page of each model, as the tab switch leaves the panel, through the panel's own
// hit test that a host's mouse click runs.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "SharedEditorSuite.h"

namespace {

class ClicksReach : public SharedEditorSuite {
protected:
  static void Shown(ControlLayer* layer, std::vector<IControl*>* out) {
    if (!layer->IsShown()) return;
    for (int i = 0; i < layer->NControls(); ++i) out->push_back(layer->GetControl(i));
    for (int i = 0; i < layer->NChildLayers(); ++i) Shown(layer->GetChildLayer(i), out);
  }
  // The controls that take clicks: shown, not greyed, bound, with an area.
  static std::vector<IControl*> Clickable() {
    IGraphics& g = *plug().graphics;
    std::vector<IControl*> all;
    for (int i = 0; i < g.NControls(); ++i) all.push_back(g.GetControl(i));
    for (int i = 0; i < g.NLayers(); ++i) Shown(g.GetLayer(i), &all);
    std::vector<IControl*> out;
    for (IControl* c : all) {
      const IRECT& r = c->GetRECT();
      if (!c->IsHidden() && !c->IsGrayed() && c->ParamIdx() >= 0 && r.R > r.L && r.B > r.T) out.push_back(c);
    }
    return out;
  }
};

TEST_F(ClicksReach, TheCentreOfEveryShownControlOnEveryPage) {
  struct Page {
    int tab, model;
    const char* name;
  };
  const Page pages[] = {{1, 0, "NL1 librarian"},  {2, 0, "NL1 synthesizer"},  {3, 0, "NL1 velocity"},
                        {1, 1, "NL2 librarian"},  {2, 1, "NL2 synthesizer"},  {3, 1, "NL2 velocity"},
                        {1, 2, "NL2x librarian"}, {2, 2, "NL2x synthesizer"}, {3, 2, "NL2x velocity"}};
  IGraphics& g = *plug().graphics;
  for (const Page& page : pages) {
    plug().setPerfMode(false);
    plug().tabSwitch.mainTabSwitch(&plug(), page.tab, page.model, 0);
    const std::vector<IControl*> controls = Clickable();
    ASSERT_GT(controls.size(), page.tab == 1 ? 40u : 60u) << page.name;
    for (IControl* c : controls) {
      const IRECT& r = c->GetRECT();
      // The list takes clicks on its rows; its middle lies between its two panes,
      // under the lower pane's file menu. Its first row stands for it.
      const bool list = c == plug().keptControls().librarianView;
      const int x = list ? r.L + 50 : (r.L + r.R) / 2, y = list ? r.T + 9 : (r.T + r.B) / 2;
      IControl* hit = g.GetMouseControlIdx(x, y);
      if (hit == c) continue;
      // The editor's bank and program menus lie over the read-out they open from.
      const bool menuOverItsReadout =
          hit && hit->GetRECT().L == r.L && hit->GetRECT().T == r.T && std::abs(hit->GetRECT().R - r.R) <= 1;
      EXPECT_TRUE(menuOverItsReadout) << page.name << ": a click at (" << x << "," << y << ") meant for "
                                      << plug().GetParam(c->ParamIdx())->GetNameForHost() << " reaches "
                                      << (hit && hit->ParamIdx() >= 0
                                              ? plug().GetParam(hit->ParamIdx())->GetNameForHost()
                                              : "no bound control");
    }
  }
  plug().tabSwitch.mainTabSwitch(&plug(), 2, 1, 0);
}

}  // namespace
