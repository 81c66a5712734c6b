#include <algorithm>
#include <cmath>

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IGraphics.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "layout/UIConfigManager.h"
#include "layout/tables/ParamNameTable.h"

namespace {

constexpr const char* kFirstGenLayers[] = {
    "mainControlsLayer1stGen0", "mainControlsLayer1stGen1", "mainControlsLayer1stGen2", "mainControlsLayer1stGen3",
    "veloMorphPanel1stGen0",    "veloMorphPanel1stGen1",    "veloMorphPanel1stGen2",    "veloMorphPanel1stGen3",
};

// The changing byte (1-based) whose key leaves it out: the value takes element 6.
constexpr int kKeyShiftPosition = 7;

}  // namespace

IParam* UIConfigManager::ParamFor(int paramIdx, const std::string& name) {
  if (!mGraphics || !mPlug) {
    mLog.line("\"" + name + "\": no panel to build into");
    return nullptr;
  }
  IParam* param = paramIdx >= 0 && paramIdx < kLayoutParamCount ? mPlug->GetParam(paramIdx) : nullptr;
  if (!param) mLog.line("\"" + name + "\": parameter " + std::to_string(paramIdx) + " is not in the table");
  return param;
}

int UIConfigManager::Scaled(int v) {
  if (std::abs(double(v)) > kMaxCoordinate) {
    mLog.line("layout value " + std::to_string(v) + " capped at " + std::to_string(kMaxCoordinate));
    v = v < 0 ? -kMaxCoordinate : kMaxCoordinate;
  }
  return int(v * mScale);
}

IRECT UIConfigManager::ScaledRect(int x, int y, int w, int h) {
  const int l = Scaled(x), t = Scaled(y);
  return IRECT(l, t, l + Scaled(w), t + Scaled(h));
}

std::string UIConfigManager::PartName(const std::string& name, int part) {
  return part >= 0 ? "[" + std::to_string(part + 1) + "] " + name : name;
}

void UIConfigManager::Place(IControl* control, ControlLayer* layer) {
  if (layer)
    layer->AddControl(control);
  else
    mGraphics->AttachControl(control);
}

ControlAction* UIConfigManager::ActionOrNew(int paramIdx, int kind) {
  IParam* param = mPlug->GetParam(paramIdx);
  if (ControlAction* action = param->GetControlAction()) return action;
  mActions.push_back(std::make_unique<ControlAction>(kind));
  param->SetControlAction(mActions.back().get());
  return mActions.back().get();
}

ControlAction* UIConfigManager::Bind(int paramIdx, int kind, IControl* control) {
  ControlAction* action = ActionOrNew(paramIdx, kind);
  action->kind = kind;
  action->boundControls.push_back(control);
  return action;
}

ControlAction* UIConfigManager::BindMsbLsb(int paramIdx, IControl* control, LinkInfo link, int part, int ccNumber,
                                           int msb, int lsb, int lsbControl, int channel) {
  ControlAction* action = Bind(paramIdx, kActionMsbLsb, control);
  setControlLink(action, paramIdx, link, part);
  action->firstGen = 0;
  action->ccNumber = ccNumber;
  action->nrpnKey1 = msb;
  action->nrpnKey2 = lsb;
  action->nrpnKey3 = lsbControl;
  action->channel = channel;
  mNRPNTable.addToControlMap(action, control);
  return action;
}

int UIConfigManager::ToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return int(v);
}

int UIConfigManager::FirstGenOf(int part, const ControlLayer* layer) {
  if (part < 0) return 1;
  if (!layer) return 0;
  return std::find(std::begin(kFirstGenLayers), std::end(kFirstGenLayers), layer->GetName()) !=
                 std::end(kFirstGenLayers)
             ? 1
             : 0;
}

void UIConfigManager::BindCC(ControlAction* action, IControl* control, int ccNumber, int channel, int part,
                             const ControlLayer* layer) {
  action->firstGen = FirstGenOf(part, layer);
  action->ccNumber = ccNumber;
  action->channel = part >= 0 ? part + 1 : channel;
  mCCTable.add(action->channel, action->ccNumber, action->firstGen, control);
}

int UIConfigManager::CappedMessageCount(const std::string& name, long long count) {
  if (count <= kMaxSysExMessages) return int(count);
  mLog.line("\"" + name + "\": " + std::to_string(count) + " SysEx messages capped at " +
            std::to_string(kMaxSysExMessages));
  return kMaxSysExMessages;
}

void UIConfigManager::BindSysEx(ControlAction* action, IControl* control, const std::string& name, int sysexIndex,
                                int changingByte, long long count, int start, int part) {
  std::string sysexTemplate;
  if (!SysExTemplateOf(mSysExContainers, sysexIndex, &sysexTemplate)) {
    mLog.line("\"" + name + "\": SysEx list " + std::to_string(sysexIndex) + " has no template; no messages");
    return;
  }
  const std::string problem = SysExTemplateProblem(convertStringSysextoVector(sysexTemplate), changingByte, part);
  if (!problem.empty()) {
    mLog.line("\"" + name + "\": " + problem + "; no messages");
    return;
  }
  if (count < 1) {
    mLog.line("\"" + name + "\": the value range is empty (maximum below minimum); no messages");
    return;
  }
  ControlActionSysExMessage made;
  calculateSysexWithChangingByte(sysexTemplate, changingByte, CappedMessageCount(name, count), &made, start, part);
  action->sysexMessages = std::move(made.messages);
  const std::vector<int>& first = action->sysexMessages.front();
  const size_t from = changingByte == kKeyShiftPosition ? 2 : 3;
  if (first.size() < from + 4) {
    mLog.line("\"" + name + "\": the template is too short for a lookup key; not registered");
    return;
  }
  unsigned char key[4];
  for (size_t i = 0; i < 4; ++i) key[i] = static_cast<unsigned char>(first[from + i]);
  mSysExTable.addToControlMap(key, 0, control);
}
