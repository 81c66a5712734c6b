#pragma once
// The picture of the progress overlay: covers the panel while a transfer runs.
// Clicks on it do nothing; the overlay's Cancel buttons lie above it on its layer.
// A click on a shown pass-through layer's control goes through to it: the program
// and bank selectors stay usable, so a program can be chosen while a transfer runs.
// A control passed through while a condition holds (the librarian's list while the
// row it sent is on the way) takes its clicks and keys the same way.
//
// threads: main (drawing, clicks, letsThrough and the conditions it asks; passThrough
// and passThroughWhile at build); shown and hidden as a whole
// by the plug-in from main and worker threads (IControl::Hide is atomic).

#include <functional>
#include <vector>

#include "Framework/IControlBitmaps.h"

class ControlLayer;

class ProgressIndicator : public IBitmapControl {
public:
  // Appends itself to `layer` and lets the layer report dirty controls while hidden,
  // so the overlay is drawn the moment it is shown.
  ProgressIndicator(ControlLayer* layer, IModuleBase* plug, int x, int y, int width, int height, int paramIdx,
                    IBitmap* image, IRECT rect);

  void OnMouseDown(int x, int y, IMouseMod* mod) override {}
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override {}
  bool Draw(IGraphics* graphics) override;
  bool IsHit(int x, int y) override;

  ControlLayer* layer() const { return mLayer; }
  // Clicks on the shown controls of `layer` pass through the picture.
  void passThrough(ControlLayer* layer) { mPassThrough.push_back(layer); }
  // Input on `control` passes through the picture while `when()` holds.
  void passThroughWhile(IControl* control, std::function<bool()> when) {
    mPassThroughWhile.push_back({control, std::move(when)});
  }
  // `control` lies on a pass-through layer, or is passed through now.
  bool letsThrough(const IControl* control) const;

private:
  struct WhileItHolds {
    IControl* control;
    std::function<bool()> when;
  };
  ControlLayer* mLayer;
  IRECT mDrawRect;
  std::vector<ControlLayer*> mPassThrough;
  std::vector<WhileItHolds> mPassThroughWhile;
};
