#include "Framework/IControlSwitches.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "layout/ICustomRadioButtonsControl.h"
#include "layout/UIConfigManager.h"

IControl* UIConfigManager::MakeSwitch(const std::string& name, int paramIdx, bool def, int x, int y,
                                      const std::string& image, int part, ControlLayer* layer, const std::string& group,
                                      bool contact) {
  IBitmap bitmap = getImageByName(mGraphics, image);
  IParam* param = ParamFor(paramIdx, name);
  if (!param) return nullptr;
  param->InitBool(name.c_str(), def, "", getParamGroup(part, group), -1, -1);
  IControl* control = contact ? new IContactControl(mPlug, Scaled(x), Scaled(y), paramIdx, &bitmap)
                              : new ISwitchControl(mPlug, Scaled(x), Scaled(y), paramIdx, &bitmap);
  Place(control, layer);
  return control;
}

IControl* UIConfigManager::createBoolControl(const std::string& name, int paramIdx, int def, int x, int y,
                                             const std::string& image, int part, ControlLayer* layer,
                                             const std::string& group) {
  IControl* control = MakeSwitch(name, paramIdx, def != 0, x, y, image, part, layer, group, false);
  if (control) Bind(paramIdx, kActionNone, control);
  return control;
}

IControl* UIConfigManager::createBoolControl2(const std::string& name, int paramIdx, int x, int y, double, double,
                                              double, const std::string& image, int part, ControlLayer* layer,
                                              const std::string& group) {
  IControl* control = MakeSwitch(PartName(name, part), paramIdx, false, x, y, image, part, layer, group, true);
  if (!control) return nullptr;
  Bind(paramIdx, kActionNone, control);
  mPlug->GetParam(paramIdx)->SetIsMeta(true);
  return control;
}

IControl* UIConfigManager::createSwitchControl(const std::string& name, int paramIdx, int def, int x, int y,
                                               const std::string& image, int part, ControlLayer* layer,
                                               const std::string& group) {
  IControl* control = MakeSwitch(name, paramIdx, def != 0, x, y, image, part, layer, group, true);
  if (control) Bind(paramIdx, kActionNone, control);
  return control;
}

IControl* UIConfigManager::createAutoOffSwitchControl(const std::string& name, int paramIdx, int x, int y,
                                                      const std::string& image, int part, ControlLayer* layer,
                                                      const std::string& group) {
  return createSwitchControl(name, paramIdx, 0, x, y, image, part, layer, group);
}

IControl* UIConfigManager::createCCBoolControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x,
                                               int y, const std::string& image, double def, double off, double on,
                                               LinkInfo, int part, ControlLayer* layer, const std::string& group) {
  IControl* control = MakeSwitch(PartName(name, part), paramIdx, def != 0, x, y, image, part, layer, group, false);
  if (!control) return nullptr;
  ControlAction* action = Bind(paramIdx, kActionCCSwitch, control);
  action->offValue = ToInt(off);
  action->onValue = ToInt(on);
  BindCC(action, control, ccNumber, channel, part, layer);
  return control;
}

IControl* UIConfigManager::createMsbLsbBoolControl(int ccNumber, int msb, int lsb, int lsbControl, int channel,
                                                   const std::string& name, int paramIdx, int x, int y,
                                                   const std::string& image, double def, double off, double on,
                                                   LinkInfo link, int part, ControlLayer* layer,
                                                   const std::string& group) {
  IControl* control = MakeSwitch(PartName(name, part), paramIdx, def != 0, x, y, image, part, layer, group, false);
  if (!control) return nullptr;
  ControlAction* action = BindMsbLsb(paramIdx, control, link, part, ccNumber, msb, lsb, lsbControl, channel);
  action->offValue = ToInt(off);
  action->onValue = ToInt(on);
  return control;
}

IControl* UIConfigManager::createSysExBoolControl(const std::string& name, int paramIdx, int x, int y,
                                                  const std::string& image, double def, int, int sysexIndex,
                                                  int changingByte, int part, LinkInfo link, ControlLayer* layer,
                                                  const std::string& group) {
  IControl* control = MakeSwitch(PartName(name, part), paramIdx, def != 0, x, y, image, part, layer, group, false);
  if (!control) return nullptr;
  ControlAction* action = Bind(paramIdx, kActionSysExSwitch, control);
  setControlLink(action, paramIdx, link, part);
  BindSysEx(action, control, name, sysexIndex, changingByte, 2, 0, part);
  return control;
}

IControl* UIConfigManager::createRadioControl(const std::string& name, int paramIdx, int x, int y,
                                              const std::string& image, int buttons, int part, ControlLayer* layer,
                                              const std::string& group, bool) {
  IBitmap bitmap = getImageByName(mGraphics, image);
  IParam* param = ParamFor(paramIdx, name);
  if (!param) return nullptr;
  if (buttons < 2) {
    mLog.line("\"" + name + "\": a radio group needs 2 buttons or more, not " + std::to_string(buttons));
    return nullptr;
  }
  if (buttons > kMaxMenuEntries) {
    mLog.line("\"" + name + "\": " + std::to_string(buttons) + " radio buttons capped at " +
              std::to_string(kMaxMenuEntries));
    buttons = kMaxMenuEntries;
  }
  param->InitEnum(name.c_str(), 0, buttons, "", getParamGroup(part, group), -1, -1);
  const int l = Scaled(x), t = Scaled(y);
  // The image's halves (unselected, selected) decide the group's direction.
  const bool stacked = !bitmap.framesHorizontal;
  const IRECT rect =
      stacked ? IRECT(l, t, l + bitmap.W, t + bitmap.H / 2) : IRECT(l, t, l + bitmap.W / 2, t + bitmap.H);
  auto* radio =
      new ICustomRadioButtonsControl(mPlug, rect, paramIdx, buttons, &bitmap, stacked ? kHorizontal : kVertical);
  Place(radio, layer);
  Bind(paramIdx, kActionNone, radio);
  param->SetIsMeta(true);
  return radio;
}
