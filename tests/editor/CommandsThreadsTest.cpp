// The panel's road and the synthesizer's road at once: panel edits on the main thread
// while values stream in from the synthesizer, and a slot change from the synthesizer
// while a transfer runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "EditorTestSupport.h"
#include "Framework/ByteChunk.h"
#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "Kit_TimeSource.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr int kFilterResonance = 4;  // + slot

struct ConnectedEditor : VirtualTimeEditor {
  ConnectedEditor() : VirtualTimeEditor(kSynthIn) { change(kDeviceOutSelection, 1); }
  void change(int paramIdx, double value) {
    Kit_MutexLock lock(plug->GetMutex());
    plug->GetParam(paramIdx)->Set(value);
    plug->OnParamChange(paramIdx);
  }
  int controlChangesSent(int cc) const {
    const auto sent = ports->Sent(kSynthIn);
    return int(std::count_if(sent.begin(), sent.end(), [cc](const MidiPortFake::Message& m) {
      return m.size() == 3 && m[0] == 0xB0 && m[1] == cc;
    }));
  }
};

TEST(CommandsThreads, PanelEditsAllGoOutWhileTheSynthesizerStreamsValues) {
  ConnectedEditor editor;
  Tavro& plug = *editor.plug;
  IControl* resonanceB = plug.firstControl(kFilterResonance + 1);
  ASSERT_NE(resonanceB, nullptr);
  std::atomic<bool> streaming{true};
  std::atomic<int> streamed{0};
  // Plays midi-in: each value reaches its control as the synthesizer's.
  std::thread midiIn([&] {
    for (int v = 0; streaming; v = (v + 7) % 128, ++streamed) resonanceB->SetValueFromHardware(v / 127.0);
  });
  while (streamed < 10) std::this_thread::yield();
  constexpr int kEdits = 300;
  for (int i = 0; i < kEdits; ++i) {
    Kit_MutexLock lock(plug.GetMutex());
    EXPECT_FALSE(plug.roadState().hardwareChangeActive) << "edit " << i;
    editor.change(kFilterCutoff, i % 2 ? 90 : 30);
  }
  streaming = false;
  midiIn.join();
  EXPECT_EQ(editor.controlChangesSent(kCutoffCC), kEdits);
  EXPECT_EQ(editor.controlChangesSent(42), 0);  // the synthesizer's own values are not echoed
  EXPECT_FALSE(plug.roadState().hardwareChangeActive);
}

std::atomic<bool> jobMayEnd{false};
void HeldJob(MIDIMessageSender&, const JobArgs&) {
  while (!jobMayEnd) std::this_thread::yield();
}

// Runs a job on the transfer thread that holds it busy until `jobMayEnd`.
void HoldTheTransferThread(MIDIMessageManager& manager) {
  while (manager.isRunning(MIDIMessageManager::kTransferThread)) std::this_thread::yield();
  manager.sender()->setJob(kJobRequestArrangement, &HeldJob);
  jobMayEnd = false;
  JobArgs request;
  request.jobCode = kJobRequestArrangement;
  ASSERT_TRUE(manager.startJob(request));
}

TEST(CommandsThreads, SlotFromTheSynthesizerWhileATransferRunsResendsWhenItEnds) {
  ConnectedEditor editor;
  Tavro& plug = *editor.plug;
  MIDIMessageManager* manager = plug.midiManager;
  const auto started = [manager] { return manager->jobsStarted(MIDIMessageManager::kTransferThread); };
  HoldTheTransferThread(*manager);
  const int before = started();
  const size_t sentBefore = editor.ports->Sent(kSynthIn).size();

  {
    Kit_MutexLock lock(plug.GetMutex());
    plug.GetParam(kAllowPartChange)->Set(1.0);
    plug.GetParam(kQuickTab)->Set(3);
    plug.OnParamChange2(kQuickTab);
  }
  EXPECT_EQ(plug.panelMode().activeSlot, 3);
  EXPECT_EQ(editor.ports->Sent(kSynthIn).size() - sentBefore, 4u * 127u);  // notes off now
  EXPECT_EQ(started(), before);                                            // the resend waits
  EXPECT_EQ(manager->pendingResends(), 1);

  jobMayEnd = true;
  while (manager->isRunning(MIDIMessageManager::kTransferThread) || manager->pendingResends() > 0)
    std::this_thread::yield();
  EXPECT_EQ(started(), before + 1);
}

