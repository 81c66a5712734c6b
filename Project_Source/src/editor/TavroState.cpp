// The host state chunk: save and recall of the editor.

#include <algorithm>
#include <string>

#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "Kit_TimeSource.h"
#include "editor/PatchManager.h"
#include "editor/Tavro.h"
#include "layout/UIConfigManager.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr int kStoredParamCount = PatchManager::kLastSnapshotParam + 1;
constexpr int kHeaderBytes = 4 + 8 + 8;  // tag, slot tab, model
constexpr int kSelectorBytes = 4 * 8;    // port, bank and program selections
constexpr int kRecallPauseMs = 50;

enum PortSide { kInput = 0, kOutput = 1 };

double ReadDouble(const ByteChunk* chunk, int& pos) {
  double value = 0.0;
  pos = chunk->GetDouble(&value, pos);
  return value;
}

}  // namespace

bool Tavro::SerializeState(ByteChunk* chunk) { return SerializeState2(chunk, true); }

// The whole name of the chosen port from the port list (its display text may be cut);
// a port a recall did not find keeps the stored name.
static std::string PortNameToSave(const IParam* selector, const IMidiPortNames* names, const std::string& unmatched) {
  const int index = selector->Int();
  if (index > 0 && names && size_t(index) < names->size()) return (*names)[size_t(index)];
  if (!unmatched.empty()) return unmatched;
  const std::string shown = selector->GetDisplayText(index);
  return shown.empty() ? "Set Name" : shown;
}

// A chunk that could not grow somewhere on the way is reported, so that the host keeps
// no short state that a recall would refuse.
bool Tavro::SerializeState2(ByteChunk* chunk, bool withPatchManager) {
  const int start = chunk->Size();
  chunk->PutInt32(PatchManager::kShortFormTag);
  chunk->PutDouble(paramValue(kQuickTab));
  chunk->PutDouble(paramValue(kNordModel));
  bool whole = chunk->Size() == start + kHeaderBytes;
  whole = SerializeParams(chunk) && whole;
  if (withPatchManager && patchManager) {
    patchManager->names[5] =
        PortNameToSave(GetParam(kDeviceInSelection), getExternalMIDIInNames(), unmatchedPortNames[kInput]);
    patchManager->names[6] =
        PortNameToSave(GetParam(kDeviceOutSelection), getExternalMIDIOutNames(), unmatchedPortNames[kOutput]);
    setLibrarianViewDirty();
    whole = patchManager->saveAllToChunk(chunk) && whole;
    const int selectors = chunk->Size();
    for (int paramIdx : {kDeviceInSelection, kDeviceOutSelection, kBankSelection, kPatchSelection})
      chunk->PutDouble(GetParam(paramIdx)->GetNormalized());
    whole = chunk->Size() == selectors + kSelectorBytes && whole;
  }
  return SerializeNonAutomatedParams(chunk, kStoredParamCount) && whole;
}

int Tavro::UnserializeState(ByteChunk* chunk, int startPos) { return UnserializeState2(chunk, startPos, true); }

int Tavro::UnserializeState2(ByteChunk* chunk, int startPos, bool withPatchManager) {
  // Measured whole before anything changes: a damaged or cut chunk leaves the editor
  // as it was rather than half recalled.
  if (!stateFits(chunk, startPos, withPatchManager)) return -1;

  int pos = startPos + 4;
  GetParam(kQuickTab)->SetClamped(ReadDouble(chunk, pos));
  setActiveSlot(GetParam(kQuickTab)->Int());
  GetParam(kNordModel)->SetClamped(ReadDouble(chunk, pos));
  setNordModel(GetParam(kNordModel)->Int());
  printDebugInfo("PROJECT RECALL: hardware model " + modelName(unitLink_.nordModel));
  pos = UnserializeParams(chunk, pos);

  std::string missing;
  if (withPatchManager) pos = recallPortsAndSelection(chunk, pos, &missing);
  // Parameters, device id and names come back whether or not the synthesizer is
  // there, so the next save keeps them; only the resend needs the port.
  setMidiIOSet(GetParam(kDeviceOutSelection)->Int() > 0);
  pos = UnserializeNonAutomatedParams(chunk, pos, kStoredParamCount);
  setPanelDeviceId(GetParam(kDeviceID)->Int());
  printDebugInfo("PROJECT RECALL: hardware DeviceID " + std::to_string(unitLink_.deviceId.load()));
  if (withPatchManager) showRecalledNames();
  followRestoredSwitches();
  if (unitLink_.midiIOSet) resendRecalledArrangement();
  setQueueDelay(GetParam(kAdjustDAWOffset)->Int());
  logPortNames("after nonautomated params ");
  GetParam(kDatamode)->Set(paramValue(kDatatype) == 1.0 ? 1.0 : 0.0);
  OnParamChange(kDatatype);
  tabSwitch.mainTabSwitch(this, 2, unitLink_.nordModel, panelMode_.activeSlot);
  withdrawPortNoticeWhenOpen();
  // Last, so nothing of the restore says more: a stored port that is not there now
  // (or whose cut name fits several), else what became of the ports and the unit.
  const std::string outcome = withPatchManager ? restoreOutcome(missing) : std::string();
  if (!outcome.empty()) showStatus(outcome);
  portStatusForView = graphics && graphics->WindowIsOpen() ? std::string() : outcome;
  return pos;
}

