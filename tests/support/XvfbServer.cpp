#include "XvfbServer.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "views/View_Launcher.h"

namespace {

bool DisplayInUse(int n) {
  struct stat st {};
  const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
  return stat(lock.c_str(), &st) == 0 || stat(socket.c_str(), &st) == 0;
}

}  // namespace

XvfbServer::XvfbServer(const std::string& screen) {
  // A number of our own, away from the usual :0..:99, varied by process.
  int number = -1;
  for (int i = 0; i < 400 && number < 0; ++i) {
    const int candidate = 100 + (int(getpid()) + i * 7) % 800;
    if (!DisplayInUse(candidate)) number = candidate;
  }
  if (number < 0) {
    error_ = "no free display number";
    return;
  }
  name_ = ":" + std::to_string(number);
  if (!ViewSpawn("Xvfb", {name_, "-screen", "0", screen, "-nolisten", "tcp", "-noreset"}, &pid_, &error_)) return;
  // Real time here: the server starts on its own clock. Generous bound.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error_ = "Xvfb " + name_ + " exited at start";
      return;
    }
    if (Display* d = XOpenDisplay(name_.c_str())) {
      XCloseDisplay(d);
      ready_ = true;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  error_ = "Xvfb " + name_ + " did not answer within 20 s";
}

XvfbServer::~XvfbServer() { Stop(); }

void XvfbServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  ready_ = false;
}

bool PressWindowCloseButton(const std::string& display, unsigned long window) {
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
  XSendEvent(x, window, False, NoEventMask, &event);
  XCloseDisplay(x);
  return true;
}
