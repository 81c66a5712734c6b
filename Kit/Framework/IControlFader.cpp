#include "Framework/IControlFader.h"

#include "Framework/IGraphics.h"

IFaderControl::IFaderControl(IModuleBase* plug, int x, int y, int length, int paramIdx, const IBitmap* bitmap,
                             EDirection direction, bool onlyHandle)
    : IControl(plug, IRECT(), paramIdx),
      mLength(length),
      mBitmap(bitmap ? *bitmap : IBitmap()),
      mDirection(direction),
      mOnlyHandle(onlyHandle) {
  if (direction == kHorizontal) {
    mRECT = IRECT(x, y, x + length, y + mBitmap.FrameHeight());
    mHandleSize = mBitmap.FrameWidth();
  } else {
    mRECT = IRECT(x, y, x + mBitmap.FrameWidth(), y + length);
    mHandleSize = mBitmap.FrameHeight();
  }
  mTargetRECT = mRECT;
}

IRECT IFaderControl::GetHandleRECT(double value) const {
  value = ClampToUnit(value < 0.0 ? GetValue() : value);
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.FrameWidth(), mRECT.T + mBitmap.FrameHeight());
  const int travel = Travel() > 0 ? Travel() : 0;
  if (mDirection == kHorizontal) {
    const int shift = int(value * travel);
    r.L += shift;
    r.R += shift;
  } else {
    const int shift = int((1.0 - value) * travel);
    r.T += shift;
    r.B += shift;
  }
  return r;
}

void IFaderControl::SnapToMouse(int x, int y) {
  if (Travel() <= 0) return;
  const int half = mHandleSize / 2;
  if (mDirection == kHorizontal)
    mValue.store(double(x - half - mRECT.L) / Travel());
  else
    mValue.store(1.0 - double(y - half - mRECT.T) / Travel());
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (IsGrayed()) return;
  if (mod && mod->R)
    PromptUserInput();
  else
    SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) {
  if (!IsGrayed()) SnapToMouse(x, y);
}

bool IFaderControl::Draw(IGraphics* graphics) {
  IRECT handle = GetHandleRECT();
  const IChannelBlend blend = GetBlend();
  return graphics->DrawBitmap(&mBitmap, &handle, 1, &blend);
}

bool IFaderControl::IsHit(int x, int y) {
  if (mOnlyHandle) return GetHandleRECT().Contains(x, y);
  return IControl::IsHit(x, y);
}
