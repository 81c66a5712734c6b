#include "MidiTransport/MidiPortJackServerProcess.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
// The machine's registry of JACK servers, which the JACK library keeps in shared
// memory: a header, then eight entries of the server's pid and its name, written
// "jack-UID:NAME:".
constexpr const char* kRegistry = "/dev/shm/jack-shm-registry";
constexpr size_t kHeaderBytes = 24, kEntryBytes = 264, kEntries = 8;

pid_t ServerPid(const std::string& name) {
  uint8_t registry[kHeaderBytes + kEntries * kEntryBytes];
  const int file = open(kRegistry, O_RDONLY | O_CLOEXEC);
  if (file < 0) return -1;
  const ssize_t got = pread(file, registry, sizeof registry, 0);
  close(file);
  if (got <= 0) return -1;
  return JackRegistryServerPid(registry, size_t(got), "jack-" + std::to_string(getuid()) + ":" + name + ":");
}

char ThreadState(const std::string& statPath) {
  char text[512];
  const int stat = open(statPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (stat < 0) return 0;
  const ssize_t got = read(stat, text, sizeof text);
  close(stat);
  return got > 0 ? StatLineThreadState(text, size_t(got)) : 0;
}
}  // namespace

pid_t JackRegistryServerPid(const uint8_t* bytes, size_t size, const std::string& entry) {
  const size_t entries = size < kHeaderBytes ? 0 : std::min(kEntries, (size - kHeaderBytes) / kEntryBytes);
  // The name's room in an entry, its terminator included.
  const size_t room = kEntryBytes - sizeof(pid_t);
  for (size_t i = 0; i < entries && entry.size() < room; ++i) {
    const uint8_t* at = bytes + kHeaderBytes + i * kEntryBytes;
    pid_t pid = 0;
    std::memcpy(&pid, at, sizeof pid);
    const char* name = reinterpret_cast<const char*>(at + sizeof pid);
    if (pid > 0 && entry.compare(0, entry.size(), name, entry.size()) == 0 && name[entry.size()] == 0) return pid;
  }
  return -1;
}

char StatLineThreadState(const char* text, size_t size) {
  size_t close = size;
  while (close > 0 && text[close - 1] != ')') --close;
  // `close` is one past the parenthesis: a blank, then the letter.
  return close > 0 && close + 1 < size && text[close] == ' ' ? text[close + 1] : 0;
}

std::string DefaultJackServerName() {
  const char* server = std::getenv("JACK_DEFAULT_SERVER");
  return server && *server ? server : "default";
}

bool JackServerListening(const std::string& name) {
  // Where the JACK library's server listens: /dev/shm/jack_NAME_UID_0.
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = "/dev/shm/jack_" + name + "_" + std::to_string(getuid()) + "_0";
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  // A server busy with others may not have taken earlier connections yet: it listens.
  const bool listening =
      connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN;
  close(probe);
  return listening;
}

bool JackServerProcessAtWork(const std::string& name) {
  const pid_t pid = ServerPid(name);
  if (pid <= 0) return false;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (!dir) return false;
  bool atWork = false;
  while (const dirent* task = readdir(dir)) {
    if (task->d_name[0] == '.') continue;
    const char state = ThreadState(tasks + "/" + task->d_name + "/stat");
    // Runnable, or in a wait the system does not break (a page coming in).
    if (state == 'R' || state == 'D') atWork = true;
  }
  closedir(dir);
  return atWork;
}
