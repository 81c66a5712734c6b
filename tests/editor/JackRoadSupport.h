#pragma once
// End to end on a private JACK server: the simulated synthesizer as a child process
// recording what reaches it, and the test host running the real bundle by a script.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "HostSnapshot.h"
#include "IControl.h"
#include "IGraphics.h"

// The synthesizer simulator as a child process, stopped by its pid.
class SimProcess {
public:
  // Starts synth-sim named `name`, recording to `record`, its output to `output`,
  // with `options` added; true once its ports are open.
  bool Start(const std::string& name, const std::string& record, const std::string& output,
             const std::vector<std::string>& options = {}) {
    std::vector<std::string> words = {SYNTH_SIM_PROGRAM, "--name", name, "--record", record};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      execv(SYNTH_SIM_PROGRAM, argv.data());
      _exit(127);
    }
    // Ready once it has printed its two port names.
    return pid_ > 0 && WaitFor([&] { return Lines(output).size() >= 2; });
  }
  ~SimProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  static std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Generous: this waits for other processes, it measures nothing.
  template <class Done>
  static bool WaitFor(Done done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
      if (std::chrono::steady_clock::now() > giveUp) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

private:
  pid_t pid_ = -1;
};

// The script lines that choose the simulator named `name` for both ports and wait
// out the device-id enquiry. The input first: choosing the output starts the enquiry,
// whose overlay holds the panel (and swallows clicks) until it ends. The port menus
// sit at (420, 20) (output) and (580, 20) (input).
inline std::string ChooseSimPorts(const std::string& name) {
  return "choose " + name + "-out:midi\nclick 590 28\nchoose " + name + "-in:midi\nclick 430 28\nwait 3000\n";
}

// The script line clicking the centre of the first control of `graphics` bound to
// `paramIdx`, shown or not; empty when there is none.
inline std::string ClickOn(IGraphics& graphics, int paramIdx) {
  for (int i = 0; i < graphics.NControls(); ++i) {
    IControl* c = graphics.GetControl(i);
    if (c->ParamIdx() != paramIdx) continue;
    const IRECT r = c->GetRECT();
    return "click " + std::to_string((r.L + r.R) / 2) + " " + std::to_string((r.T + r.B) / 2) + "\n";
  }
  return "";
}

// Runs the test host headless on the real bundle with `script`, data under
// `dataRoot`, and `options` added; returns its exit status, `output` what it printed.
inline int RunTavroHost(const std::string& dataRoot, const std::string& script, const std::string& options,
                        std::string* output) {
  return RunCommand("env -u DISPLAY " TAVRO_BINARY_DIR "/tools/tavro-host/tavro-host --bundle " TAVRO_BINARY_DIR
                    "/Tavro.component --render-seconds 0.2 --fast --data-root '" +
                        dataRoot + "' --script '" + script + "' " + options,
                    output);
}
