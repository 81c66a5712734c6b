#pragma once
// What both back ends share: the client, the size, the invalid area, the frame
// buffer, the open text entry and the routing of input between entry and client.
// Each back end supplies the native parts (showing, modal interactions, URLs).

#include <memory>
#include <optional>

#include "views/View_Backend.h"

class ViewBackendCore : public ViewBackend {
public:
  ~ViewBackendCore() override { Detach(); }
  void Attach(ViewClient* client, int width, int height, double timerSeconds) override;
  void Detach() override;
  bool IsAttached() const override { return client_ != nullptr; }
  void Resize(int width, int height) override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void Invalidate(const ViewRect& area) override;
  void Present(const uint32_t* pixels, int width, int height, int rowSpan) override;
  const ViewFrameBuffer& FrameBuffer() const override { return frame_; }
  void OpenTextEntry(const ViewTextEntrySpec& request) override;
  bool IsTextEntryOpen() const override { return entry_.has_value(); }
  std::string TextEntryText() const override;
  void CloseTextEntry() override;

  double TimerSeconds() const { return timerSeconds_; }
  // Makes this panel the Windows-API emulation's screen (dialogs centre on it).
  void SetScreen() const;
  // What the client shows as text at (x, y) (window pixels); none when detached.
  std::optional<std::string> TextAt(double x, double y) const;
  // Whether the client says it is busy (ViewClient::ViewBusy); false when detached.
  bool ClientBusy() const { return client_ && client_->ViewBusy(); }
  // The area waiting for a repaint (empty when none).
  ViewRect InvalidArea() const { return invalid_; }

protected:
  // Routing of input, as the native loop or a test delivers it.
  void DeliverMouse(const ViewMouseEvent& event);
  void DeliverWheel(const ViewWheelEvent& event);
  void DeliverKey(const ViewKeyEvent& event);
  void DeliverTimer();
  void DeliverDeactivated();
  // Lets the client repaint the invalid area; returns that area (empty: nothing to do).
  ViewRect DrawInvalidArea();
  // The window went away: detaches, then tells the client.
  void DeliverClosed();
  // The user asks to close: the client's answer (true without a client).
  bool DeliverCloseRequest();

  const ViewTextEntry* Entry() const { return entry_ ? &*entry_ : nullptr; }

  // Hooks for the native side.
  virtual void OnAttached() {}
  virtual void OnDetached() {}
  virtual void OnResized() {}
  // `area` of the frame buffer changed and should reach the screen.
  virtual void OnPresented(const ViewRect& area) {}
  // The text entry opened, changed or closed.
  virtual void OnEntryChanged() {}

private:
  ViewClient* client_ = nullptr;
  int width_ = 0, height_ = 0;
  double timerSeconds_ = 0.04;
  ViewRect invalid_;
  std::optional<ViewRect> drawing_;  // the area of the repaint in progress
  ViewFrameBuffer frame_;
  std::optional<ViewTextEntry> entry_;
  bool pressInEntry_ = false;
};
