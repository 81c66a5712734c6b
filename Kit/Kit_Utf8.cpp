#include "Kit_Utf8.h"

#include <cstring>

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

size_t Kit_Utf8CutLength(const char* text, size_t length, size_t most) {
  if (length <= most) return length;
  size_t n = most;
  while (n > 0 && IsContinuationByte(text[n])) --n;
  return n;
}

void Kit_CopyCut(char* field, size_t fieldSize, const char* text) {
  if (!field || fieldSize == 0) return;
  if (!text) text = "";
  const size_t n = Kit_Utf8CutLength(text, std::strlen(text), fieldSize - 1);
  std::memcpy(field, text, n);
  field[n] = 0;
}
