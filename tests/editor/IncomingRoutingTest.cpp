// The editor's MIDI input: which channel messages reach the MIDI manager, and a
// synthesizer's knob moving the panel control the layout bound to it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

#include "EditorTestSupport.h"
#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "layout/UIConfigManager.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr int kSlotB = 1;

struct IncomingRouting : ::testing::Test {
  IncomingRouting() {
    // A controller the layout binds to one of slot B's later-model controls.
    for (int cc = 1; cc < 128 && !control; ++cc) {
      if (cc == 32 || (cc >= 16 && cc <= 24) || cc == 34 || cc == 45 || cc == 65 || cc == 78 || cc == 80) continue;
      if ((control = f.plug->uiConfig->getCCControls(kSlotB + 1, cc, 0))) controller = cc;
    }
    f.plug->setNordModel(1);
  }
  // The bound parameter's position 0..1 after a message with `value`.
  double Send(bool fromDevice, uint8_t status, int value) {
    IMidiMsg msg(0, status, uint8_t(controller), uint8_t(value));
    f.plug->ProcessMidiMsg(&msg, fromDevice);
    return f.plug->GetParam(control->ParamIdx())->GetNormalized();
  }
  double Expected(int value) const {
    const IParam* p = f.plug->GetParam(control->ParamIdx());
    return std::fmin(1.0, value / (p->GetMax() - p->GetMin()));
  }

  EditorFixture f;
  IControl* control = nullptr;
  int controller = -1;
};

TEST_F(IncomingRouting, TheSynthesizersKnobMovesItsControlOnlyOnAPartChannel) {
  ASSERT_NE(control, nullptr) << "the layout binds no controller to slot B";
  const uint8_t onSlotB = 0xB0 | uint8_t(f.plug->slotChannel(kSlotB) - 1);
  Send(true, onSlotB, 1);  // a control's first value may only set its default
  EXPECT_NEAR(Send(true, onSlotB, 100), Expected(100), 1e-6);

  struct Dropped {
    const char* why;
    uint8_t status;
    std::function<void(Tavro&)> setUp;
  };
  const Dropped dropped[] = {
      {"transfer busy", onSlotB, [](Tavro& p) { p.setTransferBusy(true); }},
      {"master keyboard", onSlotB, [](Tavro& p) { p.setIgnoreDeviceMidi(true); }},
      {"no part on the channel", 0xB9, [](Tavro&) {}},
      {"no channel message", 0xF8, [](Tavro&) {}},
  };
  for (const Dropped& d : dropped) {
    d.setUp(*f.plug);
    EXPECT_NEAR(Send(true, d.status, 50), Expected(100), 1e-6) << d.why;
    f.plug->setTransferBusy(false);
    f.plug->setIgnoreDeviceMidi(false);
  }
  EXPECT_NEAR(Send(true, onSlotB, 50), Expected(50), 1e-6);
}

TEST_F(IncomingRouting, TheHostsControllerReachesItsSlotOnlyWithPortsAndOffTheGlobalChannel) {
  ASSERT_NE(control, nullptr);
  const uint8_t onSlotB = 0xB0 | uint8_t(f.plug->slotChannel(kSlotB) - 1);
  Kit_MutexLock hold(f.plug->GetMutex());  // host MIDI arrives under the plug-in mutex
  const double before = f.plug->GetParam(control->ParamIdx())->GetNormalized();
  Send(false, onSlotB, 1);
  EXPECT_EQ(Send(false, onSlotB, 100), before) << "no ports: ignored";
  f.plug->setMidiIOSet(true);
  Send(false, onSlotB, 1);
  EXPECT_NEAR(Send(false, onSlotB, 90), Expected(90), 1e-6);
  const uint8_t onGlobal = 0xB0 | uint8_t(int(f.plug->paramValue(kDeviceID)));
  ASSERT_NE(onGlobal, onSlotB);
  EXPECT_NEAR(Send(false, onGlobal, 20), Expected(90), 1e-6) << "the zones' channel";
}

