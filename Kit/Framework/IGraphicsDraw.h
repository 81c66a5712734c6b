#pragma once
// What the panel surface's drawing primitives share: the mapping of a blend
// to the rasteriser's mode and opacity, and the clip window through which the
// primitives reach the frame buffer.

#include "Framework/IGraphicsStructs.h"
#include "rasteriser/Raster.h"

// The rasteriser mode and opacity of a blend (null: copy with source alpha).
struct RasterBlend {
  int mode;
  float opacity;
};
RasterBlend ToRasterBlend(const IChannelBlend* blend);
// As ToRasterBlend, with filtered sampling for rotated blits.
RasterBlend ToRotatedRasterBlend(const IChannelBlend* blend);

// A window onto a rectangle of another bitmap: drawing through it cannot
// touch pixels outside the rectangle. Coordinates are the window's own, so
// callers subtract OffsetX/OffsetY from panel coordinates.
// threads: main only (the frame buffer is not locked).
class IClipWindow : public Raster_IBitmap {
public:
  IClipWindow(Raster_IBitmap* parent, const IRECT& rect);

  unsigned int* getBits() override;
  int getWidth() const override { return mRect.W(); }
  int getHeight() const override { return mRect.H(); }
  int getRowSpan() const override { return mParent ? mParent->getRowSpan() : 0; }
  // A window has the size of its rectangle.
  bool resize(int width, int height) override { return false; }

  // Moves the window; the rectangle is cut to the parent's bounds.
  void SetRect(const IRECT& rect);
  int OffsetX() const { return mRect.L; }
  int OffsetY() const { return mRect.T; }

private:
  Raster_IBitmap* mParent;
  IRECT mRect;  // within the parent's bounds
};
