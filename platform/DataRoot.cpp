#include "DataRoot.h"

#include <cstdlib>
#include <mutex>

namespace {

std::mutex& RootLock() {
  static std::mutex lock;
  return lock;
}

std::string& HostRoot() {
  static std::string root;
  return root;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

void PlatformSetDataRoot(const std::string& root) {
  std::lock_guard<std::mutex> hold(RootLock());
  HostRoot() = WithoutTrailingSlash(root);
}

std::string PlatformDataRoot() {
  {
    std::lock_guard<std::mutex> hold(RootLock());
    if (!HostRoot().empty()) return HostRoot();
  }
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return WithoutTrailingSlash(xdg);
  const char* home = std::getenv("HOME");
  if (home && *home) return WithoutTrailingSlash(home) + "/.local/share";
  return "";
}
