#pragma once
// A private X server for one test program: Xvfb on a display number nobody uses,
// started on construction, stopped (by its process id) on destruction.

#include <sys/types.h>

#include <string>

class XvfbServer {
public:
  // `screen` is Xvfb's WIDTHxHEIGHTxDEPTH: the whole window must be on it to be read
  // back or clicked everywhere.
  explicit XvfbServer(const std::string& screen = "640x480x24");
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // True once the server answers; false (with Error()) when it could not start.
  bool Ready() const { return ready_; }
  const std::string& Error() const { return error_; }
  // ":<number>"
  const std::string& Name() const { return name_; }
  // Ends the server now (by its pid) and reaps it, as a display that goes away.
  void Stop();

private:
  pid_t pid_ = -1;
  bool ready_ = false;
  std::string name_, error_;
};

// Sends what a window manager sends when the user clicks the close button of
// `window` on `display`; false when the display cannot be opened.
bool PressWindowCloseButton(const std::string& display, unsigned long window);
