// The editor's SysEx input and its side of requested dumps, on a headless editor.
#include <gtest/gtest.h>

#include <cmath>

#include "EditorTestSupport.h"
#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IGraphics.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IParam.h"
#include "editor/PatchManager.h"
#include "layout/ControlAction.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {

constexpr int kPatchName = 354;  // + slot
constexpr int kLibSyncTimer = 659;
constexpr int kDiscardBankData = 784;
constexpr int kSysEx = 6;  // the filter class

std::vector<uint8_t> ProgramFor(int slot) {
  std::vector<uint8_t> dump(std::begin(kInitProgram), std::end(kInitProgram));
  dump[5] = uint8_t(slot);
  return dump;
}

struct SysExIn : EditorFixture {
  SysExIn() {
    t.setDeviceFilterBlocked(kSysEx, false);
    t.midiManager->transferInProgress = true;
  }
  void send(const std::vector<uint8_t>& bytes, bool fromDevice = true) {
    ISysEx sysex(0, bytes.data(), int32_t(bytes.size()));
    t.ProcessSysEx(&sysex, fromDevice);
  }
  // Marks every binding as having sent a value and lights every activity light.
  void touch() {
    for (int i = 0; i < t.NParams(); ++i)
      if (ControlAction* action = t.GetParam(i)->GetControlAction()) action->lastValue = 5.0;
    for (int slot = 0; slot < kSlotCount; ++slot) {
      t.setFromPlug(kMIDILed + slot, 1.0);
      t.setLedLit(size_t(slot), 1);
    }
  }
  int bindingsWithLastValue() const {
    int count = 0;
    for (int i = 0; i < t.NParams(); ++i)
      if (ControlAction* action = t.GetParam(i)->GetControlAction()) count += action->lastValue != -1.0;
    return count;
  }
  Tavro& t = *plug;
};

TEST(SysExIn, ATakenDumpReachesThePanelAndEveryBindingForgetsItsLastValue) {
  SysExIn f;
  Tavro& t = f.t;
  f.touch();
  f.send(ProgramFor(2));
  EXPECT_EQ(t.paramValue(kFilterCutoff + 2), 127);
  EXPECT_EQ(t.GetParam(kPatchName + 2)->GetDisplayText(0), "Requested");
  EXPECT_EQ(t.patchManager->names[3], "Requested");
  EXPECT_EQ(f.bindingsWithLastValue(), 0);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(t.paramValue(kMIDILed + slot), 0.0);
    EXPECT_EQ(t.slotTables().ledLit[size_t(slot)], 0);
  }
  EXPECT_TRUE(t.transferState().dataProcessed);
  EXPECT_EQ(t.keptControls().statusText->GetTextString(), "Data processed - Ready!");
}

// Any page may show what a dump changed, so every control of the panel is drawn again.
TEST(SysExIn, AMessageLetInMarksEveryPanelControlForRedraw) {
  SysExIn f;
  IGraphics* g = f.t.graphics;
  ASSERT_NE(g, nullptr);
  auto clean = [g] {
    int count = 0;
    for (int i = 0; i < g->NControls(); ++i) count += !g->GetControl(i)->IsDirty();
    return count;
  };
  for (int pass = 0; pass < 2; ++pass)  // a redraw asked during a draw keeps a control dirty once
    for (int i = 0; i < g->NControls(); ++i) g->GetControl(i)->SetClean();
  ASSERT_GT(clean(), 0);
  f.send({0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7});  // a message no receiver takes
  EXPECT_EQ(clean(), 0);
}

TEST(SysExIn, APerformanceSetsWhatThePlugInKeepsBesideItsParameters) {
  SysExIn f;
  Tavro& t = f.t;
  const auto init = InitPerformance();
  std::vector<uint8_t> dump(init.begin(), init.end());
  dump[534 + 2 * 2] = 9;  // slot C's channel 10
  dump[646] = 1;          // local control on
  dump[650] = 3;          // slot D active
  f.send(dump);
  EXPECT_EQ(t.slotTables().slotChannels[2], 10);
  EXPECT_EQ(t.paramValue(kPartMidiChannel + 2), 10);
  EXPECT_TRUE(t.midiFilters().localControl);
  EXPECT_EQ(t.panelMode().activeSlot, 3);
  EXPECT_EQ(t.paramValue(kQuickTab), 3);
  EXPECT_EQ(t.GetParam(353)->GetDisplayText(0), "Perf Req.");
  EXPECT_EQ(t.patchManager->names[0], "Perf Req.");
}

