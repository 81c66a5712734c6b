#pragma once
// One layout element written as a single line, attributes in the order given, so
// the generated parts read like the hand-written ones.

#include <string>

class XmlLine {
public:
  explicit XmlLine(std::string element);
  XmlLine& attr(const std::string& name, const std::string& value);
  XmlLine& attr(const std::string& name, int value);
  // "<element a="v" .../>" indented by depth levels of two blanks, with a newline.
  std::string empty(int depth) const;
  // "<element a="v" ...>" with a newline; the caller closes it with Close.
  std::string open(int depth) const;
  static std::string Close(const std::string& element, int depth);

private:
  std::string element_;
  std::string attributes_;
};

// Text safe inside an attribute or element.
std::string XmlEscape(const std::string& text);
// "a,b,c" of the numbers.
std::string Joined(std::initializer_list<int> numbers);
