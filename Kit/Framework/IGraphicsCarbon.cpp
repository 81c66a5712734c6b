#include "Framework/IGraphicsCarbon.h"

#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "Framework/IPopupMenu.h"
#include "Kit_Utf8.h"

std::string IGraphicsCarbon_CutText(const std::string& text, size_t bytes) {
  if (bytes == 0) return "";
  return text.substr(0, Kit_Utf8CutLength(text.data(), text.size(), bytes - 1));
}

IGraphicsCarbon::IGraphicsCarbon(IGraphicsMac* graphics, ViewBackend* window, void* control, short leftOffset,
                                 short topOffset)
    : graphics_(graphics), control_(control), leftOffset_(leftOffset), topOffset_(topOffset) {
  AttachToBackend(window);
}

IGraphicsCarbon::~IGraphicsCarbon() {
  if (window_) {
    if (TextEntryOpen()) window_->CloseTextEntry();
    window_->Detach();
  }
}

void IGraphicsCarbon::AttachToBackend(ViewBackend* window) {
  if (!window || !graphics_) return;
  if (window_ && window_ != window) window_->Detach();
  window_ = window;
  composited_ = window->IsComposited();
  window_->Attach(this, graphics_->Width(), graphics_->Height(), 1.0 / graphics_->FPS());
}

void IGraphicsCarbon::DetachFromBackend() {
  if (!window_) return;
  EndUserInput(false);
  window_->Detach();
  window_ = nullptr;
}

bool IGraphicsCarbon::ViewMayClose() { return !graphics_ || graphics_->PlugAllowsClose(); }

void IGraphicsCarbon::ViewClosed() {
  editedControl_ = nullptr;
  editedParam_ = nullptr;
  window_ = nullptr;
}

bool IGraphicsCarbon::Resize(int width, int height) {
  if (!window_) return false;
  window_->Resize(width, height);
  return true;
}

void IGraphicsCarbon::ViewTimer() {
  if (!window_) return;
  graphics_->OnGUIIdle();
  IRECT dirty;
  if (!graphics_->IsDirty(&dirty)) return;
  if (composited_)
    window_->Invalidate(CarbonPaneRect({dirty.L, dirty.T, dirty.R, dirty.B}));
  else
    window_->Invalidate({0, 0, window_->Width(), window_->Height()});
}

void IGraphicsCarbon::ViewDraw(const ViewRect& area) {
  IRECT r(0, 0, graphics_->Width(), graphics_->Height());
  if (composited_ && !area.IsEmpty()) r = IRECT(area.x, area.y, area.x + area.w, area.y + area.h);
  graphics_->Draw(&r);
}

// Read where a click at the same point would land.
std::optional<std::string> IGraphicsCarbon::ViewTextAt(double x, double y) const {
  const PanelPoint p = CarbonPanelPoint(x, y);
  return graphics_->TextAt(p.x, p.y);
}

bool IGraphicsCarbon::ViewBusy() const {
  const IModuleBase* plug = graphics_->GetPlug();
  return plug && plug->IsTransferring();
}

void IGraphicsCarbon::ViewMouse(const ViewMouseEvent& e) {
  if (e.button == ViewMouseButton::Other && e.action != ViewMouseAction::Move) return;
  const PanelPoint p = CarbonPanelPoint(e.x, e.y);
  IMouseMod mod = ToIMouseMod(CarbonMouseMod(e.button, e.mods));
  switch (e.action) {
    case ViewMouseAction::Down:
      // Clicks inside the entry stay with the entry (the window keeps them); any
      // other click commits it first.
      if (TextEntryOpen()) EndUserInput(true);
      if (e.clickCount < 2)
        graphics_->OnMouseDown(p.x, p.y, &mod);
      else
        graphics_->OnMouseDblClick(p.x, p.y, &mod);
      break;
    case ViewMouseAction::Up: graphics_->OnMouseUp(p.x, p.y, &mod); break;
    case ViewMouseAction::Move:
      mouseX_ = p.x;
      mouseY_ = p.y;
      graphics_->OnMouseOver(p.x, p.y, &mod);
      break;
    case ViewMouseAction::Drag:
      if (!TextEntryOpen()) graphics_->OnMouseDrag(p.x, p.y, &mod);
      break;
  }
}

void IGraphicsCarbon::ViewWheel(const ViewWheelEvent& e) {
  if (e.deltaY == 0) return;  // only the vertical axis
  EndUserInput(false);
  const PanelPoint p = CarbonPanelPoint(e.x, e.y);
  IMouseMod mod = ToIMouseMod(CarbonMouseMod(ViewMouseButton::Left, e.mods));
  graphics_->OnMouseWheel(p.x, p.y, &mod, int(e.deltaY));
}

void IGraphicsCarbon::ViewKey(const ViewKeyEvent& e) {
  if (TextEntryOpen()) return;
  if (const std::optional<int> key = CarbonPanelKey(e)) graphics_->OnKeyDown(mouseX_, mouseY_, *key);
}

IPopupMenu* IGraphicsCarbon::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) {
  if (!window_ || !menu || !rect || menu->GetNItems() == 0) return nullptr;
  const ViewMenu shown = IGraphicsMac_BuildViewMenu(menu);
  int x = 0, y = 0;
  CarbonPopupAnchor({rect->L, rect->T, rect->R, rect->B}, &x, &y);
  const std::optional<ViewMenuChoice> choice = window_->RunPopupMenu(shown, x, y);
  return IGraphicsMac_ApplyChoice(choice ? &*choice : nullptr);
}

void IGraphicsCarbon::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str, IParam* param) {
  if (!control || !text || !rect || !window_ || !composited_ || TextEntryOpen()) return;
  ViewTextEntrySpec request;
  request.rect = CarbonPaneRect({rect->L, rect->T, rect->R, rect->B});
  request.text = str ? str : "";
  request.selectAll = true;
  request.fontFace = text->font;
  request.fontSize = text->size;
  request.align = text->align == IText::kAlignCenter ? ViewTextAlign::Center
                  : text->align == IText::kAlignFar  ? ViewTextAlign::Right
                                                     : ViewTextAlign::Left;
  request.filter = CarbonEntryFilter(param ? int(param->Type()) : -1, control->GetTextEntryLength());
  window_->OpenTextEntry(request);
  editedControl_ = control;
  editedParam_ = param;
}

void IGraphicsCarbon::ViewTextEntryEnded() {
  IControl* control = editedControl_;
  EndUserInput(true);
  if (control) control->ReopenEntryAfterReturn();
}

void IGraphicsCarbon::ViewTextEntryCancelled() {
  IControl* control = editedControl_;
  if (!control) return;
  EndUserInput(false);
  control->TextEntryCancelled();
}

void IGraphicsCarbon::EndUserInput(bool commit) {
  if (!TextEntryOpen() || !window_) return;
  IControl* control = editedControl_;
  IParam* param = editedParam_;
  const std::string text = IGraphicsCarbon_CutText(window_->TextEntryText(), kEntryTextBytes);
  editedControl_ = nullptr;
  editedParam_ = nullptr;
  window_->CloseTextEntry();
  if (commit) {
    if (param)
      graphics_->SetFromStringAfterPrompt(control, param, text.c_str());
    else
      control->TextFromTextEntry(text.c_str());
  }
  window_->Invalidate({0, 0, window_->Width(), window_->Height()});
  window_->SetArrowCursor();
}
