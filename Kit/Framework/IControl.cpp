#include "Framework/IControl.h"

#include "Framework/IControlText.h"
#include "Framework/IGraphics.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"

namespace {
constexpr float kGreyedWeight = 0.5f;
// The prompt used for a text entry: a 30 x 16 box centred on the control.
constexpr int kEntryHalfWidth = 15;
constexpr int kEntryHalfHeight = 8;
}  // namespace

IControl::IControl(IModuleBase* plug, const IRECT& rect, int paramIdx, int blendMethod)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlendMethod(blendMethod) {}

IControl::~IControl() = default;

void IControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (!IsGrayed() && mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  const double defaultValue = GetDefaultValue();
  if (IsGrayed() || defaultValue < 0.0) return;
  mValue.store(defaultValue);
  SetDirty(true);
}

void IControl::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  const bool fine = mod && (mod->S || mod->C);
  mValue.store(GetValue() + d * (fine ? 0.001 : 0.01));
  SetDirty(true);
}

void IControl::TakeValueFromOutside(double value, bool fromHardware) {
  if (mDefaultValue.load() < 0.0) {
    mValue.store(value);
    mDefaultValue.store(value);
    return;
  }
  if (value == GetValue()) return;
  mValue.store(value);
  // Redraw request before the dirty flag: see SetClean.
  mRedraw.store(true);
  if (fromHardware)
    SetDirty2(true);
  else
    SetDirty(false);
}

void IControl::SetValueFromPlug(double value) { TakeValueFromOutside(value, false); }

void IControl::SetValueFromHardware(double value) { TakeValueFromOutside(value, true); }

void IControl::Hide(bool hide) {
  const bool wasHidden = mHidden.exchange(hide);
  if (hide && !wasHidden)
    mVacated.store(true);
  else if (!hide)
    mVacated.store(false);  // shown again, it is dirty and repaints its own area
  mRedraw.store(true);
  SetDirty(false);
}

void IControl::TextEntryCancelled() {
  if (mPlug && mParamIdx >= 0) mPlug->OnTextEntryCancelled(mParamIdx);
}

void IControl::GrayOut(bool grey) {
  mGrayed.store(grey);
  // Greying also arrives from other threads through layer switching.
  mRedraw.store(true);
  SetDirty(false);
}

IChannelBlend IControl::GetBlend() const { return IChannelBlend(mBlendMethod, IsGrayed() ? kGreyedWeight : 1.0f); }

bool IControl::IsHit(int x, int y) { return !mTargetRECT.Empty() && mTargetRECT.Contains(x, y); }

void IControl::SetDirty(bool push) { MarkDirtyAndPush(push, false); }

void IControl::SetDirty2(bool push) { MarkDirtyAndPush(push, true); }

void IControl::MarkDirtyAndPush(bool push, bool fromHardware) {
  double value = GetValue();
  const double lo = mClampLo.load(), hi = mClampHi.load();
  // Written so that a value that is not a number becomes the low end.
  if (!(value >= lo))
    value = lo;
  else if (value > hi)
    value = hi;
  mValue.store(value);
  mDirty.store(true);
  if (!push || !mPlug || mParamIdx < 0) return;
  if (fromHardware)
    mPlug->SetParameterFromGUI2(mParamIdx, value);
  else
    mPlug->SetParameterFromGUI(mParamIdx, value);
  UpdateReadOuts(mPlug->GetParam(mParamIdx));
}

