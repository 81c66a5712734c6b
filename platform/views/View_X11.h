#pragma once
// The back end with a real window on an X server.
//
// A fixed-size window shows the panel; only the areas repainted (or exposed) are
// sent to the server. Input arrives as Xlib events: buttons 4 and 5 are the wheel,
// Shift, Control and Alt the modifiers, double clicks are counted here. Popup
// menus, the text entry, message boxes and the path prompt are drawn inside the
// panel with the rasteriser. Web addresses and folders open through xdg-open.
//
// threads: main only (the thread that opened it runs its loop).

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "views/View_BackendCore.h"
#include "views/View_ClickCounter.h"
#include "views/View_ModalSession.h"
#include "views/View_OverlayPainter.h"

struct _XDisplay;
typedef struct _XDisplay Display;
struct _XImage;

class X11ViewBackend : public ViewBackendCore {
public:
  // Connects to `displayName` (null: $DISPLAY). Null, with the reason, when the
  // server cannot be reached or offers no true-colour visual.
  static std::unique_ptr<X11ViewBackend> Open(const char* displayName, std::string* error);
  ~X11ViewBackend() override;
  X11ViewBackend(const X11ViewBackend&) = delete;
  X11ViewBackend& operator=(const X11ViewBackend&) = delete;

  // Turns the loop until the window is closed, the display is lost or `stop` (asked
  // after each turn, at the timer's pace at least) says so.
  void RunUntilClosed(const std::function<bool()>& stop = nullptr);
  // The connection to the server broke (the server died or the link went): the
  // window counts as closed, its client heard ViewClosed, and the loop turns no more.
  bool DisplayLost() const { return displayLost_; }
  // One turn: waits for events at most until the timer is due, handles them, fires
  // the timer when due, lets the client repaint and shows what changed.
  void PumpOnce();

  Display* XDisplay() const { return display_; }
  unsigned long WindowId() const { return window_; }
  // The window pixel as the screen shows it (0xRRGGBB), read back from the image
  // sent to the server; for comparing with the server's own copy.
  uint32_t ShownPixel(int x, int y) const;
  // The program OpenURL starts ("xdg-open").
  void SetOpener(std::string program) { opener_ = std::move(program); }

  bool IsComposited() const override { return true; }
  std::optional<ViewMenuChoice> RunPopupMenu(const ViewMenu& menu, int x, int y) override;
  ViewAlertResponse ShowMessageBox(const ViewAlert& alert) override;
  std::optional<std::string> PromptForPath(const ViewFilePrompt& prompt) override;
  void RunDialog(HWND dialog) override;
  bool OpenURL(const std::string& target) override;
  bool HideCursor(int* x, int* y) override;
  bool ShowCursor(int x, int y) override;
  void SetArrowCursor() override;

private:
  X11ViewBackend(Display* display);
  // Xlib's exit handler for a broken connection; marks the display lost and returns.
  static void OnDisplayLost(Display* display, void* self);

  void OnAttached() override;
  void OnDetached() override;
  void OnResized() override;
  void OnPresented(const ViewRect& area) override;
  void OnEntryChanged() override;

  void CreateWindow();
  void DestroyWindow();
  void MakeImage();
  void ReleaseImage();
  void HandleEvent(void* xevent);
  // The open modal session takes an input (what it covered before and after is
  // shown again); without one the client does.
  template <typename Event>
  void Route(const Event& event, void (ViewModalSession::*toSession)(const Event&),
             void (ViewBackendCore::*toClient)(const Event&));
  void RouteMouse(const ViewMouseEvent& event);
  void RouteKey(const ViewKeyEvent& event);
  void RunModal(ViewModalSession& session);
  void MarkScreen(const ViewRect& area);
  // Builds the composed picture of the marked area (panel plus widgets), sends it
  // and clears the mark.
  void ShowMarked();
  uint32_t ToVisual(uint32_t panelPixel) const;

  Display* display_;
  unsigned long window_ = 0;
  unsigned long deleteAtom_ = 0;
  unsigned long arrowCursor_ = 0, blankCursor_ = 0;
  void* gc_ = nullptr;
  _XImage* image_ = nullptr;
  std::vector<uint32_t> composed_;  // panel format: the frame buffer plus the widgets
  std::vector<uint32_t> visual_;    // the server's format, what image_ points to
  int redShift_ = 16, greenShift_ = 8, blueShift_ = 0;
  ViewRect screenDirty_;
  ViewRect lastEntryRect_;
  ViewModalSession* modal_ = nullptr;
  ViewOverlayPainter painter_;       // the widgets' own font
  ViewOverlayPainter entryPainter_;  // the open entry's font
  std::string entryFont_;            // face and size entryPainter_ holds
  ViewClickCounter clicks_;
  uint64_t nextTickMicros_ = 0;
  std::string opener_ = "xdg-open";
  std::vector<pid_t> children_;
  bool displayLost_ = false;
};
