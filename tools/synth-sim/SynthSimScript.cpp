#include "SynthSimScript.h"

#include <functional>
#include <sstream>
#include <vector>

#include "SynthSim.h"

namespace {

bool InRange(long value, long low, long high) { return value >= low && value <= high; }

}  // namespace

bool PlayFrontPanelScript(const std::string& text, SynthSim& sim, std::string* error) {
  std::vector<std::function<void()>> actions;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream words(line);
    long ms = -1, channel = 0, a = 0, b = 0;
    std::string kind, extra;
    const bool read = (words >> ms >> kind >> channel >> a) && (kind == "pc" || (words >> b)) && !(words >> extra);
    if (!read || ms < 0 || !InRange(channel, 1, 16) || !InRange(a, 0, 127) || !InRange(b, 0, 127) ||
        (kind != "cc" && kind != "pc" && kind != "note")) {
      if (error) *error = "line " + std::to_string(number) + ": " + line;
      return false;
    }
    const uint64_t after = uint64_t(ms) * 1000;
    const int ch = int(channel) - 1;
    if (kind == "cc")
      actions.push_back([&sim, after, ch, a, b] { sim.PlayControlChange(after, ch, int(a), int(b)); });
    else if (kind == "pc")
      actions.push_back([&sim, after, ch, a] { sim.PlayProgramChange(after, ch, int(a)); });
    else
      actions.push_back([&sim, after, ch, a, b] { sim.PlayNote(after, ch, int(a), int(b)); });
  }
  for (const auto& action : actions) action();
  return true;
}
