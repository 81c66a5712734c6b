// Reads fuzz bytes as the JACK server registry (a 24-byte header, then entries of a
// native pid and a 260-byte name), asking for the name of each entry that holds a
// terminated one: a pid found is positive, and the first entry's own name finds its
// pid when it has one.

#include <cstdlib>
#include <cstring>
#include <string>

#include "MidiTransport/MidiPortJackServerProcess.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (size_t at = 24; at + 264 <= size; at += 264) {
    const char* name = reinterpret_cast<const char*>(data + at + sizeof(pid_t));
    const void* end = std::memchr(name, 0, 264 - sizeof(pid_t));
    if (!end) continue;
    const std::string entry(name, static_cast<const char*>(end));
    const pid_t found = JackRegistryServerPid(data, size, entry);
    if (found == 0 || found < -1) std::abort();
    pid_t pid = 0;
    std::memcpy(&pid, data + at, sizeof pid);
    if (at == 24 && pid > 0 && found != pid) std::abort();
  }
  const pid_t none = JackRegistryServerPid(data, size, std::string(260, 'x'));
  if (none != -1) std::abort();
  return 0;
}
