#include "XmlLine.h"

XmlLine::XmlLine(std::string element) : element_(std::move(element)) {}

XmlLine& XmlLine::attr(const std::string& name, const std::string& value) {
  attributes_ += " " + name + "=\"" + XmlEscape(value) + "\"";
  return *this;
}

XmlLine& XmlLine::attr(const std::string& name, int value) { return attr(name, std::to_string(value)); }

std::string XmlLine::empty(int depth) const {
  return std::string(2 * depth, ' ') + "<" + element_ + attributes_ + "/>\n";
}

std::string XmlLine::open(int depth) const {
  return std::string(2 * depth, ' ') + "<" + element_ + attributes_ + ">\n";
}

std::string XmlLine::Close(const std::string& element, int depth) {
  return std::string(2 * depth, ' ') + "</" + element + ">\n";
}

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Joined(std::initializer_list<int> numbers) {
  std::string out;
  for (int n : numbers) {
    if (!out.empty()) out += ",";
    out += std::to_string(n);
  }
  return out;
}
