#include "layout/LayoutResource.h"

#include <cstring>

#include "Framework/IGraphics.h"
#include "ResourceKey.h"
#include "layout/ConfigLog.h"
#include "tea.h"

std::string DecipherResourceText(const unsigned char* buffer, int byteCount, const uint32_t* key) {
  std::string text;
  if (!buffer || byteCount <= 0) return text;
  const uint32_t localKey[Tea::kKeyWords] = {key[0], key[1], key[2], key[3]};
  const size_t blocks = (size_t(byteCount) + Tea::kBlockBytes - 1) / Tea::kBlockBytes;
  text.assign(reinterpret_cast<const char*>(buffer), blocks * Tea::kBlockBytes);
  Tea::simpledecryptBlocks(reinterpret_cast<unsigned char*>(&text[0]), blocks, localKey);
  return text;
}

bool LoadResourceText(IGraphics* graphics, int id, const char* name, const ConfigLog& log, std::string* text) {
  text->clear();
  std::unique_ptr<unsigned char[]> buffer = graphics ? graphics->LoadFile(id, name) : nullptr;
  // The loaded size is only meaningful with a buffer: without one it is an earlier file's.
  if (!buffer) {
    log.line(std::string("resource ") + name + " could not be loaded; nothing is built from it");
    return false;
  }
  *text = DecipherResourceText(buffer.get(), graphics->GetLastFileSize(), kResourceKey);
  return true;
}

std::unique_ptr<tinyxml2::XMLDocument> ParseLayoutText(const std::string& text) {
  auto document = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
  // The text ends for the parser at its first zero byte.
  document->Parse(text.c_str(), std::strlen(text.c_str()));
  return document;
}

tinyxml2::XMLElement* LayoutRoot(tinyxml2::XMLDocument* document, const char* rootName, const char* resourceName,
                                 const ConfigLog& log) {
  if (document->Error()) {
    // tinyxml2's text names the error and its line.
    log.line(std::string(resourceName) + ": " + document->ErrorStr() + "; nothing is built from it");
    return nullptr;
  }
  tinyxml2::XMLElement* root = document->FirstChildElement(rootName);
  if (!root) log.line(std::string(resourceName) + " has no \"" + rootName + "\" element; nothing is built from it");
  return root;
}
