#pragma once
// Fonts of the rasteriser: text drawn through the emulation's FreeType text output,
// which keeps a glyph cache per font handle.

#include "rasteriser/Raster_Bitmap.h"
#include "winemu/WinEmu_Font.h"

// Format bits of DrawText (the emulation's DT_ bits, plus the text-alpha bit).
enum : unsigned int {
  RASTER_DT_MEASURE = DT_CALCRECT,         // 0x1: rect comes back as (0, 0, width, height)
  RASTER_DT_VCENTER = DT_VCENTER,          // 0x2
  RASTER_DT_CENTER = DT_CENTER,            // 0x4
  RASTER_DT_BOTTOM = DT_BOTTOM,            // 0x10
  RASTER_DT_RIGHT = DT_RIGHT,              // 0x20
  RASTER_DT_NOCLIP = DT_NOCLIP,            // 0x100
  RASTER_DT_USE_TEXT_ALPHA = 0x40000000u,  // else the text colour is drawn opaque
};

// Flags of SetFromHFont.
enum : int {
  RASTER_FONT_OWNS_HANDLE = 0x200,
  RASTER_FONT_NATIVE = 0x400,
};

class Raster_IFont {
public:
  virtual ~Raster_IFont() = default;
  virtual void SetFromHFont(HGDIOBJ font, int flags) = 0;
  virtual void SetTextColor(unsigned int pixel) = 0;
  // Draws (or with RASTER_DT_MEASURE measures) text; length -1 runs to the
  // terminator. Returns the text height, 0 when nothing could be drawn or measured.
  virtual int DrawText(Raster_IBitmap* dest, const char* text, int length, RECT* rect, unsigned int format) = 0;
  virtual int GetLineHeight() = 0;
};

// Text is UTF-8; bytes that are not UTF-8 are read as Latin-1. Measured and drawn as
// WinEmu_DrawText (WinEmu_Font.h) describes. On Linux the cached and the native
// (RASTER_FONT_NATIVE) path are the same FreeType renderer with its glyph cache.
// threads: any (the font handle locks its glyph cache while drawing).
class Raster_CachedFont : public Raster_IFont {
public:
  Raster_CachedFont() = default;
  ~Raster_CachedFont() override;
  Raster_CachedFont(const Raster_CachedFont&) = delete;
  Raster_CachedFont& operator=(const Raster_CachedFont&) = delete;

  // With RASTER_FONT_OWNS_HANDLE the font deletes the handle later; a handle owned
  // before is deleted when replaced.
  void SetFromHFont(HGDIOBJ font, int flags) override;
  void SetTextColor(unsigned int pixel) override { textPixel_ = pixel; }
  int DrawText(Raster_IBitmap* dest, const char* text, int length, RECT* rect, unsigned int format) override;
  // 0 while no font is bound.
  int GetLineHeight() override;

private:
  HGDIOBJ font_ = nullptr;
  bool ownsFont_ = false;
  unsigned int textPixel_ = 0xFFu;  // opaque black
};
