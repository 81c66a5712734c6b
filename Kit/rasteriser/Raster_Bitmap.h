#pragma once
// Bitmaps the rasteriser draws into and from.
//
// Pixels are 32-bit words A | R << 8 | G << 16 | B << 24 with straight (not
// premultiplied) alpha. Rows run top to bottom; getRowSpan() is the distance in
// pixels from one row to the next. A bitmap of 0 x 0 has no pixels (getBits() may
// be null) and every drawing routine treats it as empty.
//
// threads: any (a bitmap belongs to one thread at a time); the routines keep no state.

#include "winemu/WinEmu_DC.h"

class Raster_IBitmap {
public:
  virtual ~Raster_IBitmap() = default;
  virtual unsigned int* getBits() = 0;
  virtual int getWidth() const = 0;
  virtual int getHeight() const = 0;
  virtual int getRowSpan() const = 0;
  // Changes the size; the pixels become undefined. False (and size 0 x 0) when the
  // pixels cannot be allocated; negative sizes count as 0.
  virtual bool resize(int width, int height) = 0;
  // The drawing context the pixels live in, or null for a plain memory bitmap.
  virtual HDC getDC() { return nullptr; }
};

// A heap bitmap; its row span is the width rounded up to lineAlign pixels.
class Raster_MemBitmap : public Raster_IBitmap {
public:
  // Largest width or height accepted; larger requests give a 0 x 0 bitmap.
  static constexpr int kMaxSide = 32768;

  explicit Raster_MemBitmap(int width = 0, int height = 0, unsigned int lineAlign = 4);
  ~Raster_MemBitmap() override;
  Raster_MemBitmap(const Raster_MemBitmap&) = delete;
  Raster_MemBitmap& operator=(const Raster_MemBitmap&) = delete;

  unsigned int* getBits() override { return bits_; }
  int getWidth() const override { return width_; }
  int getHeight() const override { return height_; }
  int getRowSpan() const override { return rowSpan_; }
  bool resize(int width, int height) override;

private:
  unsigned int* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int rowSpan_ = 0;
  unsigned int lineAlign_;
};

// A bitmap whose pixels live in a drawing context of the Windows-API emulation
// (the panel's frame buffer, which the view back ends show).
class Raster_SysBitmap : public Raster_IBitmap {
public:
  // A 0 x 0 request, or a failed allocation, gives a bitmap of size 0 x 0.
  Raster_SysBitmap(int width, int height);
  ~Raster_SysBitmap() override;
  Raster_SysBitmap(const Raster_SysBitmap&) = delete;
  Raster_SysBitmap& operator=(const Raster_SysBitmap&) = delete;

  unsigned int* getBits() override;
  int getWidth() const override;
  int getHeight() const override;
  int getRowSpan() const override;
  bool resize(int width, int height) override;
  // Never null: the context record exists even while the bitmap is 0 x 0.
  HDC getDC() override { return dc_; }

private:
  HDC dc_;
};
