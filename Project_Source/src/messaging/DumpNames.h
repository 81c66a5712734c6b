#pragma once
// Name fields of the librarian forms: ten bytes, the text cut to ten characters or
// padded with zero bytes. A character of 0x80 or more would end the SysEx message
// early and goes out as one "?".
//
// threads: any (pure).

#include <cstdint>
#include <string>

constexpr int kDumpNameSize = 10;

void WriteDumpName(const std::string& text, uint8_t* field);
// The `length` bytes at `field` as they stand, zero bytes included; a byte of 0x80 or
// more (a latin-1 letter kept from a bank file) reads as "?".
std::string ReadDumpName(const uint8_t* field, int length = kDumpNameSize);
