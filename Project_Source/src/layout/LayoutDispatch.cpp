#include "layout/LayoutDispatch.h"

#include <cstdlib>
#include <map>

#include "layout/LayoutElement.h"
#include "layout/UIConfigManager.h"

namespace {

// The attributes of the shared control branch, read whatever the "type".
struct ControlAttributes {
  std::string type, name;
  int position[3];
  int length;
  int bounds[4];
  int changingByte;
  LinkInfo link;
  int display[2];
  std::vector<std::string> valueList;
  int ccNumber, msb, lsb, channel, lsbControl, sysexIndex, msgZeroVal, color, white;
};

// "first:last" as two numbers; -1, -1 unless the text holds exactly two pieces.
void ReadValueDisplay(LayoutElement& e, int* out) {
  out[0] = out[1] = -1;
  std::vector<std::string> pieces;
  UIConfigManager::Tokenize(e.str("valueDisplay"), pieces, ":");
  if (pieces.size() != 2) return;
  for (int i = 0; i < 2; ++i) {
    char* end = nullptr;
    const long v = std::strtol(pieces[size_t(i)].c_str(), &end, 10);
    if (end != pieces[size_t(i)].c_str() && v >= -2147483647L && v <= 2147483647L) out[i] = int(v);
  }
}

// The menus of the shared branch are this many layout units high.
constexpr int kMenuHeight = 13;

using ControlType = IControl* (*)(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c);

double D(int v) { return double(v); }

// The factories of the shared branch, one per "type", with the attributes each takes.
IControl* MakeSeKnob(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createSysExKnobControl(a.name, c.param, a.position[0], a.position[1], c.image, D(a.bounds[0]),
                                  D(a.bounds[1]), D(a.bounds[2]), D(a.bounds[3]), a.msgZeroVal, a.sysexIndex,
                                  a.changingByte, c.part, a.link, c.layer, c.group);
}

IControl* MakeNoValKnob(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createNoValKnobControl(a.name, c.param, a.position[0], a.position[1], c.image, D(a.bounds[0]),
                                  D(a.bounds[1]), D(a.bounds[2]), D(a.bounds[3]), c.part, c.layer, c.group);
}

IControl* MakeSeSliderVer(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createSysExSliderControl(a.name, c.param, a.position[0], a.position[1], a.length, c.image, D(a.bounds[0]),
                                    D(a.bounds[1]), D(a.bounds[2]), D(a.bounds[3]), a.msgZeroVal, a.sysexIndex,
                                    a.changingByte, c.part, a.link, c.layer, c.group, kVertical, false);
}

IControl* MakeSeSliderHor(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createSysExSliderControl(a.name, c.param, a.position[0], a.position[1], a.length, c.image, D(a.bounds[0]),
                                    D(a.bounds[1]), D(a.bounds[2]), D(a.bounds[3]), a.msgZeroVal, a.sysexIndex,
                                    a.changingByte, c.part, a.link, c.layer, c.group, kHorizontal, false);
}

IControl* MakeSeButton(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createSysExBoolControl(a.name, c.param, a.position[0], a.position[1], c.image, D(a.bounds[0]), a.msgZeroVal,
                                  a.sysexIndex, a.changingByte, c.part, a.link, c.layer, c.group);
}

IControl* MakeCcSliderVer(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createCCSliderControl(a.ccNumber, a.channel, a.name, c.param, a.position[0], a.position[1], a.length,
                                 c.image, D(a.bounds[0]), D(a.bounds[1]), D(a.bounds[2]), a.link, c.part, c.layer,
                                 c.group, kVertical, false);
}

IControl* MakeCcSliderHor(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createCCSliderControl(a.ccNumber, a.channel, a.name, c.param, a.position[0], a.position[1], a.length,
                                 c.image, D(a.bounds[0]), D(a.bounds[1]), D(a.bounds[2]), a.link, c.part, c.layer,
                                 c.group, kHorizontal, false);
}

IControl* MakeCcKnob(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createCCKnobControl(a.ccNumber, a.channel, a.name, c.param, a.position[0], a.position[1], c.image,
                               D(a.bounds[0]), D(a.bounds[1]), D(a.bounds[2]), D(a.bounds[3]), a.link, c.part, c.layer,
                               c.group);
}

IControl* MakeCcButton(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createCCBoolControl(a.ccNumber, a.channel, a.name, c.param, a.position[0], a.position[1], c.image,
                               D(a.bounds[0]), D(a.bounds[1]), D(a.bounds[2]), a.link, c.part, c.layer, c.group);
}

IControl* MakeMsbLsbKnob(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createMsbLsbKnobControl(a.ccNumber, a.msb, a.lsb, a.lsbControl, a.channel, a.name, c.param, a.position[0],
                                   a.position[1], c.image, D(a.bounds[0]), D(a.bounds[1]), D(a.bounds[2]),
                                   D(a.bounds[3]), a.link, c.part, c.layer, c.group);
}

IControl* MakeMsbLsbButton(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createMsbLsbBoolControl(a.ccNumber, a.msb, a.lsb, a.lsbControl, a.channel, a.name, c.param, a.position[0],
                                   a.position[1], c.image, D(a.bounds[0]), D(a.bounds[1]), D(a.bounds[2]), a.link,
                                   c.part, c.layer, c.group);
}

IControl* MakeMsbLsbMenu(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createMsbLsbSelectionCCControl(a.ccNumber, a.msb, a.lsb, a.lsbControl, a.channel, a.name, c.param,
                                          a.position[0], a.position[1], a.position[2], kMenuHeight, a.bounds[0],
                                          a.bounds[1], a.bounds[2], a.display[0], a.display[1], a.valueList, c.part,
                                          c.layer, c.group);
}

IControl* MakeSeMenu(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createMultiSelectionSysExControl(a.name, c.param, a.position[0], a.position[1], a.position[2], kMenuHeight,
                                            a.bounds[0], a.bounds[1], a.bounds[2], a.display[0], a.display[1],
                                            a.valueList, a.msgZeroVal, a.color, a.sysexIndex, a.changingByte, c.part,
                                            c.layer, c.group, a.white != 0);
}

IControl* MakeSwitch2(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createBoolControl2(a.name, c.param, a.position[0], a.position[1], D(a.bounds[0]), D(a.bounds[1]),
                              D(a.bounds[2]), c.image, c.part, c.layer, c.group);
}

IControl* MakeCcMenu(UIConfigManager& m, const ControlAttributes& a, const ElementContext& c) {
  return m.createMultiSelectionCCControl(a.ccNumber, a.channel, a.name, c.param, a.position[0], a.position[1],
                                         a.position[2], kMenuHeight, a.bounds[0], a.bounds[1], a.bounds[2],
                                         a.display[0], a.display[1], a.valueList, c.part, c.layer, c.group);
}

// One line per "type" of the shared branch.
const std::map<std::string, ControlType>& ControlTypes() {
  static const std::map<std::string, ControlType> types = {
      {"seKnob", MakeSeKnob},
      {"noValKnob", MakeNoValKnob},
      {"seSliderVer", MakeSeSliderVer},
      {"seSliderHor", MakeSeSliderHor},
      {"seButton", MakeSeButton},
      {"ccSliderVer", MakeCcSliderVer},
      {"ccSliderHor", MakeCcSliderHor},
      {"ccKnob", MakeCcKnob},
      {"ccButton", MakeCcButton},
      {"msbLsbKnob", MakeMsbLsbKnob},
      {"msbLsbButton", MakeMsbLsbButton},
      {"msbLsbMenu", MakeMsbLsbMenu},
      {"seMenu", MakeSeMenu},
      {"switch2", MakeSwitch2},
      {"ccMenu", MakeCcMenu},
  };
  return types;
}

}  // namespace

