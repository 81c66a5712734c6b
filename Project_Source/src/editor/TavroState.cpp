// The host state chunk: save and recall of the editor.

#include "IControl.h"
#include "IParam.h"
#include "Kit_TimeSource.h"
#include "PatchManager.h"
#include "Tavro.h"
#include "layout/UIConfigManager.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr int kBankSelection = 351;
constexpr int kPatchSelection = 352;
constexpr int kMultiName = 353;
constexpr int kPatchName = 354;  // + slot
constexpr int kAdjustDAWOffset = 658;
constexpr int kStoredParamCount = PatchManager::kLastSnapshotParam + 1;
constexpr uint64_t kRecallPauseMicros = 50000;

std::string NameOrDefault(const std::string& text) { return text.empty() ? "Set Name" : text; }

// Reads a double at pos: 0.0 with pos -1 when it is not there whole.
double ReadDouble(const ByteChunk* chunk, int& pos) {
  double value = 0.0;
  pos = pos < 0 ? -1 : chunk->GetDouble(&value, pos);
  return pos < 0 ? 0.0 : value;
}

}  // namespace

bool Tavro::SerializeState(ByteChunk* chunk) { return SerializeState2(chunk, true); }

bool Tavro::SerializeState2(ByteChunk* chunk, bool withPatchManager) {
  chunk->PutInt32(PatchManager::kShortFormTag);
  chunk->PutDouble(paramValue(kQuickTab));
  chunk->PutDouble(paramValue(kNordModel));
  SerializeParams(chunk);
  if (withPatchManager && patchManager) {
    const IParam* in = GetParam(kDeviceInSelection);
    const IParam* out = GetParam(kDeviceOutSelection);
    patchManager->names[5] = NameOrDefault(in->GetDisplayText(in->Int()));
    patchManager->names[6] = NameOrDefault(out->GetDisplayText(out->Int()));
    patchManager->saveAllToChunk(chunk);
    for (int paramIdx : {int(kDeviceInSelection), int(kDeviceOutSelection), kBankSelection, kPatchSelection})
      chunk->PutDouble(GetParam(paramIdx)->GetNormalized());
  }
  SerializeNonAutomatedParams(chunk, kStoredParamCount);
  return true;
}

int Tavro::UnserializeState(ByteChunk* chunk, int startPos) { return UnserializeState2(chunk, startPos, true); }

int Tavro::UnserializeState2(ByteChunk* chunk, int startPos, bool withPatchManager) {
  int pos = startPos < 0 ? -1 : startPos + 4;
  GetParam(kQuickTab)->SetClamped(ReadDouble(chunk, pos));
  activeSlot = GetParam(kQuickTab)->Int();
  GetParam(kNordModel)->SetClamped(ReadDouble(chunk, pos));
  nordModel = GetParam(kNordModel)->Int();
  if (GetParam(kDeviceOutSelection)->Int() > 0) midiIOSet = true;
  printDebugInfo("PROJECT RECALL: hardware model " + std::to_string(nordModel.load()));
  if (pos >= 0) pos = UnserializeParams(chunk, pos);

  if (withPatchManager && patchManager) {
    pos = patchManager->loadAllFromChunk(chunk, pos);
    ReadDouble(chunk, pos);
    ReadDouble(chunk, pos);
    int inIndex = 1, outIndex = 1;
    printDebugInfo("PROJECT RECALL: MIDI In device stored " + patchManager->names[5]);
    setExternalMIDIIn(inIndex, patchManager->names[5].c_str());
    GetParam(kDeviceInSelection)->SetClamped(inIndex);
    if (midiInSelector) midiInSelector->SetValueFromPlug(GetParam(kDeviceInSelection)->GetNormalized());
    if (inIndex > 0) GetParam(kDeviceInSelection)->SetDisplayText(inIndex, patchManager->names[5].c_str());
    printDebugInfo("PROJECT RECALL: MIDI Out device stored " + patchManager->names[6]);
    setExternalMIDIOut(outIndex, patchManager->names[6].c_str());
    GetParam(kDeviceOutSelection)->SetClamped(outIndex);
    if (outIndex > 0) GetParam(kDeviceOutSelection)->SetDisplayText(outIndex, patchManager->names[6].c_str());
    if (GetParam(kDeviceOutSelection)->Int() > 0) midiIOSet = true;
    const double bank = ReadDouble(chunk, pos);
    const double patch = ReadDouble(chunk, pos);
    if (pos >= 0) {
      GetParam(kBankSelection)->SetNormalized(bank);
      GetParam(kPatchSelection)->SetNormalized(patch);
    }
  }
  if (midiIOSet) {
    pos = pos < 0 ? -1 : UnserializeNonAutomatedParams(chunk, pos, kStoredParamCount);
    deviceId = GetParam(kDeviceID)->Int();
    if (patchManager) {
      GetParam(kMultiName)->SetDisplayText(0, patchManager->names[0].c_str());
      for (int s = 0; s < kSlotCount; ++s)
        GetParam(kPatchName + s)->SetDisplayText(0, patchManager->names[size_t(1 + s)].c_str());
    }
    Kit_Time().SleepMicros(kRecallPauseMicros);
    sysexInputSuspended = true;
    if (midiManager) {
      JobArgs send;
      send.jobCode = kJobSendArrangement;
      midiManager->startJob(send);
    }
    midiOutDelay = 2 * GetParam(kAdjustDAWOffset)->Int() + GetBlockSize();
    GetParam(kDatamode)->Set(paramValue(kDatatype) == 1.0 ? 1.0 : 0.0);
    for (int s = 0; s < kSlotCount; ++s) slotSolo[size_t(s)] = GetParam(kSlotSolo + s)->Int() != 0;
    for (size_t i = 0; i < globalLink.size(); ++i) globalLink[i] = GetParam(kGlobalLink + int(i))->Int() != 0;
    OnParamChange(kDatatype);
  }
  tabSwitch.mainTabSwitch(this, 2, nordModel, activeSlot);
  return pos;
}
