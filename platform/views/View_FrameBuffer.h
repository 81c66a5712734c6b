#pragma once
// What a view shows: the panel's pixels as last presented.
//
// Pixels keep the panel bitmap's format: A | R << 8 | G << 16 | B << 24.

#include <cstdint>
#include <string>
#include <vector>

#include "views/View_Geometry.h"

inline uint8_t PanelPixelRed(uint32_t p) { return uint8_t(p >> 8); }
inline uint8_t PanelPixelGreen(uint32_t p) { return uint8_t(p >> 16); }
inline uint8_t PanelPixelBlue(uint32_t p) { return uint8_t(p >> 24); }
inline uint32_t PanelPixelFromRgb(uint8_t r, uint8_t g, uint8_t b) {
  return 0xFFu | uint32_t(r) << 8 | uint32_t(g) << 16 | uint32_t(b) << 24;
}
// 0xRRGGBB, alpha dropped: what reaches the screen.
inline uint32_t PanelPixelRgb(uint32_t p) {
  return uint32_t(PanelPixelRed(p)) << 16 | uint32_t(PanelPixelGreen(p)) << 8 | PanelPixelBlue(p);
}

class ViewFrameBuffer {
public:
  // New size; the content becomes black.
  void Resize(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }

  // 0 outside the buffer.
  uint32_t Pixel(int x, int y) const;
  const uint32_t* Row(int y) const { return pixels_.data() + size_t(y) * size_t(width_); }
  uint32_t* MutableRow(int y) { return pixels_.data() + size_t(y) * size_t(width_); }

  // Copies the source pixels of `area` (clipped to both) to the same place here.
  // rowSpan counts pixels.
  void CopyFrom(const uint32_t* src, int srcWidth, int srcHeight, int rowSpan, const ViewRect& area);

  // Writes an RGB PNG (what the screen shows; alpha is not shown). False with a
  // reason when the file cannot be written or the buffer is empty.
  bool SavePng(const std::string& path, std::string* error) const;

private:
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};