// The global channel spreads a host message over the zone the links make (shrunk to a
// soloed slot of it); the distribution and its one-slot step also work on their own.
TEST_F(IncomingRouting, TheHostsGlobalChannelReachesTheLinkedZoneThroughItsCopies) {
  ASSERT_NE(control, nullptr);
  Tavro& plug = *f.plug;
  Kit_MutexLock hold(plug.GetMutex());
  plug.setMidiIOSet(true);
  const uint8_t onGlobal = 0xB0 | uint8_t(int(plug.paramValue(kDeviceID)));
  const double before = plug.GetParam(control->ParamIdx())->GetNormalized();
  Send(false, onGlobal, 1);
  EXPECT_EQ(Send(false, onGlobal, 20), before) << "no link: the global channel reaches no slot";
  plug.setGlobalLink(0, true);  // A-B
  Send(false, onGlobal, 1);
  EXPECT_NEAR(Send(false, onGlobal, 70), Expected(70), 1e-6) << "slot B is in the A-B zone";
  plug.setSlotSolo(0, true);
  EXPECT_NEAR(Send(false, onGlobal, 30), Expected(70), 1e-6) << "the zone shrinks to soloed slot A";
  plug.setSlotSolo(0, false);
  plug.setGlobalLink(0, false);

  const auto value = [&] { return plug.GetParam(control->ParamIdx())->GetNormalized(); };
  IMidiMsg msg(0, 0xB0, uint8_t(controller), 40);
  plug.DistributeMIDIMessages(&msg, 1, 0xB0);  // B, C
  EXPECT_NEAR(value(), Expected(40), 1e-6);
  msg.mData2 = 50;
  plug.DistributeMIDIMessages(&msg, 7, 0xB0);  // no such zone
  EXPECT_NEAR(value(), Expected(40), 1e-6);
  plug.CloneMIDIMessageAndProcess(&msg, kSlotB, 0xB0);
  EXPECT_NEAR(value(), Expected(50), 1e-6);
  msg.mData2 = 60;
  plug.setMidiIOSet(false);
  plug.DistributeMIDIMessages(&msg, 5, 0xB0);
  EXPECT_NEAR(value(), Expected(50), 1e-6) << "without ports nothing is distributed";
  plug.CloneMIDIMessageAndProcess(&msg, kSlotCount, 0xB0);
  EXPECT_NEAR(value(), Expected(50), 1e-6) << "no such slot";
}

std::atomic<int> requestedSlot{-1};
std::atomic<int> requests{0};
void RecordRequest(MIDIMessageSender&, const JobArgs& args) {
  requestedSlot = args.slot;
  ++requests;
}

TEST_F(IncomingRouting, TheSynthesizersGlobalChannelChoosesThePerformanceBankAndRequestsThePerformance) {
  Tavro& plug = *f.plug;
  const int global = int(plug.paramValue(kDeviceID));
  for (int s = 0; s < kSlotCount; ++s) ASSERT_NE(plug.slotChannel(s) - 1, global);
  const auto plain = [&](int index) { return int(plug.GetParam(index)->Value()); };
  const auto fromSynth = [&](uint8_t status, uint8_t data1, uint8_t data2) {
    IMidiMsg msg(0, status, data1, data2);
    plug.ProcessMidiMsg(&msg, true);
  };

  // Performance banks: two on the earlier models, four on the ten-bank one.
  for (int s = 0; s < kSlotCount; ++s) ASSERT_EQ(plain(TavroParam::kCurrentPerfBank + s), 0);
  fromSynth(uint8_t(0xB0 | global), 32, 1);
  for (int s = 0; s < kSlotCount; ++s) EXPECT_EQ(plain(TavroParam::kCurrentPerfBank + s), 1) << "slot " << s;
  const int programBankA = plain(kCurrentBank);
  plug.setNordModel(2);
  fromSynth(uint8_t(0xB0 | global), 32, 2);
  for (int s = 0; s < kSlotCount; ++s) EXPECT_EQ(plain(TavroParam::kCurrentPerfBank2x + s), 2) << "slot " << s;
  EXPECT_EQ(plain(TavroParam::kCurrentPerfBank), 1);
  EXPECT_EQ(plain(kCurrentBank), programBankA) << "a program bank moves only on its part's channel";
  // A channel that is neither global nor a part's still reaches nothing.
  fromSynth(uint8_t(0xB0 | ((global + 5) % 16)), 32, 3);
  EXPECT_EQ(plain(TavroParam::kCurrentPerfBank2x), 2);

  MIDIMessageManager& manager = *plug.midiManager;
  manager.sender()->setJob(kJobRequestArrangement, &RecordRequest);
  plug.setDeviceFilterBlocked(1, false);  // program changes from the synthesizer pass
  const int before = manager.jobsStarted(MIDIMessageManager::kTransferThread);
  fromSynth(uint8_t(0xC0 | global), 7, 0);
  EXPECT_EQ(manager.jobsStarted(MIDIMessageManager::kTransferThread), before + 1);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (requests.load() == 0 && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
  EXPECT_EQ(requests.load(), 1) << "the performance request ran";
  EXPECT_TRUE(manager.transferInProgress.load());

  // With the librarian following the synthesizer, a performance chosen while it
  // shows programs says so.
  plug.GetParam(kControlLibrary)->Set(1.0);
  plug.keptControls().statusText->SetTextFromPlug("");
  fromSynth(uint8_t(0xC0 | global), 7, 0);
  EXPECT_EQ(plug.keptControls().statusText->GetTextString(), "Turn on PERF. mode from librarian first!");
  EXPECT_EQ(manager.jobsStarted(MIDIMessageManager::kTransferThread), before + 1);
}

}  // namespace
