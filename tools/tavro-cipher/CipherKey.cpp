#include "CipherKey.h"

#include <cctype>

namespace {

constexpr int kDigitsPerWord = 8;
constexpr int kKeyDigits = 4 * kDigitsPerWord;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const int lower = std::tolower(static_cast<unsigned char>(c));
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

}  // namespace

bool ParseCipherKey(const std::string& text, uint32_t key[4]) {
  if (text.size() != size_t(kKeyDigits)) return false;
  uint32_t words[4] = {};
  for (int i = 0; i < kKeyDigits; ++i) {
    const int digit = HexValue(text[size_t(i)]);
    if (digit < 0) return false;
    words[i / kDigitsPerWord] = words[i / kDigitsPerWord] << 4 | uint32_t(digit);
  }
  for (int i = 0; i < 4; ++i) key[i] = words[i];
  return true;
}
