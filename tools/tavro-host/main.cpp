// tavro-host: a minimal Audio Unit host for the plug-in bundle.

#include <cstdio>
#include <fstream>
#include <string>

#include "DataFolderInstall.h"
#include "DataRoot.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "PluginBundle.h"

namespace {

// The threads of this process now, from the kernel's account; -1 when unreadable.
long ProcessThreads() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.compare(0, 8, "Threads:") == 0) return std::stol(line.substr(8));
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  // Whole lines: what the host prints is read by scripts while warnings go to stderr
  // through the same pipe, and a block-buffered line could be cut by one.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  HostOptions options;
  std::string error;
  if (!ParseHostOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "tavro-host: %s\n%s", error.c_str(), HostUsage().c_str());
    return 2;
  }
  if (options.help) {
    std::printf("%s", HostUsage().c_str());
    return 0;
  }
  if (!options.dataRoot.empty()) PlatformSetDataRoot(options.dataRoot);
  if (const std::string root = PlatformDataRoot(); !root.empty()) {
    bool installed = false;
    if (!InstallEditorDataFolder(root, installed, error)) {
      std::fprintf(stderr, "tavro-host: %s\n", error.c_str());
      return 1;
    }
    if (installed) std::printf("data folder installed: %s\n", EditorDataFolder(root).c_str());
  }
  PluginBundle bundle;
  if (!LoadPluginBundle(options.bundlePath, bundle, error)) {
    std::fprintf(stderr, "tavro-host: %s\n", error.c_str());
    return 1;
  }
  HostSession session(options, bundle);
  const bool ran = session.Run();
  // Every instance is closed: a thread still here is one a plug-in left behind.
  std::printf("threads after close: %ld\n", ProcessThreads());
  return ran ? 0 : 1;
}
