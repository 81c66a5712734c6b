#include "layout/LayoutElement.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "layout/ConfigLog.h"
#include "layout/UIConfigManager.h"

namespace {

// The int at the start of text as tinyxml2 reads one: blanks skipped, decimal, or
// hexadecimal after "0x"; false when there is none or it does not fit.
bool ParseInt(const char* text, int* out) {
  while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r') ++text;
  const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  char* end = nullptr;
  errno = 0;
  const long long v = hex ? (long long)std::strtoul(text + 2, &end, 16) : std::strtoll(text, &end, 10);
  if (end == text + (hex ? 2 : 0) || errno == ERANGE || v < INT32_MIN || v > (hex ? UINT32_MAX : INT32_MAX))
    return false;
  *out = int(uint32_t(v));
  return true;
}

}  // namespace

LayoutElement::LayoutElement(const tinyxml2::XMLElement* element) : mElement(element) {
  size_t count = 0;
  for (const tinyxml2::XMLAttribute* a = element->FirstAttribute(); a; a = a->Next()) ++count;
  mAttributes.reserve(count);
  for (const tinyxml2::XMLAttribute* a = element->FirstAttribute(); a; a = a->Next())
    mAttributes.push_back({a->Name(), a, false});
}

const tinyxml2::XMLAttribute* LayoutElement::find(const char* attribute) {
  for (Attribute& a : mAttributes) {
    if (a.name[0] == attribute[0] && std::strcmp(a.name, attribute) == 0) {
      a.read = true;
      return a.xml;
    }
  }
  return nullptr;
}

std::string LayoutElement::str(const char* attribute) {
  const tinyxml2::XMLAttribute* a = find(attribute);
  return a ? a->Value() : "";
}

int LayoutElement::integer(const char* attribute) {
  const tinyxml2::XMLAttribute* a = find(attribute);
  int value = 0;
  if (a && !ParseInt(a->Value(), &value)) value = 0;
  return value;
}

int LayoutElement::byte(const char* attribute) { return int(unsigned(integer(attribute)) & 0xFFu); }

bool LayoutElement::boolean(const char* attribute) {
  const tinyxml2::XMLAttribute* a = find(attribute);
  bool value = false;
  if (a && a->QueryBoolValue(&value) != tinyxml2::XML_SUCCESS) value = false;
  return value;
}

void LayoutElement::ints(const char* attribute, int* out, int count) {
  const tinyxml2::XMLAttribute* a = find(attribute);
  UIConfigManager::getCSValues(a ? a->Value() : "", out, count);
}

void LayoutElement::reportUnread(const ConfigLog& log) const {
  for (const Attribute& a : mAttributes) {
    if (!a.read)
      log.atLine(line(), std::string("attribute \"") + a.name + "\" of \"" + mElement->Name() + "\" is not used");
  }
}
