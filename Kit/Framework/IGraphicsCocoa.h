#pragma once
// The panel's view on the Cocoa path, standing in for the platform's view class:
// a redraw timer at the panel's frame rate asks the surface what is dirty and
// invalidates it; the draw call makes the surface draw; mouse, wheel and key
// events become panel coordinates, IMouseMod flags and panel keys; popup menus
// and the one-line text entry (with its formatter) run through the back end.
//
// The host shows the view by attaching it to a ViewBackend (its window); the
// back end then drives it. The surface owns the view; a closed view stays alive
// (detached, inert) as long as the surface, since the host may still hold it.
//
// threads: main only.

#include "views/View_Backend.h"
#include "views/View_CocoaRules.h"

class IControl;
class IGraphicsMac;
class IParam;
class IPopupMenu;
struct IText;

class IGraphicsCocoa_vTavro_au : public ViewHostable, private ViewClient {
public:
  // init: no graphics, no timer.
  IGraphicsCocoa_vTavro_au() = default;
  // initWithIGraphics: the panel's size, the timer at the surface's frame rate.
  explicit IGraphicsCocoa_vTavro_au(IGraphicsMac* graphics);
  ~IGraphicsCocoa_vTavro_au() override;
  IGraphicsCocoa_vTavro_au(const IGraphicsCocoa_vTavro_au&) = delete;
  IGraphicsCocoa_vTavro_au& operator=(const IGraphicsCocoa_vTavro_au&) = delete;

  // Added to a window (the host's superview): starts receiving the timer and events.
  void AttachToBackend(ViewBackend* backend) override;
  // The host removes the view: as removeFromSuperview.
  void DetachFromBackend() override { removeFromSuperview(); }

  ViewBackend* Backend() const { return backend_; }
  IGraphicsMac* graphics() const { return graphics_; }
  bool isOpaque() const { return graphics_ != nullptr; }
  bool timerValid() const { return timerValid_; }
  int mouseX() const { return mouseX_; }
  int mouseY() const { return mouseY_; }
  bool textEntryOpen() const { return editedControl_ != nullptr; }

  void setFrameSize(int width, int height);
  void killTimer() { timerValid_ = false; }
  void removeFromSuperview();
  // Used by the surface's CloseWindow: forgets the surface and leaves the window.
  void detachFromSurface();
  void drawRect(const CocoaRect& rect);
  void onTimer();

  // Runs the menu modally; the menu (or submenu) holding the chosen item, with its
  // chosen index set, or null.
  IPopupMenu* createIPopupMenu(IPopupMenu* menu, const CocoaRect& rect);
  // Only with a control and while no entry is open.
  void createTextEntry(IControl* control, IParam* param, IText* text, const char* str, const CocoaRect& rect);
  void controlTextDidEndEditing();
  void endUserInput();

private:
  void ViewTimer() override { onTimer(); }
  void ViewDraw(const ViewRect& area) override;
  void ViewMouse(const ViewMouseEvent& event) override;
  void ViewWheel(const ViewWheelEvent& event) override;
  void ViewKey(const ViewKeyEvent& event) override;
  void ViewTextEntryEnded() override;
  void ViewTextEntryCancelled() override;
  void ViewDeactivated() override {}
  bool ViewMayClose() override;
  void ViewClosed() override;

  PanelPoint MousePoint(double windowX, double windowY);
  int PanelHeight() const;

  IGraphicsMac* graphics_ = nullptr;
  ViewBackend* backend_ = nullptr;
  bool timerValid_ = false;
  IControl* editedControl_ = nullptr;
  IParam* editedParam_ = nullptr;
  int mouseX_ = 0, mouseY_ = 0;
};
