#pragma once
// A bitmap fader: a handle image travelling along a track of fixed length.
// Value 1 puts the handle at the top (vertical) or the right (horizontal).

#include "Framework/IControl.h"

class IFaderControl : public IControl {
public:
  // length: pixels of travel including the handle. onlyHandle: hit only on
  // the handle.
  IFaderControl(IModuleBase* plug, int x, int y, int length, int paramIdx, const IBitmap* bitmap,
                EDirection direction = kVertical, bool onlyHandle = false);

  // Left button: the handle jumps under the mouse; right button: the prompt.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  bool IsHit(int x, int y) override;

  // Where the handle is drawn for value (a negative value means the current);
  // a value above 1 counts as 1.
  IRECT GetHandleRECT(double value = -1.0) const;
  // Sets the value that centres the handle on the point and pushes it. A
  // fader whose length is not more than its handle has no travel and keeps
  // its value.
  void SnapToMouse(int x, int y);

private:
  int Travel() const { return mLength - mHandleSize; }

  int mLength;
  int mHandleSize;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};
