#pragma once
// The test host run as a musician runs it: in the background, its panel in a window
// on a private X server, its output in a file; the window closed through the server
// as a window manager closes it; and the simulated unit's record read while it plays.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "JackSimSupport.h"
#include "XvfbServer.h"
// Last: the X headers define macros (None, Bool, ...) that clash with the above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// The host in the background, stopped by its pid when the test ends early.
class BackgroundHost {
public:
  // Runs the built host on the built bundle with `arguments` on `display`, its
  // output going to `outputPath`.
  // (`display` empty: none.)
  bool Start(const std::string& display, const std::vector<std::string>& arguments, const std::string& outputPath) {
    output_ = outputPath;
    // Emptied before the host starts, so nothing an earlier run wrote there is read as its.
    const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) return false;
    std::vector<std::string> command = HostCommand("Tavro.component", display);
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
      execvp(argv[0], argv.data());
      _exit(127);
    }
    close(out);
    return pid_ > 0;
  }
  ~BackgroundHost() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    Wait();
  }
  // Sends it `signal`, as a terminal's Ctrl-C (SIGINT) or the system (SIGTERM) would.
  bool Signal(int signal) { return pid_ > 0 && kill(pid_, signal) == 0; }
  // Its exit status once it ended (generously waited for); -1 when it had to be killed.
  int Wait() {
    int status = 0;
    const bool ended = SimProcess::WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
    if (!ended) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    endingSignal_ = ended && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The signal that ended it, once waited for (0: it exited or had to be killed).
  int EndingSignal() const { return endingSignal_; }
  std::string Output() const {
    std::ifstream in(output_);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // Waits until the host says its window is up.
  bool WindowShown() const {
    return SimProcess::WaitFor([&] { return Output().find("panel: close the window to go on") != std::string::npos; });
  }

private:
  pid_t pid_ = -1;
  int endingSignal_ = 0;
  std::string output_;
};

// The window named "Tavro Editor" on the connection `x`; 0 when there is none.
inline Window EditorWindow(Display* x) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  Window editor = 0;
  if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && !editor; ++i) {
      char* name = nullptr;
      if (XFetchName(x, children[i], &name) && name && std::string(name) == "Tavro Editor") editor = children[i];
      if (name) XFree(name);
    }
    if (children) XFree(children);
  }
  return editor;
}

// Asks the window named "Tavro Editor" on `display` to close, as its close button
// does; false when there is no such window.
inline bool CloseEditorWindow(const std::string& display) {
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return false;
  const Window editor = EditorWindow(x);
  XCloseDisplay(x);
  return editor != 0 && PressWindowCloseButton(display, editor);
}

// The Clocks a running record holds, read now and then with the time of reading.
struct ClockSamples {
  struct Sample {
    double seconds;  // since the first sample
    int clocks;      // Clocks after the first Start
    bool stopped;    // a Stop has come
  };
  // Reads `record` (its lines from `from` on) every 50 ms for `seconds`, or until a Stop.
  static std::vector<Sample> Take(const std::string& record, size_t from, double seconds) {
    std::vector<Sample> samples;
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
      std::vector<std::string> lines = SimProcess::Lines(record);
      lines.erase(lines.begin(), lines.begin() + std::min(from, lines.size()));
      Sample s{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0, false};
      bool started = false;
      for (const std::string& line : lines) {
        started = started || line == "FA";
        s.clocks += started && !s.stopped && line == "F8";
        s.stopped = s.stopped || (started && line == "FC");
      }
      samples.push_back(s);
      if (s.stopped || s.seconds > seconds) return samples;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  // Clocks a second between the samples nearest `from` and `to` seconds.
  static double Rate(const std::vector<Sample>& samples, double from, double to) {
    const Sample* a = nullptr;
    const Sample* b = nullptr;
    for (const Sample& s : samples) {
      if (!a && s.seconds >= from) a = &s;
      if (!b && s.seconds >= to) b = &s;
    }
    if (!a || !b || b->seconds <= a->seconds) return -1;
    return (b->clocks - a->clocks) / (b->seconds - a->seconds);
  }
};
