// What the transfer jobs read of the editor and tell it.

#include "IControl.h"
#include "IMidiMsg.h"
#include "IParam.h"
#include "PatchManager.h"
#include "Tavro.h"
#include "TavroDumpParameters.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/ProgramDumpCoder.h"

namespace {
constexpr int kPatchName = 354;  // + slot
}  // namespace

const DumpParameters& Tavro::dumpParameters() {
  Kit_MutexLock hold(GetMutex());
  if (!panelDumpParameters) panelDumpParameters = std::make_shared<TavroDumpParameters>(*this);
  return *panelDumpParameters;
}

const ProgramDumpCoder* Tavro::programDumpCoder() {
  // The field table is the program's own: one coder serves every instance.
  static const std::unique_ptr<ProgramDumpCoder> coder = ProgramDumpCoder::Create(TavroParamIndexOf);
  return coder.get();
}

void Tavro::setTransferInProgress(bool inProgress) {
  if (midiManager) midiManager->transferInProgress = inProgress;
}

void Tavro::setTabRefreshPending() {
  if (midiManager) midiManager->tabRefreshPending = true;
}

int Tavro::librarianSelectedSlot() const { return librarian ? librarian->selectedSlot.load() : -1; }

void Tavro::setLibrarianSelectedSlot(int slot) {
  if (librarian) librarian->selectedSlot = slot;
}

std::string Tavro::takePartNameForSend(int slot) {
  Kit_MutexLock hold(GetMutex());
  if (!renameInactive) return GetParam(kPatchRename)->GetDisplayText(0);
  if (slot < 0 || slot >= kSlotCount) return std::string();
  const std::string name = GetParam(kPatchName + slot)->GetDisplayText(0);
  if (patchManager) patchManager->names[size_t(slot) + 1] = name.empty() ? "Set Name" : name;
  if (librarianView) librarianView->SetDirty(false);
  return name;
}

void Tavro::feedSysExFromDevice(const uint8_t* bytes, size_t size) {
  ISysEx sysex(0, bytes, static_cast<int32_t>(size));
  ProcessSysEx(&sysex, true);
}

bool Tavro::SendMidiSysex2(std::vector<unsigned char> bytes) { return IModuleAU::SendMidiSysex2(std::move(bytes)); }
