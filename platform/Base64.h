#pragma once
// Standard Base64 (A-Z a-z 0-9 + /, '=' padding) for property-list data.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::string Base64Encode(const uint8_t* bytes, size_t length);
// Whitespace is skipped; false for any other character outside the alphabet,
// for padding anywhere but the end, and for a length that is not whole.
bool Base64Decode(const std::string& text, std::vector<uint8_t>& out);
