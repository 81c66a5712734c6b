#include "Framework/IControlBitmaps.h"

#include <typeinfo>

#include "Framework/IGraphics.h"

int FrameFromValue(double value, int frames) {
  if (frames < 2) return 1;
  return int(ClampToUnit(value) * (frames - 1) + 0.5) + 1;
}

IPanelControl::IPanelControl(IModuleBase* plug, const IRECT& rect, const IColor* color)
    : IControl(plug, rect), mColor(color ? *color : COLOR_BLACK) {}

bool IPanelControl::Draw(IGraphics* graphics) {
  const IChannelBlend blend = GetBlend();
  IRECT rect = mRECT;
  return graphics->FillIRect(&mColor, &rect, &blend);
}

IBitmapControl::IBitmapControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap, int blendMethod)
    : IControl(plug, IRECT(), paramIdx, blendMethod), mBitmap(bitmap ? *bitmap : IBitmap()) {
  mRECT = mTargetRECT = IRECT(x, y, x + mBitmap.FrameWidth(), y + mBitmap.FrameHeight());
}

bool IBitmapControl::Draw(IGraphics* graphics) {
  const IChannelBlend blend = GetBlend();
  IRECT rect = mRECT;
  return graphics->DrawBitmap(&mBitmap, &rect, FrameFromValue(GetValue(), mBitmap.N), &blend);
}

std::optional<FixedDrawing> IBitmapControl::GetFixedDrawing() const {
  // A derived control draws more than its image (a list, a progress bar).
  if (ParamIdx() >= 0 || typeid(*this) != typeid(IBitmapControl)) return std::nullopt;
  return FixedDrawing{mBitmap, FrameFromValue(GetValue(), mBitmap.N), GetBlend(), mRECT};
}
