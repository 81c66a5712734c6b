#pragma once
// A modal interaction the back end runs inside the panel (popup menu, message box,
// path prompt): it takes the input until it is done and draws itself on top.

#include "rasteriser/Raster.h"
#include "views/View_Events.h"
#include "views/View_Geometry.h"
#include "views/View_OverlayPainter.h"

class ViewModalSession {
public:
  virtual ~ViewModalSession() = default;
  virtual void Mouse(const ViewMouseEvent& event) = 0;
  virtual void Key(const ViewKeyEvent& event) = 0;
  virtual bool Done() const = 0;
  // The area the session covers now (window pixels).
  virtual ViewRect Bounds() const = 0;
  virtual void Draw(Raster_IBitmap* dest, ViewOverlayPainter& painter) = 0;
};
