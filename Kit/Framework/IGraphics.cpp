#include "Framework/IGraphics.h"

#include <cstdlib>
#include <cstring>

#include "Framework/ComposedBackdrop.h"
#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IControlBitmaps.h"
#include "Framework/IControlText.h"
#include "Framework/IGraphicsDraw.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "Framework/IPopupMenu.h"

namespace {
constexpr int kPromptTextSize = 64;

bool IsChoiceParam(const IParam* param) {
  return param->Type() == IParam::kTypeBool || param->Type() == IParam::kTypeEnum;
}
}  // namespace

IGraphics::IGraphics(IModuleBase* plug, int width, int height, int fps)
    : mPlug(plug),
      mBackdrop(std::make_unique<ComposedBackdrop>()),
      mWidth(width),
      mHeight(height),
      mFPS(fps < 1 ? kDefaultFPS : fps) {}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  for (int i = mControls.GetSize() - 1; i >= 0; --i) delete mControls.Get(i);
  for (int i = 0; i < mLayers.GetSize(); ++i) delete mLayers.Get(i);
  FreeBitmaps();
}

// ---- Attaching ----

int IGraphics::AttachControl(IControl* control) {
  mControls.Add(control);
  return mControls.GetSize() - 1;
}

int IGraphics::AttachLayer(ControlLayer* layer) {
  mLayers.Add(layer);
  return mLayers.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* control) {
  if (mKeyCatcher != control) delete mKeyCatcher;
  mKeyCatcher = control;
}

void IGraphics::InsertBackground(IControl* background) { mControls.Insert(kBackgroundIdx, background); }

void IGraphics::AttachBackground(int id, const char* name, double scale) {
  IBitmap bitmap = LoadIBitmap(id, name, scale, 1, false);
  InsertBackground(new IBitmapControl(mPlug, 0, 0, -1, &bitmap));
}

void IGraphics::AttachPanelBackground(const IColor* color) {
  InsertBackground(new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color));
}

// ---- Values from the plug-in ----

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->GetNormalized(value);
    param->SetNormalized(value);
  }
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->ReceiveParameterFromPlug(paramIdx, value);
  for (int i = 0; i < NLayers(); ++i) mLayers.Get(i)->SetParameterFromPlug(paramIdx, value, normalized);
}

