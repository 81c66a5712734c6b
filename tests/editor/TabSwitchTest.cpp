// The main tab and part-slot switches on the authored panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "SharedEditorSuite.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "editor/panel/ProgressIndicator.h"

namespace {

const char* const kSlotLayers[] = {"layerALayer", "layerBLayer", "layerCLayer", "layerDLayer"};
// The program-control layers and the never-shown holder of the other slots' performance selectors.
const char* const kProgramControlLayers[] = {
    "patchProgramControls1nl2",       "patchProgramControls2nl2",  "patchProgramControls3nl2",
    "patchProgramControls4nl2",       "patchProgramControls1nl2x", "patchProgramControls2nl2x",
    "patchProgramControls3nl2x",      "patchProgramControls4nl2x", "performanceProgramControlsNL2",
    "performanceProgramControlsNL2x", "performanceSelectorsKept"};

class TabSwitch : public SharedEditorSuite {
protected:
  int shownRootChild() {
    ControlLayer* root = plug().layer("root");
    int shownId = -1;
    for (int i = 0; i < root->NChildLayers(); ++i)
      if (root->GetChildLayer(i)->IsShown()) shownId = root->GetChildLayer(i)->GetID();
    return shownId;
  }
  int shownSlotLayers() {
    int n = 0;
    for (const char* name : kSlotLayers) n += shown(name);
    return n;
  }
};

TEST_F(TabSwitch, MainTabOverTabModelSlotAndLibrarianMode) {
  struct Case {
    int tab, model, slot;
    bool perf;
    int page;
    const char* programControls;  // shown afterwards; null: none
  };
  const Case cases[] = {
      {2, 0, 0, false, 4, "patchProgramControls1nl2"},
      {2, 1, 1, false, 2, "patchProgramControls2nl2"},
      {4, 2, 3, false, 2, "patchProgramControls4nl2x"},
      {3, 0, 2, true, 5, "performanceProgramControlsNL2"},
      {5, 2, 0, true, 3, "performanceProgramControlsNL2x"},
      {2, 3, 1, false, 2, "performanceProgramControlsNL2x"},
      {1, 2, 3, false, 1, "patchProgramControls4nl2x"},
      {1, 1, 0, true, 1, "performanceProgramControlsNL2"},
      {0, 1, 2, false, 0, nullptr},
      {2, 1, 4, false, 2, nullptr},
      {1, 1, -1, false, 1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tab " << c.tab << " model " << c.model << " slot " << c.slot << " perf "
                                    << c.perf);
    plug().setPerfMode(c.perf);
    plug().tabSwitch.mainTabSwitch(&plug(), c.tab, c.model, c.slot);
    EXPECT_EQ(shownRootChild(), c.page);
    for (const char* name : kProgramControlLayers)
      EXPECT_EQ(shown(name), c.programControls && std::string(name) == c.programControls) << name;
    const bool validSlot = c.slot >= 0 && c.slot < 4;
    EXPECT_EQ(shownSlotLayers(), c.page >= 2 && validSlot ? 1 : 0);
    if (c.page >= 2 && validSlot) {
      EXPECT_TRUE(shown(kSlotLayers[c.slot]));
      EXPECT_DOUBLE_EQ(plug().GetParam(kSlotAEnable + c.slot)->Value(), 1.0);
    }
    const bool librarian = c.page == 1;
    EXPECT_EQ(shown("controlDisplayLayer"), !librarian);
    EXPECT_EQ(shown("BANKEDITMENU"), librarian);
    EXPECT_EQ(shown("saveChangesLayer"), librarian);
    EXPECT_EQ(shown("librarianPartSelector"), librarian && !c.perf);
    EXPECT_EQ(shown("LeftPatchPopupMenu"), librarian && !c.perf);
    EXPECT_EQ(shown("RightPerformancePopupMenu"), librarian && c.perf);
    EXPECT_EQ(shown("performanceSettings2"), !librarian);
  }
  plug().setPerfMode(false);
}

// The slots whose bank selector the layout's layers draw (the editor's own selector
// menus, drawn above the overlay, left out), one entry per drawn selector.
std::vector<int> DrawnBankSelectorSlots(Tavro& t) {
  std::vector<int> slots;
  const auto visit = [&](IControl* c) {
    for (int base : {kCurrentBank, kCurrentBank2x, kCurrentPerfBank, kCurrentPerfBank2x})
      if (c->ParamIdx() >= base && c->ParamIdx() < base + 4) slots.push_back(c->ParamIdx() - base);
  };
  for (int i = 0; i < t.graphics->NLayers(); ++i) {
    ControlLayer* layer = t.graphics->GetLayer(i);
    const bool menu = std::find(t.keptControls().menuLayers.begin(), t.keptControls().menuLayers.end(), layer) !=
                      t.keptControls().menuLayers.end();
    if (layer != t.progressLayer && !menu) layer->VisitDrawn(visit);
  }
  return slots;
}

// Under the overlay of a store, on either page, in either mode, after a page or slot
// tab change: one Bank/Prog pair, the active slot's (slot A's for a performance).
TEST_F(TabSwitch, AStoreShowsOneBankAndProgramPairUnderTheOverlay) {
  Tavro& t = plug();
  for (int model : {0, 1, 2, 3}) {
    for (bool perf : {false, true}) {
      for (int tab : {1, 2, 3}) {
        for (int slot = 0; slot < 4; ++slot) {
          SCOPED_TRACE(testing::Message()
                       << "model " << model << " perf " << perf << " tab " << tab << " slot " << slot);
          t.setNordModel(model);
          t.setPerfMode(perf);
          t.GetParam(kShowLibrarian)->Set(tab == 1 ? 1.0 : 0.0);
          t.tabSwitch.mainTabSwitch(&t, tab, model, 0);
          t.tabSwitch.quickTabSwitch(&t, kQuickTab, slot, model);
          t.DisplayProcessingIndicator(true);
          int layersShown = 0;
          for (const char* name : kProgramControlLayers) layersShown += shown(name);
          EXPECT_EQ(layersShown, 1);
          const std::vector<int> slots = DrawnBankSelectorSlots(t);
          ASSERT_EQ(slots.size(), 1u);
          EXPECT_EQ(slots[0], perf || model > 2 ? 0 : slot);
          t.DisplayProcessingIndicator(false);
        }
      }
    }
  }
  t.setPerfMode(false);
  t.setNordModel(1);
  t.GetParam(kShowLibrarian)->Set(0.0);
  t.tabSwitch.mainTabSwitch(&t, 2, 1, 0);
}

TEST_F(TabSwitch, SlotTabShowsOneSlotAndSwitchesItOn) {
  plug().tabSwitch.mainTabSwitch(&plug(), 2, 1, 0);
  for (int slot : {2, 1, 3, 0}) {
    plug().setFromPlug(kSlotAEnable + slot, 0.0);  // the switch off, so the tab pushes it on
    plug().tabSwitch.quickTabSwitch(&plug(), kQuickTab, slot, 1);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(shown(kSlotLayers[s]), s == slot) << slot << s;
    EXPECT_DOUBLE_EQ(plug().GetParam(kSlotAEnable + slot)->Value(), 1.0);
    EXPECT_FALSE(shown(slot == 2   ? "slotCEnable"
                       : slot == 1 ? "slotBEnable"
                       : slot == 3 ? "slotDEnable"
                                   : "slotAEnable"));
  }
  // Outside 0-3: no slot layer, no array read.
  for (int slot : {4, -1, 1000}) {
    plug().tabSwitch.quickTabSwitch(&plug(), kQuickTab, slot, 1);
    EXPECT_EQ(shownSlotLayers(), 0) << slot;
    EXPECT_FALSE(shown("modWheelerOne"));
  }
}

TEST_F(TabSwitch, OctaveLightFollowsWaveformAndSemitones) {
  struct Case {
    double waveform, semitones, lightBefore, lightAfter;
  };
  const Case cases[] = {{0, 24, 0, 1},  {0, 25, 1, 0},  {3, 24, 1, 0}, {0, 0, 0, 1},  {0, 60, 0, 1},
                        {0, 120, 0, 1}, {0, 121, 1, 0}, {0, 61, 1, 0}, {1, 12, 1, 1}, {0, 13, 0, 0}};
  plug().tabSwitch.mainTabSwitch(&plug(), 2, 1, 1);
  for (const Case& c : cases) {
    plug().GetParam(kOsc2Waveform + 1)->Set(c.waveform);
    plug().GetParam(kOsc2Semitones + 1)->Set(c.semitones);
    plug().GetParam(kOscillator2OctaveLED + 1)->Set(c.lightBefore);
    plug().tabSwitch.quickTabSwitch(&plug(), kQuickTab, 1, 1);
    EXPECT_DOUBLE_EQ(plug().GetParam(kOscillator2OctaveLED + 1)->Value(), c.lightAfter)
        << c.waveform << " " << c.semitones;
  }
}

TEST_F(TabSwitch, ALightAlreadyRightIsNotWrittenAgain) {
  plug().tabSwitch.mainTabSwitch(&plug(), 2, 1, 2);
  IControl* light = plug().firstControl(kOscillator2OctaveLED + 2);
  ASSERT_NE(light, nullptr);
  plug().GetParam(kOsc2Waveform + 2)->Set(0.0);
  plug().GetParam(kOsc2Semitones + 2)->Set(36.0);
  plug().setFromPlug(kOscillator2OctaveLED + 2, 0.0);
  // The parameter says lit while its control still shows dark: only a write would
  // bring the control along.
  plug().GetParam(kOscillator2OctaveLED + 2)->Set(1.0);
  plug().tabSwitch.quickTabSwitch(&plug(), kQuickTab, 2, 1);
  EXPECT_DOUBLE_EQ(light->GetValue(), 0.0);
  plug().GetParam(kOsc2Semitones + 2)->Set(37.0);
  plug().tabSwitch.quickTabSwitch(&plug(), kQuickTab, 2, 1);
  EXPECT_DOUBLE_EQ(plug().GetParam(kOscillator2OctaveLED + 2)->Value(), 0.0);
}

TEST_F(TabSwitch, BankFollowsTheSlotOnlyWhenTheCurrentBankIsNotKept) {
  plug().tabSwitch.mainTabSwitch(&plug(), 2, 1, 0);
  plug().setActiveSlot(0);
  plug().GetParam(kCurrentBank)->Set(2.0);
  plug().GetParam(kCurrentBank + 3)->Set(0.0);
  plug().tabSwitch.quickTabSwitch(&plug(), kQuickTab, 3, 1);
  EXPECT_DOUBLE_EQ(plug().GetParam(kCurrentBank + 3)->Value(), 0.0);
  plug().setKeepCurrentBank(false);
  plug().tabSwitch.quickTabSwitch(&plug(), kQuickTab, 3, 1);
  plug().setKeepCurrentBank(true);
  EXPECT_DOUBLE_EQ(plug().GetParam(kCurrentBank + 3)->Value(), 2.0);
  EXPECT_FALSE(shown("PROGRESS"));
  EXPECT_FALSE(plug().progressLayer->IsShown());
}

}  // namespace
