#pragma once
// An enciphered layout resource of the bundle: loaded, deciphered block by block
// under the resource key, and parsed the way both readers parse it (entities on,
// whitespace kept, the text ending at its first zero byte).
//
// threads: main.

#include <cstdint>
#include <memory>
#include <string>

#include <tinyxml2.h>

class ConfigLog;
class IGraphics;

// The deciphered text of byteCount bytes of buffer: byteCount rounded up to whole
// blocks, the last block completed with the buffer's zero fill (the buffer must
// hold that many bytes). Empty for a count of 0 or less.
std::string DecipherResourceText(const unsigned char* buffer, int byteCount, const uint32_t* key);

// Loads resource `name` (id for the loader) through the graphics object and
// deciphers it. False, with one log line, when the bundle has no such resource.
bool LoadResourceText(IGraphics* graphics, int id, const char* name, const ConfigLog& log, std::string* text);

// A document made and parsed as the readers need it.
std::unique_ptr<tinyxml2::XMLDocument> ParseLayoutText(const std::string& text);

// The root element `rootName` of a parsed document; null, with tinyxml2's error
// and line (or the missing root) logged, when there is none.
tinyxml2::XMLElement* LayoutRoot(tinyxml2::XMLDocument* document, const char* rootName, const char* resourceName,
                                 const ConfigLog& log);
