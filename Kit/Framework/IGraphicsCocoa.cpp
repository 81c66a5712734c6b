#include "Framework/IGraphicsCocoa.h"

#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "Framework/IPopupMenu.h"

IGraphicsCocoa_vTavro_au::IGraphicsCocoa_vTavro_au(IGraphicsMac* graphics)
    : graphics_(graphics), timerValid_(graphics != nullptr) {}

IGraphicsCocoa_vTavro_au::~IGraphicsCocoa_vTavro_au() {
  if (backend_) backend_->Detach();
}

int IGraphicsCocoa_vTavro_au::PanelHeight() const { return graphics_ ? graphics_->Height() : 0; }

void IGraphicsCocoa_vTavro_au::AttachToBackend(ViewBackend* backend) {
  if (!backend || !graphics_) return;
  if (backend_ && backend_ != backend) backend_->Detach();
  backend_ = backend;
  backend_->Attach(this, graphics_->Width(), graphics_->Height(), 1.0 / graphics_->FPS());
}

void IGraphicsCocoa_vTavro_au::setFrameSize(int width, int height) {
  if (backend_) backend_->Resize(width, height);
}

void IGraphicsCocoa_vTavro_au::detachFromSurface() {
  endUserInput();
  graphics_ = nullptr;
  if (backend_) backend_->Detach();
  backend_ = nullptr;
}

void IGraphicsCocoa_vTavro_au::removeFromSuperview() {
  endUserInput();
  IGraphicsMac* graphics = graphics_;
  detachFromSurface();
  if (graphics) graphics->CloseWindow();
}

bool IGraphicsCocoa_vTavro_au::ViewMayClose() { return !graphics_ || graphics_->PlugAllowsClose(); }

void IGraphicsCocoa_vTavro_au::ViewClosed() {
  backend_ = nullptr;  // the window is gone already
  removeFromSuperview();
}

void IGraphicsCocoa_vTavro_au::onTimer() {
  if (!timerValid_ || !graphics_ || !backend_) return;
  graphics_->OnGUIIdle();
  IRECT dirty;
  if (!graphics_->IsDirty(&dirty)) return;
  const CocoaRect r = CocoaViewRectFromPanel({dirty.L, dirty.T, dirty.R, dirty.B}, PanelHeight());
  backend_->Invalidate(CocoaWindowRectFromView(r, PanelHeight()));
}

void IGraphicsCocoa_vTavro_au::drawRect(const CocoaRect& rect) {
  if (!graphics_) return;
  const PanelRect p = CocoaPanelRectFromView(rect, PanelHeight());
  IRECT r(p.L, p.T, p.R, p.B);
  graphics_->Draw(&r);
}

void IGraphicsCocoa_vTavro_au::ViewDraw(const ViewRect& area) {
  drawRect(CocoaViewRectFromWindow(area, PanelHeight()));
}

PanelPoint IGraphicsCocoa_vTavro_au::MousePoint(double windowX, double windowY) {
  double vx = 0, vy = 0;
  CocoaViewPointFromWindow(windowX, windowY, PanelHeight(), &vx, &vy);
  const PanelPoint p = CocoaPanelPoint(vx, vy, PanelHeight());
  mouseX_ = p.x;
  mouseY_ = p.y;
  return p;
}

void IGraphicsCocoa_vTavro_au::ViewMouse(const ViewMouseEvent& e) {
  if (!graphics_ || e.button == ViewMouseButton::Other) return;
  const bool right = e.button == ViewMouseButton::Right;
  const PanelPoint p = MousePoint(e.x, e.y);
  IMouseMod mod = ToIMouseMod(CocoaMouseMod(e.mods, right && e.action != ViewMouseAction::Move));
  switch (e.action) {
    case ViewMouseAction::Down:
      // A press on the view takes the focus from the entry, which ends its editing.
      if (textEntryOpen()) controlTextDidEndEditing();
      if (!right && e.clickCount >= 2)
        graphics_->OnMouseDblClick(p.x, p.y, &mod);
      else
        graphics_->OnMouseDown(p.x, p.y, &mod);
      break;
    case ViewMouseAction::Up: graphics_->OnMouseUp(p.x, p.y, &mod); break;
    case ViewMouseAction::Drag:
      if (!textEntryOpen()) graphics_->OnMouseDrag(p.x, p.y, &mod);
      break;
    case ViewMouseAction::Move: graphics_->OnMouseOver(p.x, p.y, &mod); break;
  }
}

