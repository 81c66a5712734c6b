#include "views/View_X11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <sys/select.h>

#include <algorithm>
#include <cstdio>

#include "Kit_TimeSource.h"
#include "views/View_AlertSession.h"
#include "views/View_DialogSession.h"
#include "views/View_Launcher.h"
#include "views/View_PathPromptSession.h"
#include "views/View_PopupSession.h"
#include "views/View_X11Input.h"

namespace {

int ShiftOfMask(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

GC AsGC(void* gc) { return static_cast<GC>(gc); }

// A press or release of a button other than the wheel.
ViewMouseEvent ButtonEvent(ViewMouseAction action, const XButtonEvent& b) {
  ViewMouseEvent e;
  e.action = action;
  e.button = X11MouseButton(b.button);
  e.x = b.x;
  e.y = b.y;
  e.mods = X11Modifiers(b.state);
  return e;
}

}  // namespace

namespace {

// Xlib's default handler exits the process; ours says so and leaves the ending to
// the display's exit handler (below, for our displays; exit for any other).
int ReportBrokenConnection(Display* display) {
  std::fprintf(stderr, "X connection to %s broken\n", DisplayString(display));
  return 0;
}

}  // namespace

void X11ViewBackend::OnDisplayLost(Display*, void* self) {
  // Returning (instead of Xlib's exit) leaves the display marked dead: later calls
  // on it return at once, and the loop ends the window on its next turn.
  static_cast<X11ViewBackend*>(self)->displayLost_ = true;
}

std::unique_ptr<X11ViewBackend> X11ViewBackend::Open(const char* displayName, std::string* error) {
  Display* display = XOpenDisplay(displayName);
  if (!display) {
    if (error) *error = std::string("cannot open X display ") + (displayName ? displayName : "(DISPLAY)");
    return nullptr;
  }
  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  const int depth = DefaultDepth(display, screen);
  if (visual->c_class != TrueColor || (depth != 24 && depth != 32)) {
    XCloseDisplay(display);
    if (error) *error = "the X display offers no 24-bit true-colour visual";
    return nullptr;
  }
  return std::unique_ptr<X11ViewBackend>(new X11ViewBackend(display));
}

X11ViewBackend::X11ViewBackend(Display* display) : display_(display) {
  XSetIOErrorHandler(&ReportBrokenConnection);
  XSetIOErrorExitHandler(display_, &X11ViewBackend::OnDisplayLost, this);
  Visual* visual = DefaultVisual(display_, DefaultScreen(display_));
  redShift_ = ShiftOfMask(visual->red_mask);
  greenShift_ = ShiftOfMask(visual->green_mask);
  blueShift_ = ShiftOfMask(visual->blue_mask);
  deleteAtom_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  arrowCursor_ = XCreateFontCursor(display_, XC_left_ptr);
  static char blank = 0;
  Pixmap empty = XCreateBitmapFromData(display_, DefaultRootWindow(display_), &blank, 1, 1);
  XColor black{};
  blankCursor_ = XCreatePixmapCursor(display_, empty, empty, &black, &black, 0, 0);
  XFreePixmap(display_, empty);
}

X11ViewBackend::~X11ViewBackend() {
  Detach();
  if (!displayLost_) {
    DestroyWindow();
    XFreeCursor(display_, arrowCursor_);
    XFreeCursor(display_, blankCursor_);
  }
  ReleaseImage();
  XCloseDisplay(display_);
}

void X11ViewBackend::OnAttached() {
  DestroyWindow();
  CreateWindow();
  nextTickMicros_ = Kit_Time().NowMicros();
}

void X11ViewBackend::OnDetached() {
  // The window stays until the next attach or the end, as a closed view leaves
  // the host's window; nothing is drawn into it any more.
  modal_ = nullptr;
}

void X11ViewBackend::OnResized() {
  if (!window_) return;
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize;
  hints.min_width = hints.max_width = Width();
  hints.min_height = hints.max_height = Height();
  XSetWMNormalHints(display_, window_, &hints);
  XResizeWindow(display_, window_, unsigned(Width()), unsigned(Height()));
  MakeImage();
}

void X11ViewBackend::CreateWindow() {
  const int screen = DefaultScreen(display_);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display_, screen);
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                          FocusChangeMask | StructureNotifyMask;
  window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, unsigned(std::max(Width(), 1)),
                          unsigned(std::max(Height(), 1)), 0, CopyFromParent, InputOutput, CopyFromParent,
                          CWBackPixel | CWEventMask, &attributes);
  XStoreName(display_, window_, "Tavro Editor");
  Atom protocols[] = {Atom(deleteAtom_)};
  XSetWMProtocols(display_, window_, protocols, 1);
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  XDefineCursor(display_, window_, arrowCursor_);
  OnResized();
  XMapWindow(display_, window_);
  XFlush(display_);
}

