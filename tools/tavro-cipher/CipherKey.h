#pragma once
// The key as the command line gives it: 32 hex digits, read as the four key words
// k0..k3, each 8 digits as a big-endian number.

#include <cstdint>
#include <string>

// Fills key[0..3]; false when text is not exactly 32 hex digits.
bool ParseCipherKey(const std::string& text, uint32_t key[4]);
