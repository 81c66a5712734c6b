// The UI settings reader on any bytes: at most three lines, none ending in a blank,
// a tab or a line end; the size always one of the three.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/UISettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const UISettings s = ParseUISettings(std::string(reinterpret_cast<const char*>(data), size));
  for (const std::string& line : s.lines) {
    if (!line.empty() && std::string(" \n\r\t").find(line.back()) != std::string::npos) std::abort();
    if (line.find('\n') != std::string::npos) std::abort();
  }
  const double scale = s.scale();
  if (scale != 0.75 && scale != 1.0 && scale != 1.25) std::abort();
  return 0;
}
