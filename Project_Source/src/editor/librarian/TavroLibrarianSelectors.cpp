// Program and bank selection on the synthesizer (or, in library mode, in the
// librarian's upper bank): the per-slot selectors and the patch up and down buttons.

#include <algorithm>

#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "editor/librarian/TavroLibrarianCommands.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/LibrarianViewControl.h"
#include "librarian/panel/SelectorMenus.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/TransferJobSteps.h"

namespace librarian_commands {

namespace {

using P = TavroParam;

// The first selector of the family a selector parameter belongs to.
int FamilyBase(int paramIdx) {
  for (int base : {P::kCurrentProgram, P::kCurrentProgram2x, P::kCurrentBank, P::kCurrentBank2x, P::kCurrentPerfProgram,
                   P::kCurrentPerfBank, P::kCurrentPerfProgram2x, P::kCurrentPerfBank2x})
    if (paramIdx >= base && paramIdx < base + kSlotCount) return base;
  return paramIdx;
}

// The last row of a librarian bank of the mode: 98 programs, 99 performances.
int LastRow(const Tavro& plug) { return plug.panelMode().perfMode ? 99 : 98; }

// A selector's value as a whole number: one past int's range (only a raw write leaves
// one) is cut to it rather than converted undefined.
int WholeValue(const Tavro& plug, int paramIdx) { return TruncToInt(plug.paramValue(paramIdx)); }

// The slot's MIDI channel, 0-based (-1 for a channel parameter at 0).
int SlotChannel(const Tavro& plug, int slot) {
  return std::clamp(WholeValue(plug, kPartMidiChannel + slot), 0, 16) - 1;
}

bool ProgramChangesAllowed(const Tavro& plug) { return plug.paramValue(P::kGlobalProgChange) == 1.0; }

// Locked sections keep the panel's sound: it goes back to the synthesizer.
void ResendLocked(Tavro& plug, int slot) {
  if (plug.panelMode().perfMode)
    plug.sendMultiDataBackToHardware();
  else
    plug.sendPartDataBackToHardware(slot);
}

// Bank select and program change, then the slot's program or the performance is
// requested back into the panel: at once, or once a running transfer has ended. A
// performance is chosen on the global channel, as the unit takes it; a program on
// the slot's channel. The read-outs show what the unit was sent: a choice that could
// not be sent leaves them. Whether the program change went.
bool SelectOnSynthesizer(Tavro& plug, int bank, int program, int slot) {
  const bool performance = plug.panelMode().perfMode;
  const int channel = performance ? int(plug.unitLink().deviceId) : SlotChannel(plug, slot);
  const bool sent = plug.BankChangeMessage(0, bank, channel, program);
  if (sent) plug.showUnitChoice(slot, performance, bank, program);
  // A kept request takes the replies from the librarian itself when it runs; taken now,
  // the running transfer's traffic (a librarian fetch's) would be parsed into the panel.
  MIDIMessageManager* manager = plug.midiManager;
  if (!manager || !manager->isRunning(MIDIMessageManager::kTransferThread)) plug.SetLibrarianRequestActive(false);
  // Unsent, no reply can come: the line says why (a failed send says it itself).
  if (!sent && channel < 0) plug.showStatus("Program change" + std::string(Tavro::kChannelOffText));
  if (!manager || !sent) return sent;
  JobArgs args;
  args.jobCode = plug.panelMode().perfMode ? kJobRequestArrangement : kJobRequestPart;
  args.slot = slot;
  args.toPanel = true;
  manager->startOrKeep(args);
  return true;
}

// A selector whose choice cannot reach the unit shows again what the unit has: the
// value the edit replaced. `why` is said unless the failed send said it already.
Result PutBack(Tavro& plug, int paramIdx, const char* why = nullptr) {
  writeParam(plug, paramIdx, plug.GetParam(paramIdx)->Previous());
  if (why) plug.showStatus(why);
  return Result::kEnd;
}

}  // namespace

Result programSelector(Tavro& plug, int paramIdx, double value) {
  if (!plug.unitLink().midiIOSet) return PutBack(plug, paramIdx, kSetPortsFirst);
  const int slot = paramIdx - FamilyBase(paramIdx);
  // A value no row has (out of range, not a number) selects nothing on either road.
  const bool onARow = value >= 0.0 && value < LastRow(plug) + 1;
  const int program = onARow ? int(value) : -1;
  if (plug.panelMode().libraryControlOn) {
    plug.selectLibrarianRow(0, program);
    if (!onARow) return Result::kEnd;
    plug.librarianPanel().sendPatchToDeviceFromLibrarian(program, 0);
    return Result::kGoOn;
  }
  if (!onARow) return Result::kEnd;
  if (!ProgramChangesAllowed(plug)) return Result::kGoOn;
  const int bankParam = BankParameter(plug.panelMode().perfMode, plug.unitLink().nordModel, slot) +
                        (plug.panelMode().perfMode ? slot : 0);
  if (!SelectOnSynthesizer(plug, WholeValue(plug, bankParam), program, slot)) return PutBack(plug, paramIdx);
  plug.setSelectedProgram(program);
  if (LibrarianViewControl* list = plug.librarianList()) list->currentRow = program;
  ResendLocked(plug, slot);
  return Result::kGoOn;
}

Result bankSelector(Tavro& plug, int paramIdx, double value) {
  if (!plug.unitLink().midiIOSet) return PutBack(plug, paramIdx, kSetPortsFirst);
  if (plug.panelMode().libraryControlOn) return Result::kEnd;
  if (!ProgramChangesAllowed(plug)) return Result::kGoOn;
  const int slot = paramIdx - FamilyBase(paramIdx);
  const int bank = TruncToInt(value);
  const int model = plug.unitLink().nordModel;
  int program = plug.panelMode().selectedProgram;
  if (!plug.panelMode().perfMode)
    program = WholeValue(plug, P::kCurrentProgram + slot);
  else if (model <= 1)
    program = WholeValue(plug, P::kCurrentPerfProgram + slot);
  else if (model == 2)
    program = WholeValue(plug, P::kCurrentPerfProgram2x + slot);
  if (!SelectOnSynthesizer(plug, bank, program, slot)) return PutBack(plug, paramIdx);
  plug.setSelectedProgram(program);
  ResendLocked(plug, slot);
  return Result::kGoOn;
}

Result programStep(Tavro& plug, int paramIdx, double value) {
  if (value == 0.0) return Result::kEnd;
  const bool up = paramIdx == P::kPatchUp;
  const int last = LastRow(plug);
  const auto step = [&](int from) {
    from = std::clamp(from, -1, last);
    return up ? (from >= last ? 0 : from + 1) : (from <= 0 ? last : from - 1);
  };
  const bool performance = plug.panelMode().perfMode;
  const int slot = plug.panelMode().activeSlot;
  if (plug.panelMode().libraryControlOn) {
    LibrarianViewControl* list = plug.librarianList();
    const int row = step(list ? list->currentRow.load() : plug.panelMode().selectedProgram.load());
    plug.selectLibrarianRow(0, row);
    plug.librarianPanel().sendPatchToDeviceFromLibrarian(row, 0);
    plug.setSelectedProgram(row);
    plug.showUnitChoice(slot, performance, -1, plug.panelMode().selectedProgram);
  } else if (ProgramChangesAllowed(plug)) {
    const int selectorSlot = performance ? 0 : slot;
    const int program = step(WholeValue(plug, ProgramParameter(performance, plug.unitLink().nordModel, selectorSlot)));
    const int bank = WholeValue(plug, BankParameter(performance, plug.unitLink().nordModel, selectorSlot));
    plug.setSysexInputSuspended(false);
    // Not sent, nothing changed on the unit: nothing on the page moves either.
    if (!SelectOnSynthesizer(plug, bank, program, slot)) return Result::kEnd;
    plug.setSelectedProgram(program);
    ResendLocked(plug, slot);
  } else {
    return Result::kEnd;
  }
  // The read-outs show the choice already (SelectOnSynthesizer, or just above).
  const int program = plug.panelMode().selectedProgram;
  if (LibrarianViewControl* list = plug.librarianList()) list->currentRow = program;
  if (auto* menu = menuAt<ProgramNumberPopupMenu>(plug, kProgramNumberMenu)) menu->refreshPatchNames(program);
  plug.OnParamChange(kQuickTab);
  return Result::kEnd;
}

bool chooseOnUnit(Tavro& plug, int bank, int program) {
  const int slot = plug.panelMode().activeSlot;
  if (!plug.unitLink().midiIOSet) {
    plug.showUnitChoice(slot, plug.panelMode().perfMode, bank, program);
    plug.showStatus(kSetPortsFirst);
    return true;
  }
  if (!SelectOnSynthesizer(plug, bank, program, slot)) return false;
  plug.setSelectedProgram(program);
  return true;
}

}  // namespace librarian_commands

