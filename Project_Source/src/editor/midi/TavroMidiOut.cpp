// The editor's exits to the synthesizer's port: channel messages, SysEx, notes off
// and the bank change.

#include <algorithm>
#include <mutex>
#include <string>

#include "Framework/IControlText.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IParam.h"
#include "Kit_TimeSource.h"
#include "editor/Tavro.h"
#include "messaging/SendOutcome.h"
#include "messaging/TransferJobSteps.h"
#include "winemu/WinEmu_Time.h"

namespace {

constexpr int kNoteOffVelocity = 64;
constexpr int kAllSoundsOffPauseMs = 100;

}  // namespace

void Tavro::pauseUnlessClosing(int ms) { Kit_Time().WaitMicros(uint64_t(ms) * 1000, closing); }

int Tavro::slotChannel(int slot) const {
  if (slot < 0 || slot >= kSlotCount) return 0;
  const int channel = TruncToInt(paramValue(kPartMidiChannel + slot));
  return channel >= 1 && channel <= 16 ? channel : 0;
}

void Tavro::showStatus(const std::string& text) {
  std::lock_guard<std::mutex> hold(statusLock_);
  statusAsked_ = text;
  showAskedStatus();
}

void Tavro::showAskedStatus() {
  std::string shown = statusAsked_;
  if (!transferRefusals_.empty() && refusalsRun_ == transferRunNumber()) {
    shown += " / ";
    for (size_t i = 0; i < transferRefusals_.size(); ++i) shown += (i ? ", " : "") + transferRefusals_[i];
    shown += " not taken during the transfer";
  }
  statusShown_ = shown;
  for (ITextControl* line : {kept_.statusText, kept_.librarianStatusText})
    if (line) line->SetTextFromPlug(shown.c_str());
}

bool Tavro::readsWholeOnStatusLines(const std::string& text) const {
  for (ITextControl* line : {kept_.statusText, kept_.librarianStatusText}) {
    if (!line || !graphics) continue;
    IText style = *line->GetText();
    IRECT measured = line->GetRECT();
    if (graphics->MeasureIText(&style, text.c_str(), &measured) && measured.W() > line->GetRECT().W()) return false;
  }
  return true;
}

std::string Tavro::statusShown() const {
  std::lock_guard<std::mutex> hold(statusLock_);
  return statusShown_;
}

void Tavro::MIDIOutRoutingSwitch(IMidiMsg* msg) {
  if (transfer_.transferBusy && transfer_.holdOutputWhileBusy) return;
  routeMidiToSynth(msg);
}

void Tavro::routeMidiToSynth(IMidiMsg* msg) {
  if (outputQueue_.queueMidiOutput) {
    midiQueue.Add(msg);
    return;
  }
  sendMidiMsgAndLog(msg);
}

bool Tavro::sendMidiMsgAndLog(IMidiMsg* msg) {
  if (!unitLink_.midiIOSet) {
    showStatus(kSetPortsFirst);
    return false;
  }
  // A message whose channel was refused when it was made carries no status: sending it
  // would put a data byte on the wire as if it were a status byte.
  if (msg->StatusMsg() == IMidiMsg::kNone) {
    printDebugInfo("MIDI OUT: message without a valid channel not sent");
    return false;
  }
  if (!midiFilters_.trackIncomingMidi) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (slotChannel(slot) - 1 != msg->Channel()) continue;
      if (graphics && slotTables_.ledLit[size_t(slot)] == 0) {
        setActivityLight(slot, 1.0);
        setLedLit(size_t(slot), 1);
        setLedOnTime(size_t(slot), int(GetTickCount()));
      }
      break;
    }
  }
  if (IModuleAU::SendMidiMsg(msg)) return true;
  showStatus(kMidiSendFailed);
  return false;
}

bool Tavro::checksumCheckAndSend(const unsigned char* bytes, int length) {
  if (!unitLink_.midiIOSet) {
    showStatus(kSetPortsFirst);
    return false;
  }
  return SendMidiSysex(const_cast<unsigned char*>(bytes), length);
}

void Tavro::AllSoundsOff(int slot, bool allSlots) {
  if (!unitLink_.midiIOSet) return;
  const int first = allSlots ? 0 : slot;
  const int last = allSlots ? kSlotCount - 1 : slot;
  for (int s = first; s <= last; ++s) {
    const int channel = slotChannel(s);
    if (channel == 0) {
      printDebugInfo("MIDI OUT: slot " + std::to_string(s) + " has no channel; no notes off sent");
      continue;
    }
    for (int note = 127; note >= 1; --note) {
      IMidiMsg off;
      off.MakeNoteOffMsg(note, 0, channel - 1, kNoteOffVelocity);
      sendMidiMsgAndLog(&off);
    }
  }
  pauseUnlessClosing(kAllSoundsOffPauseMs);
  setHoldOutputWhileBusy(true);
}

bool Tavro::BankChangeMessage(int bankMsb, int bankLsb, int channel, int program) {
  const auto dataValue = [](int v) { return std::clamp(v, 0, 127) / 127.0; };
  if (unitLink_.midiIOSet) {
    for (int note = 127; note >= 1; --note) {
      IMidiMsg off;
      off.MakeNoteOffMsg(note, 0, channel, kNoteOffVelocity);
      sendMidiMsgAndLog(&off);
    }
    pauseUnlessClosing(kAllSoundsOffPauseMs);
    setHoldOutputWhileBusy(true);
  }
  setHoldOutputWhileBusy(false);
  IMidiMsg msb;
  msb.MakeControlChangeMsg(0, dataValue(bankMsb), channel);
  sendMidiMsgAndLog(&msb);
  pauseUnlessClosing(25);
  IMidiMsg lsb;
  lsb.MakeControlChangeMsg(32, dataValue(bankLsb), channel);
  sendMidiMsgAndLog(&lsb);
  pauseUnlessClosing(25);
  IMidiMsg change;
  change.MakeProgramChangeMsg(dataValue(program), channel);
  const bool sent = sendMidiMsgAndLog(&change);
  pauseUnlessClosing(50);
  setHoldOutputWhileBusy(true);
  return sent;
}
