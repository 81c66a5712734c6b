#include "MidiTransport/MidiPortJackServerProcess.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
// The machine's registry of JACK servers, which the JACK library keeps in shared
// memory: a header, then eight entries of the server's pid and its name, written
// "jack-UID:NAME:".
constexpr const char* kRegistry = "/dev/shm/jack-shm-registry";
constexpr off_t kHeaderBytes = 24, kEntryBytes = 264;
constexpr int kEntries = 8;

pid_t ServerPid(const std::string& name) {
  const std::string wanted = "jack-" + std::to_string(getuid()) + ":" + name + ":";
  const int registry = open(kRegistry, O_RDONLY | O_CLOEXEC);
  if (registry < 0) return -1;
  pid_t found = -1;
  for (int i = 0; i < kEntries && found < 0; ++i) {
    char entry[kEntryBytes] = {};
    if (pread(registry, entry, sizeof entry, kHeaderBytes + i * kEntryBytes) != kEntryBytes) break;
    pid_t pid = 0;
    std::memcpy(&pid, entry, sizeof pid);
    entry[kEntryBytes - 1] = 0;
    if (pid > 0 && wanted == entry + sizeof pid) found = pid;
  }
  close(registry);
  return found;
}

// The state letter of /proc/.../stat, after the command's closing parenthesis.
char ThreadState(const std::string& statPath) {
  char text[512] = {};
  const int stat = open(statPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (stat < 0) return 0;
  const ssize_t got = read(stat, text, sizeof text - 1);
  close(stat);
  const char* close = got > 0 ? std::strrchr(text, ')') : nullptr;
  return close && close[1] == ' ' ? close[2] : 0;
}
}  // namespace

std::string DefaultJackServerName() {
  const char* server = std::getenv("JACK_DEFAULT_SERVER");
  return server && *server ? server : "default";
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
