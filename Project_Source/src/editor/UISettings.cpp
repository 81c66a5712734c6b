#include "editor/UISettings.h"

#include <algorithm>

#include "Kit_RegularFile.h"

namespace {

std::string WithoutTrailingBlanks(std::string line) {
  const size_t end = line.find_last_not_of(" \n\r\t");
  line.erase(end == std::string::npos ? 0 : end + 1);
  return line;
}

}  // namespace

double UISettings::scale() const {
  const int size = sizeParamValue();
  return size < 0 ? 1.0 : kSizeScales[size];
}

int UISettings::sizeParamValue() const {
  for (int i = 0; i < 3; ++i)
    if (lines[1] == kSizeNames[i]) return i;
  return -1;
}

UISettings ParseUISettings(const std::string& text) {
  UISettings settings;
  size_t at = 0;
  for (std::string& line : settings.lines) {
    if (at >= text.size()) break;
    const size_t end = std::min(text.find('\n', at), text.size());
    line = WithoutTrailingBlanks(text.substr(at, end - at));
    at = end + 1;
  }
  return settings;
}

UISettings ReadUISettings(const std::string& path, std::string* passedOver) {
  std::string text, why;
  const Kit_FileRead read = Kit_ReadRegularFile(path, UISettings::kMostFileBytes, &text, &why);
  UISettings settings = ParseUISettings(text);
  settings.passedOver = read != Kit_FileRead::Read && read != Kit_FileRead::Missing;
  if (settings.passedOver && passedOver) *passedOver = why;
  return settings;
}
