// What incoming MIDI looks up in the panel the layout built, a map of values kept
// under three parts, and the read-out lines written at once.

#include "Framework/IControlText.h"
#include "editor/Tavro.h"
#include "layout/UIConfigManager.h"

IControl* Tavro::getCCControls(int channelKey, int cc, int modelGroup) const {
  return uiConfig ? uiConfig->getCCControls(channelKey, cc, modelGroup) : nullptr;
}

IControl* Tavro::getSysexControl(int b0, int b1, int b2, int b3, int b4) const {
  return uiConfig ? uiConfig->getSysexControl(b0, b1, b2, b3, b4) : nullptr;
}

IControl* Tavro::getMsbLsbControl(int channel, int key1, int key2, int key3, int modelGroup) const {
  return uiConfig ? uiConfig->getMsbLsbControl(channel, key1, key2, key3, modelGroup) : nullptr;
}

int Tavro::getProgramValueByParts(int outer, int middle, int inner) const {
  const auto first = programValues.find(outer);
  if (first == programValues.end()) return 0;
  const auto second = first->second.find(middle);
  if (second == first->second.end()) return 0;
  const auto leaf = second->second.find(inner);
  return leaf == second->second.end() ? 0 : leaf->second;
}

void Tavro::setProgramValueByParts(int outer, int middle, int inner, int value) {
  programValues[outer][middle][inner] = value;
}

void Tavro::displayText(const std::string& name, const std::string& value, const std::string& cc) {
  if (kept_.statusText) kept_.statusText->SetTextFromPlug(name.c_str());
  if (kept_.valueText) kept_.valueText->SetTextFromPlug(value.c_str());
  if (auto* line = dynamic_cast<ITextControl*>(kept_.ccDisplay)) line->SetTextFromPlug(cc.c_str());
}

void Tavro::displayBuild(const std::string& text) {
  if (auto* line = dynamic_cast<ITextControl*>(kept_.buildDisplay)) line->SetTextFromPlug(text.c_str());
}
