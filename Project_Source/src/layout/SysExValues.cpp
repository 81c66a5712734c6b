#include "layout/SysExValues.h"

#include <cctype>

#include "layout/ControlAction.h"

namespace {

using tinyxml2::XMLElement;

// Byte 6 (0-based) carries the part; a template must reach it to take one.
constexpr int kPartByte = 6;

// The texts of element and every following sibling element, whatever its name.
Values SiblingTexts(const XMLElement* first, bool blankForEmpty) {
  Values values;
  for (const XMLElement* e = first; e; e = e->NextSiblingElement()) {
    const char* text = e->GetText();
    if (!text) {
      if (blankForEmpty) values.push_back(" ");
    } else if (*text) {
      values.push_back(text);
    }
  }
  return values;
}

void ReadValuesElement(const XMLElement* values, SysExContainer* container) {
  if (const XMLElement* value = values->FirstChildElement("value")) {
    container->singleValues.push_back(SiblingTexts(value, true));
    return;
  }
  std::vector<Values> multi;
  for (const XMLElement* m = values->FirstChildElement("multivalue"); m; m = m->NextSiblingElement()) {
    // A value without text has no meaning here: it is left out.
    multi.push_back(SiblingTexts(m->FirstChildElement("value"), false));
  }
  container->multiValues.push_back(std::move(multi));
  container->hasMulti = true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const int lower = std::tolower(static_cast<unsigned char>(c));
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

}  // namespace

std::vector<SysExContainer> ReadSysExContainers(const XMLElement* sysexlist) {
  std::vector<SysExContainer> containers;
  if (!sysexlist) return containers;
  for (const XMLElement* sysex = sysexlist->FirstChildElement("sysex"); sysex; sysex = sysex->NextSiblingElement()) {
    SysExContainer container;
    for (const XMLElement* values = sysex->FirstChildElement("values"); values; values = values->NextSiblingElement())
      ReadValuesElement(values, &container);
    containers.push_back(std::move(container));
  }
  return containers;
}

void Tokenize(const std::string& text, std::vector<std::string>& tokens, const std::string& delimiters) {
  std::string::size_type start = text.find_first_not_of(delimiters);
  while (start != std::string::npos) {
    const std::string::size_type end = text.find_first_of(delimiters, start);
    tokens.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end == std::string::npos ? end : text.find_first_not_of(delimiters, end);
  }
}

std::vector<int> convertStringSysextoVector(const std::string& text) {
  std::vector<std::string> tokens;
  Tokenize(text, tokens, " ");
  std::vector<int> bytes;
  bytes.reserve(tokens.size());
  for (const std::string& token : tokens) {
    // At most 7 digits count: wider values have no byte to go into anyway, and
    // more would overflow an int.
    unsigned value = 0;
    for (size_t i = 0; i < token.size() && i < 7; ++i) {
      const int digit = HexDigit(token[i]);
      if (digit < 0) break;
      value = value * 16 + unsigned(digit);
    }
    bytes.push_back(int(value));
  }
  return bytes;
}

std::string SysExTemplateProblem(const std::vector<int>& templateBytes, int position, int part) {
  const int length = int(templateBytes.size());
  if (length == 0) return "the SysEx template is empty";
  if (position < 1 || position > length)
    return "changing byte " + std::to_string(position) + " lies outside the " + std::to_string(length) +
           "-byte template";
  if (part >= 0 && length <= kPartByte)
    return "the " + std::to_string(length) + "-byte template has no byte 7 for the part";
  return "";
}

void calculateSysexWithChangingByte(const std::string& sysexTemplate, int position, int count,
                                    ControlActionSysExMessage* record, int start, int part) {
  const std::vector<int> base = convertStringSysextoVector(sysexTemplate);
  std::vector<std::vector<int>> messages;
  if (!SysExTemplateProblem(base, position, part).empty()) {
    record->messages = std::move(messages);
    return;
  }
  messages.reserve(size_t(count > 0 ? count : 1));
  int value = start;
  int k = 0;
  if (start == -1) {
    messages.push_back(base);
    value = base[size_t(position - 1)];
    k = 1;
  }
  for (; k < count; ++k, ++value) {
    std::vector<int> message = base;
    if (value == 128) value = 0;
    if (part >= 0) message[kPartByte] = part;
    message[size_t(position - 1)] = value;
    messages.push_back(std::move(message));
  }
  record->messages = std::move(messages);
}

bool SysExTemplateOf(const std::vector<SysExContainer>& containers, int index, std::string* sysexTemplate) {
  if (index < 0 || index >= int(containers.size())) return false;
  const SysExContainer& container = containers[size_t(index)];
  if (container.singleValues.empty() || container.singleValues[0].empty()) return false;
  *sysexTemplate = container.singleValues[0][0];
  return true;
}
