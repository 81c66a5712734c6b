#include "Base64.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int ValueOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string Base64Encode(const uint8_t* bytes, size_t length) {
  std::string out;
  out.reserve((length + 2) / 3 * 4);
  for (size_t i = 0; i < length; i += 3) {
    uint32_t group = uint32_t(bytes[i]) << 16;
    if (i + 1 < length) group |= uint32_t(bytes[i + 1]) << 8;
    if (i + 2 < length) group |= bytes[i + 2];
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += i + 1 < length ? kAlphabet[(group >> 6) & 63] : '=';
    out += i + 2 < length ? kAlphabet[group & 63] : '=';
  }
  return out;
}

bool Base64Decode(const std::string& text, std::vector<uint8_t>& out) {
  out.clear();
  uint32_t group = 0;
  int filled = 0;
  int padding = 0;
  for (char c : text) {
    if (IsSpace(c)) continue;
    if (c == '=') {
      ++padding;
      if (padding > 2) return false;
      continue;
    }
    int v = ValueOf(c);
    if (v < 0 || padding > 0) return false;
    group = (group << 6) | uint32_t(v);
    if (++filled == 4) {
      out.push_back(uint8_t(group >> 16));
      out.push_back(uint8_t(group >> 8));
      out.push_back(uint8_t(group));
      group = 0;
      filled = 0;
    }
  }
  if (filled == 0) return padding == 0;
  if (filled == 1 || filled + padding != 4) return false;
  if (filled == 2) out.push_back(uint8_t(group >> 4));
  if (filled == 3) {
    out.push_back(uint8_t(group >> 10));
    out.push_back(uint8_t(group >> 2));
  }
  return true;
}
