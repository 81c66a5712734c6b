// Short messages that reach the editor: the synthesizer's knobs and program changes
// move the panel and the librarian, the host's MIDI is filtered, turned into requests
// and passed on towards the synthesizer.

#include "Framework/IControl.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IParam.h"
#include "Kit_Mutex.h"
#include "Kit_TimeSource.h"
#include "librarian/PatchTemplates.h"
#include "librarian/TavroParams.h"
#include "messaging/DumpParameters.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MessagingEditor.h"

namespace {

constexpr int kBankSelectLsb = 32;
constexpr uint64_t kLibrarianSendPauseMicros = 200000;
constexpr uint64_t kHostProgramPauseMicros = 50000;
constexpr const char* kPerfModeFirst = "Turn on PERF. mode from librarian first!";
constexpr const char* kProgModeFirst = "Turn on PROG. mode from librarian first!";

// The class a short message is filtered by (the order of the block flags); -1 for
// anything that is no channel message.
int FilterClass(IMidiMsg::EStatusMsg status) {
  switch (status) {
    case IMidiMsg::kControlChange: return 0;
    case IMidiMsg::kProgramChange: return 1;
    case IMidiMsg::kNoteOff:
    case IMidiMsg::kNoteOn: return 2;
    case IMidiMsg::kPitchWheel: return 3;
    case IMidiMsg::kPolyAftertouch: return 4;
    case IMidiMsg::kChannelAftertouch: return 5;
    default: return -1;
  }
}

double ParamValue(const MessagingEditor& editor, int paramIdx) {
  const IParam* param = editor.editorParam(paramIdx);
  return param ? param->Value() : 0.0;
}

// The first slot whose part channel is the message's; slot A when none is.
int SlotOfChannel(const MessagingEditor& editor, int channel) {
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (int(ParamValue(editor, kPartMidiChannel + slot)) - 1 == channel) return slot;
  return 0;
}

// The channel key (1-16) a controller is looked up under. The panel files a part's
// controls under its slot (1-4), so a message on a slot's part channel is looked up
// through that slot, whatever channel the part is on; any other as its own channel.
int LookupChannel(const MessagingEditor& editor, int slot, int channel) {
  return int(ParamValue(editor, kPartMidiChannel + slot)) - 1 == channel ? slot + 1 : channel + 1;
}

// `value` held at the highest the read-out of `paramIdx` shows: a host's number past
// it goes to the unit as that, so that what the unit is sent and the read-out agree.
int ShownLimit(const MessagingEditor& editor, int paramIdx, int value) {
  const IParam* param = editor.editorParam(paramIdx);
  return param && value > param->GetMax() ? int(param->GetMax()) : value;
}

// The bank read-out a bank select on `channel` moves: every slot's performance bank
// on the global channel, else the slot's program bank.
int ShownBankParam(MessagingEditor& editor, int slot, int channel) {
  const bool ten = editor.panelParameters().Model() == 2;
  if (channel == int(ParamValue(editor, kDeviceID)))
    return ten ? TavroParam::kCurrentPerfBank2x : TavroParam::kCurrentPerfBank;
  return (ten ? TavroParam::kCurrentBank2x : TavroParam::kCurrentBank) + slot;
}

// A synthesizer controller's value for a four-step selector on the later models.
double FourStepPosition(int value) { return value >= 1 && value <= 4 ? value * 0.25 : 0.0; }

}  // namespace

int MIDIMessageManager::limitProgramNumber(int program) const {
  if (program < 100) return program;
  if (program == 100) return 99;
  return 99 + (plug_->isLibrarianPerformanceMode() ? 1 : 0);
}

namespace {

// What the two entries share: lights, selections, librarian sends and requests.
class IncomingRoad {
public:
  IncomingRoad(MIDIMessageManager& manager, MessagingEditor& editor) : m_(manager), e_(editor) {}

  void LightAndForward(int slot, IMidiMsg* msg) {
    e_.lightIncomingMidi(slot);
    e_.routeMidiToSynth(msg);
  }

  // What the synthesizer played goes back to it only while its local control is off:
  // with it on, the unit has sounded it already and an echo would play it twice.
  void LightAndForwardFromDevice(int slot, IMidiMsg* msg) {
    e_.lightIncomingMidi(slot);
    if (!e_.isLocalControlOn()) e_.routeMidiToSynth(msg);
  }

