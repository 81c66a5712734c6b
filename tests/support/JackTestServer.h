#pragma once
// A private JACK server with the dummy driver, started by this test process under
// a name of its own and stopped by its process id. Servers started side by side
// on one machine (two build trees testing at once) were seen to lose their
// sockets, so each run holds a machine-wide lock from start to stop.

#include <sys/types.h>

#include <string>

class JackTestServer {
public:
  // Starts jackd and waits (generously) until it takes clients. Sets
  // JACK_DEFAULT_SERVER so every client of this process finds it, and
  // JACK_NO_START_SERVER so none ever starts another. 48 kHz, `periodFrames` a period.
  bool Start(int periodFrames = 1024);
  // Stops our jackd only, by its pid, reaps it and lets the next run start.
  void Stop();
  // Kills our jackd at once (SIGKILL) and reaps it, as a crash would; the lock is
  // kept, so Start may bring the server back under the same name.
  void Kill();
  const std::string& Name() const { return name_; }

private:
  void StopServer();

  pid_t pid_ = -1;
  int lockFd_ = -1;
  std::string name_;
};