void IGraphics::SetParametersFromPlug(const std::vector<double>& normalized) {
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->ReceiveParametersFromPlug(normalized);
  for (int i = 0; i < NLayers(); ++i) mLayers.Get(i)->SetParametersFromPlug(normalized);
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue) {
  if (IControl* control = GetControl(controlIdx)) control->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  for (int i = 0; i < NControls(); ++i) {
    IControl* control = mControls.Get(i);
    if (control->ParamIdx() == paramIdx) control->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized) {
  if (!normalized) {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (int i = 0; i < NControls(); ++i) {
    IControl* control = mControls.Get(i);
    if (control->ParamIdx() == paramIdx) control->SetClamp(lo, hi);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide) {
  for (int i = 0; i < NControls(); ++i) {
    IControl* control = mControls.Get(i);
    if (control->ParamIdx() == paramIdx) control->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool grey) {
  for (int i = 0; i < NControls(); ++i) {
    IControl* control = mControls.Get(i);
    if (control->ParamIdx() == paramIdx) control->GrayOut(grey);
  }
}

void IGraphics::SetAllControlsDirty() {
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict) {
  mStrict = strict;
  SetAllControlsDirty();
}

// ---- Redraw ----

bool IGraphics::IsDirty(IRECT* rect) {
  IRECT unused;
  if (!rect) rect = &unused;
  bool dirty = false;
  for (int i = kBackgroundIdx + 1; i < NControls(); ++i)
    if (AddToRedraw(mControls.Get(i), true, rect)) dirty = true;
  for (int i = 0; i < NLayers(); ++i)
    if (mLayers.Get(i)->isDirty(rect)) dirty = true;
  return dirty;
}

void IGraphics::DrawStrict(const IRECT& rect) {
  mDrawRECT = rect;
  mBackdropInUse = UpdateBackdrop();
  SetClip(rect);
  if (mBackdropInUse) mBackdrop->Restore(mDrawBitmap, rect);
  if (IControl* background = GetBackground()) DrawControl(background);
  for (int i = kBackgroundIdx + 1; i < NControls(); ++i) {
    IControl* control = mControls.Get(i);
    if (!control->IsHidden() && rect.Intersects(control->GetRECT())) DrawControl(control);
    control->SetClean();
  }
}

bool IGraphics::UpdateBackdrop() {
  if (!mComposing || !mDrawBitmap) return false;
  // The walk follows the order of a full redraw: the background, the shown
  // top-level controls, then the layers.
  mBackdrop->BeginWalk();
  for (int i = 0; i < NControls(); ++i) {
    IControl* control = mControls.Get(i);
    if (i == kBackgroundIdx || !control->IsHidden()) mBackdrop->Visit(control);
  }
  for (int i = 0; i < NLayers(); ++i)
    mLayers.Get(i)->VisitDrawn([this](IControl* control) { mBackdrop->Visit(control); });
  if (mBackdrop->WalkChanged(mWidth, mHeight)) {
    std::unique_ptr<IClipWindow> frameClip = std::move(mClip);
    mBackdrop->Compose(mWidth, mHeight, [this](IControl* control, Raster_IBitmap* into) {
      mClip = std::make_unique<IClipWindow>(into, IRECT(0, 0, mWidth, mHeight));
      control->Draw(this);
    });
    mClip = std::move(frameClip);
  }
  return true;
}

void IGraphics::SetComposedBackdrop(bool on) {
  mComposing = on;
  if (!on) mBackdrop->Reset();
}

void IGraphics::DrawControl(IControl* control) {
  const IRECT* hole = mBackdropInUse ? mBackdrop->Find(control) : nullptr;
  if (!hole) {
    if (mBackdropInUse) mBackdrop->DrawnOver(control->GetRECT().Intersect(mDrawRECT));
    control->Draw(this);
    return;
  }
  const IRECT part = hole->Intersect(mDrawRECT);
  if (part.W() <= 0 || part.H() <= 0) return;
  mBackdrop->DrawnOver(part);
  SetClip(part);
  control->Draw(this);
  SetClip(mDrawRECT);
}

void IGraphics::DrawDirtyOnly() {
  IControl* background = GetBackground();
  if (background && background->IsDirty()) {
    mDrawRECT = background->GetRECT();
    SetClip(mDrawRECT);
    for (int i = 0; i < NControls(); ++i) {
      IControl* control = mControls.Get(i);
      if (i == kBackgroundIdx || !control->IsHidden()) {
        control->Draw(this);
        control->SetClean();
      }
    }
    return;
  }
  for (int i = kBackgroundIdx + 1; i < NControls(); ++i) {
    IControl* dirty = mControls.Get(i);
    if (!dirty->IsDirty()) continue;
    mDrawRECT = dirty->GetRECT();
    SetClip(mDrawRECT);
    for (int j = 0; j < NControls(); ++j) {
      IControl* control = mControls.Get(j);
      if (!control->IsHidden() && (j == i || mDrawRECT.Intersects(control->GetRECT()))) control->Draw(this);
    }
    dirty->SetClean();
  }
}

bool IGraphics::Draw(IRECT* rect) {
  if (NControls() == 0 && NLayers() == 0) return true;
  mDrawing = true;
  if (mStrict)
    DrawStrict(rect ? *rect : IRECT());
  else
    DrawDirtyOnly();
  SetClip(mDrawRECT);
  for (int i = 0; i < NLayers(); ++i) mLayers.Get(i)->Draw(this, &mDrawRECT);
  if (!mBackdropInUse) mBackdrop->ForgetFrame();
  mBackdropInUse = false;
  mDrawing = false;
  SetClip(IRECT(0, 0, mWidth, mHeight));
  return DrawScreen(&mDrawRECT);
}

void IGraphics::PrepDraw() {
  FreeBitmaps();
  mDrawBitmap = new Raster_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new Raster_MemBitmap(0, 0, kLineAlign);
  SetClip(IRECT(0, 0, mWidth, mHeight));
}

void IGraphics::FreeBitmaps() {
  mClip.reset();
  mBackdrop->Reset();
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mTmpBitmap;
  mTmpBitmap = nullptr;
}

void IGraphics::Resize(int width, int height) {
  mWidth = width;
  mHeight = height;
  ReleaseMouseCapture();
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(width, height);
}

// ---- Events ----

IControl* IGraphics::HitTest(int x, int y, bool mouseOver) {
  for (int i = NLayers() - 1; i >= 0; --i)
    if (IControl* hit = mLayers.Get(i)->isHit(x, y)) return hit;
  for (int i = NControls() - 1; i >= 0; --i) {
    IControl* control = mControls.Get(i);
    if (control->IsHidden()) continue;
    if (control->IsGrayed() && !(mouseOver && control->GetMOWhenGrayed())) continue;
    if (control->IsHit(x, y)) return control;
  }
  return nullptr;
}

std::optional<std::string> IGraphics::TextAt(int x, int y) const {
  for (int i = NLayers() - 1; i >= 0; --i)
    if (ITextControl* text = mLayers.Get(i)->textControlAt(x, y)) return text->GetTextString();
  if (ITextControl* text = TopmostTextControlAt(mControls, x, y)) return text->GetTextString();
  return std::nullopt;
}

IControl* IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) {
  return mMouseCapture ? mMouseCapture : HitTest(x, y, mouseOver);
}

void IGraphics::ReleaseMouseCapture() {
  mMouseCapture = nullptr;
  mMouseX = mMouseY = -1;
}

IControl* IGraphics::GrayedControlAt(int x, int y) {
  // Layers lie above the panel's own controls: one that is hit takes the press.
  for (int i = NLayers() - 1; i >= 0; --i)
    if (mLayers.Get(i)->isHit(x, y)) return nullptr;
  for (int i = NControls() - 1; i >= 0; --i) {
    IControl* control = mControls.Get(i);
    if (!control->IsHidden() && control->IsHit(x, y)) return control->IsGrayed() ? control : nullptr;
  }
  return nullptr;
}

bool IGraphics::Allows(IControl* control, int x, int y) {
  return !control || !mPlug || mPlug->PanelInputAllowed(control, x, y);
}

bool IGraphics::Allows(IControl* control, const IRECT& at) {
  return Allows(control, (at.L + at.R) / 2, (at.T + at.B) / 2);
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  IControl* control = HitTest(x, y, false);
  mPressRefused = !Allows(control ? control : GrayedControlAt(x, y), x, y);
  if (mPressRefused) return;
  // A greyed control takes nothing, but the press on it is told, so the plug-in can say why.
  // The hit test passes over greyed controls to what lies below (a page's background).
  IControl* greyed = control && control->IsGrayed() ? control : GrayedControlAt(x, y);
  if (greyed && mPlug) {
    mPlug->OnGrayedControlClicked(greyed->ParamIdx());
    // Being told may un-grey it (a question answered): the press goes to what is hit now.
    control = HitTest(x, y, false);
  }
  if (!control) return;
  mMouseCapture = control;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseDown(x, y, mod);
  if (control->ParamIdx() >= 0 && mPlug) mPlug->BeginInformHostOfParamChange(control->ParamIdx());
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod) {
  IControl* control = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  if (!control || mPressRefused) return;
  control->OnMouseUp(x, y, mod);
  if (control->ParamIdx() >= 0 && mPlug) mPlug->EndInformHostOfParamChange(control->ParamIdx());
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod) {
  if (!mMouseCapture) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (dX == 0 && dY == 0) return;
  if (!Allows(mMouseCapture, x, y)) return;
  mMouseX = x;
  mMouseY = y;
  mMouseCapture->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  IControl* control = HitTest(x, y, false);
  // The second press of a double click: its release follows it, taken or refused.
  mPressRefused = control && !Allows(control, x, y);
  if (!control || mPressRefused) return false;
  if (control->GetMouseDblAsSingleClick()) {
    mMouseCapture = control;
    mMouseX = x;
    mMouseY = y;
    control->OnMouseDown(x, y, mod);
    return true;
  }
  control->OnMouseDblClick(x, y, mod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  IControl* control = GetMouseControlIdx(x, y);
  if (control && Allows(control, x, y)) control->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod) {
  if (!mHandleMouseOver) return false;
  IControl* control = GetMouseControlIdx(x, y, true);
  if (!control) return mHandleMouseOver;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseOver(x, y, mod);
  if (mMouseOver && mMouseOver != control) mMouseOver->OnMouseOut();
  mMouseOver = control;
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut() {
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = nullptr;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  IControl* control = GetMouseControlIdx(x, y);
  if (!Allows(control, x, y)) return true;
  if (control && control->OnKeyDown(x, y, key)) return true;
  // A key the control under the mouse leaves is the key catcher's.
  return mKeyCatcher && mKeyCatcher != control && mKeyCatcher->OnKeyDown(x, y, key);
}

void IGraphics::OnGUIIdle() {
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->OnGUIIdle();
  if (mPlug) mPlug->OnIdle();
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y) {
  IControl* control = GetMouseControlIdx(x, y);
  mLastClickedParam = control ? control->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation() {
  const int last = mLastClickedParam;
  mLastClickedParam = -1;
  return last;
}

// ---- Prompting ----

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* rect) {
  if (!control || !param || !rect) return;
  // Every menu opens here: a port menu lists the ports there are now.
  if (mPlug) mPlug->ListPortMenu(control->ParamIdx());
  char current[kPromptTextSize];
  const int nTexts = param->GetNDisplayTexts();
  if (IsChoiceParam(param) && nTexts > 0) {
    param->GetDisplayForHost(param->Value(), false, current, sizeof current, true);
    IPopupMenu menu;
    for (int i = 0; i < nTexts; ++i) {
      const std::string text = param->GetDisplayText(i);
      menu.AddItem(text.c_str(), -1, text == current ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
    }
    IPopupMenu* chosen = CreateIPopupMenu(&menu, rect);
    const int item = chosen ? chosen->GetChosenItemIdx() : -1;
    if (item < 0 || item >= nTexts) return;
    // A menu left open while the plug-in began to refuse the control: the choice is told, not taken.
    if (!Allows(control, *rect)) return;
    const double value = param->GetNormalized(item);
    if (value == control->GetValue() && param->GetRepeatedChoiceCounts())
      control->SetDirty(true);  // the value stays; the plug-in hears the choice all the same
    else
      control->SetValueFromUserInput(value);
    return;
  }
  param->GetDisplayForHost(param->Value(), false, current, sizeof current, param->Type() == IParam::kTypeText);
  CreateTextEntry(control, control->GetText(), rect, current, param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text) {
  if (!control || !param) return;
  if (!Allows(control, control->GetRECT())) return;
  if (!text) text = "";
  if (IsChoiceParam(param)) {
    int value = 0;
    param->MapDisplayText(text, &value);
    control->SetValueFromUserInput(param->GetNormalized(value));
  } else if (param->Type() == IParam::kTypeText) {
    param->SetDisplayText(0, text);
    // Toggle through another value so the plug-in hears of the new text even
    // when the control ends where it was.
    const double toggled = control->GetValue() == 0.0 ? 1.0 : 0.0;
    param->SetClamped(toggled);
    control->SetValueFromUserInput(toggled);
    control->SetValueFromUserInput(param->GetNormalized(0.0));
  } else {
    double value = std::atof(text);
    if (param->GetNegateDisplay()) value = -value;
    control->SetValueFromUserInput(param->GetNormalized(value));
  }
}

bool IGraphics::PlugAllowsClose() { return !mPlug || mPlug->OnGUICloseRequest(); }
