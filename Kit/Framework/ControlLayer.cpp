#include "Framework/ControlLayer.h"

#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IGraphics.h"

namespace {
// The id range of the custom zones and of the user arpeggiator pages.
constexpr int kCustomZoneFirst = 10;
constexpr int kZoneLast = 252;
constexpr int kUserArpFirst = 200;
}  // namespace

ControlLayer::ControlLayer(int id, std::string name) : mID(id), mName(std::move(name)) {}

ControlLayer::~ControlLayer() {
  for (int i = mControls.GetSize() - 1; i >= 0; --i) delete mControls.Get(i);
  for (int i = 0; i < mChildLayers.GetSize(); ++i) delete mChildLayers.Get(i);
}

void ControlLayer::ShowOnlyChild(int id) {
  SetActiveChildID(id);
  for (int i = 0; i < NChildLayers(); ++i)
    if (ControlLayer* child = GetChildLayer(i)) child->Hide(child->GetID() != id);
}

void ControlLayer::Hide(bool hide) {
  const bool wasShown = mShown.exchange(!hide);
  setControlsDirty();
  for (int i = 0; i < NControls(); ++i) {
    IControl* control = mControls.Get(i);
    control->Hide(hide);
    // Nothing of a layer that was not shown is on screen to repaint.
    if (hide && !wasShown) control->TakeVacatedArea();
  }
  const int active = GetActiveChildID();
  for (int i = 0; i < NChildLayers(); ++i) {
    ControlLayer* child = mChildLayers.Get(i);
    if (hide)
      child->Hide(true);
    else if (child->GetID() == active)
      child->Hide(false);
  }
}

void ControlLayer::setControlsDirty() {
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->SetDirty(false);
  for (int i = 0; i < NChildLayers(); ++i) mChildLayers.Get(i)->setControlsDirty();
}

void ControlLayer::GrayOut(bool grey) {
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->GrayOut(grey);
  const int active = GetActiveChildID();
  for (int i = 0; i < NChildLayers(); ++i) {
    ControlLayer* child = mChildLayers.Get(i);
    if (grey)
      child->GrayOut(true);
    else if (child->GetID() == active)
      child->GrayOut(false);
  }
}

void ControlLayer::GrayOutCustomZone(bool grey, int id) {
  SetActiveChildID(id);
  if (id < kCustomZoneFirst || id > kZoneLast) return;
  for (int i = 0; i < NChildLayers(); ++i) {
    ControlLayer* child = mChildLayers.Get(i);
    if (child->GetID() == id) child->GrayOut(grey);
  }
}

void ControlLayer::GrayOutUserArp(bool unused, int id, int limit) {
  SetActiveChildID(id);
  if (id < kUserArpFirst || id > kZoneLast) return;
  for (int i = 0; i < NChildLayers(); ++i) {
    ControlLayer* child = mChildLayers.Get(i);
    child->GrayOut(child->GetID() > limit && child->GetID() <= kZoneLast);
  }
}

void ControlLayer::setIgnoreHiddenWhenUpdatingScreen(bool ignore) {
  mIgnoreHidden.store(ignore);
  if (IControl* first = mControls.Get(0)) first->SetIgnoreHidden(ignore);
  for (int i = 0; i < NChildLayers(); ++i) mChildLayers.Get(i)->setIgnoreHiddenWhenUpdatingScreen(ignore);
}

bool ControlLayer::isDirty(IRECT* rect) { return collectDirty(rect, true); }

bool ControlLayer::collectDirty(IRECT* rect, bool parentReports) {
  const bool reports = parentReports && (IsShown() || GetIgnoreHidden());
  bool dirty = false;
  for (int i = 0; i < NControls(); ++i)
    if (AddToRedraw(mControls.Get(i), reports, rect)) dirty = true;
  for (int i = 0; i < NChildLayers(); ++i)
    if (mChildLayers.Get(i)->collectDirty(rect, reports)) dirty = true;
  return dirty;
}

void ControlLayer::VisitDrawn(const std::function<void(IControl*)>& visit) const {
  if (IsShown())
    for (int i = 0; i < NControls(); ++i)
      if (!mControls.Get(i)->IsHidden()) visit(mControls.Get(i));
  for (int i = 0; i < NChildLayers(); ++i) mChildLayers.Get(i)->VisitDrawn(visit);
}

void ControlLayer::Draw(IGraphics* graphics, const IRECT* rect) {
  const bool shown = IsShown();
  const bool drawable = rect && !rect->Empty();
  for (int i = 0; i < NControls(); ++i) {
    IControl* control = mControls.Get(i);
    if (shown && drawable && !control->IsHidden() && rect->Intersects(control->GetRECT()))
      graphics->DrawControl(control);
  }
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->SetClean();
  for (int i = 0; i < NChildLayers(); ++i) mChildLayers.Get(i)->Draw(graphics, rect);
}

IControl* ControlLayer::isHit(int x, int y) {
  if (!IsShown()) return nullptr;
  for (int i = NChildLayers() - 1; i >= 0; --i)
    if (IControl* hit = mChildLayers.Get(i)->isHit(x, y)) return hit;
  for (int i = NControls() - 1; i >= 0; --i) {
    IControl* control = mControls.Get(i);
    if (!control->IsHidden() && control->IsHit(x, y)) return control;
  }
  return nullptr;
}

ITextControl* ControlLayer::textControlAt(int x, int y) {
  if (!IsShown()) return nullptr;
  for (int i = NChildLayers() - 1; i >= 0; --i)
    if (ITextControl* found = mChildLayers.Get(i)->textControlAt(x, y)) return found;
  return TopmostTextControlAt(mControls, x, y);
}

IControl* ControlLayer::getControlFromParam(int paramIdx) {
  if (!IsShown()) return nullptr;
  for (int i = NChildLayers() - 1; i >= 0; --i)
    if (IControl* found = mChildLayers.Get(i)->getControlFromParam(paramIdx)) return found;
  for (int i = NControls() - 1; i >= 0; --i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) return mControls.Get(i);
  return nullptr;
}

void ControlLayer::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->ReceiveParameterFromPlug(paramIdx, value);
  for (int i = 0; i < NChildLayers(); ++i) mChildLayers.Get(i)->SetParameterFromPlug(paramIdx, value, normalized);
}

void ControlLayer::SetParametersFromPlug(const std::vector<double>& normalized) {
  for (int i = 0; i < NControls(); ++i) mControls.Get(i)->ReceiveParametersFromPlug(normalized);
  for (int i = 0; i < NChildLayers(); ++i) mChildLayers.Get(i)->SetParametersFromPlug(normalized);
}
