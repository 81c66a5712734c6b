// The editor as it stands after construction: fields, layers, menus, sizes.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "editor/librarian/LibrarianPanelParts.h"
#include "editor/panel/ProgressIndicator.h"
#include "messaging/MIDIMessageManager.h"

namespace {

// Records the menus start-up asks for; builds none.
class RecordingPanelParts : public LibrarianPanelParts {
public:
  LibrarianViewFactory listFactory() override { return nullptr; }
  IControl* makeMenu(int index, Tavro*, PatchLibrarian*, const IRECT& rect) override {
    rects.push_back({index, rect});
    return nullptr;
  }
  void setListDragEnabled(IControl*, bool) override {}
  void refreshMenus(Tavro*) override { ++refreshes; }

  std::vector<std::pair<int, IRECT>> rects;
  int refreshes = 0;
};

struct ScopedPanelParts {
  ScopedPanelParts() { SetLibrarianPanelParts(&parts); }
  ~ScopedPanelParts() { SetLibrarianPanelParts(nullptr); }
  RecordingPanelParts parts;
};

TEST(Startup, FieldsAndParametersAfterConstruction) {
  EditorFixture f;
  Tavro& t = *f.plug;
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(t.slotTables().slotChannels[size_t(s)], s + 1);
    EXPECT_DOUBLE_EQ(t.GetParam(kPartMidiChannel + s)->Value(), s + 1);
  }
  EXPECT_EQ(t.unitLink().deviceId, 4);
  EXPECT_DOUBLE_EQ(t.GetParam(kDeviceID)->Value(), 4.0);
  EXPECT_EQ(t.unitLink().nordModel, 1);
  EXPECT_DOUBLE_EQ(t.GetParam(kNordModel)->Value(), 1.0);
  EXPECT_EQ(t.panelMode().activeSlot, 0);
  EXPECT_TRUE(t.roadState().startupComplete);
  EXPECT_FALSE(t.unitLink().midiIOSet);
  EXPECT_EQ(t.NAutomatedParams(), 0);
  EXPECT_EQ(t.NParams(), kTavroParamCount);
  EXPECT_EQ(t.randomizerState.size(), 725u);
  EXPECT_NE(t.keptControls().statusText, nullptr);
  EXPECT_EQ(t.keptControls().statusText->GetTextString(), "Vudidi Tavro Plug-in");
}

TEST(Startup, FilterFlagsFollowTheStartValues) {
  EditorFixture f;
  const bool hostBlocked[] = {false, true, false, false, false, false, true};
  const bool deviceBlocked[] = {false, true, false, false, false, false, false};
  for (int i = 0; i < kFilterClassCount; ++i) {
    EXPECT_EQ(f.plug->midiFilters().hostFilterBlocked[size_t(i)], hostBlocked[i]) << i;
    EXPECT_EQ(f.plug->midiFilters().deviceFilterBlocked[size_t(i)], deviceBlocked[i]) << i;
    EXPECT_DOUBLE_EQ(f.plug->GetParam(kMIDIFilterDAWCCPassThrough + i)->Value(), hostBlocked[i] ? 0.0 : 1.0);
  }
  EXPECT_TRUE(f.plug->midiFilters().trackIncomingMidi);
  EXPECT_FALSE(f.plug->clockState().sendClockPointer);
  EXPECT_DOUBLE_EQ(f.plug->GetParam(kSendMIDIClockInfo)->Value(), 0.0);
}

TEST(Startup, ShownLayersOnTheSynthPageOfSlotA) {
  EditorFixture f;
  for (const char* name :
       {"root", "layerALayer", "modWheelerOne", "slotBEnable", "slotCEnable", "slotDEnable", "patchProgramControls1nl2",
        "controlDisplayLayer", "performanceSettings2", "PROGRAMNUMBERMENU", "BANKNUMBERMENUPROGRAMS"})
    EXPECT_TRUE(f.shown(name)) << name;
  for (const char* name : {"performanceSettings", "layerBLayer", "slotAEnable", "modWheelerTwo", "aboutWindow",
                           "firstRunNotification", "midiFilterSettings", "patchRename", "searchField",
                           "librarianPartSelector", "saveChangesLayer", "LeftPatchPopupMenu", "BANKEDITMENU",
                           "RightSearchPopupMenu", "PERFBANKNAMEMENUPROGRAMS", "patchProgramControls1nl2x"})
    EXPECT_FALSE(f.shown(name)) << name;
  ControlLayer* root = f.plug->layer("root");
  EXPECT_EQ(root->GetActiveChildID(), 2);
  for (int i = 0; i < root->NChildLayers(); ++i)
    EXPECT_EQ(root->GetChildLayer(i)->IsShown(), root->GetChildLayer(i)->GetID() == 2) << i;
  // The overlay lies on top and starts hidden.
  ASSERT_NE(f.plug->progressLayer, nullptr);
  EXPECT_FALSE(f.plug->progressLayer->IsShown());
  EXPECT_EQ(f.plug->graphics->GetLayer(f.plug->graphics->NLayers() - 1), f.plug->progressLayer);
}

TEST(Startup, PanelSizeMenusAndOverlayFollowTheSettingsFile) {
  struct Case {
    const char* line2;
    int width, height;
    double sizeParam;  // -1: the layout default stays
    IRECT programMenu;
  };
  const Case cases[] = {
      {"small", 1125, 500, 0.0, IRECT(163, 408, 189, 422)},
      {"normal", 1500, 667, 1.0, IRECT(218, 545, 253, 563)},
      {"large", 1875, 833, 2.0, IRECT(272, 681, 316, 703)},
      {"Large", 1500, 667, -1.0, IRECT(218, 545, 253, 563)},
  };
  for (const Case& c : cases) {
    ScopedPanelParts parts;
    EditorFixture f(std::string("first\n") + c.line2 + "\nyes\n", true);
    SCOPED_TRACE(c.line2);
    EXPECT_EQ(f.plug->graphics->Width(), c.width);
    EXPECT_EQ(f.plug->graphics->Height(), c.height);
    EXPECT_EQ(f.plug->progressIndicator->GetRECT(), IRECT(0, 0, c.width, c.height));
    if (c.sizeParam >= 0) {
      EXPECT_DOUBLE_EQ(f.plug->GetParam(kUserInterfaceSize)->Value(), c.sizeParam);
    }
    ASSERT_EQ(parts.parts.rects.size(), 10u);
    EXPECT_EQ(parts.parts.rects[5].first, 5);
    EXPECT_EQ(parts.parts.rects[5].second, c.programMenu);
    EXPECT_EQ(f.plug->keptControls().menuLayers[5]->GetID(), 75);
    EXPECT_FALSE(f.shown("firstRunNotification"));
  }
}

TEST(Startup, ThirdSettingsLineNoShowsTheFirstRunNotice) {
  EditorFixture f("\nnormal\r\nno\t \n", true);
  EXPECT_TRUE(f.shown("firstRunNotification"));
}

TEST(Startup, StartsNoThreadAndOpensNoPort) {
  EditorFixture f;
  EXPECT_EQ(f.plug->GetMidiPorts().SelectedInput(), 0);
  EXPECT_EQ(f.plug->GetMidiPorts().SelectedOutput(), 0);
  EXPECT_FALSE(f.plug->midiManager->isRunning(MIDIMessageManager::kTransferThread));
  EXPECT_EQ(f.plug->midiManager->jobsStarted(MIDIMessageManager::kTransferThread), 0);
}

}  // namespace
