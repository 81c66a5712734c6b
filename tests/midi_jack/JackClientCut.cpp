#include "JackClientCut.h"

#include <dirent.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {
std::set<int> OpenSockets() {
  std::set<int> sockets;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return sockets;
  while (const dirent* entry = readdir(dir)) {
    char target[64] = {};
    const std::string path = std::string("/proc/self/fd/") + entry->d_name;
    if (readlink(path.c_str(), target, sizeof target - 1) > 0 && std::string(target).rfind("socket:", 0) == 0)
      sockets.insert(std::atoi(entry->d_name));
  }
  closedir(dir);
  return sockets;
}
}  // namespace

JackClientCut::JackClientCut() : before_(OpenSockets()) {}

bool JackClientCut::Cut() const {
  int cut = 0;
  for (int socket : OpenSockets())
    if (!before_.count(socket)) cut += shutdown(socket, SHUT_RDWR) == 0;
  return cut > 0;
}
