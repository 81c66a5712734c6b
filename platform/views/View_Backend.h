#pragma once
// The seam between a view (Cocoa or Carbon rules, above) and what really shows
// pixels and takes input (headless or X11, below).
//
// A view attaches a client; the back end calls it from its own loop (or from a
// test's injections) on the thread that owns the back end. threads: main only.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "views/View_Events.h"
#include "views/View_FrameBuffer.h"
#include "views/View_Geometry.h"
#include "views/View_Menu.h"
#include "views/View_TextEntry.h"
#include "winemu/WinEmu_Types.h"

class ViewClient {
public:
  virtual ~ViewClient() = default;
  virtual void ViewTimer() = 0;
  // Repaint `area` (window pixels); the client presents through ViewBackend::Present.
  virtual void ViewDraw(const ViewRect& area) = 0;
  virtual void ViewMouse(const ViewMouseEvent& event) = 0;
  virtual void ViewWheel(const ViewWheelEvent& event) = 0;
  // Keys while no text entry is open.
  virtual void ViewKey(const ViewKeyEvent& event) = 0;
  // The open text entry was ended by its filter (Return); the client reads the text
  // and closes the entry.
  virtual void ViewTextEntryEnded() = 0;
  // Escape in the open text entry: the client closes it and applies nothing.
  virtual void ViewTextEntryCancelled() = 0;
  virtual void ViewDeactivated() = 0;
  // The user asks to close the window; false keeps it open (the client may ask
  // through a modal box first).
  virtual bool ViewMayClose() { return true; }
  // The window was closed by the user; the back end is detached already.
  virtual void ViewClosed() = 0;
  // The text shown at (x, y) (window pixels), as a screen reader would read it;
  // none where no text is shown.
  virtual std::optional<std::string> ViewTextAt(double, double) const { return std::nullopt; }
  // True while the client works with the outside world on a thread of its own (a
  // transfer with hardware), which a script waits out.
  // threads: any
  virtual bool ViewBusy() const { return false; }
};

struct ViewAlertButton {
  std::string label;
  enum class Role { Default, Alternate, Other } role = Role::Default;
  bool cancels = false;  // Escape answers with this button
};
enum class ViewAlertResponse { Dismissed, Default, Alternate, Other };

struct ViewAlert {
  std::string caption;
  std::string text;
  std::vector<ViewAlertButton> buttons;
};

struct ViewFilePrompt {
  bool save = false;
  std::string folder;              // start folder
  std::string name;                // start name
  std::vector<std::string> types;  // allowed extensions; empty: any
};

class ViewBackend {
public:
  virtual ~ViewBackend() = default;

  // Opens the view for `client` with a width x height area and a redraw timer
  // every `timerSeconds`. Replaces any client attached before.
  virtual void Attach(ViewClient* client, int width, int height, double timerSeconds) = 0;
  // The client gets no call after this returns.
  virtual void Detach() = 0;
  virtual bool IsAttached() const = 0;
  // Whether the host window composites (a Carbon notion; both back ends say yes by default).
  virtual bool IsComposited() const = 0;
  virtual void Resize(int width, int height) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Asks for a repaint of `area` (window pixels) at the next draw.
  virtual void Invalidate(const ViewRect& area) = 0;
  // Puts the panel's bitmap on screen (pixels as in ViewFrameBuffer, rowSpan in pixels):
  // during a repaint only the repainted area of it, else all of it.
  virtual void Present(const uint32_t* pixels, int width, int height, int rowSpan) = 0;
  virtual const ViewFrameBuffer& FrameBuffer() const = 0;

  // Runs the menu modally with its top-left at (x, y) in window pixels.
  virtual std::optional<ViewMenuChoice> RunPopupMenu(const ViewMenu& menu, int x, int y) = 0;

  // A one-line entry; keys go to it (not to the client) while it is open, and so do
  // clicks inside its rect.
  virtual void OpenTextEntry(const ViewTextEntrySpec& request) = 0;
  virtual bool IsTextEntryOpen() const = 0;
  virtual std::string TextEntryText() const = 0;
  virtual void CloseTextEntry() = 0;

  virtual ViewAlertResponse ShowMessageBox(const ViewAlert& alert) = 0;
  // The chosen path, or none when cancelled.
  virtual std::optional<std::string> PromptForPath(const ViewFilePrompt& prompt) = 0;
  // Shows a running dialog of the Windows-API emulation and takes the user's input
  // until the dialog ends or the view goes away. The back end attached last is the
  // emulation's modal driver, and its panel is the emulation's screen.
  virtual void RunDialog(HWND dialog) = 0;
  // Opens a web address or a file or folder path; false when nothing was opened.
  virtual bool OpenURL(const std::string& target) = 0;

  // Hides the pointer and reports where it was (screen pixels); false when it could not.
  virtual bool HideCursor(int* x, int* y) = 0;
  // Moves the pointer back and shows it; false when it could not.
  virtual bool ShowCursor(int x, int y) = 0;
  virtual void SetArrowCursor() = 0;
};

// What a view object offers to whoever shows it: the platform's "add to a window".
class ViewHostable {
public:
  virtual ~ViewHostable() = default;
  virtual void AttachToBackend(ViewBackend* backend) = 0;
  virtual void DetachFromBackend() = 0;
};
