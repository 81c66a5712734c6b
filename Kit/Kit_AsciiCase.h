#pragma once
// Case folding of ASCII letters; other bytes (UTF-8 included) stay as they are.
//
// threads: any (no state)

#include <cctype>
#include <string>

inline std::string Kit_AsciiLower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}
