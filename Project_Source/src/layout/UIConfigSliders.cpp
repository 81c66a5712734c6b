#include "Framework/IControlFader.h"
#include "Framework/IParam.h"
#include "layout/UIConfigManager.h"

IControl* UIConfigManager::MakeSlider(const std::string& name, int paramIdx, int x, int y, int length,
                                      const std::string& image, double def, double min, double max, int part,
                                      ControlLayer* layer, const std::string& group, EDirection direction) {
  IBitmap bitmap = getImageByName(mGraphics, image);
  IParam* param = ParamFor(paramIdx, name);
  if (!param) return nullptr;
  param->InitDouble(PartName(name, part).c_str(), def, min, max, 1.0, "", getParamGroup(part, group), -1, -1);
  auto* fader = new IFaderControl(mPlug, Scaled(x), Scaled(y), Scaled(length), paramIdx, &bitmap, direction, false);
  Place(fader, layer);
  return fader;
}

IControl* UIConfigManager::createCCSliderControl(int ccNumber, int channel, const std::string& name, int paramIdx,
                                                 int x, int y, int length, const std::string& image, double def,
                                                 double min, double max, LinkInfo link, int part, ControlLayer* layer,
                                                 const std::string& group, EDirection direction, bool) {
  IControl* fader = MakeSlider(name, paramIdx, x, y, length, image, def, min, max, part, layer, group, direction);
  if (!fader) return nullptr;
  ControlAction* action = Bind(paramIdx, kActionCC, fader);
  setControlLink(action, paramIdx, link, part);
  BindCC(action, fader, ccNumber, channel, part, layer);
  return fader;
}

IControl* UIConfigManager::createSysExSliderControl(const std::string& name, int paramIdx, int x, int y, int length,
                                                    const std::string& image, double def, double min, double max,
                                                    double, int offset, int sysexIndex, int changingByte, int part,
                                                    LinkInfo link, ControlLayer* layer, const std::string& group,
                                                    EDirection direction, bool) {
  IControl* fader = MakeSlider(name, paramIdx, x, y, length, image, def, min, max, part, layer, group, direction);
  if (!fader) return nullptr;
  ControlAction* action = Bind(paramIdx, kActionSysEx, fader);
  setControlLink(action, paramIdx, link, part);
  const int low = ToInt(min), high = ToInt(max);
  BindSysEx(action, fader, name, sysexIndex, changingByte, (long long)high - low + 1, ToInt(double(low) + offset),
            part);
  return fader;
}
