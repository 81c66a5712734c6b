#include "HostPanel.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ComponentManager.h"
#include "HostScript.h"
#include "HostSignals.h"
#include "views/View_Headless.h"
#include "views/View_X11.h"

namespace {

// An X11 window when a display is named and answers, else the headless back end.
std::unique_ptr<ViewBackendCore> MakeBackend(bool scripted, bool* windowed) {
  *windowed = false;
  const char* display = std::getenv("DISPLAY");
  if (!scripted && display && *display) {
    std::string error;
    if (std::unique_ptr<X11ViewBackend> x11 = X11ViewBackend::Open(nullptr, &error)) {
      *windowed = true;
      return x11;
    }
    std::printf("panel: %s; drawing it headless\n", error.c_str());
  }
  return std::make_unique<HeadlessViewBackend>();
}

// Lets the panel draw itself once: the first turns of the window's loop, or one
// timer tick without a screen.
void DrawOnce(ViewBackendCore& backend, bool windowed) {
  if (!windowed) {
    static_cast<HeadlessViewBackend&>(backend).Tick();
    return;
  }
  auto& x11 = static_cast<X11ViewBackend&>(backend);
  for (int turn = 0; turn < 50 && (turn < 3 || !x11.InvalidArea().IsEmpty()); ++turn) x11.PumpOnce();
}

}  // namespace

bool ShowHostPanel(const PluginBundle& bundle, AudioUnit unit, const HostOptions& options, const std::string& script,
                   const std::function<bool(long blocks)>& render, HostClock& clock, HostWindow* window,
                   std::string& error) {
  if (!bundle.viewEntry) {
    error = "the bundle names no view entry";
    return false;
  }
  bool windowed = false;
  std::unique_ptr<ViewBackendCore> backend = MakeBackend(!script.empty(), &windowed);
  const ComponentRecord viewComponent{{kAudioUnitCarbonViewComponentType, bundle.component.description.componentSubType,
                                       bundle.component.description.componentManufacturer, 0, 0},
                                      bundle.viewEntry};
  ComponentInstance view = nullptr;
  if (OpenAComponent(&viewComponent, &view) != noErr) {
    error = "cannot open the plug-in's view component";
    return false;
  }
  void* pane = nullptr;
  ViewBackend* paneWindow = backend.get();
  if (CallComponent(view, kAudioUnitCarbonViewCreateSelect, unit, static_cast<void*>(paneWindow), nullptr, nullptr,
                    nullptr, &pane) != noErr ||
      !backend->IsAttached()) {
    CloseComponent(view);
    error = "the plug-in has no panel";
    return false;
  }
  DrawOnce(*backend, windowed);
  std::printf("panel: %dx%d %s\n", backend->Width(), backend->Height(),
              windowed ? "in an X11 window" : "drawn headless (no display)");

  bool ok = true;
  if (!script.empty()) {
    HostScriptTarget target{static_cast<HeadlessViewBackend*>(backend.get()), unit, render, &clock};
    ok = RunHostScript(script, target, error);
    if (ok && !HostSignalReceived()) std::printf("script: %s done\n", script.c_str());
  }
  if (ok && !options.snapshotPath.empty()) {
    ok = backend->FrameBuffer().SavePng(options.snapshotPath, &error);
    if (ok) std::printf("snapshot: panel written to %s\n", options.snapshotPath.c_str());
  }
  if (ok && options.panel && windowed) {
    auto& x11 = static_cast<X11ViewBackend&>(*backend);
    const std::function<void()> end = window && window->whileOpen ? window->whileOpen() : nullptr;
    std::printf("panel: close the window to go on\n");
    x11.RunUntilClosed([] { return HostSignalReceived() != 0; });
    if (const int signal = HostSignalReceived()) std::printf("panel: signal %d; closing the window\n", signal);
    if (end) end();
    if (window) {
      window->shown = true;
      window->displayLost = x11.DisplayLost();
    }
    if (x11.DisplayLost()) std::printf("panel: the X display was lost\n");
  }
  CloseComponent(view);  // closes the plug-in's view before its window goes
  return ok;
}
