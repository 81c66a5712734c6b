#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "BaseTestPlug.h"

using Calls = std::vector<std::string>;

TEST(IModuleBaseParams, ChangeReachesOnParamChangeOnlyWhenTheValueChanges) {
  BaseTestPlug plug(4, 0);
  plug.GetParam(1)->InitInt("n", 0, 0, 10);
  plug.SetParameterFromGUI(1, 0.5);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 5.0);
  plug.SetParameterFromGUI(1, 0.5);
  plug.SetParameterFromGUI(1, 0.51);  // rounds to the same step
  EXPECT_EQ(plug.calls, (Calls{"OnParamChange 1"}));
  // The host hears of every call, changed or not.
  ASSERT_EQ(plug.informed.size(), 3u);
  EXPECT_EQ(plug.informed[2].first, 1);
  EXPECT_DOUBLE_EQ(plug.informed[2].second, 0.51);
}

TEST(IModuleBaseParams, TextParameterReachesOnParamChangeEveryTime) {
  BaseTestPlug plug(2, 0);
  plug.GetParam(0)->InitText();
  plug.SetParameterFromGUI(0, 0.0);
  plug.SetParameterFromGUI(0, 0.0);
  EXPECT_EQ(plug.calls, (Calls{"OnParamChange 0", "OnParamChange 0"}));
}

TEST(IModuleBaseParams, HardwareValuesGoToOnParamChange2) {
  BaseTestPlug plug(2, 0);
  plug.GetParam(1)->InitEnum("e", 0, 5);
  plug.SetParameterFromGUI2(1, 1.0);
  plug.SetParameterFromGUI2(1, 1.0);
  EXPECT_EQ(plug.calls, (Calls{"OnParamChange2 1"}));
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 4.0);
}

TEST(IModuleBaseParams, AnIndexWithNoParameterChangesNothingAndTellsNoOne) {
  BaseTestPlug plug(4, 0);
  for (int paramIdx : {-1, 4, 100000}) {
    plug.SetParameterFromGUI(paramIdx, 0.5);
    plug.SetParameterFromGUI2(paramIdx, 1.0);
  }
  EXPECT_TRUE(plug.calls.empty());
  EXPECT_TRUE(plug.informed.empty());
}

TEST(IModuleBaseParams, OnParamResetWithNothingAutomatedOnlyResets) {
  BaseTestPlug plug(798, 0);
  plug.OnParamReset();
  EXPECT_EQ(plug.calls, (Calls{"Reset"}));
}

TEST(IModuleBaseParams, OnParamResetVisitsAutomatedInOrder) {
  BaseTestPlug plug(5, 3);
  plug.OnParamReset();
  EXPECT_EQ(plug.calls, (Calls{"OnParamChange 0", "OnParamChange 1", "OnParamChange 2", "Reset"}));
}

TEST(IModuleBaseParams, DirtyParametersInformsTheAutomatedOnes) {
  BaseTestPlug plug(5, 2);
  plug.GetParam(1)->InitInt("n", 3, 0, 4);
  plug.DirtyParameters();
  ASSERT_EQ(plug.informed.size(), 2u);
  EXPECT_EQ(plug.informed[1].first, 1);
  EXPECT_DOUBLE_EQ(plug.informed[1].second, 0.75);
}

TEST(IModuleBaseParams, AttachGraphicsPushesNormalisedValuesThenPrepDraws) {
  std::atomic<int> deletions{0};
  {
    BaseTestPlug plug(3, 0);
    plug.GetParam(2)->InitInt("n", 5, 0, 10);
    plug.AttachGraphics(nullptr);
    EXPECT_EQ(plug.GetGUI(), nullptr);
    auto* panel = new RecordingPanel(&deletions);
    plug.AttachGraphics(panel);
    EXPECT_EQ(plug.GetGUI(), panel);
    ASSERT_EQ(panel->calls.size(), 3u);
    EXPECT_EQ(panel->prepDrawAfter, 3);
    EXPECT_EQ(panel->calls[2].paramIdx, 2);
    EXPECT_DOUBLE_EQ(panel->calls[2].value, 0.5);
    EXPECT_TRUE(panel->calls[2].normalized);

    panel->calls.clear();
    plug.RedrawParamControls();
    ASSERT_EQ(panel->calls.size(), 3u);  // the non-automated ones too
    EXPECT_DOUBLE_EQ(panel->calls[2].value, 5.0);
    EXPECT_FALSE(panel->calls[2].normalized);
    EXPECT_EQ(deletions.load(), 0);
  }
  EXPECT_EQ(deletions.load(), 1);  // the base owns its panel
}

TEST(IModuleBaseParams, ReattachingReplacesThePanel) {
  std::atomic<int> deletions{0};
  BaseTestPlug plug(1, 0);
  plug.AttachGraphics(new RecordingPanel(&deletions));
  auto* second = new RecordingPanel(&deletions);
  plug.AttachGraphics(second);
  EXPECT_EQ(deletions.load(), 1);
  EXPECT_EQ(plug.GetGUI(), second);
}

TEST(IModuleBaseParams, DefaultHooksTakeTheMutexRecursively) {
  BaseTestPlug plug(1, 1);
  Kit_MutexLock lock(plug.GetMutex());
  plug.Reset();
  plug.OnActivate(true);
  plug.SetParameterFromGUI(0, 1.0);
  EXPECT_TRUE(plug.GetMutex().HeldByCaller());
}

namespace {
// A panel that looks at the plug's parameters while it is destroyed, as a real panel's
// controls may.
class ParamReadingPanel : public RecordingPanel {
public:
  ParamReadingPanel(IModuleBase* plug, int* paramsSeen) : plug_(plug), paramsSeen_(paramsSeen) {}
  ~ParamReadingPanel() override {
    int seen = 0;
    for (int i = 0; i < plug_->NParams(); ++i) seen += plug_->GetParam(i) != nullptr;
    *paramsSeen_ = seen;
  }

private:
  IModuleBase* plug_;
  int* paramsSeen_;
};
}  // namespace

TEST(IModuleBaseParams, ThePanelGoesBeforeTheParameters) {
  int paramsSeen = -1;
  {
    BaseTestPlug plug(4, 0);
    plug.AttachGraphics(new ParamReadingPanel(&plug, &paramsSeen));
  }
  EXPECT_EQ(paramsSeen, 4);
}
