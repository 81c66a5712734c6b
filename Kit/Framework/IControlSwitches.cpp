#include "Framework/IControlSwitches.h"

#include <algorithm>

#include "Framework/IGraphics.h"

namespace {
constexpr double kWrapAbove = 1.001;
constexpr int kOffFrame = 1;
constexpr int kOnFrame = 2;
}  // namespace

double NextSwitchValue(double value, int frames) {
  const double step = frames < 2 ? 1.0 : 1.0 / (frames - 1);
  const double next = value + step;
  return next > kWrapAbove ? 0.0 : next;
}

ISwitchControl::ISwitchControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap, int blendMethod)
    : IBitmapControl(plug, x, y, paramIdx, bitmap, blendMethod) {}

void ISwitchControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (IsGrayed()) return;
  mValue.store(NextSwitchValue(GetValue(), mBitmap.N));
  SetDirty(true);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  if (!IsGrayed()) OnMouseDown(x, y, mod);
}

void ISwitchPopUpControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  PromptUserInput();
  SetDirty(true);
}

void IContactControl::OnMouseUp(int x, int y, IMouseMod* mod) {
  mValue.store(0.0);
  SetDirty(true);
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IModuleBase* plug, const IRECT& rect, int paramIdx)
    : IControl(plug, rect, paramIdx, IChannelBlend::kBlendClobber) {
  mDisablePrompt = true;
}

void IInvisibleSwitchControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (IsGrayed()) return;
  mValue.store(GetValue() < 0.5 ? 1.0 : 0.0);
  SetDirty(true);
}

IRadioButtonsControl::IRadioButtonsControl(IModuleBase* plug, const IRECT& rect, int paramIdx, int nButtons,
                                           const IBitmap* bitmap, EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap()) {
  const int n = std::max(nButtons, 0);
  const int w = mBitmap.FrameWidth(), h = mBitmap.FrameHeight();
  const bool horizontal = direction == kHorizontal;
  const int size = horizontal ? w : h;
  const int span = horizontal ? rect.W() : rect.H();
  const double gap = n > 1 ? double(span - n * size) / (n - 1) : 0.0;
  const int start = horizontal ? (reverse ? rect.R - w : rect.L) : (reverse ? rect.B - h : rect.T);
  const double stepSign = reverse ? -1.0 : 1.0;
  int pos = start;
  for (int i = 0; i < n; ++i) {
    mButtons.push_back(horizontal ? IRECT(pos, rect.T, pos + w, rect.T + h) : IRECT(rect.L, pos, rect.L + w, pos + h));
    pos = int(pos + stepSign * (size + gap));
  }
}

double IRadioButtonsControl::ValueStep() const { return NButtons() > 1 ? 1.0 / (NButtons() - 1) : 0.0; }

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (IsGrayed()) return;
  if (mod && mod->R) {
    PromptUserInput();
    return;
  }
  for (int i = 0; i < NButtons(); ++i) {
    if (mButtons[i].Contains(x, y)) {
      mValue.store(i * ValueStep());
      break;
    }
  }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics) {
  const int n = NButtons();
  const int chosen = std::max(int(ClampToUnit(GetValue()) * (n - 1) + 0.5), 0);
  const IChannelBlend blend = GetBlend();
  bool result = true;
  for (int i = 0; i < n; ++i) {
    IRECT button = mButtons[i];
    result = graphics->DrawBitmap(&mBitmap, &button, i == chosen ? kOnFrame : kOffFrame, &blend);
  }
  return result;
}

IRECT IRadioButtonsControl::GetButtonRECT(int i) const { return i >= 0 && i < NButtons() ? mButtons[i] : IRECT(); }

void IRadioButtonsControl::SetButtonRECT(int i, const IRECT& rect) {
  if (i >= 0 && i < NButtons()) mButtons[i] = rect;
}

IBitmapOverlayControl::IBitmapOverlayControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                             const IRECT& targetArea)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(targetArea) {}

bool IBitmapOverlayControl::Draw(IGraphics* graphics) {
  if (GetValue() < 0.5) {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(graphics);
}