void IGraphicsCocoa_vTavro_au::ViewWheel(const ViewWheelEvent& e) {
  if (!graphics_) return;
  if (textEntryOpen()) endUserInput();  // closed without committing
  const PanelPoint p = MousePoint(e.x, e.y);
  IMouseMod mod = ToIMouseMod(CocoaMouseMod(e.mods, false));
  graphics_->OnMouseWheel(p.x, p.y, &mod, CocoaWheelDelta(e.deltaY));
}

void IGraphicsCocoa_vTavro_au::ViewKey(const ViewKeyEvent& e) {
  if (!graphics_) return;
  const CocoaKeyResult key = CocoaPanelKey(e);
  // Keys the panel does not take would go to the next responder; there is none here.
  if (key.outcome == CocoaKeyOutcome::PanelKey) graphics_->OnKeyDown(mouseX_, mouseY_, key.key);
}

IPopupMenu* IGraphicsCocoa_vTavro_au::createIPopupMenu(IPopupMenu* menu, const CocoaRect& rect) {
  if (!backend_ || !menu) return nullptr;
  if (textEntryOpen()) endUserInput();  // a new popup closes an open entry
  const ViewMenu shown = IGraphicsMac_BuildViewMenu(menu);
  int x = 0, y = 0;
  CocoaPopupAnchorFromView(rect, PanelHeight(), &x, &y);
  const std::optional<ViewMenuChoice> choice = backend_->RunPopupMenu(shown, x, y);
  return IGraphicsMac_ApplyChoice(choice ? &*choice : nullptr);
}

void IGraphicsCocoa_vTavro_au::createTextEntry(IControl* control, IParam* param, IText* text, const char* str,
                                               const CocoaRect& rect) {
  if (!control || !text || !backend_ || textEntryOpen()) return;
  ViewTextEntrySpec request;
  request.rect = CocoaWindowRectFromView(rect, PanelHeight());
  request.text = str ? str : "";
  request.selectAll = true;  // a field taking focus selects its text: typing replaces it
  request.fontFace = "Monaco";
  request.fontSize = CocoaEntryFontSize(text->size);
  request.align = text->align == IText::kAlignCenter ? ViewTextAlign::Center
                  : text->align == IText::kAlignFar  ? ViewTextAlign::Right
                                                     : ViewTextAlign::Left;
  request.foreground = uint32_t(text->textEntryFGColor.R) << 16 | uint32_t(text->textEntryFGColor.G) << 8 |
                       uint32_t(text->textEntryFGColor.B);
  request.background = uint32_t(text->textEntryBGColor.R) << 16 | uint32_t(text->textEntryBGColor.G) << 8 |
                       uint32_t(text->textEntryBGColor.B);
  std::optional<CocoaFormatter> formatter;
  if (param) formatter = CocoaFormatterForParamType(int(param->Type()), control->GetTextEntryLength());
  request.filter = [formatter](const ViewKeyEvent& key, const std::string&, const std::string& proposed) {
    const ViewEntryVerdict standard = ViewDefaultEntryVerdict(key);
    if (standard != ViewEntryVerdict::Insert || !formatter) return standard;
    return formatter->IsPartialStringValid(proposed) ? ViewEntryVerdict::Insert : ViewEntryVerdict::Refuse;
  };
  backend_->OpenTextEntry(request);
  editedControl_ = control;
  editedParam_ = param;
}

void IGraphicsCocoa_vTavro_au::controlTextDidEndEditing() {
  if (!backend_ || !textEntryOpen()) return;
  const std::string text = backend_->TextEntryText();
  if (graphics_) {
    if (editedParam_)
      graphics_->SetFromStringAfterPrompt(editedControl_, editedParam_, text.c_str());
    else
      editedControl_->TextFromTextEntry(text.c_str());
  }
  endUserInput();
  if (backend_) backend_->Invalidate({0, 0, backend_->Width(), backend_->Height()});
}

void IGraphicsCocoa_vTavro_au::ViewTextEntryEnded() {
  IControl* control = editedControl_;
  controlTextDidEndEditing();
  if (control) control->ReopenEntryAfterReturn();
}

void IGraphicsCocoa_vTavro_au::ViewTextEntryCancelled() {
  if (!textEntryOpen()) return;
  IControl* control = editedControl_;
  endUserInput();
  if (graphics_) control->TextEntryCancelled();
  if (backend_) backend_->Invalidate({0, 0, backend_->Width(), backend_->Height()});
}

void IGraphicsCocoa_vTavro_au::endUserInput() {
  if (backend_) {
    backend_->CloseTextEntry();
    backend_->SetArrowCursor();
  }
  editedControl_ = nullptr;
  editedParam_ = nullptr;
}
