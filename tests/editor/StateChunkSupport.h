#pragma once
// What a state file the test host wrote holds: its chunk, and the parameters and
// port names in it.

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CoreFoundation.h"
#include "Framework/ByteChunk.h"
#include "editor/PatchManager.h"

// The chunk inside a state file the host wrote; empty when it has none.
inline std::vector<uint8_t> StateChunk(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<uint8_t> bytes;
  CFDataRef xml = CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()), CFIndex(text.size()));
  CFPropertyListRef list = CFPropertyListCreateWithData(kCFAllocatorDefault, xml, 0, nullptr, nullptr);
  CFRelease(xml);
  if (!list) return bytes;
  if (CFGetTypeID(list) == CFDictionaryGetTypeID()) {
    CFTypeRef data = CFDictionaryGetValue(static_cast<CFDictionaryRef>(list), CFSTR("data"));
    if (data && CFGetTypeID(data) == CFDataGetTypeID()) {
      const UInt8* p = CFDataGetBytePtr(static_cast<CFDataRef>(data));
      bytes.assign(p, p + CFDataGetLength(static_cast<CFDataRef>(data)));
    }
  }
  CFRelease(list);
  return bytes;
}

// How often `text` stands in a chunk (a port's stored name begins with its client's).
inline int Occurrences(const std::vector<uint8_t>& chunk, const std::string& text) {
  int n = 0;
  for (auto at = std::search(chunk.begin(), chunk.end(), text.begin(), text.end()); at != chunk.end();
       at = std::search(at + 1, chunk.end(), text.begin(), text.end()))
    ++n;
  return n;
}

constexpr int kStateHeaderBytes = 20;  // tag, slot tab and model
constexpr int kSelectorBytes = 32;     // port, bank and program selections

// A parameter's value in a saved chunk: the editor keeps none for the host to
// automate, so all follow the patch manager's block and the four selections; -1
// when the chunk is too short.
inline double ChunkParam(const std::vector<uint8_t>& bytes, int paramIdx) {
  ByteChunk chunk;
  chunk.PutBytes(bytes.data(), int(bytes.size()));
  const int block = PatchManager::blockEnd(&chunk, kStateHeaderBytes);
  double value = -1;
  if (block > 0) chunk.GetDouble(&value, block + kSelectorBytes + 8 * paramIdx);
  return value;
}

// The chunk with its two port selections cleared: they are the ports' places in the
// lists of the moment (0 while a port is away); the names beside them find the ports.
inline std::vector<uint8_t> WithoutPortPlaces(std::vector<uint8_t> bytes) {
  constexpr int kPortSelectionBytes = 16;
  ByteChunk chunk;
  chunk.PutBytes(bytes.data(), int(bytes.size()));
  const int block = PatchManager::blockEnd(&chunk, kStateHeaderBytes);
  if (block > 0 && size_t(block) + kPortSelectionBytes <= bytes.size())
    std::fill_n(bytes.begin() + block, kPortSelectionBytes, 0);
  return bytes;
}
