#pragma once
// Which text an XML 1.0 document can carry: the property-list writer writes
// only such text and the reader accepts only such text, so whatever one reads
// the other can write, and other XML readers agree with both.

#include <cstddef>

// A character of XML's Char production (tab, newline, carriage return, and
// U+0020 up, without surrogates, U+FFFE and U+FFFF).
bool IsXmlCharacter(char32_t code);

// The length of the well-formed UTF-8 sequence at `p` (ending before `end`)
// when it encodes an XML character; 0 otherwise.
size_t XmlCharacterLength(const char* p, const char* end);
