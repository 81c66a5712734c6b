#pragma once
// A view client for back-end tests: records what it is told and paints a solid
// colour (changed by clicks) when asked to draw.

#include <string>
#include <vector>

#include "views/View_Backend.h"

class RecordingClient : public ViewClient {
public:
  explicit RecordingClient(ViewBackend* backend) : backend_(backend) {}

  void ViewTimer() override { ++timers; }
  void ViewDraw(const ViewRect& area) override {
    draws.push_back(area);
    const int w = backend_->Width(), h = backend_->Height();
    std::vector<uint32_t> px(size_t(w) * size_t(h), colour);
    backend_->Present(px.data(), w, h, w);
  }
  void ViewMouse(const ViewMouseEvent& e) override { mice.push_back(e); }
  void ViewWheel(const ViewWheelEvent& e) override { wheels.push_back(e); }
  void ViewKey(const ViewKeyEvent& e) override { keys.push_back(e); }
  void ViewTextEntryEnded() override {
    committed.push_back(backend_->TextEntryText());
    backend_->CloseTextEntry();
  }
  void ViewTextEntryCancelled() override {
    ++cancels;
    backend_->CloseTextEntry();
  }
  void ViewDeactivated() override { ++deactivations; }
  void ViewClosed() override { ++closes; }

  uint32_t colour = 0xFF;  // opaque black in the panel's format
  int timers = 0, deactivations = 0, closes = 0, cancels = 0;
  std::vector<ViewRect> draws;
  std::vector<ViewMouseEvent> mice;
  std::vector<ViewWheelEvent> wheels;
  std::vector<ViewKeyEvent> keys;
  std::vector<std::string> committed;

private:
  ViewBackend* backend_;
};
