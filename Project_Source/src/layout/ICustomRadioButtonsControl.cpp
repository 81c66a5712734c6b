#include "layout/ICustomRadioButtonsControl.h"

#include <algorithm>

#include "Framework/IGraphics.h"

namespace {

constexpr int kUnselectedState = 1;
constexpr int kSelectedState = 2;

}  // namespace

ICustomRadioButtonsControl::ICustomRadioButtonsControl(IModuleBase* plug, const IRECT& rect, int paramIdx, int nButtons,
                                                       const IBitmap* bitmap, EDirection direction)
    : IRadioButtonsControl(plug, rect, paramIdx, nButtons, bitmap, direction), mImage(bitmap ? *bitmap : IBitmap()) {
  const int n = std::max(NButtons(), 1);
  const bool stacked = !mImage.framesHorizontal;
  mCellWidth = stacked ? mImage.W / n : mImage.W / 2;
  mCellHeight = stacked ? mImage.H / 2 : mImage.H / n;
  const int frameHeight = int(double(mImage.H) / mImage.FrameCount());
  for (int i = 0; i < NButtons(); ++i) {
    SetButtonRECT(i,
                  direction == kHorizontal
                      ? IRECT(rect.L + i * mCellWidth, rect.T, rect.L + (i + 1) * mCellWidth, rect.T + frameHeight)
                      : IRECT(rect.L, rect.T + i * mCellHeight, rect.L + mCellWidth, rect.T + (i + 1) * mCellHeight));
  }
}

void ICustomRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (!(mod && mod->R) || mRightActsAsLeft) OnMouseDownCustom(x, y, mod);
  SetDirty(true);
}

void ICustomRadioButtonsControl::OnMouseDownCustom(int x, int y, IMouseMod* mod) {
  if (mod && mod->R && !mRightActsAsLeft) return;
  const int n = NButtons();
  for (int i = 0; i < n; ++i) {
    if (mHighestSelectable >= 0 && i > mHighestSelectable) break;
    const IRECT button = GetButtonRECT(i);
    if (button.Empty() || !button.Contains(x, y)) continue;
    // Groups of fewer than two buttons are refused by the factory; a lone one means 0.
    SetValue(n > 1 ? double(i) / (n - 1) : 0.0);
    break;
  }
  SetDirty(true);
}

bool ICustomRadioButtonsControl::Draw(IGraphics* graphics) {
  const int n = NButtons();
  if (n < 1) return true;
  const int selected = std::clamp(int(ClampToUnit(GetValue()) * (n - 1) + 0.5), 0, n - 1);
  IChannelBlend blend = GetBlend();
  blend.weight = 1.0f;  // the group draws at full weight even greyed
  const bool stacked = !mImage.framesHorizontal;
  bool result = true;
  for (int i = 0; i < n; ++i) {
    IRECT button = GetButtonRECT(i);
    const int state = i == selected && mDrawSelected ? kSelectedState : kUnselectedState;
    result = graphics->DrawBitmap(&mImage, &button, state, stacked ? i * mCellWidth : 0, stacked ? 0 : i * mCellHeight,
                                  &blend);
  }
  return result;
}
