#include "JackTestServer.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {
bool ServerAnswers() {
  jack_status_t status;
  jack_client_t* probe = jack_client_open("tavro-probe", JackNoStartServer, &status);
  if (!probe) return false;
  jack_client_close(probe);
  return true;
}

bool Exited(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}
}  // namespace

bool JackTestServer::Start(int periodFrames) {
  // Waits for any other run on this machine; the lock goes with our descriptor.
  if (lockFd_ < 0) {
    lockFd_ = open("/tmp/tavro-jack-tests.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lockFd_ >= 0) flock(lockFd_, LOCK_EX);
  }
  name_ = "tavro-test-" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
  setenv("JACK_NO_START_SERVER", "1", 1);

  std::vector<std::string> args = {"jackd", "--no-realtime", "-n", name_, "-d", "dummy",
                                   "-r", "48000", "-p", std::to_string(periodFrames)};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    // Our server dies with us even if this test process crashes.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    execvp("jackd", argv.data());
    _exit(127);
  }
  if (pid_ < 0) {
    std::fprintf(stderr, "cannot start jackd\n");
    return false;
  }
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < giveUp) {
    if (Exited(pid_)) {
      std::fprintf(stderr, "jackd exited at start\n");
      pid_ = -1;
      return false;
    }
    if (ServerAnswers()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::fprintf(stderr, "jackd did not answer within 60 s\n");
  Stop();
  return false;
}

void JackTestServer::Stop() {
  StopServer();
  if (lockFd_ >= 0) close(lockFd_);
  lockFd_ = -1;
}

void JackTestServer::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void JackTestServer::StopServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!Exited(pid_)) {
    if (std::chrono::steady_clock::now() > giveUp) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  pid_ = -1;
}