void X11ViewBackend::DestroyWindow() {
  ReleaseImage();
  // The GC's memory is ours to free even on a lost display; its request goes nowhere.
  if (gc_) XFreeGC(display_, AsGC(gc_));
  gc_ = nullptr;
  if (displayLost_) {
    window_ = 0;
    return;
  }
  if (window_) XDestroyWindow(display_, window_);
  window_ = 0;
  XFlush(display_);
}

void X11ViewBackend::ReleaseImage() {
  if (!image_) return;
  image_->data = nullptr;  // the pixels are ours
  XDestroyImage(image_);
  image_ = nullptr;
}

void X11ViewBackend::MakeImage() {
  ReleaseImage();
  const size_t count = size_t(Width()) * size_t(Height());
  composed_.assign(count, PanelPixelFromRgb(0, 0, 0));
  visual_.assign(count, 0);
  if (count == 0) return;
  const int screen = DefaultScreen(display_);
  image_ =
      XCreateImage(display_, DefaultVisual(display_, screen), unsigned(DefaultDepth(display_, screen)), ZPixmap, 0,
                   reinterpret_cast<char*>(visual_.data()), unsigned(Width()), unsigned(Height()), 32, Width() * 4);
  screenDirty_ = {0, 0, Width(), Height()};
}

uint32_t X11ViewBackend::ToVisual(uint32_t p) const {
  return uint32_t(PanelPixelRed(p)) << redShift_ | uint32_t(PanelPixelGreen(p)) << greenShift_ |
         uint32_t(PanelPixelBlue(p)) << blueShift_;
}

uint32_t X11ViewBackend::ShownPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height() || composed_.empty()) return 0;
  return PanelPixelRgb(composed_[size_t(y) * size_t(Width()) + size_t(x)]);
}

void X11ViewBackend::MarkScreen(const ViewRect& area) {
  screenDirty_ = ViewRectUnion(screenDirty_, ViewRectClip(area, Width(), Height()));
}

void X11ViewBackend::OnPresented(const ViewRect& area) { MarkScreen(area); }

void X11ViewBackend::OnEntryChanged() {
  MarkScreen(lastEntryRect_);
  lastEntryRect_ = {};
  if (const ViewTextEntry* entry = Entry()) {
    lastEntryRect_ = entry->Request().rect;
    const std::string font = entry->Request().fontFace + "/" + std::to_string(entry->Request().fontSize);
    if (font != entryFont_) entryPainter_.SetFont(entry->Request().fontFace, entry->Request().fontSize);
    entryFont_ = font;
  }
  MarkScreen(lastEntryRect_);
}

