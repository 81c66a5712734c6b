// Opening the editor in a fresh process: the first open (cold: bundle, fonts and
// images read for the first time in the process) and later opens (warm), each up to
// "Plug-in is ready to load!" with the full panel drawn in a headless window; and the
// process's resident memory with the first editor open. Each warm open is followed by
// its peer, the layout deciphered and parsed alone, so both meet the same load; wall
// and CPU time of the opening thread are given.
//
// Usage: editor_open_bench [normal|large] [bank files, default 0] [warm opens, default 20]

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Kit_ProcessStatus.h"
#include "OpenedEditor.h"

namespace {

// Wall and thread CPU milliseconds of one call.
struct Took {
  double wall, cpu;
};

double ThreadCpuMillis() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

template <typename Work>
Took Time(Work work) {
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = ThreadCpuMillis();
  work();
  return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count(),
          ThreadCpuMillis() - cpuStart};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A "Vm..." line of /proc/self/status in MB; -1 when missing.
double StatusMegabytes(const char* key) {
  const long kb = Kit_ProcessStatusField(key);
  return kb < 0 ? -1 : kb / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string size = argc > 1 ? argv[1] : "normal";
  const int banks = argc > 2 ? std::atoi(argv[2]) : 0;
  const int warmOpens = argc > 3 ? std::atoi(argv[3]) : 20;
  if ((size != "normal" && size != "large") || banks < 0 || warmOpens < 1) {
    std::fprintf(stderr, "usage: editor_open_bench [normal|large] [bank files] [warm opens]\n");
    return 2;
  }
  TempDataRoot data;
  WriteBenchDataFolder(data, size, banks);
  const AuthoredLayout layout;
  const double rssBefore = StatusMegabytes("VmRSS");

  std::unique_ptr<OpenedEditor> editor;
  const Took cold = Time([&] { editor = std::make_unique<OpenedEditor>(); });
  const double rssOpen = StatusMegabytes("VmRSS"), peakOpen = StatusMegabytes("VmHWM");
  const int width = editor->window.Width(), height = editor->window.Height();
  editor.reset();

  std::vector<double> wall, cpu, peerWall, peerCpu;
  for (int i = 0; i < warmOpens; ++i) {
    const Took open = Time([&] { editor = std::make_unique<OpenedEditor>(); });
    editor.reset();
    const Took peer = Time([&] { layout.Parse(); });
    wall.push_back(open.wall);
    cpu.push_back(open.cpu);
    peerWall.push_back(peer.wall);
    peerCpu.push_back(peer.cpu);
  }
  std::printf("%s %dx%d, %d bank files, %d warm opens\n", size.c_str(), width, height, banks, warmOpens);
  std::printf("  cold: %.1f ms wall, %.1f ms cpu\n", cold.wall, cold.cpu);
  std::printf("  warm: %.1f ms wall (min %.1f), %.1f ms cpu (median)\n", Median(wall),
              *std::min_element(wall.begin(), wall.end()), Median(cpu));
  std::printf("  peer, the layout parsed: %.2f ms wall, %.2f ms cpu; warm open / peer %.1fx wall, %.1fx cpu\n",
              Median(peerWall), Median(peerCpu), Median(wall) / Median(peerWall), Median(cpu) / Median(peerCpu));
  std::printf("  resident: %.1f MB before the open, %.1f MB with the editor open (peak %.1f MB)\n", rssBefore, rssOpen,
              peakOpen);
  return 0;
}
