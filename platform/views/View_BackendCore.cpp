#include "views/View_BackendCore.h"

#include <algorithm>
#include <vector>

#include "winemu/WinEmu_Dialog.h"
#include "winemu/WinEmu_Window.h"

namespace {

// Dialogs run inside a panel: the last back end attached shows them, and its panel
// is the emulation's screen. The driver in force before the first attach is put
// back when the last one detaches.
struct DialogHosts {
  std::vector<ViewBackendCore*> attached;
  WinEmu_ModalDriver outer;

  void Add(ViewBackendCore* backend) {
    Remove(backend);
    if (attached.empty()) outer = WinEmu_SetModalDriver([this](HWND dialog) { attached.back()->RunDialog(dialog); });
    attached.push_back(backend);
    Top()->SetScreen();
  }
  void Remove(ViewBackendCore* backend) {
    const auto found = std::find(attached.begin(), attached.end(), backend);
    if (found == attached.end()) return;
    attached.erase(found);
    if (attached.empty()) {
      WinEmu_SetModalDriver(std::move(outer));
      outer = nullptr;
    } else {
      Top()->SetScreen();
    }
  }
  ViewBackendCore* Top() const { return attached.back(); }
};

DialogHosts& Hosts() {
  static DialogHosts hosts;
  return hosts;
}

}  // namespace

void ViewBackendCore::SetScreen() const { WinEmu_SetScreenSize(width_, height_); }

void ViewBackendCore::Attach(ViewClient* client, int width, int height, double timerSeconds) {
  if (client_) Detach();
  client_ = client;
  timerSeconds_ = timerSeconds > 0 ? timerSeconds : 0.04;
  width_ = width;
  height_ = height;
  frame_.Resize(width, height);
  invalid_ = {0, 0, width, height};
  Hosts().Add(this);
  OnAttached();
}

void ViewBackendCore::Detach() {
  if (!client_) return;
  Hosts().Remove(this);
  entry_.reset();
  client_ = nullptr;
  invalid_ = {};
  OnDetached();
}

void ViewBackendCore::Resize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  frame_.Resize(width, height);
  invalid_ = {0, 0, width, height};
  if (client_ && Hosts().Top() == this) SetScreen();
  OnResized();
}

void ViewBackendCore::Invalidate(const ViewRect& area) {
  invalid_ = ViewRectUnion(invalid_, ViewRectClip(area, width_, height_));
}

void ViewBackendCore::Present(const uint32_t* pixels, int width, int height, int rowSpan) {
  // Only the area being repainted reaches the screen, so only it is taken: the rest
  // of the bitmap may hold what no repaint has asked for yet.
  const ViewRect area = drawing_ ? *drawing_ : ViewRect{0, 0, width_, height_};
  frame_.CopyFrom(pixels, width, height, rowSpan, area);
  OnPresented(area);
}

void ViewBackendCore::OpenTextEntry(const ViewTextEntrySpec& request) {
  entry_.emplace(request);
  OnEntryChanged();
}

std::string ViewBackendCore::TextEntryText() const { return entry_ ? entry_->Text() : std::string(); }

std::optional<std::string> ViewBackendCore::TextAt(double x, double y) const {
  return client_ ? client_->ViewTextAt(x, y) : std::nullopt;
}

void ViewBackendCore::CloseTextEntry() {
  if (!entry_) return;
  entry_.reset();
  OnEntryChanged();
}

void ViewBackendCore::DeliverMouse(const ViewMouseEvent& event) {
  if (!client_) return;
  // A press inside the open entry is the entry's, and so are the drags and the
  // release that follow it; everything else (the release of the click that opened
  // the entry included) goes to the client that got the press.
  switch (event.action) {
    case ViewMouseAction::Down:
      pressInEntry_ = entry_ && entry_->Request().rect.Contains(int(event.x), int(event.y));
      if (pressInEntry_) return;
      break;
    case ViewMouseAction::Up:
      if (pressInEntry_) {
        pressInEntry_ = false;
        return;
      }
      break;
    case ViewMouseAction::Drag:
      if (pressInEntry_) return;
      break;
    case ViewMouseAction::Move: break;
  }
  client_->ViewMouse(event);
}

void ViewBackendCore::DeliverWheel(const ViewWheelEvent& event) {
  if (client_) client_->ViewWheel(event);
}

void ViewBackendCore::DeliverKey(const ViewKeyEvent& event) {
  if (!client_) return;
  if (!entry_) {
    client_->ViewKey(event);
    return;
  }
  if (event.keyCode == kViewKeyEscape) {
    client_->ViewTextEntryCancelled();
    return;
  }
  const bool ended = entry_->HandleKey(event);
  OnEntryChanged();
  if (ended) client_->ViewTextEntryEnded();
}

void ViewBackendCore::DeliverTimer() {
  if (client_) client_->ViewTimer();
}

void ViewBackendCore::DeliverDeactivated() {
  if (client_) client_->ViewDeactivated();
}

ViewRect ViewBackendCore::DrawInvalidArea() {
  const ViewRect area = ViewRectClip(invalid_, width_, height_);
  invalid_ = {};
  if (!client_ || area.IsEmpty()) return {};
  drawing_ = area;
  client_->ViewDraw(area);
  drawing_.reset();
  return area;
}

bool ViewBackendCore::DeliverCloseRequest() { return !client_ || client_->ViewMayClose(); }

void ViewBackendCore::DeliverClosed() {
  ViewClient* client = client_;
  Detach();
  if (client) client->ViewClosed();
}
