#include "Framework/ControlLayer.h"
#include "Framework/IControlKnobs.h"
#include "Framework/IParam.h"
#include "layout/UIConfigManager.h"
#include "librarian/TavroParams.h"

namespace {

// The mixer pages, whose MSB/LSB knobs keep the channel the layout gives them.
const char* const kMixerLayers[] = {"miniMixer", "multiModeMixer", "miniMixer2", "multiModeMixer2",
                                    "multiModeSettingsPage1"};

bool InMixerLayer(const ControlLayer* layer) {
  if (!layer) return false;
  for (const char* name : kMixerLayers)
    if (layer->GetName() == name) return true;
  return false;
}

}  // namespace

IControl* UIConfigManager::MakeKnob(const std::string& paramName, int paramIdx, int x, int y, const std::string& image,
                                    double def, double min, double max, double step, int part, ControlLayer* layer,
                                    const std::string& group) {
  IBitmap bitmap = getImageByName(mGraphics, image);
  IParam* param = ParamFor(paramIdx, paramName);
  if (!param) return nullptr;
  param->InitDouble(paramName.c_str(), def, min, max, step, "", getParamGroup(part, group), -1, -1);
  auto* knob = new IKnobMultiControl(mPlug, Scaled(x), Scaled(y), paramIdx, &bitmap);
  Place(knob, layer);
  return knob;
}

IControl* UIConfigManager::createCCKnobControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x,
                                               int y, const std::string& image, double def, double min, double max,
                                               double step, LinkInfo link, int part, ControlLayer* layer,
                                               const std::string& group) {
  IControl* knob = MakeKnob(PartName(name, part), paramIdx, x, y, image, def, min, max, step, part, layer, group);
  if (!knob) return nullptr;
  ControlAction* action = Bind(paramIdx, kActionCC, knob);
  setControlLink(action, paramIdx, link, part);
  BindCC(action, knob, ccNumber, channel, part, layer);
  return knob;
}

IControl* UIConfigManager::createMsbLsbKnobControl(int ccNumber, int msb, int lsb, int lsbControl, int channel,
                                                   const std::string& name, int paramIdx, int x, int y,
                                                   const std::string& image, double def, double min, double max, double,
                                                   LinkInfo link, int part, ControlLayer* layer,
                                                   const std::string& group) {
  IControl* knob = MakeKnob(PartName(name, part), paramIdx, x, y, image, def, min, max, 1.0, part, layer, group);
  if (!knob) return nullptr;
  BindMsbLsb(paramIdx, knob, link, part, ccNumber, msb, lsb, lsbControl, InMixerLayer(layer) ? channel : part + 1);
  return knob;
}

IControl* UIConfigManager::createSysExKnobControl(const std::string& name, int paramIdx, int x, int y,
                                                  const std::string& image, double def, double min, double max, double,
                                                  int, int sysexIndex, int changingByte, int part, LinkInfo link,
                                                  ControlLayer* layer, const std::string& group) {
  IControl* knob = MakeKnob(PartName(name, part), paramIdx, x, y, image, def, min, max, 1.0, part, layer, group);
  if (!knob) return nullptr;
  ControlAction* action = Bind(paramIdx, kActionSysEx, knob);
  setControlLink(action, paramIdx, link, part);
  const int low = ToInt(min), high = ToInt(max);
  BindSysEx(action, knob, name, sysexIndex, changingByte, (long long)high - low + 1, low, part);
  return knob;
}

IControl* UIConfigManager::createNoValKnobControl(const std::string& name, int paramIdx, int x, int y,
                                                  const std::string& image, double def, double min, double max, double,
                                                  int part, ControlLayer* layer, const std::string& group) {
  // The name stays as written: the host tells the parts' copies apart by their group.
  IControl* knob = MakeKnob(name, paramIdx, x, y, image, def, min, max, 1.0, part, layer, group);
  // The DAW offset's no-value knob binds no MIDI.
  if (knob && paramIdx != kAdjustDAWOffset) Bind(paramIdx, kActionProgramResend, knob);
  return knob;
}
