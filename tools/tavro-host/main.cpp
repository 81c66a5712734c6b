// tavro-host: a minimal Audio Unit host for the plug-in bundle.

#include <cstdio>
#include <string>

#include "DataFolderInstall.h"
#include "DataRoot.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "HostSignals.h"
#include "Kit_ProcessStatus.h"
#include "PluginBundle.h"

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
  // Ended from the terminal or by the system, the host closes in order.
  InstallHostSignals();
  const bool ran = session.Run();
  // Every instance is closed: a thread still here is one a plug-in left behind.
  std::printf("threads after close: %ld\n", Kit_SettledThreadCount());
  if (const int signal = HostSignalReceived()) {
    std::fprintf(stderr, "tavro-host: ended by signal %d; the transport stopped, the plug-in closed%s\n", signal,
                 ran ? (options.stateOut.empty() ? "" : " and its state written") : ", but a step failed");
    return 128 + signal;  // as the shell reports a program the signal ended
  }
  return ran ? 0 : 1;
}