void Tavro::showUnitChoice(int slot, bool performance, int bank, int program) {
  using librarian_commands::writeParam;
  using P = TavroParam;
  if (slot < 0 || slot >= kSlotCount) return;
  if (performance) {
    for (int s = 0; s < kSlotCount; ++s) {
      for (int base : {P::kCurrentPerfProgram, P::kCurrentPerfProgram2x})
        if (program >= 0) writeParam(*this, base + s, program);
      for (int base : {P::kCurrentPerfBank, P::kCurrentPerfBank2x})
        if (bank >= 0) writeParam(*this, base + s, bank);
    }
    return;
  }
  // Both models' selectors: the one the model's layer shows moves, whichever wrote.
  if (program >= 0) {
    writeParam(*this, P::kCurrentProgram + slot, program);
    writeParam(*this, P::kCurrentProgram2x + slot, program);
  }
  if (bank >= 0) writeParam(*this, BankParameter(false, unitLink_.nordModel, slot), bank);
}

void Tavro::keepSlotChoiceAcross(bool performances) {
  using P = TavroParam;
  if (performances == panelMode_.perfMode.load()) return;
  if (!performances && !slotChoiceKeptValid_) return;
  static const int kSelectors[] = {P::kCurrentProgram, P::kCurrentProgram2x, P::kCurrentBank, P::kCurrentBank2x};
  for (size_t family = 0; family < 4; ++family) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      double& kept = slotChoiceKept_[family * kSlotCount + size_t(slot)];
      if (performances)
        kept = paramValue(kSelectors[family] + slot);
      else
        librarian_commands::writeParam(*this, kSelectors[family] + slot, kept);
    }
  }
  slotChoiceKeptValid_ = performances;
}

void Tavro::ChangeActiveSlotOnSoftware(int slot) {
  if (slot == panelMode_.activeSlot) return;
  IParam* tab = GetParam(kQuickTab);
  tab->SetClamped(slot);
  // Quarter steps for A to C, the top for D: each lands on its own button of the four.
  if (graphics) graphics->SetParameterFromPlug(kQuickTab, slot >= 3 ? 1.0 : slot * 0.25, true);
  OnParamChange(kQuickTab);
}
