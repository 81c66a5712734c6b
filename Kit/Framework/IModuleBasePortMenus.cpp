// The port menus: their entries are the port lists, listed anew as a menu opens so
// that a unit switched on later is offered and one switched off is not.

#include <string>

#include "Framework/IModuleBase.h"
#include "Framework/IModulePanel.h"
#include "Framework/IParam.h"

namespace {

constexpr const char* kGoneMark = " (gone)";

// A port's entry; a gone port's name with the mark kept whole: a long name loses its
// end instead.
std::string EntryText(const std::string& name, bool gone) {
  if (!gone) return name;
  const size_t room = size_t(IParam::kMaxDisplayTextLength) - std::string(kGoneMark).size();
  return name.substr(0, room) + kGoneMark;
}

// `paramIdx` is one of `menus` (input, output; -1 for none).
bool IsPortMenu(const int (&menus)[2], int paramIdx) {
  return paramIdx >= 0 && (paramIdx == menus[0] || paramIdx == menus[1]);
}

const IMidiPortNames& PortNames(IModuleBase& plug, bool input) {
  return *(input ? plug.getExternalMIDIInNames() : plug.getExternalMIDIOutNames());
}

}  // namespace

void IModuleBase::SetPortMenu(int paramIdx, bool input) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  mPortMenus[input ? 0 : 1] = paramIdx;
  WritePortEntries(param, input);
}

void IModuleBase::WritePortEntries(IParam* param, bool input) {
  const IMidiPortNames& names = PortNames(*this, input);
  param->ResetDisplayTexts();
  for (size_t i = 0; i < names.size(); ++i)
    param->SetDisplayText(int(i), EntryText(names[i], mMidiPorts->isExternalMIDIGone(input, int(i))).c_str());
}

void IModuleBase::ListPortMenu(int paramIdx) {
  if (!IsPortMenu(mPortMenus, paramIdx)) return;
  const bool input = paramIdx == mPortMenus[0];
  IParam* param = GetParam(paramIdx);
  Kit_MutexLock lock(mMutex);
  int chosen = param->Int();
  mMidiPorts->relistExternalMIDINames(input, chosen);
  WritePortEntries(param, input);
  param->Set(chosen);
  if (IModulePanel* panel = GetGUI()) panel->SetParameterFromPlug(paramIdx, chosen, false);
}

void IModuleBase::MarkChosenPortGone(int paramIdx, bool gone) {
  if (!IsPortMenu(mPortMenus, paramIdx)) return;
  const IMidiPortNames& names = PortNames(*this, paramIdx == mPortMenus[0]);
  IParam* param = GetParam(paramIdx);
  const int chosen = param->Int();
  if (chosen <= 0 || size_t(chosen) >= names.size()) return;
  param->SetDisplayText(chosen, EntryText(names[size_t(chosen)], gone).c_str());
}
