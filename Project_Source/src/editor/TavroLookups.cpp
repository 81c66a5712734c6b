// What incoming MIDI looks up in the panel the layout built, a map of values kept
// under three parts, and the read-out lines written at once.

#include "IControlText.h"
#include "Tavro.h"
#include "layout/UIConfigManager.h"

IControl* Tavro::getCCControls(int channelKey, int cc, int modelGroup) const {
  return uiConfig ? uiConfig->getCCControls(channelKey, cc, modelGroup) : nullptr;
}

IControl* Tavro::getSysexControl(int b0, int b1, int b2, int b3, int b4) const {
  return uiConfig ? uiConfig->getSysexControl(b0, b1, b2, b3, b4) : nullptr;
}

IControl* Tavro::getMsbLsbControl(int k0, int k1, int k2, int k3, int k4) const {
  return uiConfig ? uiConfig->getMsbLsbControl(k0, k1, k2, k3, k4) : nullptr;
}

int Tavro::getProgramValueByParts(int a, int b, int c) const {
  const auto first = programValues.find(a);
  if (first == programValues.end()) return 0;
  const auto second = first->second.find(b);
  if (second == first->second.end()) return 0;
  const auto leaf = second->second.find(c);
  return leaf == second->second.end() ? 0 : leaf->second;
}

void Tavro::setProgramValueByParts(int a, int b, int c, int value) { programValues[a][b][c] = value; }

void Tavro::displayText(const std::string& name, const std::string& value, const std::string& cc) {
  if (statusText) statusText->SetTextFromPlug(name.c_str());
  if (valueText) valueText->SetTextFromPlug(value.c_str());
  if (auto* line = dynamic_cast<ITextControl*>(ccDisplay)) line->SetTextFromPlug(cc.c_str());
}

void Tavro::displayBuild(const std::string& text) {
  if (auto* line = dynamic_cast<ITextControl*>(buildDisplay)) line->SetTextFromPlug(text.c_str());
}
