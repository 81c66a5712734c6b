#pragma once
// A headless panel whose bundle serves the two layout resources from memory, and a
// plug-in with the panel's parameters: everything readUIConfig needs, fresh per input.

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CipherBlocks.h"
#include "PanelTestSupport.h"
#include "ResourceKey.h"
#include "layout/UIConfigManager.h"
#include "layout/tables/ParamNameTable.h"

class ResourceSurface : public HeadlessSurface {
public:
  static constexpr int kCapacity = 4096000;
  using HeadlessSurface::HeadlessSurface;

  // As the platform's loader: the bytes read (at most the capacity) and zero fill,
  // here only as far as the reader's last block reaches.
  std::unique_ptr<unsigned char[]> OSLoadFile(int, const char* name) override {
    auto it = resources.find(name ? name : "");
    if (it == resources.end()) return nullptr;
    const size_t size = std::min(it->second.size(), size_t(kCapacity));
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[(size + 7) / 8 * 8 + 8]());
    if (size) std::memcpy(buffer.get(), it->second.data(), size);
    SetLastFileSize(int(size));
    return buffer;
  }

  std::map<std::string, std::vector<unsigned char>> resources;
};

inline std::vector<unsigned char> Enciphered(const std::string& text) {
  return EncipherPadded(std::vector<unsigned char>(text.begin(), text.end()), kResourceKey);
}

// Reads the resources into a fresh panel, then drops it all, panel first.
inline void ReadPanel(const std::vector<unsigned char>* layout, const std::vector<unsigned char>* sysex) {
  PanelPlug plug(kLayoutParamCount);
  auto* surface = new ResourceSurface(&plug, 64, 64);
  if (layout) surface->resources[UIConfigManager::kLayoutResourceName] = *layout;
  if (sysex) surface->resources[UIConfigManager::kSysExResourceName] = *sysex;
  plug.AttachGraphics(surface);
  UIConfigManager manager;
  manager.readUIConfig(surface, &plug, nullptr, 0, 1.0, [](const std::string&) {});
}