const LayoutDispatch::Branch* LayoutDispatch::branchFor(const std::string& elementName) {
  static const std::map<std::string, Branch> branches = {
      // Read before the walk (readReasources); the walk passes over it.
      {"valueLists", {[](UIConfigManager&, LayoutElement&, const ElementContext&) { return true; }, false}},
      {"layer", {layer, false}},
      {"sublayer", {layer, false}},
      {"multilayer", {multilayer, false}},
      {"background", {background, false}},
      {"patchBrowser", {patchBrowser, false}},
      {"display", {display, true}},
      {"switch", {switchElement, true}},
      {"switch2", {switch2, true}},
      {"autooff", {autooff, true}},
      {"dropMenu", {dropMenu, true}},
      {"multiFx", {multiFx, true}},
      {"radio", {radio, true}},
      {"knobcontrol", {control, true}},
      {"buttoncontrol", {control, true}},
      {"menucontrol", {control, true}},
      {"slidercontrol", {control, true}},
  };
  auto it = branches.find(elementName);
  return it == branches.end() ? nullptr : &it->second;
}

bool LayoutDispatch::switchElement(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  const std::string name = e.str("name");
  int position[2], bounds[3];
  e.ints("position", position, 2);
  e.ints("valueBounds", bounds, 3);
  return m.createBoolControl(name, c.param, bounds[0], position[0], position[1], c.image, c.part, c.layer, c.group);
}

