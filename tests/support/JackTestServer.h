#pragma once
// A private JACK server with the dummy driver, started by this test process under
// a name of its own and stopped by its process id. Most runs check what arrives, not
// when: a few of them run side by side on one machine, each on its own server (more
// at once were seen to fail to start and to lose clients). A run that checks timing
// has the machine alone meanwhile (JackQuietTiming). Machine-wide locks in /tmp, held
// from start to stop, see to both, across build trees too.
// threads: main (the test's)

#include <sys/types.h>

#include <string>

class JackTestServer {
public:
  JackTestServer() = default;
  JackTestServer(const JackTestServer&) = delete;
  JackTestServer& operator=(const JackTestServer&) = delete;
  // Starts jackd and waits (generously) until it takes clients. Sets
  // JACK_DEFAULT_SERVER so every client of this process finds it, and
  // JACK_NO_START_SERVER so none ever starts another. 48 kHz, `periodFrames` a period;
  // with `realtime`, the server and its clients' cycles run under real-time scheduling
  // (for benches: tests must not depend on the machine allowing it).
  bool Start(int periodFrames = 1024, bool realtime = false);
  // A test that ends early (a failed assertion) stops its server all the same: one
  // left running would keep its place side by side from the runs after it.
  ~JackTestServer() { Stop(); }
  // Stops our jackd only, by its pid, reaps it and lets the next run start.
  void Stop();
  // Kills our jackd at once (SIGKILL) and reaps it, as a crash would, and takes its
  // entry out of the machine's registry of JACK servers (which holds eight and keeps
  // a killed server's); the lock is kept, so Start may bring the server back under
  // the same name.
  void Kill();
  // Halts our jackd (SIGSTOP), as a server stuck while it stops: it runs no cycle and
  // answers nothing, its sockets open. Resume lets it go on.
  void Pause();
  void Resume();
  const std::string& Name() const { return name_; }

private:
  friend class JackQuietTiming;
  void TakeSlot();
  void StopServer();

  pid_t pid_ = -1;
  int slotFd_ = -1;  // one of the few places side by side, exclusive
  int lockFd_ = -1;  // shared by the runs under way, exclusive while one is quiet
  std::string name_;
};

// While one lives, no other run on the machine has a server: for the checks of
// timing (clocks counted over seconds, frames between send and arrival) that other
// runs' load would upset. Waits for the runs under way to end; none starts meanwhile.
class JackQuietTiming {
public:
  explicit JackQuietTiming(JackTestServer& server);
  ~JackQuietTiming();
  JackQuietTiming(const JackQuietTiming&) = delete;
  JackQuietTiming& operator=(const JackQuietTiming&) = delete;

private:
  JackTestServer& server_;
};
