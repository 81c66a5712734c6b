#include "LayoutGenerators.h"
#include "XmlLine.h"

std::string ValueListsXml(const PanelSources& sources, int depth) {
  std::string out = XmlLine("valueLists").open(depth);
  for (const std::string& name : sources.listOrder()) {
    out += XmlLine("list").attr("name", name).open(depth + 1);
    // Each value on its own unpadded line: the reader keeps whitespace.
    for (const std::string& entry : sources.list(name)) {
      out += std::string(2 * (depth + 2), ' ') + "<value>" + XmlEscape(entry) + "</value>\n";
    }
    out += XmlLine::Close("list", depth + 1);
  }
  return out + XmlLine::Close("valueLists", depth);
}

std::string LabelOf(const std::string& paramName) {
  std::string label;
  for (size_t i = 1; i < paramName.size(); ++i) {
    char c = paramName[i];
    bool upper = c >= 'A' && c <= 'Z';
    bool digit = c >= '0' && c <= '9';
    char before = paramName[i - 1];
    bool beforeLower = before >= 'a' && before <= 'z';
    bool beforeDigit = before >= '0' && before <= '9';
    if (i > 1 && ((upper && beforeLower) || (digit && !beforeDigit) || (upper && beforeDigit))) {
      label += ' ';
    }
    label += c;
  }
  return label;
}

std::string SlotPrefix(int slot) { return "[" + std::to_string(slot + 1) + "] "; }

std::string SlotParam(const std::string& name, int slot) { return slot > 0 ? name + "+" + std::to_string(slot) : name; }
