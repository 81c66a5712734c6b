#include "rasteriser/Raster_Bitmap.h"

#include <cstddef>
#include <cstdlib>

Raster_MemBitmap::Raster_MemBitmap(int width, int height, unsigned int lineAlign)
    : lineAlign_(lineAlign ? lineAlign : 1) {
  resize(width, height);
}

Raster_MemBitmap::~Raster_MemBitmap() { std::free(bits_); }

bool Raster_MemBitmap::resize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  const long span = (static_cast<long>(width) + lineAlign_ - 1) / lineAlign_ * lineAlign_;
  if (width == width_ && height == height_ && span == rowSpan_) return true;
  std::free(bits_);
  bits_ = nullptr;
  width_ = height_ = rowSpan_ = 0;
  if (width == 0 || height == 0) return true;
  if (width > kMaxSide || height > kMaxSide || span > 2 * kMaxSide) return false;
  // calloc: memory fresh from the system is known to be zero and is not cleared again.
  bits_ = static_cast<unsigned int*>(std::calloc(static_cast<size_t>(span) * static_cast<size_t>(height), 4));
  if (!bits_) return false;
  width_ = width;
  height_ = height;
  rowSpan_ = static_cast<int>(span);
  return true;
}

Raster_SysBitmap::Raster_SysBitmap(int width, int height) : dc_(WinEmu_CreateMemoryDC(width, height)) {}

Raster_SysBitmap::~Raster_SysBitmap() { DeleteDC(dc_); }

unsigned int* Raster_SysBitmap::getBits() { return dc_ ? dc_->context.bits : nullptr; }
int Raster_SysBitmap::getWidth() const { return dc_ ? dc_->context.width : 0; }
int Raster_SysBitmap::getHeight() const { return dc_ ? dc_->context.height : 0; }
int Raster_SysBitmap::getRowSpan() const { return dc_ ? dc_->context.rowSpan : 0; }

bool Raster_SysBitmap::resize(int width, int height) {
  if (dc_ && dc_->context.width == width && dc_->context.height == height) return true;
  return WinEmu_ResizeMemoryDC(dc_, width, height);
}
