#include "HostSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <initializer_list>

namespace {
std::atomic<int> gReceived{0};
int gWake[2] = {-1, -1};  // written by the handler, polled by the main thread

extern "C" void NoteSignal(int signal) {
  // Only what is safe in a handler: a lock-free exchange and a write.
  int none = 0;
  gReceived.compare_exchange_strong(none, signal);
  const char byte = 1;
  if (gWake[1] >= 0) (void)!write(gWake[1], &byte, 1);
}
}  // namespace

void InstallHostSignals() {
  static_assert(std::atomic<int>::is_always_lock_free, "the handler's store must not lock");
  if (gWake[0] < 0 && pipe2(gWake, O_CLOEXEC | O_NONBLOCK) != 0) gWake[0] = gWake[1] = -1;
  struct sigaction action = {};
  action.sa_handler = &NoteSignal;
  sigemptyset(&action.sa_mask);
  // The handler stays: a second Ctrl-C while the host closes must not end it before
  // the state is written. Interrupted system calls resume; the loops poll the flag.
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(signal, &action, nullptr);
}

int HostSignalReceived() { return gReceived.load(); }

bool WaitForHostSignal(int milliseconds) {
  if (HostSignalReceived()) return true;
  if (gWake[0] < 0) {
    usleep(useconds_t(milliseconds) * 1000);
  } else {
    pollfd wake{gWake[0], POLLIN, 0};
    poll(&wake, 1, milliseconds);
  }
  return HostSignalReceived() != 0;
}

bool WaitForReadableOrHostSignal(int fd) {
  // Without the wake pipe a signal is looked for every 20 ms.
  constexpr int kSignalLook = 20;
  for (;;) {
    if (HostSignalReceived()) return false;
    pollfd waits[2] = {{fd, POLLIN, 0}, {gWake[0], POLLIN, 0}};
    const int ready = poll(waits, gWake[0] < 0 ? 1 : 2, gWake[0] < 0 ? kSignalLook : -1);
    if (HostSignalReceived()) return false;
    if (ready > 0 && waits[0].revents != 0) return true;
  }
}
