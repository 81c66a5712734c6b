#pragma once
// Cutting UTF-8 texts to fit fixed fields without splitting a character.
//
// threads: any (no state)

#include <cstddef>

// The length of the longest start of `text` (`length` bytes) that is at most `most`
// bytes long and does not end inside a character.
size_t Kit_Utf8CutLength(const char* text, size_t length, size_t most);

// Copies `text` (null: empty) into `field` of `fieldSize` bytes, zero-terminated, cut
// before the first character that would not fit whole. Nothing for a field of 0 bytes.
void Kit_CopyCut(char* field, size_t fieldSize, const char* text);