bool LayoutDispatch::switch2(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  const std::string name = e.str("name");
  int position[2];
  e.ints("position", position, 2);
  return m.createBoolControl2(name, c.param, position[0], position[1], 0.0, 0.0, 1.0, c.image, c.part, c.layer,
                              c.group);
}

bool LayoutDispatch::autooff(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  const std::string name = e.str("name");
  int position[2];
  e.ints("position", position, 2);
  return m.createSwitchControl(name, c.param, 0, position[0], position[1], c.image, c.part, c.layer, c.group);
}

bool LayoutDispatch::dropMenu(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  const std::string name = e.str("name");
  const std::string type = e.str("type");
  int b[4], inputDev[2], bounds[3];
  e.ints("bounds", b, 4);
  e.ints("inputDev", inputDev, 2);
  e.ints("valueBounds", bounds, 3);
  const std::vector<std::string> list = m.getValueList(e.str("valueList"));
  if (type == "textSelection")
    return m.createDropDownMenu(name, c.param, b[0], b[1], b[2], b[3], c.part, c.layer, c.group);
  if (type == "deviceSelection")
    return m.createMIDIDeviceSelectionControl("MIDI Setup", c.param, b[0], b[1], b[2], b[3], inputDev[0], c.part,
                                              c.layer, c.group);
  if (type == "nameSelection")
    return m.createNameDisplay(name, c.param, b[0], b[1], b[2], b[3], e.integer("nameLen"), c.part, c.layer, c.group);
  if (type == "dropSelection")
    return m.createDropDownMenu2(name, c.param, b[0], b[1], b[2], b[3], bounds[0], bounds[1], bounds[2], list, c.part,
                                 c.layer, c.group);
  m.mNotes.atLine(e.line(), "\"dropMenu\" of unknown type \"" + type + "\"");
  return false;
}

bool LayoutDispatch::multiFx(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  const std::string type = e.str("type");
  const std::string name = e.str("name");
  const std::vector<std::string> list = m.getValueList(e.str("valueList"));
  int position[4];
  e.ints("position", position, 2);
  if (type == "Knob") {
    int bounds[4];
    e.ints("valueBounds", bounds, 4);
    return m.createNoValKnobControl(name, c.param, position[0], position[1], c.image, D(bounds[0]), D(bounds[1]),
                                    D(bounds[2]), D(bounds[3]), c.part, c.layer, c.group);
  }
  if (type == "Menu") {
    int bounds[3], visible[2], display[2];
    e.ints("position", position, 4);
    e.ints("valueBounds", bounds, 3);
    e.ints("visible", visible, 2);
    const bool allowControl = e.str("allowControl") != "false";
    ReadValueDisplay(e, display);
    const int white = e.integer("white");
    return m.createNoValDropDown(name, c.param, position[0], position[1], position[2], position[3], bounds[0],
                                 bounds[1], bounds[2], visible[0], allowControl, display[0], display[1], list, c.part,
                                 c.layer, c.group, white != 0);
  }
  m.mNotes.atLine(e.line(), "\"multiFx\" of unknown type \"" + type + "\"");
  return false;
}

bool LayoutDispatch::radio(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  const std::string name = e.str("name");
  int position[2];
  e.ints("position", position, 2);
  const int buttons = e.integer("buttons");
  const bool horizontal = e.boolean("horizontal");
  return m.createRadioControl(name, c.param, position[0], position[1], c.image, buttons, c.part, c.layer, c.group,
                              horizontal);
}

bool LayoutDispatch::control(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  ControlAttributes a;
  a.type = e.str("type");
  a.name = e.str("name");
  e.ints("position", a.position, 3);
  a.length = e.integer("length");
  e.ints("valueBounds", a.bounds, 4);
  a.changingByte = e.byte("changingByte");
  int link[3];
  m.getBiDirectLinkValues(e.str("biDirectLink"), link, c.part);
  a.link = LinkInfo{link[0], link[1], link[2]};
  ReadValueDisplay(e, a.display);
  a.valueList = m.getValueList(e.str("valueList"));
  a.ccNumber = e.byte("ccNumber");
  a.msb = e.byte("msbValue");
  a.lsb = e.byte("lsbValue");
  a.channel = e.byte("channel");
  a.lsbControl = e.byte("lsbControl");
  a.sysexIndex = e.byte("sysexIndex");
  a.msgZeroVal = e.byte("msgZeroVal");
  a.color = e.integer("color");
  a.white = e.integer("white");
  auto it = ControlTypes().find(a.type);
  if (it == ControlTypes().end()) {
    m.mNotes.atLine(e.line(), "\"" + e.name() + "\" of unknown type \"" + a.type + "\"");
    return false;
  }
  return it->second(m, a, c) != nullptr;
}
