#pragma once
// Names as the synthesizer holds them: one 7-bit byte per character. A byte of 80 hex
// or more inside a dump would end the SysEx message there.
//
// threads: any (pure).

#include <cstddef>
#include <string>

// The first `length` characters of a UTF-8 text as name bytes: a character the unit
// cannot hold (any of 80 hex or above) becomes one '?'; a byte that starts no UTF-8
// character counts as one character of its own.
std::string unitName(const std::string& text, size_t length);

// A stored name as the rename box shows it: one '?' for each byte of 80 hex or above.
std::string shownName(const std::string& stored);

// The stored name after the edit that turned its shown form into `typed` (name bytes
// as unitName gives them): the bytes before and after the stretch the user changed
// stay as stored, so a high byte nobody touched is kept, not made a '?'.
std::string editedName(const std::string& stored, const std::string& typed);
