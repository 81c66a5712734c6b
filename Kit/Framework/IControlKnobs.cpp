#include "Framework/IControlKnobs.h"

#include "Framework/IControlBitmaps.h"
#include "Framework/IGraphics.h"

namespace {
constexpr double kFineGearingFactor = 10.0;

IBitmap CopyOf(const IBitmap* bitmap) { return bitmap ? *bitmap : IBitmap(); }

IRECT ImageRECT(int x, int y, const IBitmap& bitmap) {
  return IRECT(x, y, x + bitmap.FrameWidth(), y + bitmap.FrameHeight());
}
}  // namespace

IKnobControl::IKnobControl(IModuleBase* plug, const IRECT& rect, int paramIdx, EDirection direction, double gearing)
    : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing) {}

void IKnobControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) {
  if (IsGrayed()) return;
  double gearing = mGearing;
  if (mod && (mod->S || mod->C)) gearing *= kFineGearingFactor;
  const int size = mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
  if (size == 0 || gearing <= 0.0) return;
  const int delta = mDirection == kVertical ? dY : dX;
  mValue.store(GetValue() + double(delta) / size / gearing);
  SetDirty(true);
}

IKnobLineControl::IKnobLineControl(IModuleBase* plug, const IRECT& rect, int paramIdx, const IColor* color,
                                   float innerRadius, float outerRadius, float minAngle, float maxAngle,
                                   EDirection direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing),
      mColor(color ? *color : COLOR_BLACK),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle),
      mInnerRadius(innerRadius),
      mOuterRadius(outerRadius == 0.0f ? 0.5f * rect.W() : outerRadius) {
  mBlendMethod = IChannelBlend::kBlendClobber;
}

bool IKnobLineControl::Draw(IGraphics* graphics) {
  const float angle = mMinAngle + float(ClampToUnit(GetValue())) * (mMaxAngle - mMinAngle);
  const float cx = (mRECT.L + mRECT.R) * 0.5f, cy = (mRECT.T + mRECT.B) * 0.5f;
  const IChannelBlend blend = GetBlend();
  return graphics->DrawRadialLine(&mColor, cx, cy, angle, mInnerRadius, mOuterRadius, &blend, true);
}

IKnobRotaterControl::IKnobRotaterControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                         double minAngle, double maxAngle, int yOffsetZeroDeg, EDirection direction,
                                         double gearing)
    : IKnobControl(plug, ImageRECT(x, y, CopyOf(bitmap)), paramIdx, direction, gearing),
      mBitmap(CopyOf(bitmap)),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle),
      mYOffset(yOffsetZeroDeg) {}

bool IKnobRotaterControl::Draw(IGraphics* graphics) {
  const double angle = mMinAngle + ClampToUnit(GetValue()) * (mMaxAngle - mMinAngle);
  const int cx = (mRECT.L + mRECT.R) / 2, cy = (mRECT.T + mRECT.B) / 2;
  const IChannelBlend blend = GetBlend();
  return graphics->DrawRotatedBitmap(&mBitmap, cx, cy, angle, mYOffset, &blend);
}

IKnobMultiControl::IKnobMultiControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, ImageRECT(x, y, CopyOf(bitmap)), paramIdx, direction, gearing), mBitmap(CopyOf(bitmap)) {}

bool IKnobMultiControl::Draw(IGraphics* graphics) {
  IRECT rect = mRECT;
  const IChannelBlend blend = GetBlend();
  return graphics->DrawBitmap(&mBitmap, &rect, FrameFromValue(GetValue(), mBitmap.N), &blend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* base,
                                                   const IBitmap* mask, const IBitmap* top, double minAngle,
                                                   double maxAngle, EDirection direction, double gearing)
    : IKnobControl(plug, ImageRECT(x, y, CopyOf(base)), paramIdx, direction, gearing),
      mBase(CopyOf(base)),
      mMask(CopyOf(mask)),
      mTop(CopyOf(top)),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle) {}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics) {
  const double angle = mMinAngle + ClampToUnit(GetValue()) * (mMaxAngle - mMinAngle);
  const IChannelBlend blend = GetBlend();
  return graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &blend);
}
