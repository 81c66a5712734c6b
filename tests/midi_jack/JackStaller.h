#pragma once
// A JACK client of the test's own that makes the server miss periods: every
// `every`-th cycle it sleeps `stall` in its process callback, while its MIDI
// output feeds a given input port (so that port's reader waits for it). It also
// counts the xruns the server reports. `every` 0 never stalls.

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <string>

class JackStaller {
public:
  // False when no server answers or `intoPort` cannot be connected.
  bool Open(const std::string& intoPort, unsigned every, std::chrono::milliseconds stall);
  ~JackStaller();
  unsigned Xruns() const { return xruns_.load(); }
  unsigned Stalls() const { return stalls_.load(); }
  // Stalls no more, once a stall in progress has ended. (Closing the client in
  // the middle of a stall makes its reader miss a period without the server
  // reporting an xrun.) False when the stall in progress has not ended long after
  // it should have.
  bool StopStalling();

private:
  static int OnProcess(jack_nframes_t frames, void* self);
  static int OnXrun(void* self);

  jack_client_t* client_ = nullptr;
  jack_port_t* port_ = nullptr;
  std::atomic<unsigned> every_{0};
  std::atomic<bool> stalling_{false};
  std::chrono::milliseconds stall_{0};
  unsigned cycles_ = 0;  // jack-process only
  std::atomic<unsigned> stalls_{0};
  std::atomic<unsigned> xruns_{0};
};
