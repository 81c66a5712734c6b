#pragma once
// Arithmetic on pixel words A | R << 8 | G << 16 | B << 24, shared by the text
// output here and the rasteriser's blend kernels.

#include <cstdint>

// x / 255 rounded to nearest, exact for 0 <= x <= 65025.
inline uint32_t WinEmu_Div255(uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// Every byte: div255(d x (255 - w) + s x w), for w in 0..255. Two channels share one
// multiply: each 16-bit lane holds at most 65025 + 128 + 254, so lanes never carry.
inline uint32_t WinEmu_MixPixel(uint32_t d, uint32_t s, uint32_t w) {
  const uint32_t iw = 255 - w;
  uint32_t ag = (d & 0x00FF00FFu) * iw + (s & 0x00FF00FFu) * w + 0x00800080u;
  ag = ((ag + ((ag >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  uint32_t rb = ((d >> 8) & 0x00FF00FFu) * iw + ((s >> 8) & 0x00FF00FFu) * w + 0x00800080u;
  rb = (rb + ((rb >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
  return ag | rb;
}
