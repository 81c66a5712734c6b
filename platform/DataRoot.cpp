#include "DataRoot.h"

#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "PathText.h"

namespace {

std::mutex& RootLock() {
  static std::mutex lock;
  return lock;
}

std::string& HostRoot() {
  static std::string root;
  return root;
}

// A relative root is read from the working folder once, when it is given: every path
// built from it, and every text naming one, is then whole.
std::string Absolute(const std::string& path) {
  char folder[PATH_MAX];
  if (path.empty() || path[0] == '/' || !getcwd(folder, sizeof folder)) return path;
  return std::string(folder) + "/" + path;
}

}  // namespace

void PlatformSetDataRoot(const std::string& root) {
  std::lock_guard<std::mutex> hold(RootLock());
  HostRoot() = WithoutTrailingSlash(Absolute(root));
}

std::string PlatformDataRoot() {
  {
    std::lock_guard<std::mutex> hold(RootLock());
    if (!HostRoot().empty()) return HostRoot();
  }
  // A relative $XDG_DATA_HOME is no root, as the base-directory rules say.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return WithoutTrailingSlash(xdg);
  const char* home = std::getenv("HOME");
  if (home && *home) return WithoutTrailingSlash(home) + "/.local/share";
  return "";
}
