#pragma once
// One element of the layout as the walk reads it: attributes in the layout's forms
// (string, int, byte, bool, comma-separated ints), remembering which were read so
// that an attribute nothing uses can be reported with the element's line.
//
// threads: main.

#include <string>
#include <vector>

#include <tinyxml2.h>

class ConfigLog;

class LayoutElement {
public:
  explicit LayoutElement(const tinyxml2::XMLElement* element);

  std::string name() const { return mElement->Name(); }
  int line() const { return mElement->GetLineNum(); }
  const tinyxml2::XMLElement* xml() const { return mElement; }

  bool has(const char* attribute) { return find(attribute) != nullptr; }
  // "" when absent.
  std::string str(const char* attribute);
  // 0 when absent or not a number (decimal, or hexadecimal after "0x").
  int integer(const char* attribute);
  // The int's low 8 bits (300 gives 44, -1 gives 255).
  int byte(const char* attribute);
  // false when absent or not a bool.
  bool boolean(const char* attribute);
  // out[0..count-1] from the comma-separated list, unsupplied slots 0.
  void ints(const char* attribute, int* out, int count);

  // Logs each attribute of the element that nothing read.
  void reportUnread(const ConfigLog& log) const;

private:
  struct Attribute {
    const char* name;
    const tinyxml2::XMLAttribute* xml;
    bool read;
  };
  // The attribute of that name, marked read; null when the element has none.
  const tinyxml2::XMLAttribute* find(const char* attribute);

  const tinyxml2::XMLElement* mElement;
  // Taken once: the walk asks for many names, most elements carry few.
  std::vector<Attribute> mAttributes;
};
