#pragma once
// A script's bytes, as they have come so far, cut into lines.
// threads: any

#include <string>

// Takes the next line, without its '\n', off the front of `buffered`: a whole line, or,
// once the script has `ended`, the rest when it has no end. False when there is neither
// (a line still coming, or nothing left).
bool TakeScriptLine(std::string& buffered, bool ended, std::string& line);
