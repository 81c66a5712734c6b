#include "Framework/MidiPortNameMatch.h"

#include <cctype>

namespace {
// Position after the last digit run ending at `end`, scanning backwards.
size_t SkipDigitsBackwards(const std::string& text, size_t end) {
  while (end > 0 && std::isdigit(static_cast<unsigned char>(text[end - 1]))) --end;
  return end;
}
}  // namespace

std::string MidiPortWithoutAlsaNumbers(const std::string& name) {
  const size_t portStart = SkipDigitsBackwards(name, name.size());
  if (portStart == name.size() || portStart == 0 || name[portStart - 1] != ':') return name;
  const size_t clientStart = SkipDigitsBackwards(name, portStart - 1);
  if (clientStart == portStart - 1 || clientStart == 0 || name[clientStart - 1] != ' ') return name;
  return name.substr(0, clientStart - 1);
}

int MidiPortFindName(const std::vector<std::string>& names, const std::string& wanted, size_t storedLength) {
  if (wanted.empty()) return -1;
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == wanted) return static_cast<int>(i);
  }
  if (wanted.size() == storedLength) {
    int found = -1;
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i].compare(0, wanted.size(), wanted) != 0) continue;
      if (found >= 0) return -1;  // two ports start alike: neither is surely the one
      found = static_cast<int>(i);
    }
    if (found >= 0) return found;
  }
  const std::string bare = MidiPortWithoutAlsaNumbers(wanted);
  for (size_t i = 0; i < names.size(); ++i) {
    if (!names[i].empty() && MidiPortWithoutAlsaNumbers(names[i]) == bare) return static_cast<int>(i);
  }
  return -1;
}
