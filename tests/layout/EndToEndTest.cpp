// A layout-built panel driven as the host drives it, headless.
#include <gtest/gtest.h>

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "LayoutTestSupport.h"

namespace {

const std::string kPanel = Layout(
    "<knobcontrol type=\"ccKnob\" name=\"Cutoff\" paramId=\"kFilterCutoff\" position=\"100,100\" "
    "imageId=\"KNOB_ID_127\" valueBounds=\"64,0,127,1\" ccNumber=\"74\" channel=\"1\"/>"
    "<layer name=\"hidden\"><knobcontrol type=\"ccKnob\" name=\"Res\" paramId=\"kFilterResonance\" "
    "position=\"0,0\" imageId=\"KNOB_ID_127\" valueBounds=\"0,0,127,1\" ccNumber=\"71\" channel=\"1\"/></layer>");

TEST(EndToEnd, DraggingALayoutKnobChangesItsParameter) {
  LayoutFixture f;
  f.Read(kPanel);
  IControl* knob = f.manager->getCCControls(1, 74, 1);
  ASSERT_NE(knob, nullptr);
  EXPECT_EQ(knob, f.First(0));
  const double before = f.plug->GetParam(0)->Value();
  IMouseMod left(true);
  f.graphics->OnMouseDown(102, 101, &left);
  f.graphics->OnMouseDrag(102, 90, &left);
  f.graphics->OnMouseUp(102, 90, &left);
  EXPECT_GT(f.plug->GetParam(0)->Value(), before);
  ASSERT_FALSE(f.plug->fromGUI.empty());
  EXPECT_EQ(f.plug->fromGUI.back().first, 0);
}

TEST(EndToEnd, ValuesFromThePlugInReachKnobsInHiddenLayers) {
  LayoutFixture f;
  f.Read(kPanel);
  ControlLayer* hidden = f.manager->getLayer("hidden");
  ASSERT_NE(hidden, nullptr);
  EXPECT_FALSE(hidden->IsShown());
  IControl* res = f.manager->getCCControls(1, 71, 1);
  res->SetValueFromPlug(0.0);  // the first value only sets the default
  f.graphics->SetParameterFromPlug(4, 127.0, false);
  EXPECT_DOUBLE_EQ(res->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(f.plug->GetParam(4)->Value(), 127.0);
}

TEST(EndToEnd, TheCancelButtonsOfTheProgressOverlay) {
  LayoutFixture f;
  f.Read(kPanel, DefaultSysEx(), 1.25);
  auto* progress = new ControlLayer(0, "PROGRESS");
  f.graphics->AttachLayer(progress);
  IControl* first = f.manager->createAutoOffSwitchControl("Cancel Data Request", 685, 857, 345, "BUTTON_LIB_CANCEL_ID",
                                                          0, progress, "Global");
  IControl* second = f.manager->createAutoOffSwitchControl("Cancel Data Request", 685, 538, 5, "BUTTON_LIB_CANCEL_ID",
                                                           0, progress, "Global");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetRECT(), IRECT(1071, 431, 1071 + 10, 431 + 5));
  EXPECT_EQ(second->GetRECT().L, 672);
  EXPECT_EQ(f.Action(685)->boundControls, (std::vector<IControl*>{first, second}));
  EXPECT_EQ(f.Action(685)->kind, kActionNone);
  EXPECT_STREQ(f.plug->GetParam(685)->GetParamGroupForHost(), "Part 1:Global");
  EXPECT_EQ(progress->NControls(), 2);
}

}  // namespace