  // A bank select the unit takes: the Bank read-out follows, every slot's performance
  // bank on the global channel, else the slot's program bank.
  void FollowBankSelect(int slot, const IMidiMsg* msg) {
    if (msg->ControlChangeIdx() != kBankSelectLsb) return;
    e_.showUnitChoice(slot, msg->Channel() == int(ParamValue(e_, kDeviceID)), msg->mData2, -1);
  }

  // A limited number one past the bank names no slot: the selection stays, so a dump
  // stored later into the selected slot never lands beyond the bank.
  void SelectRow(int row) {
    const int bankSize = e_.isLibrarianPerformanceMode() ? kPerformanceBankSize : kProgramBankSize;
    if (row >= 0 && row < bankSize) e_.selectLibrarianRow(0, row);
  }

  void LibrarianSend(int row) {
    m_.sysexBusy = true;
    SelectRow(row);
    Kit_Time().SleepMicros(kLibrarianSendPauseMicros);
    m_.transferInProgress = true;
    m_.disarmLibrarianReceivers();
    e_.sendLibrarianRowToSynth(row);
  }

  // Job 4 (the active performance) or job 5 (one slot's program) into the panel; kept
  // while a transfer runs, so each slot of a zone gets its request in turn.
  void RequestIntoPanel(int jobCode, int slot) {
    m_.transferInProgress = true;
    m_.disarmLibrarianReceivers();
    JobArgs args;
    args.jobCode = jobCode;
    args.slot = slot;
    args.toPanel = true;
    m_.startOrKeep(args);
  }

private:
  MIDIMessageManager& m_;
  MessagingEditor& e_;
};

}  // namespace

void MIDIMessageManager::ProcessMidiMsgFromDevice(IMidiMsg* msg) {
  if (!msg || !plug_) return;
  const int filterClass = FilterClass(msg->StatusMsg());
  if (filterClass < 0 || plug_->midiClassBlocked(true, filterClass)) return;
  IncomingRoad road(*this, *plug_);
  const int slot = SlotOfChannel(*plug_, msg->Channel());
  const int channel = msg->Channel();

  if (msg->StatusMsg() == IMidiMsg::kControlChange) {
    {
      // The whole road of one controller holds the plug-in, so the side and the
      // hardware flag the MIDI action reads are this message's, and a panel edit on
      // another thread waits rather than being taken for an echo.
      Kit_MutexLock hold(plug_->pluginMutex());
      fromHost = 0;
      const int cc = msg->ControlChangeIdx(), value = msg->mData2;
      getLegacyCCparam(cc, LookupChannel(*plug_, slot, channel), value, false, true);
    }
    road.FollowBankSelect(slot, msg);
    road.LightAndForwardFromDevice(slot, msg);
    return;
  }

  if (msg->StatusMsg() != IMidiMsg::kProgramChange) {
    road.LightAndForwardFromDevice(slot, msg);
    return;
  }

  // The synthesizer's program changes are never forwarded and light nothing.
  const bool onGlobal = channel == int(ParamValue(*plug_, kDeviceID));
  if (ParamValue(*plug_, kControlLibrary) == 1.0) {
    const bool performances = plug_->isLibrarianPerformanceMode();
    if (onGlobal && !performances) {
      plug_->showStatus(kPerfModeFirst);
      return;
    }
    if (!onGlobal && performances) {
      plug_->showStatus(kProgModeFirst);
      return;
    }
    road.LibrarianSend(limitProgramNumber(msg->mData1));
    return;
  }
  const int program = limitProgramNumber(msg->mData1);
  // The unit chose it: the read-out follows (the program or the performance).
  plug_->showUnitChoice(slot, onGlobal, -1, program);
  road.RequestIntoPanel(onGlobal ? kJobRequestArrangement : kJobRequestPart, slot);
  road.SelectRow(program);
}

