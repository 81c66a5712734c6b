#pragma once
// A program run as a child process of the test, its standard output going to a file,
// stopped by its pid. Ready once that file holds the lines the program prints when it
// is up; a file left by an earlier run of the same program is emptied before the new
// one starts, so its lines never pass for the new run's.
// threads: main (the test's)

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

class ChildProcess {
public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Stop(); }

  // Runs `program` with `arguments` (its name first), its output going to `output`;
  // true once the output holds `readyLines` lines.
  bool StartProgram(const std::string& program, std::vector<std::string> arguments, const std::string& output,
                    size_t readyLines) {
    // Emptied here rather than in the child: the first look at the file below may
    // come before the child has run at all.
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      dup2(out, STDOUT_FILENO);
      std::vector<char*> argv;
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(out);
    return pid_ > 0 && WaitFor([&] { return Lines(output).size() >= readyLines; });
  }
  // Ends the program and reaps it; it can be started again.
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  // Sends `signal`; true once the program ended within `patience` (killed and reaped
  // otherwise).
  bool EndsOn(int signal, std::chrono::milliseconds patience) {
    if (pid_ <= 0) return false;
    kill(pid_, signal);
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    while (waitpid(pid_, nullptr, WNOHANG) != pid_) {
      if (std::chrono::steady_clock::now() > giveUp) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return true;
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