void X11ViewBackend::ShowMarked() {
  const ViewRect area = ViewRectClip(screenDirty_, Width(), Height());
  screenDirty_ = {};
  if (!window_ || !image_ || area.IsEmpty()) return;
  const ViewFrameBuffer& frame = FrameBuffer();
  const int w = Width();
  for (int y = area.y; y < area.y + area.h; ++y)
    std::copy_n(frame.Row(y) + area.x, area.w, composed_.begin() + (size_t(y) * size_t(w) + size_t(area.x)));
  ViewPixelsBitmap canvas(composed_.data(), w, Height(), w);
  if (const ViewTextEntry* entry = Entry()) entryPainter_.Entry(&canvas, *entry);
  if (modal_) modal_->Draw(&canvas, painter_);
  for (int y = area.y; y < area.y + area.h; ++y) {
    const size_t row = size_t(y) * size_t(w);
    for (int x = area.x; x < area.x + area.w; ++x) visual_[row + size_t(x)] = ToVisual(composed_[row + size_t(x)]);
  }
  XPutImage(display_, window_, AsGC(gc_), image_, area.x, area.y, area.x, area.y, unsigned(area.w), unsigned(area.h));
}

template <typename Event>
void X11ViewBackend::Route(const Event& event, void (ViewModalSession::*toSession)(const Event&),
                           void (ViewBackendCore::*toClient)(const Event&)) {
  if (!modal_) {
    (this->*toClient)(event);
    return;
  }
  const ViewRect before = modal_->Bounds();
  (modal_->*toSession)(event);
  MarkScreen(ViewRectUnion(before, modal_->Bounds()));
}

void X11ViewBackend::RouteMouse(const ViewMouseEvent& event) {
  Route(event, &ViewModalSession::Mouse, &X11ViewBackend::DeliverMouse);
}

void X11ViewBackend::RouteKey(const ViewKeyEvent& event) {
  Route(event, &ViewModalSession::Key, &X11ViewBackend::DeliverKey);
}

void X11ViewBackend::HandleEvent(void* raw) {
  XEvent& ev = *static_cast<XEvent*>(raw);
  switch (ev.type) {
    case Expose: MarkScreen({ev.xexpose.x, ev.xexpose.y, ev.xexpose.width, ev.xexpose.height}); break;
    case ButtonPress: {
      const XButtonEvent& b = ev.xbutton;
      if (const std::optional<ViewWheelEvent> wheel = X11WheelEvent(b.button, b.x, b.y, b.state)) {
        if (!modal_) DeliverWheel(*wheel);
        break;
      }
      ViewMouseEvent e = ButtonEvent(ViewMouseAction::Down, b);
      e.clickCount = clicks_.Press(e.button, b.x, b.y, uint32_t(b.time));
      RouteMouse(e);
      break;
    }
    case ButtonRelease:
      if (X11ClassifyButton(ev.xbutton.button) != X11ButtonKind::Wheel)
        RouteMouse(ButtonEvent(ViewMouseAction::Up, ev.xbutton));
      break;
    case MotionNotify: {
      const XMotionEvent& m = ev.xmotion;
      ViewMouseEvent e;
      const bool left = m.state & Button1Mask, right = m.state & Button3Mask;
      e.action = (left || right) ? ViewMouseAction::Drag : ViewMouseAction::Move;
      e.button = (right && !left) ? ViewMouseButton::Right : ViewMouseButton::Left;
      e.x = m.x;
      e.y = m.y;
      e.mods = X11Modifiers(m.state);
      RouteMouse(e);
      break;
    }
    case KeyPress: {
      char typed[32];
      KeySym sym = 0;
      const int n = XLookupString(&ev.xkey, typed, sizeof typed, &sym, nullptr);
      if (const std::optional<ViewKeyEvent> key =
              X11KeyEvent(sym, std::string(typed, size_t(std::max(n, 0))), ev.xkey.state))
        RouteKey(*key);
      break;
    }
    case FocusOut:
      if (!modal_) DeliverDeactivated();
      break;
    case ClientMessage:
      if (Atom(ev.xclient.data.l[0]) == Atom(deleteAtom_) && DeliverCloseRequest() && window_) {
        DestroyWindow();
        DeliverClosed();
      }
      break;
    default: break;
  }
}

