#include <gtest/gtest.h>

#include <cmath>

#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "PanelTestSupport.h"

namespace {
class PlainControl : public IControl {
public:
  using IControl::IControl;
  bool Draw(IGraphics*) override {
    ++draws;
    return true;
  }
  int draws = 0;
};

struct ControlBase : ::testing::Test {
  ControlBase() {
    plug.GetParam(3)->InitInt("Cutoff", 0, 0, 10);
    plug.GetParam(4)->InitDouble("Level", 0.0, 0.0, 1.0, 0.01);
  }
  PanelPlug plug;
  IMouseMod left{true};
  IMouseMod shift{true, false, true};
  IMouseMod right{false, true};
};
}  // namespace

TEST_F(ControlBase, NewControlIsDirtyWithNoDefault) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 3);
  EXPECT_TRUE(c.IsDirty());
  EXPECT_LT(c.GetDefaultValue(), 0.0);
  EXPECT_EQ(c.GetValue(), 0.0);
  EXPECT_EQ(c.GetTextEntryLength(), 16);
  EXPECT_TRUE(c.GetPromptDisabled());
}

TEST_F(ControlBase, FirstValueFromPlugBecomesDefaultAndDoubleClickRestoresIt) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 4);
  c.SetClean();
  c.SetValueFromPlug(0.7);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.7);
  EXPECT_DOUBLE_EQ(c.GetDefaultValue(), 0.7);
  EXPECT_FALSE(c.IsDirty());
  EXPECT_FALSE(c.GetRedrawRequested());
  EXPECT_TRUE(plug.fromGUI.empty());

  c.SetValueFromUserInput(0.2);
  ASSERT_EQ(plug.fromGUI.size(), 1u);
  EXPECT_DOUBLE_EQ(plug.fromGUI[0].second, 0.2);
  c.OnMouseDblClick(1, 1, &left);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.7);
  ASSERT_EQ(plug.fromGUI.size(), 2u);
  EXPECT_DOUBLE_EQ(plug.fromGUI[1].second, 0.7);
}

TEST_F(ControlBase, LaterValueFromPlugMarksDirtyWithoutPushing) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 4);
  c.SetValueFromPlug(0.1);
  c.SetClean();
  c.SetValueFromPlug(0.1);
  EXPECT_FALSE(c.IsDirty());
  c.SetValueFromPlug(0.4);
  EXPECT_TRUE(c.IsDirty());
  EXPECT_TRUE(c.GetRedrawRequested());
  EXPECT_TRUE(plug.fromGUI.empty());
  // Drawn in two consecutive cycles.
  c.SetClean();
  EXPECT_TRUE(c.IsDirty());
  c.SetClean();
  EXPECT_FALSE(c.IsDirty());
}

TEST_F(ControlBase, DoubleClickWithoutDefaultDoesNothing) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 4);
  c.SetValue(0.3);
  c.OnMouseDblClick(1, 1, &left);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.3);
  EXPECT_TRUE(plug.fromGUI.empty());
}

TEST_F(ControlBase, SetDirtyClampsAndPushesTheClampedValue) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 4);
  c.SetValue(1.3);
  c.SetDirty(true);
  EXPECT_DOUBLE_EQ(c.GetValue(), 1.0);
  ASSERT_EQ(plug.fromGUI.size(), 1u);
  EXPECT_DOUBLE_EQ(plug.fromGUI[0].second, 1.0);

  c.SetClamp(0.2, 0.8);
  c.SetValue(0.1);
  c.SetDirty(true);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.2);
  EXPECT_DOUBLE_EQ(plug.fromGUI.back().second, 0.2);
  EXPECT_NEAR(plug.GetParam(4)->Value(), 0.2, 1e-9);
}

// A value that is not a number (handed in normalised from outside) is never
// pushed on to the plug-in: the wheel or a drag from it lands on the low end.
TEST_F(ControlBase, ValueThatIsNotANumberIsPushedAsTheLowEnd) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 4);
  c.SetClamp(0.2, 0.8);
  c.SetValueFromPlug(std::nan(""));
  c.OnMouseWheel(1, 1, &left, 1);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.2);
  ASSERT_EQ(plug.fromGUI.size(), 1u);
  EXPECT_DOUBLE_EQ(plug.fromGUI[0].second, 0.2);
}

TEST_F(ControlBase, ControlWithoutParameterOnlyMarksDirty) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), -1);
  c.SetClean();
  c.SetValue(0.5);
  c.SetDirty(true);
  EXPECT_TRUE(c.IsDirty());
  EXPECT_TRUE(plug.fromGUI.empty());
}

TEST_F(ControlBase, WheelStepsByHundredthsOrThousandthsAndClamps) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 4);
  c.OnMouseWheel(1, 1, &left, 1);
  EXPECT_NEAR(c.GetValue(), 0.01, 1e-12);
  c.OnMouseWheel(1, 1, &shift, 1);
  EXPECT_NEAR(c.GetValue(), 0.011, 1e-12);
  c.SetValue(0.995);
  c.OnMouseWheel(1, 1, &left, 3);
  EXPECT_DOUBLE_EQ(c.GetValue(), 1.0);
}

