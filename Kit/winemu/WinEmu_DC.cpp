#include "winemu/WinEmu_DC.h"

#include <cstddef>
#include <new>

namespace {

// Sides beyond this are refused like a failed allocation.
constexpr int kMaxSide = 32768;

bool AllocatePixels(HDC dc, int width, int height) {
  delete[] dc->context.bits;
  dc->context = WinEmu_PixelContext{nullptr, 0, 0, 0};
  if (width <= 0 || height <= 0) return true;  // an empty context is what was asked for
  if (width > kMaxSide || height > kMaxSide) return false;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  unsigned int* bits = new (std::nothrow) unsigned int[count]();
  if (!bits) return false;
  dc->context = WinEmu_PixelContext{bits, width, height, width};
  return true;
}

}  // namespace

HDC WinEmu_CreateMemoryDC(int width, int height) {
  HDC dc = new (std::nothrow) HDC__{{nullptr, 0, 0, 0}, nullptr, 0xFFu, true};
  if (dc) AllocatePixels(dc, width, height);
  return dc;
}

bool WinEmu_ResizeMemoryDC(HDC dc, int width, int height) {
  if (!dc || !dc->ownsBits) return false;
  return AllocatePixels(dc, width, height);
}

BOOL DeleteDC(HDC dc) {
  if (!dc || !dc->ownsBits) return 0;
  delete[] dc->context.bits;
  delete dc;
  return 1;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (!dc) return nullptr;
  HGDIOBJ previous = dc->font;
  dc->font = object;
  return previous;
}

unsigned int WinEmu_SetTextPixel(HDC dc, unsigned int pixel) {
  if (!dc) return 0;
  const unsigned int previous = dc->textPixel;
  dc->textPixel = pixel;
  return previous;
}