void IControl::UpdateReadOuts(IParam* param) {
  if (!param) return;
  if (mValDisplayControl) {
    char display[IParam::kDisplayBufferSize];
    param->GetDisplayForHost(param->Value(), false, display, sizeof display, true);
    mValDisplayControl->SetTextFromPlug(display);
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean() {
  // Another thread may mark the control between the draw and this call. It
  // requests a redraw before it sets dirty, so clearing dirty first and then
  // taking the request can never wipe out a change the draw did not show.
  mDirty.store(false);
  if (mRedraw.exchange(false)) mDirty.store(true);
}

bool IControl::IsDirty() { return mDirty.load(); }

void IControl::SetAuxParamValueFromPlug(int auxIndex, double value) {
  AuxParam* aux = GetAuxParam(auxIndex);
  if (!aux || aux->mValue.load() == value) return;
  aux->mValue.store(value);
  mRedraw.store(true);
  SetDirty(false);
}

void IControl::ReceiveParameterFromPlug(int paramIdx, double value) {
  if (mParamIdx == paramIdx) SetValueFromPlug(value);
  const int aux = AuxParamIdx(paramIdx);
  if (aux >= 0) SetAuxParamValueFromPlug(aux, value);
}

void IControl::ReceiveParametersFromPlug(const std::vector<double>& normalized) {
  const auto bound = [&](int paramIdx) { return paramIdx >= 0 && size_t(paramIdx) < normalized.size(); };
  if (bound(mParamIdx)) SetValueFromPlug(normalized[size_t(mParamIdx)]);
  for (int i = 0; i < NAuxParams(); ++i) {
    const int paramIdx = mAuxParams[size_t(i)]->mParamIdx;
    // Only the first record bound to a parameter takes it, as one at a time does.
    if (bound(paramIdx) && AuxParamIdx(paramIdx) == i) SetAuxParamValueFromPlug(i, normalized[size_t(paramIdx)]);
  }
}

void IControl::SetValueFromUserInput(double value) {
  if (value == GetValue()) return;
  mValue.store(value);
  SetDirty(true);
  mRedraw.store(true);
}

void IControl::PromptUserInput() {
  IParam* param = GetParam();
  if (!param || mDisablePrompt) return;
  IRECT rect = mRECT;
  if (param->GetNDisplayTexts() <= 0) {
    const int cx = int((mRECT.L + mRECT.R) * 0.5);
    const int cy = int((mRECT.T + mRECT.B) * 0.5);
    rect = IRECT(cx - kEntryHalfWidth, cy - kEntryHalfHeight, cx + kEntryHalfWidth, cy + kEntryHalfHeight);
  }
  if (IGraphics* graphics = GetGUI()) graphics->PromptUserInput(this, param, &rect);
  mRedraw.store(true);
}

void IControl::PromptUserInput(IRECT* rect) {
  if (mParamIdx < 0 || mDisablePrompt) return;
  IGraphics* graphics = GetGUI();
  if (graphics) graphics->PromptUserInput(this, GetParam(), rect);
  mRedraw.store(true);
}

void IControl::ReopenEntryAfterReturn() {
  if (mKeepsEntryAfterReturn && !IsHidden() && !IsGrayed()) PromptUserInput();
}

AuxParam* IControl::GetAuxParam(int i) { return i >= 0 && i < NAuxParams() ? mAuxParams[i].get() : nullptr; }

int IControl::AuxParamIdx(int paramIdx) const {
  for (int i = 0; i < NAuxParams(); ++i)
    if (mAuxParams[i]->mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::AddAuxParam(int paramIdx) { mAuxParams.push_back(std::make_unique<AuxParam>(paramIdx)); }

void IControl::SetAllAuxParamsFromGUI() {
  if (!mPlug) return;
  for (const auto& aux : mAuxParams) mPlug->SetParameterFromGUI(aux->mParamIdx, aux->mValue.load());
}

void IControl::GetClamp(double* lo, double* hi) const {
  if (lo) *lo = mClampLo.load();
  if (hi) *hi = mClampHi.load();
}

void IControl::SetClamp(double lo, double hi) {
  mClampLo.store(lo);
  mClampHi.store(hi);
}

IGraphics* IControl::GetGUI() const { return mPlug ? dynamic_cast<IGraphics*>(mPlug->GetGUI()) : nullptr; }

IParam* IControl::GetParam() const { return mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr; }

bool AddToRedraw(IControl* control, bool reports, IRECT* rect) {
  const bool hidden = control->IsHidden();
  const bool vacated = hidden && control->TakeVacatedArea();
  const bool changed = reports && control->IsDirty() && (!hidden || control->GetIgnoreHidden());
  if (!vacated && !changed) return false;
  *rect = rect->Union(control->GetRECT());
  return true;
}

bool operator==(const FixedDrawing& a, const FixedDrawing& b) {
  const IBitmap &x = a.image, &y = b.image;
  return x.data == y.data && x.W == y.W && x.H == y.H && x.N == y.N && x.framesHorizontal == y.framesHorizontal &&
         a.frame == b.frame && a.blend.method == b.blend.method && a.blend.weight == b.blend.weight && a.rect == b.rect;
}
