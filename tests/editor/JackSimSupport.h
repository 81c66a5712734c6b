#pragma once
// End to end on a private JACK server: the synthesizer simulator as a child process
// and the test host driving the real bundle with a panel script.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Framework/IControlText.h"
#include "HostSnapshot.h"
#include "PanelPoints.h"
#include "RunProgram.h"

// The synthesizer simulator as a child process, stopped by its pid.
class SimProcess : public ChildProcess {
public:
  // Runs synth-sim --name `name` with `options`, its output going to `output`; ready
  // once it has printed its two port names, which it does after opening its record.
  bool Start(const std::string& name, std::vector<std::string> options, const std::string& output) {
    options.insert(options.begin(), {SYNTH_SIM_PROGRAM, "--name", name});
    return StartProgram(SYNTH_SIM_PROGRAM, std::move(options), output, 2);
  }
};

// The bytes of a line of the simulator's record ("F0 33 05 04 ...").
inline std::vector<uint8_t> RecordBytes(const std::string& line) {
  std::vector<uint8_t> bytes;
  std::istringstream hex(line);
  for (unsigned byte; hex >> std::hex >> byte;) bytes.push_back(uint8_t(byte));
  return bytes;
}

// Script lines that choose the simulator `name` as both ports on the panel's menus
// (input at (580, 20), output at (420, 20)), the input first, and wait out the
// device-id enquiry the output starts, which brings the performance in: its overlay
// holds the panel, clicks and all. A silent unit takes the enquiry 7.4 s.
inline std::string ChoosePorts(const std::string& name) {
  return "choose " + name + "-out:midi\nclick 590 28\nchoose " + name + "-in:midi\nclick 430 28\nwait-idle 60000\n";
}

// A musician past the first run: without a settings file of the test's own in
// `root`, one whose welcome notice has been dismissed, so that it covers no click.
inline void PastTheFirstRun(const std::string& root) {
  const std::string folder = root + "/Orvane/Vudidi Tavro Editor";
  if (std::ifstream(folder + "/Tavro Editor UI.txt")) return;
  std::error_code error;
  if (!std::filesystem::create_directories(folder + "/Patches", error) && error) return;
  std::ofstream(folder + "/Tavro Editor UI.txt") << "\nnormal\nyes\n";
}

// Runs the test host headless on the built bundle with `arguments` and the data root
// `root` (past the first run); returns its exit status and what it printed in `output`.
inline int RunHost(const std::string& root, const std::vector<std::string>& arguments, std::string* output) {
  PastTheFirstRun(root);
  std::vector<std::string> command = HostCommand("Tavro.component");
  command.insert(command.end(), {"--render-seconds", "0.2", "--fast", "--data-root", root});
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunProgram(command, output);
}

// The same with a panel script.
inline int RunTavroHost(const std::string& root, const std::string& script, std::string* output,
                        std::vector<std::string> extra = {}) {
  extra.insert(extra.begin(), {"--script", script});
  return RunHost(root, extra, output);
}

// What the host's JACK outputs reported lost to missed periods of the server: they
// never reached the unit, and the transport said so.
inline int ReportedLost(const std::string& output) {
  int lost = 0;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    int count = 0;
    if (std::sscanf(line.c_str(), "MIDI: %d message(s) sent to JACK lost", &count) == 1) lost += count;
  }
  return lost;
}

// The threads the host said were left once every instance was closed; -1 for none said.
// A sanitizer keeps a thread of its own: compare with a run that closed idle.
inline int ThreadsAfterClose(const std::string& output) {
  int threads = -1;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) std::sscanf(line.c_str(), "threads after close: %d", &threads);
  return threads;
}

// Script lines dragging a knob at (x, y) down, then up: a knob of continuous values
// moves whatever it started at. A knob of a few positions may not (Osc Sync, four,
// stays at 0: the drag down stops there and 20 pixels are under half a position);
// drag it by its positions from a value the script knows.
inline std::string Drags(int x, int y) {
  return "drag " + std::to_string(x) + " " + std::to_string(y) + " 0 40\ndrag " + std::to_string(x) + " " +
         std::to_string(y) + " 0 -20\n";
}

// The status line's text once the device-id enquiry has found the unit.
constexpr const char* kReady = "Plug-in is ready to go!";

// Script lines waiting until the enquiry has found the unit and its job has ended:
// a transfer started from the panel before then is not started at all.
inline std::string UntilReady() {
  RoadFixture f;
  return "wait-text " + PointText(Centre(f.plug->keptControls().statusText)) + " 60000 " + kReady + "\n";
}

// The host's "param N = V" lines: every value printed, by parameter, in order.
inline std::map<int, std::vector<double>> PrintedParams(const std::string& output) {
  std::map<int, std::vector<double>> printed;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    int index = -1;
    double value = -1;
    if (std::sscanf(line.c_str(), "param %d = %lf", &index, &value) == 2) printed[index].push_back(value);
  }
  return printed;
}
