#include "editor/UISettings.h"

#include <fstream>

namespace {

const char* const kSizeNames[] = {"small", "normal", "large"};
const double kSizeScales[] = {0.75, 1.0, 1.25};

std::string Trimmed(std::string line) {
  const size_t end = line.find_last_not_of(" \n\r\t");
  line.erase(end == std::string::npos ? 0 : end + 1);
  return line;
}

template <typename NextChar>
UISettings ReadLines(NextChar next) {
  UISettings settings;
  int c = next();
  for (std::string& line : settings.lines) {
    if (c < 0) break;
    while (c >= 0 && c != '\n') {
      if (line.size() < UISettings::kMaxLineLength) line.push_back(char(c));
      c = next();
    }
    line = Trimmed(line);
    if (c == '\n') c = next();
  }
  return settings;
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
  size_t at = 0;
  return ReadLines([&]() { return at < text.size() ? int(static_cast<unsigned char>(text[at++])) : -1; });
}

UISettings ReadUISettings(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return UISettings();
  return ReadLines([&]() {
    const int c = in.get();
    return c == std::char_traits<char>::eof() ? -1 : c;
  });
}
