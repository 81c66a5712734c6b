#include "Framework/IControlText.h"
#include "Framework/IGraphics.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "layout/UIConfigManager.h"
#include "librarian/panel/PanelFont.h"

namespace {

const IColor kAmber(255, 255, 173, 0);
const IColor kBankRed(255, 189, 46, 70);
const IColor kInvisible(0, 255, 173, 0);
constexpr int kMenuTextSize = 15;
constexpr int kSelectorTextSize = 21;

std::string PlainNumber(int, long long v) { return std::to_string(v); }

bool IsBankParam(int paramIdx) {
  return (paramIdx >= 426 && paramIdx <= 429) || (paramIdx >= 434 && paramIdx <= 437) ||
         (paramIdx >= 442 && paramIdx <= 445) || (paramIdx >= 450 && paramIdx <= 453);
}

// Bank numbers end in "."; other numbers below 10 take a leading blank.
std::string NoValueNumber(int paramIdx, long long v) {
  if (IsBankParam(paramIdx)) return std::to_string(v) + ".";
  return (v <= 9 ? " " : "") + std::to_string(v);
}

// The program and bank selectors but kCurrentProgram2x.
bool IsSelectorParam(int paramIdx) {
  return (paramIdx >= 422 && paramIdx <= 429) || (paramIdx >= 434 && paramIdx <= 453);
}

}  // namespace

ICaptionControl* UIConfigManager::MakeCaption(int paramIdx, int x, int y, int w, int h, int size, const IColor& color,
                                              bool promptEnabled, ControlLayer* layer) {
  const IText text(size, color, kPanelFont, IText::kStyleNormal, IText::kAlignCenter, IText::kVAlignCenter, 0, 3);
  auto* caption = new ICaptionControl(mPlug, ScaledRect(x, y, w, h), paramIdx, &text, true);
  caption->SetPromptDisabled(!promptEnabled);
  Place(caption, layer);
  return caption;
}

IParam* UIConfigManager::InitMenuParam(const std::string& name, int paramIdx, int def, int min, int max, int part,
                                       const std::string& group, int* entries) {
  IParam* param = ParamFor(paramIdx, name);
  if (!param) return nullptr;
  long long n = (long long)max - min;
  if (n > kMaxMenuEntries) {
    mLog.line("\"" + name + "\": " + std::to_string(n) + " menu entries capped at " + std::to_string(kMaxMenuEntries));
    n = kMaxMenuEntries;
  }
  *entries = n < 0 ? 0 : int(n);
  param->InitEnum(name.c_str(), def, *entries, "", getParamGroup(part, group), -1, -1);
  return param;
}

bool UIConfigManager::SetMenuTexts(IParam* param, int entries, const std::vector<std::string>& list, int first,
                                   int last, std::string (*numberText)(int, long long), int paramIdx) {
  if (int(list.size()) == entries) {
    for (int i = 0; i < entries; ++i) param->SetDisplayText(i, list[size_t(i)].c_str());
    return true;
  }
  if (first == last || !numberText) return false;
  for (int i = 0; i < entries; ++i) param->SetDisplayText(i, numberText(paramIdx, (long long)first + i).c_str());
  return true;
}

IControl* UIConfigManager::createDropDownMenu(const std::string& name, int paramIdx, int x, int y, int w, int h,
                                              int part, ControlLayer* layer, const std::string& group) {
  IParam* param = ParamFor(paramIdx, name);
  if (!param) return nullptr;
  param->InitEnum(name.c_str(), 0, 1, "", getParamGroup(part, group), -1, -1);
  param->SetDisplayText(0, "----");
  IControl* caption = MakeCaption(paramIdx, x, y, w, h, Scaled(h), kAmber, false, layer);
  Bind(paramIdx, kActionNone, caption);
  return caption;
}

IControl* UIConfigManager::createDropDownMenu2(const std::string& name, int paramIdx, int x, int y, int w, int h,
                                               int def, int min, int max, const std::vector<std::string>& valueList,
                                               int part, ControlLayer* layer, const std::string& group) {
  int entries = 0;
  IParam* param = InitMenuParam(name, paramIdx, def, min, max, part, group, &entries);
  if (!param || !SetMenuTexts(param, entries, valueList, 0, 0, nullptr, paramIdx)) return nullptr;
  IControl* caption = MakeCaption(paramIdx, x, y, w, h, Scaled(h), kAmber, true, layer);
  Bind(paramIdx, kActionNone, caption);
  return caption;
}

