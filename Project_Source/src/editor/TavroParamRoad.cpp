// The parameter-change dispatcher: every change of the panel and of the editor itself
// passes it. Stage 1 the commands that come before the read-out, stage 2 the read-out,
// stage 3 the rules after it, stage 4 the selector layer, the linked slots and the MIDI
// action. And the device-id enquiry that choosing an output port starts.

#include "Framework/ControlLayer.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "layout/ControlAction.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/TransferJobSteps.h"
#include "winemu/WinEmu_Time.h"

namespace {

constexpr int kEnquiryPauseMs = 100;

bool InRange(int paramIdx, int first, int last) { return paramIdx >= first && paramIdx <= last; }

// Settings that have no control change of their own: the synthesizer learns them only
// from the whole performance.
bool IsPerformanceSetting(int paramIdx) {
  return paramIdx == 310 || paramIdx == 311 || InRange(paramIdx, 315, 345) || InRange(paramIdx, 347, 350) ||
         InRange(paramIdx, 398, 421) || InRange(paramIdx, 454, 461) || paramIdx == 589 || paramIdx == 590;
}

}  // namespace

void Tavro::OnParamChange(int paramIdx) {
  if (paramIdx < 0 || paramIdx >= kTavroParamCount || paramIdx >= NParams()) return;
  Kit_MutexLock lock(GetMutex());
  if (paramIdx == kTempoInformation) takeHostTempo();
  const double value = GetParam(paramIdx)->Value();
  int integerValue = GetParam(paramIdx)->Int();

  // Stage 1: commands before the read-out.
  const CommandResult early = runCommands(paramIdx, value, true);
  if (early == CommandResult::kEnd) return;
  if (early == CommandResult::kNotMine && paramIdx == kLocalControl) setLocalControl(value != 0.0);

  // Stage 2: the read-out.
  if (graphics) valueReadout.controlDisplay(this, paramIdx, integerValue, clockState_.transportWasRunning);

  // Stage 3: the rules after the read-out.
  if (!runOwnRule(paramIdx, integerValue)) {
    if (runCommands(paramIdx, value, false) == CommandResult::kEnd) return;
    // The tempo handler puts the host's tempo where the parameter's value was.
    if (paramIdx == kTempoInformation) integerValue = clockState_.hostTempo;
  }

  // Stage 4: the tail, for a parameter with a binding.
  ControlAction* action = GetParam(paramIdx)->GetControlAction();
  if (!action) return;
  if (ControlLayer* selector = action->selectorLayer) selector->ShowOnlyChild(integerValue);
  linkManager.controlLinker(this, action->link, paramIdx, integerValue, value);
  processControlAction(action, paramIdx, value);
}

Tavro::CommandResult Tavro::runCommands(int paramIdx, double value, bool beforeReadout) {
  const CommandResult panel = runPanelCommand(paramIdx, value, beforeReadout);
  return panel == CommandResult::kNotMine ? runLibrarianCommand(paramIdx, value, beforeReadout) : panel;
}

bool Tavro::runOwnRule(int paramIdx, int integerValue) {
  if (InRange(paramIdx, kPatchName, kPatchName + kSlotCount - 1)) {
    resendProgram(paramIdx - kPatchName);
  } else if (InRange(paramIdx, kPartMidiChannel, kPartMidiChannel + kSlotCount - 1)) {
    // Stored before anything is sent, so the resent performance and later control
    // changes of the slot use the new channel.
    setSlotChannel(size_t(paramIdx - kPartMidiChannel), integerValue);
    resendPerformance();
  } else if (paramIdx == kMultiName || IsPerformanceSetting(paramIdx)) {
    resendPerformance();
  } else if (paramIdx == kDeviceID) {
    setPanelDeviceId(integerValue);
  } else {
    return false;
  }
  return true;
}

bool Tavro::resendProgram(int slot) {
  if (!unitLink_.midiIOSet) {
    showStatus(kSetPortsFirst);
    return false;
  }
  AllSoundsOff(slot, false);
  startResend(kJobSendPart, slot);
  return true;
}

bool Tavro::resendPerformance() {
  if (!unitLink_.midiIOSet) {
    showStatus(kSetPortsFirst);
    return false;
  }
  AllSoundsOff(0, true);
  startResend(kJobSendArrangement, 0);
  return true;
}

void Tavro::startResend(int jobCode, int slot) {
  JobArgs args;
  args.jobCode = jobCode;
  args.slot = slot;
  midiManager->startOrKeep(args);
}

void Tavro::sendSysExInitialization() {
  // Pending before the job starts, which forgets the id answered before (setDeviceEnquiryPending).
  unitLink_.deviceEnquiryPending = true;
  if (!unitLink_.midiIOSet || transfer_.sysexInputSuspended) return;
  // Without an input no answer is heard: the scan waits for MIDI In (its choice starts it).
  if (GetMidiPorts().SelectedInput() <= 0) {
    showStatus("Choose " + portsNamed(true, false) + " to find the unit");
    return;
  }
  JobArgs args;
  args.jobCode = kJobDeviceIdEnquiry;
  midiManager->startJob(args);
  Sleep(kEnquiryPauseMs);
}
