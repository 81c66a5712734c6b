#pragma once
// Plain images and colour fills: the background colour (IPanelControl), an
// image whose frame follows the value (IBitmapControl, used for LEDs and
// backgrounds).

#include "Framework/IControl.h"

// The frame (numbered from 1) a strip of `frames` frames shows for a value;
// a value outside 0..1 shows the nearest end.
int FrameFromValue(double value, int frames);

class IPanelControl : public IControl {
public:
  IPanelControl(IModuleBase* plug, const IRECT& rect, const IColor* color);
  bool Draw(IGraphics* graphics) override;

private:
  IColor mColor;
};

class IBitmapControl : public IControl {
public:
  // rect = (x, y, x + frame width, y + frame height).
  IBitmapControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone);
  bool Draw(IGraphics* graphics) override;
  const IBitmap& GetBitmap() const { return mBitmap; }
  // Its image when it is bound to no parameter and draws nothing but the image.
  std::optional<FixedDrawing> GetFixedDrawing() const override;

protected:
  IBitmap mBitmap;
};
