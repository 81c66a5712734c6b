// The port menus: their entries are the port lists, listed anew as a menu opens so
// that a unit switched on later is offered and one switched off is not.

#include <string>

#include "Framework/IModuleBase.h"
#include "Framework/IModulePanel.h"
#include "Framework/IParam.h"

namespace {

constexpr const char* kGoneMark = " (gone)";

// The port's name with the mark kept whole: a long name loses its end instead.
std::string GoneText(const std::string& name) {
  const size_t room = size_t(IParam::kMaxDisplayTextLength) - std::string(kGoneMark).size();
  return name.substr(0, room) + kGoneMark;
}

}  // namespace

void IModuleBase::SetPortMenu(int paramIdx, bool input) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  mPortMenus[input ? 0 : 1] = paramIdx;
  WritePortEntries(param, input);
}

void IModuleBase::WritePortEntries(IParam* param, bool input) {
  const IMidiPortNames* names = input ? getExternalMIDIInNames() : getExternalMIDIOutNames();
  param->ResetDisplayTexts();
  for (size_t i = 0; i < names->size(); ++i) {
    const bool gone = input ? mMidiPorts->isExternalMIDIInGone(int(i)) : mMidiPorts->isExternalMIDIOutGone(int(i));
    param->SetDisplayText(int(i), (gone ? GoneText((*names)[i]) : (*names)[i]).c_str());
  }
}

void IModuleBase::ListPortMenu(int paramIdx) {
  if (paramIdx < 0 || (paramIdx != mPortMenus[0] && paramIdx != mPortMenus[1])) return;
  const bool input = paramIdx == mPortMenus[0];
  IParam* param = GetParam(paramIdx);
  Kit_MutexLock lock(mMutex);
  int chosen = param->Int();
  if (input)
    mMidiPorts->relistExternalMIDIInNames(chosen);
  else
    mMidiPorts->relistExternalMIDIOutNames(chosen);
  WritePortEntries(param, input);
  param->Set(chosen);
  if (IModulePanel* panel = GetGUI()) panel->SetParameterFromPlug(paramIdx, chosen, false);
}

void IModuleBase::MarkChosenPortGone(int paramIdx, bool gone) {
  if (paramIdx < 0 || (paramIdx != mPortMenus[0] && paramIdx != mPortMenus[1])) return;
  const IMidiPortNames* names = paramIdx == mPortMenus[0] ? getExternalMIDIInNames() : getExternalMIDIOutNames();
  IParam* param = GetParam(paramIdx);
  const int chosen = param->Int();
  if (chosen <= 0 || size_t(chosen) >= names->size()) return;
  const std::string& name = (*names)[size_t(chosen)];
  param->SetDisplayText(chosen, (gone ? GoneText(name) : name).c_str());
}
