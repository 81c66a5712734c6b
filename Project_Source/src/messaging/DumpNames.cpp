#include "messaging/DumpNames.h"

void WriteDumpName(const std::string& text, uint8_t* field) {
  for (int i = 0; i < kDumpNameSize; ++i) {
    const uint8_t c = i < static_cast<int>(text.size()) ? static_cast<uint8_t>(text[i]) : 0;
    field[i] = c < 0x80 ? c : '?';
  }
}

std::string ReadDumpName(const uint8_t* field, int length) {
  std::string name(reinterpret_cast<const char*>(field), length);
  for (char& c : name) {
    if (static_cast<uint8_t>(c) >= 0x80) c = '?';
  }
  return name;
}
