#include "JackTestServer.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/sem.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {
constexpr int kSideBySide = 3;
constexpr const char* kLockPath = "/tmp/tavro-jack-tests.lock";
// Held by a run waiting to be quiet: no run starts meanwhile, so it waits only for
// the runs under way, not for a moment when none follows another.
constexpr const char* kTurnstilePath = "/tmp/tavro-jack-tests.lock.turnstile";

int OpenLockFile(const std::string& path) { return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666); }

// Holds the turnstile while it lives.
class Turnstile {
public:
  Turnstile() : fd_(OpenLockFile(kTurnstilePath)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~Turnstile() {
    if (fd_ >= 0) close(fd_);
  }
  Turnstile(const Turnstile&) = delete;
  Turnstile& operator=(const Turnstile&) = delete;

private:
  const int fd_;
};

bool ServerAnswers() {
  jack_status_t status;
  jack_client_t* probe = jack_client_open("tavro-probe", JackNoStartServer, &status);
  if (!probe) return false;
  jack_client_close(probe);
  return true;
}

// A jackd that ends without taking out its entry in the machine's registry of JACK
// servers (killed, or ended by a signal, as when a test process dies under it) leaves
// it there; the registry holds eight, and with eight left no server starts. Entries
// whose process has ended are taken out, under the registry's own lock, as jackd takes
// out a dead one of its own name. A live server's entry stays, whoever runs it (a
// process we may not signal is alive); without the lock nothing is touched, as a
// server may be writing its entry.
void ForgetEndedServers() {
  constexpr key_t kRegistryLock = 0x282929;
  constexpr off_t kHeaderBytes = 24, kEntryBytes = 264;
  constexpr int kEntries = 8;
  const int lock = semget(kRegistryLock, 1, 0);
  sembuf take = {0, -1, SEM_UNDO}, give = {0, 1, SEM_UNDO};
  if (lock < 0 || semop(lock, &take, 1) != 0) return;
  const std::vector<char> empty(kEntryBytes, 0);
  const int registry = open("/dev/shm/jack-shm-registry", O_RDWR | O_CLOEXEC);
  for (int i = 0; i < kEntries && registry >= 0; ++i) {
    pid_t entry = 0;
    const off_t at = kHeaderBytes + i * kEntryBytes;
    if (pread(registry, &entry, sizeof entry, at) != sizeof entry || entry <= 0) continue;
    if (kill(entry, 0) == 0 || errno != ESRCH) continue;
    if (pwrite(registry, empty.data(), empty.size(), at) != kEntryBytes) break;
  }
  if (registry >= 0) close(registry);
  semop(lock, &give, 1);
}

bool Exited(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}
}  // namespace

bool JackTestServer::Start(int periodFrames, bool realtime) {
  // The slot first: a run waiting for one holds no lock a quiet run waits for. A
  // server started again (after Kill) keeps both.
  if (lockFd_ < 0) {
    TakeSlot();
    const Turnstile passing;
    lockFd_ = OpenLockFile(kLockPath);
    if (lockFd_ >= 0) flock(lockFd_, LOCK_SH);
  }
  ForgetEndedServers();
  name_ = "tavro-test-" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
  setenv("JACK_NO_START_SERVER", "1", 1);

  // A client that answers the server late, as on a loaded machine or under a
  // sanitizer, is dropped after the client timeout: ten seconds, not half of one.
  const std::string scheduling = realtime ? "--realtime" : "--no-realtime";
  std::vector<std::string> args = {"jackd", scheduling, "-t", "10000", "-n", name_,
                                   "-d",    "dummy",    "-r", "48000", "-p", std::to_string(periodFrames)};
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

void JackTestServer::TakeSlot() {
  for (int slot = 0; slot < kSideBySide && slotFd_ < 0; ++slot) {
    slotFd_ = OpenLockFile(kLockPath + std::string(".") + std::to_string(slot));
    if (slotFd_ >= 0 && flock(slotFd_, LOCK_EX | LOCK_NB) != 0) {
      close(slotFd_);
      slotFd_ = -1;
    }
  }
  if (slotFd_ >= 0) return;
  // All taken: waits for one, a different one for different processes.
  slotFd_ = OpenLockFile(kLockPath + std::string(".") + std::to_string(getpid() % kSideBySide));
  if (slotFd_ >= 0) flock(slotFd_, LOCK_EX);
}

void JackTestServer::Stop() {
  StopServer();
  for (int* fd : {&lockFd_, &slotFd_}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
}

void JackTestServer::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  ForgetEndedServers();
  pid_ = -1;
}

void JackTestServer::Pause() {
  if (pid_ > 0) kill(pid_, SIGSTOP);
}

void JackTestServer::Resume() {
  if (pid_ > 0) kill(pid_, SIGCONT);
}

void JackTestServer::StopServer() {
  if (pid_ <= 0) return;
  Resume();
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
  ForgetEndedServers();
  pid_ = -1;
}

// Its own shared hold is let go before the turnstile is taken, so two runs waiting to
// be quiet never wait for each other; a run waiting at the turnstile to start holds
// nothing a quiet run waits for.
JackQuietTiming::JackQuietTiming(JackTestServer& server) : server_(server) {
  if (server_.lockFd_ < 0) return;
  flock(server_.lockFd_, LOCK_UN);
  const Turnstile waiting;
  flock(server_.lockFd_, LOCK_EX);
}

JackQuietTiming::~JackQuietTiming() {
  if (server_.lockFd_ >= 0) flock(server_.lockFd_, LOCK_SH);
}