std::string Tavro::restoreOutcome(const std::string& missing) const {
  if (!missing.empty()) return missing;
  if (unitLink_.midiIOSet) return "Restored: ports open, performance sent";
  return GetParam(kDeviceInSelection)->Int() == 0 ? "Restored: MIDI ports OFF, nothing sent"
                                                  : "Restored: MIDI Out OFF, nothing sent";
}

bool Tavro::stateFits(ByteChunk* chunk, int startPos, bool withPatchManager) const {
  if (startPos < 0) return false;
  const int64_t automatedBytes = 8 * int64_t(NAutomatedParams());
  int64_t end = int64_t(startPos) + kHeaderBytes + automatedBytes;
  if (end > chunk->Size()) return false;
  if (withPatchManager) {
    const int blockEnd = patchManager ? PatchManager::blockEnd(chunk, int(end)) : -1;
    if (blockEnd < 0) return false;
    end = int64_t(blockEnd) + kSelectorBytes;
  }
  end += 8 * int64_t(kStoredParamCount);
  return end <= chunk->Size();
}

namespace {

// Fewest characters a name is cut to: its start and the end that names the port.
constexpr size_t kShortestCut = 10;

// A name cut in its middle to at most `most` characters, so its start and end read;
// the end keeps the more, as it tells a device's ports apart ("-in:midi").
std::string MiddleCut(const std::string& name, size_t most) {
  if (name.size() <= most || most < 5) return name.substr(0, std::max<size_t>(most, 5));
  const size_t head = (most - 2) / 3, tail = most - 2 - head;
  return name.substr(0, head) + ".." + name.substr(name.size() - tail);
}

// The text with the names cut to `room` characters together: a name shorter than its
// half leaves the rest to the other.
std::string NamedIn(const std::string& in, const std::string& out, size_t room) {
  // One name: cut in its middle too, so that its end (which tells a device's ports
  // apart) still reads.
  const std::string one = out.empty() ? "MIDI In not found: " : "MIDI Out not found: ";
  if (out.empty() || in.empty()) return one + MiddleCut(out.empty() ? in : out, room);
  const std::string shownIn = MiddleCut(in, std::max(room / 2, room - std::min(room, out.size())));
  return "Not found: In " + shownIn + ", Out " + MiddleCut(out, room - shownIn.size());
}

}  // namespace

std::string MissingPortsText(const std::string& in, const std::string& out,
                             const std::function<bool(const std::string&)>& readsWhole) {
  if (in.empty() && out.empty()) return "";
  // As much of the names as the line takes whole: its width differs with the panel's size.
  const size_t shortest = (in.empty() || out.empty() ? 1 : 2) * kShortestCut;
  // Halved each turn: a stored name may be of any length.
  size_t room = shortest, tooMuch = in.size() + out.size() + 1;
  while (room + 1 < tooMuch) {
    const size_t mid = room + (tooMuch - room) / 2;
    (readsWhole(NamedIn(in, out, mid)) ? room : tooMuch) = mid;
  }
  return NamedIn(in, out, room);
}

int Tavro::recallPortsAndSelection(ByteChunk* chunk, int pos, std::string* missing) {
  pos = patchManager->loadAllFromChunk(chunk, pos);
  pos += 16;  // the stored port selections: the ports are found again by name
  const std::string in = reopenPort(kInput), out = reopenPort(kOutput);
  *missing = MissingPortsText(in, out, [this](const std::string& text) { return readsWholeOnStatusLines(text); });
  logPortNames("after checking devices ");
  const double bank = ReadDouble(chunk, pos);
  const double patch = ReadDouble(chunk, pos);
  GetParam(kBankSelection)->SetNormalized(bank);
  GetParam(kPatchSelection)->SetNormalized(patch);
  return pos;
}