TEST_F(ControlBase, HitExcludesRightAndBottomAndEmptyTarget) {
  PlainControl c(&plug, IRECT(10, 20, 30, 40), -1);
  EXPECT_TRUE(c.IsHit(10, 20));
  EXPECT_TRUE(c.IsHit(29, 39));
  EXPECT_FALSE(c.IsHit(30, 25));
  EXPECT_FALSE(c.IsHit(15, 40));
  PlainControl empty(&plug, IRECT(), -1);
  EXPECT_FALSE(empty.IsHit(0, 0));
}

TEST_F(ControlBase, RightClickWithPromptDisabledShowsNothing) {
  PanelFixture f;
  f.plug->GetParam(2)->InitBool("Switch", false);
  auto* c = new PlainControl(f.plug.get(), IRECT(0, 0, 10, 10), 2);
  f.surface->AttachControl(c);
  c->OnMouseDown(1, 1, &right);
  EXPECT_TRUE(f.surface->menus.empty());
  c->SetPromptDisabled(false);
  c->OnMouseDown(1, 1, &right);
  EXPECT_EQ(f.surface->menus.size(), 1u);
}

TEST_F(ControlBase, ValueFromHardwarePushesThroughTheSecondPathOnlyOnChange) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 4);
  c.SetValueFromHardware(0.5);  // first value: default only
  EXPECT_TRUE(plug.fromGUI2.empty());
  c.SetValueFromHardware(0.5);
  EXPECT_TRUE(plug.fromGUI2.empty());
  c.SetValueFromHardware(0.25);
  ASSERT_EQ(plug.fromGUI2.size(), 1u);
  EXPECT_DOUBLE_EQ(plug.fromGUI2[0].second, 0.25);
  EXPECT_TRUE(plug.fromGUI.empty());
}

TEST_F(ControlBase, AuxParametersAreFoundAndUpdatedOnlyOnChange) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 3);
  EXPECT_EQ(c.AuxParamIdx(7), -1);
  c.AddAuxParam(7);
  c.AddAuxParam(9);
  EXPECT_EQ(c.AuxParamIdx(9), 1);
  c.SetClean();
  c.SetAuxParamValueFromPlug(1, 0.0);
  EXPECT_FALSE(c.IsDirty());
  EXPECT_FALSE(c.GetRedrawRequested());
  c.SetAuxParamValueFromPlug(1, 0.6);
  EXPECT_TRUE(c.IsDirty());
  EXPECT_DOUBLE_EQ(c.GetAuxParam(1)->mValue.load(), 0.6);
  c.SetAuxParamValueFromPlug(5, 0.6);  // no such record: ignored
  EXPECT_EQ(c.GetAuxParam(5), nullptr);
  c.SetAllAuxParamsFromGUI();
  ASSERT_EQ(plug.fromGUI.size(), 2u);
  EXPECT_EQ(plug.fromGUI[1], std::make_pair(9, 0.6));
}

TEST_F(ControlBase, HideRequestsARedrawAndGreyingHalvesTheWeight) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), -1, IChannelBlend::kBlendAdd);
  c.SetClean();
  c.Hide(true);
  EXPECT_TRUE(c.IsHidden());
  EXPECT_TRUE(c.IsDirty());
  c.SetClean();
  EXPECT_TRUE(c.IsDirty());
  c.GrayOut(true);
  EXPECT_FLOAT_EQ(c.GetBlend().weight, 0.5f);
  EXPECT_EQ(c.GetBlend().method, IChannelBlend::kBlendAdd);
  c.GrayOut(false);
  EXPECT_FLOAT_EQ(c.GetBlend().weight, 1.0f);
}

TEST_F(ControlBase, GreyedControlIgnoresDoubleClick) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 4);
  c.SetValueFromPlug(0.7);
  c.SetValue(0.1);
  c.GrayOut(true);
  c.OnMouseDblClick(1, 1, &left);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.1);
}

TEST_F(ControlBase, PushRefreshesValueAndNameReadOuts) {
  IText style;
  ITextControl value(&plug, IRECT(0, 0, 50, 10), &style, "");
  ITextControl name(&plug, IRECT(0, 10, 50, 20), &style, "");
  PlainControl knob(&plug, IRECT(0, 20, 10, 30), 3);
  knob.SetValDisplayControl(&value);
  knob.SetNameDisplayControl(&name);
  value.SetClean();
  knob.SetValue(0.3);
  knob.SetDirty(false);  // no push: read-outs untouched
  EXPECT_EQ(value.GetTextString(), "");
  knob.SetDirty(true);
  EXPECT_EQ(value.GetTextString(), "3");
  EXPECT_EQ(name.GetTextString(), "Cutoff");
  EXPECT_TRUE(value.IsDirty());
}

TEST_F(ControlBase, ReceiveParameterReachesOwnAndAuxValues) {
  PlainControl c(&plug, IRECT(0, 0, 10, 10), 3);
  c.AddAuxParam(5);
  c.ReceiveParameterFromPlug(5, 0.4);
  EXPECT_DOUBLE_EQ(c.GetAuxParam(0)->mValue.load(), 0.4);
  EXPECT_EQ(c.GetValue(), 0.0);
  c.ReceiveParameterFromPlug(3, 0.9);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.9);
}
