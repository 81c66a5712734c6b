#pragma once
// Buttons: stepping switches (ISwitchControl), a switch that opens the value
// prompt (ISwitchPopUpControl), momentary contacts (IContactControl), an
// invisible toggle (IInvisibleSwitchControl), radio groups
// (IRadioButtonsControl) and an overlay that catches clicks over its whole
// rect only while it is on (IBitmapOverlayControl).

#include <vector>

#include "Framework/IControlBitmaps.h"

// The value after one switch click on a strip of `frames` frames: steps by
// 1 / (frames - 1) (by 1 with fewer than two frames), wrapping to 0 past 1.
double NextSwitchValue(double value, int frames);

class ISwitchControl : public IBitmapControl {
public:
  ISwitchControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone);
  // Not greyed: steps to the next frame's value and pushes it.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // One more click.
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
};

class ISwitchPopUpControl : public ISwitchControl {
public:
  using ISwitchControl::ISwitchControl;
  // Opens the value prompt, then pushes the value.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

class IContactControl : public ISwitchControl {
public:
  using ISwitchControl::ISwitchControl;
  // The value returns to 0 and is pushed.
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

class IInvisibleSwitchControl : public IControl {
public:
  IInvisibleSwitchControl(IModuleBase* plug, const IRECT& rect, int paramIdx);
  // Not greyed: toggles between 0 and 1 and pushes.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override { return true; }
};

class IRadioButtonsControl : public IControl {
public:
  // bitmap: two frames, off and on. reverse puts button 0 at the far end.
  IRadioButtonsControl(IModuleBase* plug, const IRECT& rect, int paramIdx, int nButtons, const IBitmap* bitmap,
                       EDirection direction = kVertical, bool reverse = false);
  // Right button: the prompt. Otherwise the hit button's value is pushed
  // (the unchanged value when no button is hit).
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // The chosen button in frame 2, the others in frame 1.
  bool Draw(IGraphics* graphics) override;

  int NButtons() const { return int(mButtons.size()); }
  // (0, 0, 0, 0) outside the group.
  IRECT GetButtonRECT(int i) const;
  // Derived groups may lay their buttons out themselves.
  void SetButtonRECT(int i, const IRECT& rect);

private:
  // 1 / (buttons - 1), or 0 for a group with fewer than two buttons.
  double ValueStep() const;

  std::vector<IRECT> mButtons;
  IBitmap mBitmap;
};

class IBitmapOverlayControl : public ISwitchControl {
public:
  // While off, the control is hit only inside targetArea.
  IBitmapOverlayControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap, const IRECT& targetArea);
  // Off: nothing drawn and the target rect becomes the target area; on: the
  // frame is drawn and the whole rect is hit.
  bool Draw(IGraphics* graphics) override;

private:
  IRECT mTargetArea;
};