void Tavro::showRecalledNames() {
  // A name is kept padded with NULs; it is shown and logged up to the first.
  const char* multi = patchManager->names[0].c_str();
  GetParam(kMultiName)->SetDisplayText(0, multi);
  printDebugInfo(std::string("PROJECT RECALL: Multi name ") + multi);
  for (int s = 0; s < kSlotCount; ++s) {
    const char* name = patchManager->names[size_t(1 + s)].c_str();
    GetParam(kPatchName + s)->SetDisplayText(0, name);
    printDebugInfo("PROJECT RECALL: Part " + std::to_string(s) + " name " + name);
  }
}

void Tavro::resendRecalledArrangement() {
  pauseUnlessClosing(kRecallPauseMs);
  setSysexInputSuspended(true);
  if (!midiManager) return;
  JobArgs send;
  send.jobCode = kJobSendArrangement;
  // Kept while a transfer runs, and sent when it ends: the synthesizer must hear the
  // performance the song restored.
  midiManager->startOrKeep(send);
}

std::string Tavro::reopenPort(int side) {
  const bool output = side == kOutput;
  const int paramIdx = output ? kDeviceOutSelection : kDeviceInSelection;
  const std::string& stored = patchManager->names[output ? 6 : 5];
  printDebugInfo(std::string("PROJECT RECALL: MIDI ") + (output ? "Out" : "In") + " device stored " + stored);
  int index = 1;
  if (output)
    setExternalMIDIOut(index, stored.c_str());
  else
    setExternalMIDIIn(index, stored.c_str());
  IParam* selector = GetParam(paramIdx);
  selector->SetClamped(index);
  if (IControl* control = output ? kept_.midiOutSelector : kept_.midiInSelector)
    control->SetValueFromPlug(selector->GetNormalized());
  // A port not there now keeps its name for the next save.
  unmatchedPortNames[size_t(side)] = index > 0 || stored == selector->GetDisplayText(0) ? "" : stored;
  return unmatchedPortNames[size_t(side)];
}

void Tavro::logPortNames(const std::string& when) {
  if (!debugEnabled) return;
  for (int paramIdx : {int(kDeviceInSelection), int(kDeviceOutSelection)}) {
    const IParam* selector = GetParam(paramIdx);
    printDebugInfo(std::string("PROJECT RECALL: MIDI ") + (paramIdx == kDeviceOutSelection ? "Out" : "In") +
                   " device " + when + selector->GetDisplayText(selector->Int()));
  }
}

std::string Tavro::modelName(int model) const {
  if (uiConfig) {
    const std::vector<std::string>& names = uiConfig->getValueList("selectedModel");
    if (model >= 0 && size_t(model) < names.size()) return names[size_t(model)];
  }
  return std::to_string(model);
}

void Tavro::followRestoredSwitches() {
  const auto on = [this](int paramIdx) { return paramValue(paramIdx) == 1.0; };
  for (int s = 0; s < kSlotCount; ++s) {
    setSlotChannel(size_t(s), GetParam(kPartMidiChannel + s)->Int());
    setSlotSolo(size_t(s), GetParam(kSlotSolo + s)->Int() != 0);
  }
  for (size_t i = 0; i < midiFilters_.globalLink.size(); ++i)
    setGlobalLink(i, GetParam(kGlobalLink + int(i))->Int() != 0);
  for (int i = 0; i < kFilterClassCount; ++i) {
    setHostFilterBlocked(size_t(i), !on(kMIDIFilterDAWCCPassThrough + i));
    setDeviceFilterBlocked(size_t(i), !on(kMIDIFilterHWCCPassThrough + i));
  }
  setTrackIncomingMidi(on(kMIDIFilterTrackIncomingMIDI));
  setQueueMidiOutput(on(kMIDIFilterToDAWBuffer));
  setSendClockPointer(on(kSendMIDIClockPointer));
  setSendMidiClock(on(kSendMIDIClockInfo));
  setLocalControl(paramValue(kLocalControl) != 0.0);
  setIgnoreDeviceMidi(on(kMasterKeyboard));
}