TEST(SysExIn, TheInputsSuspensionAndFiltersHoldMessagesBackButNotTheEditorsOwnDumps) {
  struct Case {
    const char* what;
    bool suspended, deviceBlocked, hostBlocked, fromDevice, own;
    bool letIn, taken;
  };
  const Case kCases[] = {
      {"open input", false, false, true, true, false, true, true},
      {"suspended", true, false, true, true, false, false, false},
      {"synthesizer's SysEx filtered", false, true, true, true, false, false, false},
      {"host SysEx filtered", false, false, true, false, false, false, false},
      {"host SysEx let in, not taken", false, false, false, false, false, true, false},
      {"own dump past a suspension and a filter", true, true, true, true, true, true, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    SysExIn f;
    Tavro& t = f.t;
    t.setSysexInputSuspended(c.suspended);
    t.setDeviceFilterBlocked(kSysEx, c.deviceBlocked);
    t.setHostFilterBlocked(kSysEx, c.hostBlocked);
    f.touch();
    const std::vector<uint8_t> dump = ProgramFor(1);
    if (c.own) {
      t.processOwnSysEx(dump.data(), int(dump.size()));
    } else {
      f.send(dump, c.fromDevice);
    }
    EXPECT_EQ(t.transferState().dataProcessed.load(), c.taken);
    // A message let in resets the panel's sent values even when nobody takes it.
    EXPECT_EQ(f.bindingsWithLastValue() == 0, c.letIn);
  }
}

TEST(SysExIn, TheLibrarianRequestStateArmsTheReceiverOfItsMode) {
  SysExIn f;
  Tavro& t = f.t;
  MIDIMessageManager& m = *t.midiManager;
  for (bool performances : {false, true}) {
    SCOPED_TRACE(performances);
    t.setPerfMode(performances);
    t.setDataProcessed(true);
    m.dumpProcessed = true;
    t.SetLibrarianRequestActive(true);
    EXPECT_FALSE(m.transferInProgress);
    EXPECT_EQ(m.performanceRequest.isArmed(), performances);
    EXPECT_EQ(m.patchRequest.isArmed(), !performances);
    EXPECT_FALSE(t.transferState().dataProcessed);
    EXPECT_FALSE(m.dumpProcessed);
    t.SetLibrarianRequestActive(false);
    EXPECT_TRUE(m.transferInProgress);
    EXPECT_FALSE(m.performanceRequest.isArmed());
    EXPECT_FALSE(m.patchRequest.isArmed());
  }
}

TEST(SysExIn, ReceivedSlotsMarkTheBankUnsaved) {
  SysExIn f;
  Tavro& t = f.t;
  t.SetLibrarianRequestActive(true);
  t.SetLibrarianStatusUnsaved(false);
  EXPECT_TRUE(t.midiManager->patchRequest.isArmed());
  EXPECT_EQ(t.paramValue(kBankEditUnsaved), 0.0);

  t.setFromPlug(kDiscardBankData, 1.0);
  t.showLayer("LeftPatchPopupMenu", true);
  t.SetLibrarianStatusUnsaved(true);
  EXPECT_FALSE(t.midiManager->patchRequest.isArmed());
  EXPECT_FALSE(t.midiManager->transferInProgress);
  EXPECT_EQ(t.paramValue(kBankEditUnsaved), 1.0);
  EXPECT_EQ(t.paramValue(kDiscardBankData), 0.0);
  EXPECT_TRUE(f.shown("discardChangesLayerRight"));
  // The upper bank menu stays: a click on it says why it opens nothing.
  EXPECT_TRUE(f.shown("LeftPatchPopupMenu"));
  EXPECT_TRUE(t.keptControls().datatypeControl->IsGrayed());
  EXPECT_EQ(t.keptControls().statusText->GetTextString(), "Data received to slot(s)");
}

TEST(SysExIn, TheWaitStepFollowsTheSyncTimer) {
  SysExIn f;
  // Values no step has, a raw write's among them (their conversion was undefined), wait 200.
  const std::pair<double, int> kSteps[] = {
      {0, 200}, {1, 250}, {2, 300}, {3, 350}, {4, 200}, {std::nan(""), 200}, {-3.1e231, 200}, {1e300, 200}};
  for (const auto& [timer, step] : kSteps) {
    f.t.GetParam(kLibSyncTimer)->Set(timer);
    EXPECT_EQ(f.t.getTimerValue(), step) << timer;
  }
}

}  // namespace
