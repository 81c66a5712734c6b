#include <algorithm>
#include <climits>
#include <cstring>

#include "winemu/WinEmu_Font.h"
#include "winemu/WinEmu_FontObject.h"
#include "winemu/WinEmu_PixelMix.h"

namespace {

// Decodes one code point at text[*pos]; a byte that does not start a valid UTF-8
// sequence is taken as Latin-1.
uint32_t NextCodepoint(const unsigned char* text, int length, int* pos) {
  const unsigned char lead = text[*pos];
  int extra = 0;
  uint32_t cp = lead;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    cp = lead & 0x07;
  }
  if (extra == 0 || extra > length - *pos - 1) {
    ++*pos;
    return lead;
  }
  for (int i = 1; i <= extra; ++i) {
    const unsigned char next = text[*pos + i];
    if ((next & 0xC0) != 0x80) {
      ++*pos;
      return lead;
    }
    cp = cp << 6 | (next & 0x3F);
  }
  const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
  if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++*pos;
    return lead;
  }
  *pos += extra + 1;
  return cp;
}

long FloorDiv64(long v) { return v >= 0 ? v >> 6 : -((-v + 63) >> 6); }
int PenPixel(long pen26_6) { return static_cast<int>(FloorDiv64(pen26_6 + 32)); }

// Walks the glyphs of the text, calling visit(glyph, originX, originY) with the pen
// position in pixels (baseline origin at 0, 0).
template <typename Visit>
void ForEachGlyph(WinEmu_FontObject& font, const char* text, int length, Visit visit) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  long penX = 0, penY = 0;
  for (int pos = 0; pos < length;) {
    const WinEmu_Glyph& glyph = font.glyph(NextCodepoint(bytes, length, &pos));
    visit(glyph, PenPixel(penX), PenPixel(penY));
    penX += glyph.advanceX;
    penY += glyph.advanceY;
  }
}

struct Box {
  int left, top, right, bottom;  // relative to the baseline origin
};

Box TextBox(WinEmu_FontObject& font, const char* text, int length) {
  Box ink{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  ForEachGlyph(font, text, length, [&](const WinEmu_Glyph& g, int ox, int oy) {
    if (g.width == 0) return;
    ink.left = std::min(ink.left, ox + g.left);
    ink.top = std::min(ink.top, oy + g.top);
    ink.right = std::max(ink.right, ox + g.left + g.width);
    ink.bottom = std::max(ink.bottom, oy + g.top + g.height);
  });
  const bool inked = ink.left != INT_MAX;
  if (font.rotated()) return inked ? ink : Box{0, 0, 0, 0};
  return Box{inked ? ink.left : 0, -font.ascent(), inked ? ink.right : 0, font.descent()};
}

void DrawGlyph(const WinEmu_Glyph& g, int gx, int gy, const RECT& clip, const WinEmu_PixelContext& pixels,
               uint32_t colour, uint32_t alpha) {
  const int x0 = std::max(gx, clip.left), x1 = std::min(gx + g.width, clip.right);
  const int y0 = std::max(gy, clip.top), y1 = std::min(gy + g.height, clip.bottom);
  for (int y = y0; y < y1; ++y) {
    const uint8_t* cover = g.coverage.data() + static_cast<size_t>(y - gy) * g.width - gx;
    uint32_t* row = pixels.bits + static_cast<size_t>(y) * pixels.rowSpan;
    for (int x = x0; x < x1; ++x) {
      const uint32_t w = WinEmu_Div255(cover[x] * alpha);
      if (w) row[x] = WinEmu_MixPixel(row[x], colour, w);
    }
  }
}

}  // namespace

int WinEmu_DrawText(HDC dc, const char* text, int length, RECT* rect, int format) {
  auto* font = dc ? dynamic_cast<WinEmu_FontObject*>(dc->font) : nullptr;
  if (!font || !rect) return 0;
  if (!text) length = 0;
  if (length < 0) length = static_cast<int>(strnlen(text, INT_MAX));

  std::lock_guard<std::mutex> guard(font->lock());
  const Box box = TextBox(*font, text, length);
  const int width = box.right - box.left, height = box.bottom - box.top;
  const unsigned int flags = static_cast<unsigned int>(format);
  if (flags & DT_CALCRECT) {
    *rect = RECT{0, 0, width, height};
    return height;
  }

  const long rectW = static_cast<long>(rect->right) - rect->left;
  const long rectH = static_cast<long>(rect->bottom) - rect->top;
  long left = rect->left, top = rect->top;
  if (flags & DT_CENTER)
    left += (rectW - width) / 2;
  else if (flags & DT_RIGHT)
    left = rect->right - static_cast<long>(width);
  if (flags & DT_VCENTER)
    top += (rectH - height) / 2;
  else if (flags & DT_BOTTOM)
    top = rect->bottom - static_cast<long>(height);

  const WinEmu_PixelContext& pixels = dc->context;
  RECT clip{0, 0, pixels.bits ? pixels.width : 0, pixels.bits ? pixels.height : 0};
  if (!(flags & DT_NOCLIP)) {
    clip.left = std::max(clip.left, rect->left);
    clip.top = std::max(clip.top, rect->top);
    clip.right = std::min(clip.right, rect->right);
    clip.bottom = std::min(clip.bottom, rect->bottom);
  }
  const uint32_t alpha = dc->textPixel & 0xFFu;
  if (clip.left >= clip.right || clip.top >= clip.bottom || alpha == 0) return height;

  // Far off-screen text cannot touch the pixels; keeps the sums below in range.
  const long originX = left - box.left, originY = top - box.top;
  if (originX < INT_MIN / 2 || originX > INT_MAX / 2 || originY < INT_MIN / 2 || originY > INT_MAX / 2) {
    return height;
  }
  const uint32_t colour = dc->textPixel | 0xFFu;  // coverage union in the alpha byte
  ForEachGlyph(*font, text, length, [&](const WinEmu_Glyph& g, int ox, int oy) {
    if (g.width == 0) return;
    DrawGlyph(g, static_cast<int>(originX) + ox + g.left, static_cast<int>(originY) + oy + g.top, clip, pixels, colour,
              alpha);
  });
  return height;
}
