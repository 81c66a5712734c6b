#pragma once
// The host's saved state and the simulated synthesizer's record around it: where the
// panel's controls are, what a state file the test host wrote holds, and where in
// the record the performance dump and the real-time messages stand.

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "CoreFoundation.h"
#include "JackSimSupport.h"
#include "PatchManager.h"
#include "RoadTestSupport.h"

// The centre of the shown control of `paramIdx` with slot `slot` active and layer
// `layer` (if any) open, read from a headless editor; (-1, -1) when none is shown.
inline std::pair<int, int> ControlCentre(int paramIdx, int slot = 0, const char* layer = nullptr) {
  RoadFixture f;
  f.plug->activeSlot = slot;
  f.plug->tabSwitch.quickTabSwitch(f.plug.get(), kQuickTab, slot, f.plug->nordModel);
  if (layer) f.plug->showLayer(layer, true);
  return ShownCentre(f.action(paramIdx));
}

inline std::string Click(std::pair<int, int> at) {
  return "click " + std::to_string(at.first) + " " + std::to_string(at.second) + "\n";
}

// Script lines clicking slot tab `slot` (0 = A) of the shown row of four, read from a
// headless editor, and checking that the slot took.
inline std::string ClickSlotTab(int slot) {
  RoadFixture f;
  for (IControl* tabs : f.action(kQuickTab)->boundControls) {
    if (tabs->IsHidden()) continue;
    const IRECT r = tabs->GetRECT();
    return Click({r.L + (r.R - r.L) * (2 * slot + 1) / 8, (r.T + r.B) / 2}) + "expect-param " +
           std::to_string(int(kQuickTab)) + " " + std::to_string(slot) + "\n";
  }
  return "no slot tabs shown\n";
}

constexpr size_t kPerformanceDumpSize = 715;

// Bytes in a record line of hex pairs.
inline size_t Size(const std::string& line) { return (line.size() + 1) / 3; }

inline bool IsDump(const std::string& line) { return line.rfind("F0 ", 0) == 0 && Size(line) == kPerformanceDumpSize; }

// The record's last lines, for a failure's message.
inline std::string Tail(const std::vector<std::string>& lines) {
  std::string tail;
  for (size_t i = lines.size() > 12 ? lines.size() - 12 : 0; i < lines.size(); ++i)
    tail += "\n" + lines[i].substr(0, 40);
  return tail;
}

// Index of the first line at or after `from` that `match` accepts; npos for none.
template <class Match>
size_t Find(const std::vector<std::string>& lines, size_t from, Match match) {
  for (size_t i = from; i < lines.size(); ++i)
    if (match(lines[i])) return i;
  return std::string::npos;
}

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
