// The editor's MIDI input: which channel messages reach the MIDI manager, and a
// synthesizer's knob moving the panel control the layout bound to it.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "EditorTestSupport.h"
#include "IControl.h"
#include "IParam.h"
#include "layout/UIConfigManager.h"

namespace {

constexpr int kSlotB = 1;

struct IncomingRouting : ::testing::Test {
  IncomingRouting() {
    // A controller the layout binds to one of slot B's later-model controls.
    for (int cc = 1; cc < 128 && !control; ++cc) {
      if (cc == 32 || (cc >= 16 && cc <= 24) || cc == 34 || cc == 45 || cc == 65 || cc == 78 || cc == 80) continue;
      if ((control = f.plug->uiConfig->getCCControls(kSlotB + 1, cc, 0))) controller = cc;
    }
    f.plug->nordModel = 1;
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
      {"transfer busy", onSlotB, [](Tavro& p) { p.transferBusy = true; }},
      {"master keyboard", onSlotB, [](Tavro& p) { p.ignoreDeviceMidi = true; }},
      {"no part on the channel", 0xB9, [](Tavro&) {}},
      {"no channel message", 0xF8, [](Tavro&) {}},
  };
  for (const Dropped& d : dropped) {
    d.setUp(*f.plug);
    EXPECT_NEAR(Send(true, d.status, 50), Expected(100), 1e-6) << d.why;
    f.plug->transferBusy = false;
    f.plug->ignoreDeviceMidi = false;
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
  f.plug->midiIOSet = true;
  Send(false, onSlotB, 1);
  EXPECT_NEAR(Send(false, onSlotB, 90), Expected(90), 1e-6);
  const uint8_t onGlobal = 0xB0 | uint8_t(int(f.plug->paramValue(kDeviceID)));
  ASSERT_NE(onGlobal, onSlotB);
  EXPECT_NEAR(Send(false, onGlobal, 20), Expected(90), 1e-6) << "the zones' channel";
}

}  // namespace
