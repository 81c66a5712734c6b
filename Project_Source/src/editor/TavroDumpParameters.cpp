// The panel's parameters as the dump coders read and write them, and the coders.

#include <algorithm>

#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "Kit_Mutex.h"
#include "editor/PatchManager.h"
#include "editor/Tavro.h"
#include "layout/tables/ParamNameTable.h"
#include "librarian/TavroParams.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"

namespace {

int IndexOfName(const std::string& name) {
  for (int i = 0; i < kParamNameTableSize; ++i)
    if (name == kParamNameTable[i].name) return kParamNameTable[i].index;
  return -1;
}

// The patch manager's entry for a name display: 0 the performance, 1..4 parts A..D.
int PatchManagerEntry(int index) {
  if (index == kMultiName) return 0;
  if (index >= kPatchName && index < kPatchName + kSlotCount) return index - kPatchName + 1;
  return -1;
}

}  // namespace

// The coders depend only on the name table: one pair serves every instance.
const ProgramDumpCoder* Tavro::programDumpCoder() const {
  static const std::unique_ptr<ProgramDumpCoder> coder = ProgramDumpCoder::Create(IndexOfName);
  return coder.get();
}

const PerformanceDumpCoder* Tavro::performanceDumpCoder() const {
  static const std::unique_ptr<PerformanceDumpCoder> coder = PerformanceDumpCoder::Create(IndexOfName);
  return coder.get();
}

int Tavro::PanelDumpParameters::Model() const { return plug_->unitLink().nordModel.load(); }

double Tavro::PanelDumpParameters::Value(int index) const { return plug_->paramValue(index); }

// A performance also carries what the plug-in keeps beside its parameters: the slot
// channels, the active slot (taken before the tab) and local control.
void Tavro::PanelDumpParameters::SetValue(int index, int value) {
  if (index == kQuickTab) plug_->setActiveSlot(value);
  plug_->setFromPlug(index, value);
  if (index >= kPartMidiChannel && index < kPartMidiChannel + kSlotCount)
    plug_->setSlotChannel(size_t(index - kPartMidiChannel), value);
  if (index == kLocalControl) plug_->setLocalControl(value != 0);
}

void Tavro::PanelDumpParameters::SetStepValue(int index, int value, double controlPosition) {
  IParam* param = plug_->GetParam(index);
  if (!param) return;
  param->Set(std::clamp(double(value), param->GetMin(), param->GetMax()));
  if (plug_->graphics) plug_->graphics->SetParameterFromPlug(index, controlPosition, true);
}

void Tavro::PanelDumpParameters::SetName(int index, const std::string& name) {
  {
    Kit_MutexLock hold(plug_->GetMutex());
    // The display shows the text up to its first zero byte; the patch manager keeps all ten.
    if (IParam* param = plug_->GetParam(index)) param->SetDisplayText(0, name.c_str());
    const int entry = PatchManagerEntry(index);
    if (entry >= 0 && plug_->patchManager && size_t(entry) < plug_->patchManager->names.size())
      plug_->patchManager->names[size_t(entry)] = name;
  }
  plug_->setLibrarianViewDirty();
}
