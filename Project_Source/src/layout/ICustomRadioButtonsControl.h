#pragma once
// A radio group drawn from one image holding every button twice: a row (or column)
// of unselected buttons and one of selected buttons. Each button shows its own cell
// of the image; the selected one is taken from the selected half.
//
// threads: main (drawing and clicks), any (values pushed in); as IControl.

#include "Framework/IControlSwitches.h"

class ICustomRadioButtonsControl : public IRadioButtonsControl {
public:
  // Frames stacked (direction horizontal): buttons side by side, cells W / n by H / 2.
  // Frames side by side (direction vertical): buttons stacked, cells W / 2 by H / n.
  ICustomRadioButtonsControl(IModuleBase* plug, const IRECT& rect, int paramIdx, int nButtons, const IBitmap* bitmap,
                             EDirection direction);

  // A right click selects nothing; either way the value is pushed.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override {}
  void OnMouseOver(int x, int y, IMouseMod* mod) override {}
  void OnMouseOut() override { SetDirty(false); }
  bool Draw(IGraphics* graphics) override;

  // The first button under the point (none above the highest selectable) sets the value.
  void OnMouseDownCustom(int x, int y, IMouseMod* mod);

  int CellWidth() const { return mCellWidth; }
  int CellHeight() const { return mCellHeight; }

private:
  IBitmap mImage;
  bool mRightActsAsLeft = false;
  bool mDrawSelected = true;
  int mCellWidth = 0;
  int mCellHeight = 0;
  int mHighestSelectable = -1;
};
