#pragma once
// The record behind a font handle: one FreeType face at one size, with its glyph
// cache. Internal to the emulation.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "winemu/WinEmu_Types.h"

struct HGDIOBJ__ {
  virtual ~HGDIOBJ__() = default;
};

// One rendered glyph: its coverage trimmed to the inked pixels.
struct WinEmu_Glyph {
  int left = 0;   // ink offset from the pen, pixels, x to the right
  int top = 0;    // ink offset from the pen, pixels, y downward
  int width = 0;  // 0 for a glyph without ink
  int height = 0;
  long advanceX = 0;              // pen advance, 26.6 pixels, x to the right
  long advanceY = 0;              // pen advance, 26.6 pixels, y downward
  std::vector<uint8_t> coverage;  // width x height, 0..255
};

struct WinEmu_FontRequest {
  int height;      // > 0 line height, < 0 em size
  int escapement;  // tenths of a degree, anticlockwise
  bool bold;
  bool italic;
  bool antialias;
  std::string face;
};

class WinEmu_FontObject : public HGDIOBJ__ {
public:
  // Null when no font file can be found or opened.
  static std::unique_ptr<WinEmu_FontObject> Create(const WinEmu_FontRequest& request);
  ~WinEmu_FontObject() override;

  // Held while laying out and drawing: the face and the cache are not thread-safe.
  std::mutex& lock() { return lock_; }
  // The glyph of a code point; call with lock() held. Never null.
  const WinEmu_Glyph& glyph(uint32_t codepoint);

  int ascent() const { return ascent_; }
  int descent() const { return descent_; }
  int lineHeight() const { return ascent_ + descent_; }
  bool rotated() const { return rotated_; }

private:
  WinEmu_FontObject() = default;
  WinEmu_Glyph render(uint32_t codepoint);

  std::mutex lock_;
  FT_Face face_ = nullptr;
  FT_Int32 loadFlags_ = 0;
  FT_Render_Mode renderMode_ = FT_RENDER_MODE_NORMAL;
  bool embolden_ = false;
  bool rotated_ = false;
  int ascent_ = 0;
  int descent_ = 0;
  std::array<const WinEmu_Glyph*, 256> latin_{};  // fast path into glyphs_
  std::unordered_map<uint32_t, WinEmu_Glyph> glyphs_;
};
