#include "XmlText.h"

bool IsXmlCharacter(char32_t code) {
  if (code < 0x20) return code == '\t' || code == '\n' || code == '\r';
  if (code >= 0xD800 && code <= 0xDFFF) return false;
  return code != 0xFFFE && code != 0xFFFF && code <= 0x10FFFF;
}

size_t XmlCharacterLength(const char* p, const char* end) {
  if (p >= end) return 0;
  const auto lead = static_cast<unsigned char>(*p);
  if (lead < 0x80) return IsXmlCharacter(lead) ? 1 : 0;
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || size_t(end - p) < length) return 0;
  char32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(p[k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  static const char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  return (code >= kShortest[length] && IsXmlCharacter(code)) ? length : 0;
}
