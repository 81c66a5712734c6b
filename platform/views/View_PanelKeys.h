#pragma once
// The panel's key numbers and how both views derive them from a key event.
//
// Panel keys: 0 space, 1 up, 2 down, 3 left, 4 right, 5..14 digits '0'..'9',
// 15..40 letters 'A'..'Z' (either case), 41 Escape.

#include <optional>
#include <string>

#include "views/View_Events.h"

constexpr int kPanelKeyEscape = 41;

// The panel key for a key code and the first character typed, or none when the
// panel has no number for it. Arrow, space and Escape key codes win over characters.
std::optional<int> PanelKeyFor(int keyCode, char32_t character);

// UTF-8 helpers for key characters. A malformed sequence counts as one character
// per byte, so nothing is read past the string.
int Utf8CharacterCount(const std::string& text);
char32_t Utf8FirstCharacter(const std::string& text);  // 0 for an empty string
std::u32string Utf8Decode(const std::string& text);
std::string Utf8Encode(char32_t character);
