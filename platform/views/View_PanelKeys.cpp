#include "views/View_PanelKeys.h"

std::optional<int> PanelKeyFor(int keyCode, char32_t character) {
  switch (keyCode) {
    case kViewKeyLeft: return 3;
    case kViewKeyRight: return 4;
    case kViewKeyDown: return 2;
    case kViewKeyUp: return 1;
    case kViewKeySpace: return 0;
    case kViewKeyEscape: return kPanelKeyEscape;
    default: break;
  }
  if (character >= U'0' && character <= U'9') return 5 + static_cast<int>(character - U'0');
  if (character >= U'A' && character <= U'Z') return 15 + static_cast<int>(character - U'A');
  if (character >= U'a' && character <= U'z') return 15 + static_cast<int>(character - U'a');
  return std::nullopt;
}

namespace {

// Length of the UTF-8 sequence starting at text[i], or 1 when it is malformed.
size_t SequenceLength(const std::string& text, size_t i) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  size_t len = 1;
  if (lead >= 0xF0 && lead < 0xF8)
    len = 4;
  else if (lead >= 0xE0)
    len = (lead < 0xF0) ? 3 : 1;
  else if (lead >= 0xC2)
    len = 2;
  if (len == 1 || i + len > text.size()) return 1;
  for (size_t k = 1; k < len; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  return len;
}

// The character of the sequence at text[i] of the given length.
char32_t DecodeAt(const std::string& text, size_t i, size_t len) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  if (len == 1) return lead;
  static const unsigned char kLeadMask[] = {0, 0, 0x1F, 0x0F, 0x07};
  char32_t c = lead & kLeadMask[len];
  for (size_t k = 1; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return c;
}

}  // namespace

int Utf8CharacterCount(const std::string& text) { return int(Utf8Decode(text).size()); }

char32_t Utf8FirstCharacter(const std::string& text) {
  return text.empty() ? 0 : DecodeAt(text, 0, SequenceLength(text, 0));
}

std::u32string Utf8Decode(const std::string& text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    const size_t len = SequenceLength(text, i);
    out += DecodeAt(text, i, len);
    i += len;
  }
  return out;
}

std::string Utf8Encode(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}
