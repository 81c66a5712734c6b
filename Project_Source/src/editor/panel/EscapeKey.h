#pragma once
// The panel's key catcher: Escape closes the topmost window that has a Close
// button (the first-run notice, About, MIDI Filters, Performance Settings) as its
// Close button does, wherever the mouse is. It takes no other key.
//
// threads: main.

#include "Framework/IControl.h"

class Tavro;

class EscapeKey : public IControl {
public:
  explicit EscapeKey(Tavro* plug);
  bool Draw(IGraphics*) override { return true; }
  bool OnKeyDown(int x, int y, int key) override;

private:
  Tavro* mTavro;
};
