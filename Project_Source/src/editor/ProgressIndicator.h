#pragma once
// The picture of the progress overlay: covers the panel while a transfer runs.
// Clicks on it do nothing; the overlay's Cancel buttons lie above it on its layer.
//
// threads: main (drawing); shown and hidden as a whole by the plug-in from main
// and worker threads (IControl::Hide is atomic).

#include "IControlBitmaps.h"

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

  ControlLayer* layer() const { return mLayer; }

private:
  ControlLayer* mLayer;
  IRECT mDrawRect;
};