// A menu job that finds worker (transfer) busy and is not kept for later leaves the
// transfer flag as the running job has it: raised for nothing, it would send the next
// unasked dump from the unit into the panel.
TEST(CommandsThreads, AMenuJobDroppedForABusyTransferRaisesNoTransferFlag) {
  ConnectedEditor editor;
  Tavro& plug = *editor.plug;
  MIDIMessageManager* manager = plug.midiManager;
  HoldTheTransferThread(*manager);
  manager->transferInProgress = false;
  TransferJob initialize;  // the slot menu's "Initialize": transfer flag, not kept
  initialize.code = kJobInitPatch;
  initialize.markTransfer = true;
  EXPECT_FALSE(plug.librarianPanel().startTransferJob(initialize));
  EXPECT_FALSE(manager->transferInProgress);
  jobMayEnd = true;
  while (manager->isRunning(MIDIMessageManager::kTransferThread)) std::this_thread::yield();
}

// A song recalled while a transfer runs: the restored performance waits for the
// transfer and then goes out once.
TEST(CommandsThreads, ARecallWhileATransferRunsSendsTheRestoredPerformanceWhenItEnds) {
  ConnectedEditor editor;
  Tavro& plug = *editor.plug;
  MIDIMessageManager* manager = plug.midiManager;
  const auto started = [manager] { return manager->jobsStarted(MIDIMessageManager::kTransferThread); };
  const auto dumpsSent = [&editor] {
    const auto sent = editor.ports->Sent(kSynthIn);
    return std::count_if(sent.begin(), sent.end(),
                         [](const MidiPortFake::Message& m) { return m.size() > 100 && m[0] == 0xF0; });
  };
  while (manager->isRunning(MIDIMessageManager::kTransferThread)) std::this_thread::yield();
  ByteChunk song;
  {
    Kit_MutexLock lock(plug.GetMutex());
    ASSERT_TRUE(plug.SerializeState(&song));
  }
  HoldTheTransferThread(*manager);
  const int before = started();
  const auto dumpsBefore = dumpsSent();

  {
    Kit_MutexLock lock(plug.GetMutex());
    ASSERT_EQ(plug.UnserializeState(&song, 0), song.Size());
  }
  EXPECT_EQ(started(), before);
  EXPECT_EQ(manager->pendingResends(), 1) << "the restored performance waits for the transfer";

  jobMayEnd = true;
  while (manager->isRunning(MIDIMessageManager::kTransferThread) || manager->pendingResends() > 0)
    std::this_thread::yield();
  EXPECT_EQ(started(), before + 1);
  EXPECT_EQ(dumpsSent() - dumpsBefore, 1);
}

}  // namespace

namespace {

// MIDI Out chosen first: a scan then would hear no answer (and its overlay's Cancel
// lies over the MIDI In menu). It waits for MIDI In, and the line says so.
TEST(CommandsThreads, TheUnitIsLookedForOnceMIDIInIsChosenToo) {
  VirtualTimeEditor editor(kSynthIn, {"Synth Out"});
  Tavro& plug = *editor.plug;
  const auto set = [&plug](int paramIdx, double value) {
    Kit_MutexLock lock(plug.GetMutex());
    plug.GetParam(paramIdx)->Set(value);
    plug.OnParamChange(paramIdx);
  };
  set(kDeviceOutSelection, 1);
  EXPECT_TRUE(plug.unitLink().midiIOSet);
  EXPECT_FALSE(plug.IsTransferring());
  EXPECT_EQ(plug.statusShown(), "Choose MIDI In to find the unit");
  set(kDeviceInSelection, 1);
  EXPECT_TRUE(plug.IsTransferring() || !plug.isDeviceEnquiryPending()) << "no scan once both are set";
  plug.midiManager->sender()->requestCancel();
}

}  // namespace
