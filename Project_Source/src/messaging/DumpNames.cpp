#include "messaging/DumpNames.h"

#include "librarian/UnitNames.h"

void WriteDumpName(const std::string& text, uint8_t* field) {
  const std::string name = unitName(text, kDumpNameSize);
  for (int i = 0; i < kDumpNameSize; ++i) field[i] = i < int(name.size()) ? static_cast<uint8_t>(name[i]) : 0;
}

std::string ReadDumpName(const uint8_t* field, int length) {
  std::string name(reinterpret_cast<const char*>(field), length);
  for (char& c : name) {
    if (static_cast<uint8_t>(c) >= 0x80) c = '?';
  }
  return name;
}
