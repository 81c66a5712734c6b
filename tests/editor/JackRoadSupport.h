#pragma once
// End-to-end roads on a private JACK server: the synthesizer simulator as a child
// process beside the test host.

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

// The synthesizer simulator as a child process, stopped by its pid.
class SimProcess {
public:
  // `options`: more of the simulator's command-line options.
  explicit SimProcess(std::string name, std::vector<std::string> options = {})
      : name_(std::move(name)), options_(std::move(options)) {}
  bool Start(const std::string& record, const std::string& output) {
    std::vector<std::string> args = {SYNTH_SIM_PROGRAM, "--name", name_, "--record", record};
    args.insert(args.end(), options_.begin(), options_.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
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
  std::string name_;
  std::vector<std::string> options_;
  pid_t pid_ = -1;
};

// Runs the test host without a display on the built bundle, with `dataRoot` as its
// data folder and the panel script `script`; returns its exit status and output.
inline int RunTavroHost(const std::string& dataRoot, const std::string& script, std::string* output) {
  return RunCommand("env -u DISPLAY " TAVRO_BINARY_DIR "/tools/tavro-host/tavro-host --bundle " TAVRO_BINARY_DIR
                    "/Tavro.component --render-seconds 0.2 --fast --data-root '" +
                        dataRoot + "' --script '" + script + "'",
                    output);
}