IControl* UIConfigManager::createMIDIDeviceSelectionControl(const std::string& name, int paramIdx, int x, int y, int w,
                                                            int h, int direction, int part, ControlLayer* layer,
                                                            const std::string& group) {
  IParam* param = ParamFor(paramIdx, name);
  if (!param) return nullptr;
  param->InitEnum("Device Selection", 0, 1, "", "", -1, -1);
  // Choosing the port shown reopens it: the unit or the MIDI system may have come back.
  param->SetRepeatedChoiceCounts(true);
  mPlug->SetPortMenu(paramIdx, direction == 1);
  ICaptionControl* caption = MakeCaption(paramIdx, x, y, w, h, Scaled(h), COLOR_WHITE, true, nullptr);
  // A port's name is the MIDI system's and may be long: it stays in its own field,
  // cut in the middle, so that a device's input and output still read apart.
  caption->SetFitToRect(true, true);
  Bind(paramIdx, kActionNone, caption);
  return caption;
}

IControl* UIConfigManager::createNoValDropDown(const std::string& name, int paramIdx, int x, int y, int w, int h,
                                               int def, int min, int max, int visibility, bool allowControl, int first,
                                               int last, const std::vector<std::string>& valueList, int part,
                                               ControlLayer* layer, const std::string& group, bool) {
  int entries = 0;
  IParam* param = InitMenuParam(name, paramIdx, def, min, max, part, group, &entries);
  if (!param || !SetMenuTexts(param, entries, valueList, first, last, NoValueNumber, paramIdx)) return nullptr;
  int size = Scaled(kMenuTextSize);
  IColor color = kInvisible;  // holds the value without drawing it
  if (visibility == 1 && IsSelectorParam(paramIdx)) {
    size = Scaled(kSelectorTextSize);
    color = kBankRed;
  } else if (visibility == 1) {
    color = COLOR_WHITE;
  }
  IControl* caption = MakeCaption(paramIdx, x, y, w, h, size, color, allowControl, layer);
  ControlAction* action = Bind(paramIdx, kActionNone, caption);
  if (part >= 0) action->channel = part + 1;
  return caption;
}

IControl* UIConfigManager::createMultiSelectionCCControl(int ccNumber, int channel, const std::string& name,
                                                         int paramIdx, int x, int y, int w, int h, int def, int min,
                                                         int max, int first, int last,
                                                         const std::vector<std::string>& valueList, int part,
                                                         ControlLayer* layer, const std::string& group) {
  int entries = 0;
  IParam* param = InitMenuParam(PartName(name, part), paramIdx, def, min, max, part, group, &entries);
  if (!param || !SetMenuTexts(param, entries, valueList, first, last, PlainNumber, paramIdx)) return nullptr;
  IControl* caption = MakeCaption(paramIdx, x, y, w, h, Scaled(kMenuTextSize), kAmber, true, layer);
  BindCC(Bind(paramIdx, kActionCC, caption), caption, ccNumber, channel, part, layer);
  return caption;
}

IControl* UIConfigManager::createMsbLsbSelectionCCControl(int ccNumber, int msb, int lsb, int lsbControl, int channel,
                                                          const std::string& name, int paramIdx, int x, int y, int w,
                                                          int h, int def, int min, int max, int first, int last,
                                                          const std::vector<std::string>& valueList, int part,
                                                          ControlLayer* layer, const std::string& group) {
  int entries = 0;
  IParam* param = InitMenuParam(PartName(name, part), paramIdx, def, min, max, part, group, &entries);
  if (!param || !SetMenuTexts(param, entries, valueList, first, last, PlainNumber, paramIdx)) return nullptr;
  IControl* caption = MakeCaption(paramIdx, x, y, w, h, Scaled(kMenuTextSize), COLOR_WHITE, true, layer);
  ControlAction* action = Bind(paramIdx, kActionMsbLsb, caption);
  action->ccNumber = ccNumber;
  action->nrpnKey1 = msb;
  action->nrpnKey2 = lsb;
  action->nrpnKey3 = lsbControl;
  action->channel = channel;
  action->firstGen = 0;
  mNRPNTable.addToControlMap(action, caption);
  return caption;
}

IControl* UIConfigManager::createMultiSelectionSysExControl(const std::string& name, int paramIdx, int x, int y, int w,
                                                            int h, int def, int min, int max, int first, int last,
                                                            const std::vector<std::string>& valueList, int offset, int,
                                                            int sysexIndex, int changingByte, int part,
                                                            ControlLayer* layer, const std::string& group, bool white) {
  int entries = 0;
  IParam* param = InitMenuParam(PartName(name, part), paramIdx, def, min, max, part, group, &entries);
  if (!param || !SetMenuTexts(param, entries, valueList, first, last, PlainNumber, paramIdx)) return nullptr;
  IControl* caption =
      MakeCaption(paramIdx, x, y, w, h, Scaled(kMenuTextSize), white ? COLOR_WHITE : COLOR_BLACK, true, layer);
  ControlAction* action = Bind(paramIdx, kActionSysEx, caption);
  BindSysEx(action, caption, name, sysexIndex, changingByte, (long long)max - min + 1, ToInt((double)min + offset),
            part);
  return caption;
}
