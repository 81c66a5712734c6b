#include "rasteriser/Raster_Font.h"

Raster_CachedFont::~Raster_CachedFont() {
  if (ownsFont_) DeleteObject(font_);
}

void Raster_CachedFont::SetFromHFont(HGDIOBJ font, int flags) {
  if (ownsFont_ && font_ != font) DeleteObject(font_);
  font_ = font;
  ownsFont_ = (flags & RASTER_FONT_OWNS_HANDLE) != 0;
}

int Raster_CachedFont::DrawText(Raster_IBitmap* dest, const char* text, int length, RECT* rect, unsigned int format) {
  if (!font_ || !rect) return 0;
  // Text goes to the bitmap's own context, or to one wrapping its pixels.
  HDC__ wrapped = WinEmu_WrapPixels(nullptr, 0, 0, 0);
  HDC dc = dest ? dest->getDC() : nullptr;
  if (!dc) {
    if (dest && dest->getBits() && dest->getRowSpan() >= dest->getWidth()) {
      wrapped = WinEmu_WrapPixels(dest->getBits(), dest->getWidth(), dest->getHeight(), dest->getRowSpan());
    } else if (!(format & RASTER_DT_MEASURE)) {
      return 0;
    }
    dc = &wrapped;
  }
  const unsigned int pixel = (format & RASTER_DT_USE_TEXT_ALPHA) ? textPixel_ : (textPixel_ | 0xFFu);
  HGDIOBJ previousFont = SelectObject(dc, font_);
  const unsigned int previousPixel = WinEmu_SetTextPixel(dc, pixel);
  const int height = WinEmu_DrawText(dc, text, length, rect, static_cast<int>(format & ~RASTER_DT_USE_TEXT_ALPHA));
  WinEmu_SetTextPixel(dc, previousPixel);
  SelectObject(dc, previousFont);
  return height;
}

int Raster_CachedFont::GetLineHeight() { return WinEmu_GetFontLineHeight(font_); }
