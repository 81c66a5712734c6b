// The performance settings window opens from "Perform" and closes from its own
// Close switch as well.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IParam.h"

namespace {

struct WindowFixture {
  WindowFixture() {
    RegisterBuiltBundle();
    IModuleInstanceInfo info;
    info.mBundleID.Set(Tavro::kBundleID);
    plug = std::make_unique<Tavro>(info, std::make_shared<MidiPortFake>());
  }
  void click(IControl* control) {
    ASSERT_TRUE(control);
    const IRECT r = control->GetRECT();
    IMouseMod left(true);
    plug->graphics->OnMouseDown((r.L + r.R) / 2, (r.T + r.B) / 2, &left);
    plug->graphics->OnMouseUp((r.L + r.R) / 2, (r.T + r.B) / 2, &left);
  }
  // The control of the parameter inside the layer, null when none.
  IControl* inLayer(const char* name, int paramIdx) {
    ControlLayer* layer = plug->layer(name);
    for (int i = 0; layer && i < layer->NControls(); ++i) {
      if (layer->GetControl(i)->ParamIdx() == paramIdx) return layer->GetControl(i);
    }
    return nullptr;
  }
  TempDataRoot data;
  std::unique_ptr<Tavro> plug;
};

TEST(PerformanceWindow, ItsCloseSwitchClosesItAsPerformDoes) {
  WindowFixture f;
  ControlLayer* window = f.plug->layer("performanceSettings");
  ASSERT_TRUE(window);
  ASSERT_FALSE(window->IsShown());
  f.click(f.plug->keptControls().multiSettingsControl);
  ASSERT_TRUE(window->IsShown());
  IControl* close = f.inLayer("performanceSettings", kMultiSettings);
  ASSERT_TRUE(close) << "the window has no control that closes it";
  EXPECT_NE(close, f.plug->keptControls().multiSettingsControl);
  f.click(close);
  EXPECT_FALSE(window->IsShown());
  EXPECT_EQ(f.plug->GetParam(kMultiSettings)->Value(), 1.0);
  // And it opens again from "Perform".
  f.click(f.plug->keptControls().multiSettingsControl);
  EXPECT_TRUE(window->IsShown());
}

}  // namespace
