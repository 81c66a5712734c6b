#pragma once
// The host's side of the plug-in's panel: asks the bundle for its view (through
// the Carbon view entry, whose window argument is our view back end), shows it in
// an X11 window when a display is present and headless otherwise, writes a PNG of
// it, and with --panel keeps the window open until the user closes it (or its X
// server goes away).
// threads: main

#include <functional>
#include <string>

#include "AudioUnitAPI.h"
#include "HostOptions.h"
#include "PluginBundle.h"

// With a script the panel is headless and driven by it (HostScript.h), `render`
// rendering its blocks and `clock` giving the host's tempo and transport; the picture
// is taken afterwards. False with `error` set when
// the bundle has no view, the plug-in no panel, the script fails or the picture
// cannot be written.
class HostClock;

// The window's life as the host sees it: `whileOpen` starts what runs while the
// window is on screen (the render thread) and returns what ends it; ShowHostPanel
// reports whether a window was shown and whether its display was lost.
struct HostWindow {
  std::function<std::function<void()>()> whileOpen;
  bool shown = false;
  bool displayLost = false;
};

bool ShowHostPanel(const PluginBundle& bundle, AudioUnit unit, const HostOptions& options, const std::string& script,
                   const std::function<bool(long blocks)>& render, HostClock& clock, HostWindow* window,
                   std::string& error);
