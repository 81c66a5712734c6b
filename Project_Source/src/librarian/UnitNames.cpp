#include "librarian/UnitNames.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr uint8_t kFirstHighByte = 0x80;
constexpr char kPlaceholder = '?';

// Bytes of the UTF-8 character starting at `at`: its lead byte's count when the
// continuation bytes follow, else 1.
size_t CharacterBytes(const std::string& text, size_t at) {
  const uint8_t lead = static_cast<uint8_t>(text[at]);
  const size_t count = lead >= 0xF8 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (at + count > text.size()) return 1;
  for (size_t k = 1; k < count; ++k)
    if ((static_cast<uint8_t>(text[at + k]) & 0xC0) != 0x80) return 1;
  return count;
}

}  // namespace

std::string unitName(const std::string& text, size_t length) {
  std::string name;
  for (size_t at = 0; at < text.size() && name.size() < length;) {
    const uint8_t byte = static_cast<uint8_t>(text[at]);
    name.push_back(byte < kFirstHighByte ? char(byte) : kPlaceholder);
    at += byte < kFirstHighByte ? 1 : CharacterBytes(text, at);
  }
  return name;
}

std::string shownName(const std::string& stored) {
  std::string shown = stored;
  for (char& c : shown)
    if (static_cast<uint8_t>(c) >= kFirstHighByte) c = kPlaceholder;
  return shown;
}

std::string editedName(const std::string& stored, const std::string& typed) {
  const std::string shown = shownName(stored);
  const size_t most = std::min(shown.size(), typed.size());
  size_t before = 0, after = 0;
  while (before < most && shown[before] == typed[before]) ++before;
  while (after < most - before && shown[shown.size() - 1 - after] == typed[typed.size() - 1 - after]) ++after;
  return stored.substr(0, before) + typed.substr(before, typed.size() - before - after) +
         stored.substr(stored.size() - after);
}
