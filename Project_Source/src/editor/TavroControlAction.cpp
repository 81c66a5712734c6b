// The last step of every parameter change: the bound controls follow the value, then
// the binding's control change goes to the synthesizer, or its program or the whole
// performance is resent.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "layout/ControlAction.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/TransferJobSteps.h"

namespace {

constexpr double kFilterTypeSentAsPerformance = 5.0;

// A value as a MIDI data byte.
int DataByte(double value) { return int(std::clamp(value, 0.0, 127.0)); }

}  // namespace

void Tavro::processControlAction(ControlAction* action, int paramIdx, double value) {
  IParam* param = GetParam(paramIdx);
  if (!action || !param || paramIdx >= kTavroParamCount) return;
  if (!std::isfinite(value)) {
    printDebugInfo("PROCESSOR: parameter " + std::to_string(paramIdx) + " has no number for a value; nothing sent");
    return;
  }
  const double whole = std::trunc(value);
  if (action->lastValue.load() == whole) return;
  if (!unitLink_.midiIOSet) {
    // Only what would reach the unit needs the ports: page switches, menus and the
    // librarian's work on files show their own outcomes.
    if (action->kind != kActionNone && paramIdx != kDeviceOutSelection && paramIdx != kDeviceInSelection)
      showStatus(kSetPortsFirst);
    return;
  }
  if (!road_.startupComplete) return;
  action->lastValue = whole;

  // A copy: a control's update may change the list.
  const std::vector<IControl*> controls = action->boundControls;
  for (IControl* control : controls) {
    if (road_.linkInProgress) param->SetClamped(value);
    control->SetValueFromPlug(param->GetNormalized());
  }
  // A mirrored edit of a linked slot: the synthesizer links it itself.
  if (road_.linkInProgress) return;

  switch (action->kind) {
    case kActionCC:
      if (paramIdx >= kFilterType && paramIdx < kFilterType + kSlotCount && value == kFilterTypeSentAsPerformance) {
        startResend(kJobSendArrangement, 0);
        return;
      }
      sendControlChange(action, paramIdx, DataByte(value));
      return;
    case kActionCCSwitch:
      sendControlChange(action, paramIdx, DataByte(value == 0.0 ? action->offValue : action->onValue));
      return;
    case kActionProgramResend:
      if (paramIdx != kAdjustDAWOffset) startResend(kJobSendPart, panelMode_.activeSlot);
      return;
    default:
      // Menus, MSB/LSB pairs and SysEx controls reach the synthesizer in the dumps.
      return;
  }
}

void Tavro::sendControlChange(const ControlAction* action, int paramIdx, int dataValue) {
  if (auto* display = dynamic_cast<ITextControl*>(kept_.ccDisplay))
    display->SetTextFromPlug(("CC|" + std::to_string(action->ccNumber)).c_str());
  if (road_.hardwareChangeActive) return;
  // A change the synthesizer sent is echoed back only while its local control is off;
  // one from the host always goes on.
  if (midiManager->applyingHardwareValue && midiFilters_.localControl && midiManager->fromHost == 0) return;
  const int channel = slotChannel(action->slot);
  // The read-out names the control: it says why its move stays on the panel.
  if (channel == 0 && action->ccNumber >= 0 && action->ccNumber <= 127)
    showStatus(GetParam(paramIdx)->GetNameForHost() + std::string(kChannelOffText));
  if (channel == 0 || action->ccNumber < 0 || action->ccNumber > 127) {
    printDebugInfo("PROCESSOR: parameter " + std::to_string(paramIdx) + " has no MIDI channel 1-16 or controller " +
                   "0-127; its control change is not sent");
    return;
  }
  IMidiMsg msg;
  msg.MakeControlChangeMsg(action->ccNumber, dataValue / 127.0, channel - 1);
  MIDIOutRoutingSwitch(&msg);
}
