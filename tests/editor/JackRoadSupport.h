#pragma once
// End-to-end runs on a private JACK server: the synthesizer simulator as a child
// process, tavro-host driven by a script, and where the panel shows a parameter's
// control. Waits are generous and end on conditions: they measure nothing.

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
#include "JackTestServer.h"
#include "RoadTestSupport.h"

constexpr const char* kSimName = "Road Sim";

// Waits up to 30 s for `done`.
template <class Done>
bool WaitFor(Done done) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

inline std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The synthesizer simulator, recording what reaches it, stopped by its pid.
class SimProcess {
public:
  bool Start(const std::string& record, const std::string& output) {
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      execl(SYNTH_SIM_PROGRAM, SYNTH_SIM_PROGRAM, "--name", kSimName, "--record", record.c_str(), nullptr);
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

private:
  pid_t pid_ = -1;
};

// The centre of the shown control of `paramIdx` with slot `slot` active and layer
// `layer` (if any) open, read from a headless editor; (-1, -1) when none is shown.
inline std::pair<int, int> ControlCentre(int paramIdx, int slot = 0, const char* layer = nullptr) {
  RoadFixture f;
  f.plug->activeSlot = slot;
  f.plug->tabSwitch.quickTabSwitch(f.plug.get(), kQuickTab, slot, f.plug->nordModel);
  if (layer) f.plug->showLayer(layer, true);
  for (IControl* c : f.action(paramIdx)->boundControls) {
    if (c->IsHidden()) continue;
    const IRECT r = c->GetRECT();
    return {(r.L + r.R) / 2, (r.T + r.B) / 2};
  }
  return {-1, -1};
}

// Script lines that choose the simulator as both ports on the panel's menus (input at
// (580, 20), output at (420, 20)) and wait out the overlays of the device-id enquiry
// and of the performance the answer brings in: they hold the panel, clicks and all.
inline std::string ChooseSimPorts() {
  return std::string("choose ") + kSimName + "-out:midi\nclick 590 28\nchoose " + kSimName +
         "-in:midi\nclick 430 28\nwait 8000\n";
}

// Runs tavro-host headless on the built bundle with `arguments`; returns its exit
// status and what it printed.
inline int RunHost(const std::string& dataRoot, const std::string& arguments, std::string* output) {
  return RunCommand("env -u DISPLAY " TAVRO_BINARY_DIR "/tools/tavro-host/tavro-host --bundle " TAVRO_BINARY_DIR
                    "/Tavro.component --render-seconds 0.2 --fast --data-root '" +
                        dataRoot + "' " + arguments + " 2>&1",
                    output);
}
