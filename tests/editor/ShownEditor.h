#pragma once
// The editor as a host shows it: its view attached to a headless window and the whole
// panel drawn once; the window is closed before the editor goes.

#include <cstdint>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "Framework/IGraphicsMac.h"
#include "ScreenPixels.h"
#include "views/View_Backend.h"
#include "views/View_Headless.h"

struct ShownEditor {
  explicit ShownEditor(const std::string& uiSettings = "", bool withSettings = false)
      : editor(uiSettings, withSettings) {
    static_cast<ViewHostable*>(editor.plug->graphics->OpenWindow(nullptr))->AttachToBackend(&window);
    window.Tick();  // the whole panel: the window is invalid when attached
  }
  ~ShownEditor() { editor.plug->graphics->CloseWindow(); }

  // What the window shows now.
  std::vector<uint32_t> Screen() const { return ScreenPixels(window.FrameBuffer()); }
  // What it shows once the panel has drawn every pixel again and presented them.
  std::vector<uint32_t> Redrawn() {
    window.Invalidate({0, 0, window.Width(), window.Height()});
    window.FlushDraws();
    return Screen();
  }

  EditorFixture editor;
  HeadlessViewBackend window;
};
