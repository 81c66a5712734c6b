#pragma once
// The panel in a Carbon window, for hosts that ask for a Carbon view: the same
// role as the Cocoa view with the Carbon rules (pane coordinates, the Command
// click as right button, the per-key filter of the text entry, deactivation
// discarding the entry). The window is a ViewBackend.
//
// threads: main only.

#include <string>

#include "views/View_Backend.h"
#include "views/View_CarbonRules.h"

class IControl;
class IGraphicsMac;
class IParam;
class IPopupMenu;
struct IRECT;
struct IText;

class IGraphicsCarbon : public ViewHostable, private ViewClient {
public:
  // Bytes of the entry's text handed on when it is committed (with the terminator).
  static constexpr size_t kEntryTextBytes = 64;

  // Attaches the pane to `window` with a timer at the surface's frame rate.
  // `control` (the host's pane parent) and the offsets are kept only.
  IGraphicsCarbon(IGraphicsMac* graphics, ViewBackend* window, void* control, short leftOffset, short topOffset);
  ~IGraphicsCarbon() override;
  IGraphicsCarbon(const IGraphicsCarbon&) = delete;
  IGraphicsCarbon& operator=(const IGraphicsCarbon&) = delete;

  void AttachToBackend(ViewBackend* window) override;
  void DetachFromBackend() override;

  ViewBackend* Backend() const { return window_; }
  bool IsComposited() const { return composited_; }
  bool TextEntryOpen() const { return editedControl_ != nullptr; }
  int MouseX() const { return mouseX_; }
  int MouseY() const { return mouseY_; }
  void* Control() const { return control_; }
  short LeftOffset() const { return leftOffset_; }
  short TopOffset() const { return topOffset_; }

  // True when the pane took the new size.
  bool Resize(int width, int height);
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect);
  // Only with a control, in a composited window, while no entry is open.
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str, IParam* param);
  void EndUserInput(bool commit);

private:
  void ViewTimer() override;
  void ViewDraw(const ViewRect& area) override;
  void ViewMouse(const ViewMouseEvent& event) override;
  void ViewWheel(const ViewWheelEvent& event) override;
  void ViewKey(const ViewKeyEvent& event) override;
  void ViewTextEntryEnded() override;
  void ViewTextEntryCancelled() override;
  void ViewDeactivated() override { EndUserInput(false); }
  bool ViewMayClose() override;
  void ViewClosed() override;
  std::optional<std::string> ViewTextAt(double x, double y) const override;
  bool ViewBusy() const override;

  IGraphicsMac* graphics_;
  bool composited_ = true;
  ViewBackend* window_ = nullptr;
  void* control_;
  IControl* editedControl_ = nullptr;
  IParam* editedParam_ = nullptr;
  int mouseX_ = 0, mouseY_ = 0;
  short leftOffset_, topOffset_;
};

// The first `bytes` - 1 bytes of a UTF-8 text at most, never cutting a character.
std::string IGraphicsCarbon_CutText(const std::string& text, size_t bytes);
