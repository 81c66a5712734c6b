#include "layout/LayoutElement.h"

#include <algorithm>
#include <cstring>

#include "layout/ConfigLog.h"
#include "layout/UIConfigManager.h"

const tinyxml2::XMLAttribute* LayoutElement::find(const char* attribute) {
  mRead.push_back(attribute);
  return mElement->FindAttribute(attribute);
}

std::string LayoutElement::str(const char* attribute) {
  const tinyxml2::XMLAttribute* a = find(attribute);
  return a ? a->Value() : "";
}

int LayoutElement::integer(const char* attribute) {
  const tinyxml2::XMLAttribute* a = find(attribute);
  int value = 0;
  if (a && a->QueryIntValue(&value) != tinyxml2::XML_SUCCESS) value = 0;
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
  UIConfigManager::getCSValues(str(attribute), out, count);
}

void LayoutElement::reportUnread(const ConfigLog& log) const {
  for (const tinyxml2::XMLAttribute* a = mElement->FirstAttribute(); a; a = a->Next()) {
    const bool read = std::any_of(mRead.begin(), mRead.end(),
                                  [&](const char* name) { return std::strcmp(name, a->Name()) == 0; });
    if (!read)
      log.atLine(line(), std::string("attribute \"") + a->Name() + "\" of \"" + mElement->Name() + "\" is not used");
  }
}