void MIDIMessageManager::ProcessMidiMsgFromDAW(IMidiMsg* msg, int slot) {
  if (!msg || !plug_ || slot < 0 || slot >= kSlotCount || !plug_->isMidiIOSet()) return;
  fromHost = 1;
  const bool globalProgramChange = ParamValue(*plug_, kGlobalProgChange) == 1.0;
  const int filterClass = FilterClass(msg->StatusMsg());
  if (filterClass < 0 || plug_->midiClassBlocked(false, filterClass)) return;
  IncomingRoad road(*this, *plug_);

  if (msg->StatusMsg() == IMidiMsg::kControlChange) {
    if (msg->ControlChangeIdx() == kBankSelectLsb)
      msg->mData2 = uint8_t(ShownLimit(*plug_, ShownBankParam(*plug_, slot, msg->Channel()), msg->mData2));
    getLegacyCCparam(msg->ControlChangeIdx(), LookupChannel(*plug_, slot, msg->Channel()), msg->mData2, false, false);
    // Passed on below: the unit changes bank, and so does the read-out.
    road.FollowBankSelect(slot, msg);
  } else if (msg->StatusMsg() == IMidiMsg::kProgramChange) {
    int program = limitProgramNumber(msg->mData1);
    if (ParamValue(*plug_, kControlLibrary) == 1.0) {
      road.LibrarianSend(program);
    } else if (globalProgramChange) {
      // On the slot's own part channel: the slot's number as a channel would change
      // the program of whatever part listens there.
      const int partChannel = int(ParamValue(*plug_, kPartMidiChannel + slot));
      // The slot's program: past the bank's last it is the last, sent and passed on.
      program = ShownLimit(*plug_, TavroParam::kCurrentProgram + slot, program);
      msg->mData1 = uint8_t(program);
      if (partChannel >= 1 && partChannel <= 16) {
        IMidiMsg change;
        change.MakeProgramChangeMsg(program / 127.0, partChannel - 1);
        plug_->sendMidiToSynthNow(&change);
      }
      plug_->showUnitChoice(slot, false, -1, program);
      Kit_Time().SleepMicros(kHostProgramPauseMicros);
      road.RequestIntoPanel(kJobRequestPart, slot);
      road.SelectRow(program);
    }
  }
  road.LightAndForward(slot, msg);
}

void MIDIMessageManager::getLegacyCCparam(int cc, int channel, int value, bool notify, bool fromDevice) {
  const bool laterModel = plug_->synthModel() > 0;
  IControl* control = plug_->getCCControls(channel, cc, laterModel ? 0 : 1);
  if (!control) control = plug_->getCCControls(channel, cc, laterModel ? 1 : 0);
  if (!control) return;
  applyingHardwareValue = false;
  const int paramIdx = control->ParamIdx();
  const IParam* param = plug_->editorParam(paramIdx);
  // A control without a range has no position a value could stand for.
  if (!param || !(param->GetMax() - param->GetMin() > 0.0)) return;
  const double scaled = value / (param->GetMax() - param->GetMin());
  applyingHardwareValue = fromDevice;
  bool librarianFollows = notify;
  if (fromDevice)
    librarianFollows |= setFromDeviceController(*control, cc, value, scaled, laterModel);
  else
    control->SetValueFromHardware(scaled);
  if (librarianFollows) plug_->runParamChange(kShowLibrarian);
  applyingHardwareValue = false;
}

bool MIDIMessageManager::setFromDeviceController(IControl& control, int cc, int value, double scaled, bool laterModel) {
  const int paramIdx = control.ParamIdx();
  switch (cc) {
    case 16:
    case 34:
    case 45:
    case 65:
    case 80:
      // Switches: only 1 is on.
      control.SetValueFromHardware(value == 1 ? 1.0 : 0.0);
      return true;
    case 18:
    case 20:
    case 21:
      if (laterModel) {
        control.SetValueFromHardware(FourStepPosition(value));
      } else {
        control.SetValueFromHardware(scaled);
        plug_->runParamChange(paramIdx);
      }
      return false;
    case 24:
      if (!laterModel) break;
      control.SetValueFromHardware(scaled);
      return true;
    case 78:
      control.SetValueFromHardware(scaled);
      plug_->runParamChange(paramIdx);
      return false;
    default: break;
  }
  // The synthesizer reports its local control; the control itself stays as it is.
  if (paramIdx == kLocalControl)
    plug_->setLocalControl(value != 0);
  else
    control.SetValueFromHardware(scaled);
  return false;
}