void X11ViewBackend::PumpOnce() {
  if (displayLost_) return;
  const uint64_t interval = uint64_t(TimerSeconds() * 1e6);
  if (!XPending(display_)) {
    const uint64_t now = Kit_Time().NowMicros();
    const uint64_t wait = nextTickMicros_ > now ? nextTickMicros_ - now : 0;
    const int fd = ConnectionNumber(display_);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    timeval timeout{time_t(wait / 1000000), suseconds_t(wait % 1000000)};
    select(fd + 1, &readable, nullptr, nullptr, &timeout);
  }
  while (!displayLost_ && XPending(display_)) {
    XEvent ev;
    XNextEvent(display_, &ev);
    if (window_ && ev.xany.window == Window(window_)) HandleEvent(&ev);
  }
  if (displayLost_) {
    // The server is gone and the window with it: the client hears a close.
    DestroyWindow();
    DeliverClosed();
    return;
  }
  const uint64_t now = Kit_Time().NowMicros();
  if (now >= nextTickMicros_) {
    nextTickMicros_ = std::max(nextTickMicros_ + interval, now + 1);
    DeliverTimer();
  }
  DrawInvalidArea();
  ShowMarked();
  XFlush(display_);
  ViewReapChildren(&children_);
}

void X11ViewBackend::RunUntilClosed(const std::function<bool()>& stop) {
  while (window_ && IsAttached() && !displayLost_ && !(stop && stop())) PumpOnce();
}

void X11ViewBackend::RunModal(ViewModalSession& session) {
  ViewModalSession* outer = modal_;
  modal_ = &session;
  MarkScreen(session.Bounds());
  while (!session.Done() && window_ && IsAttached()) PumpOnce();
  MarkScreen(session.Bounds());
  modal_ = outer;
  if (window_ && !displayLost_) {
    ShowMarked();
    XFlush(display_);
  }
}

std::optional<ViewMenuChoice> X11ViewBackend::RunPopupMenu(const ViewMenu& menu, int x, int y) {
  if (!window_) return std::nullopt;
  ViewPopupSession session(menu, x, y, Width(), Height(), painter_);
  RunModal(session);
  return session.Choice();
}

ViewAlertResponse X11ViewBackend::ShowMessageBox(const ViewAlert& alert) {
  if (!window_) return ViewAlertResponse::Dismissed;
  ViewAlertSession session(alert, Width(), Height(), painter_);
  RunModal(session);
  return session.Response();
}

std::optional<std::string> X11ViewBackend::PromptForPath(const ViewFilePrompt& prompt) {
  if (!window_) return std::nullopt;
  ViewPathPromptSession session(prompt, Width(), Height(), painter_);
  RunModal(session);
  return session.Path();
}

void X11ViewBackend::RunDialog(HWND dialog) {
  if (!window_) return;
  ViewDialogSession session(dialog, painter_);
  RunModal(session);
}

bool X11ViewBackend::OpenURL(const std::string& target) {
  pid_t child = 0;
  if (target.empty() || !ViewSpawn(opener_, {target}, &child, nullptr)) return false;
  children_.push_back(child);
  return true;
}

bool X11ViewBackend::HideCursor(int* x, int* y) {
  if (!window_) return false;
  Window root = 0, childWindow = 0;
  int wx = 0, wy = 0;
  unsigned int mask = 0;
  if (!XQueryPointer(display_, window_, &root, &childWindow, x, y, &wx, &wy, &mask)) return false;
  XDefineCursor(display_, window_, blankCursor_);
  XFlush(display_);
  return true;
}

bool X11ViewBackend::ShowCursor(int x, int y) {
  if (!window_) return false;
  XWarpPointer(display_, 0, DefaultRootWindow(display_), 0, 0, 0, 0, x, y);
  XDefineCursor(display_, window_, arrowCursor_);
  XFlush(display_);
  return true;
}

void X11ViewBackend::SetArrowCursor() {
  if (window_) XDefineCursor(display_, window_, arrowCursor_);
}
