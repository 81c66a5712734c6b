#pragma once
// Knobs: dragging changes the value (IKnobControl); they differ in how they
// draw: a radial line (IKnobLineControl), a rotated image
// (IKnobRotaterControl), one frame of a strip (IKnobMultiControl, the knob the
// layout uses) or a rotated mask between a base and a top image
// (IKnobRotatingMaskControl).

#include "Framework/IControl.h"

class IKnobControl : public IControl {
public:
  static constexpr double kDefaultGearing = 4.0;

  IKnobControl(IModuleBase* plug, const IRECT& rect, int paramIdx, EDirection direction = kVertical,
               double gearing = kDefaultGearing);

  // Dragging by the knob's size over the gearing changes the value by 1
  // (ten times finer with Shift or Control). A knob of zero size ignores drags.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;

protected:
  EDirection mDirection;
  double mGearing;
};

class IKnobLineControl : public IKnobControl {
public:
  // Angles in radians, 0 pointing up; an outer radius of 0 means half the
  // rect's width.
  IKnobLineControl(IModuleBase* plug, const IRECT& rect, int paramIdx, const IColor* color, float innerRadius = 0.0f,
                   float outerRadius = 0.0f, float minAngle = -0.75f * float(kIGraphicsPi),
                   float maxAngle = 0.75f * float(kIGraphicsPi), EDirection direction = kVertical,
                   double gearing = kDefaultGearing);
  bool Draw(IGraphics* graphics) override;

private:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

class IKnobRotaterControl : public IKnobControl {
public:
  // Angles in radians; the image turns about the rect's centre.
  IKnobRotaterControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap, double minAngle,
                      double maxAngle, int yOffsetZeroDeg = 0, EDirection direction = kVertical,
                      double gearing = kDefaultGearing);
  bool Draw(IGraphics* graphics) override;

private:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

class IKnobMultiControl : public IKnobControl {
public:
  // rect = (x, y, x + frame width, y + frame height).
  IKnobMultiControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                    EDirection direction = kVertical, double gearing = kDefaultGearing);
  bool Draw(IGraphics* graphics) override;

private:
  IBitmap mBitmap;
};

class IKnobRotatingMaskControl : public IKnobControl {
public:
  // Angles in degrees; rect = the base image at (x, y).
  IKnobRotatingMaskControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* base, const IBitmap* mask,
                           const IBitmap* top, double minAngle, double maxAngle, EDirection direction = kVertical,
                           double gearing = kDefaultGearing);
  bool Draw(IGraphics* graphics) override;

private:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};
