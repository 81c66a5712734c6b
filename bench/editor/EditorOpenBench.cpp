// Opening the editor in a fresh process: the first open (cold: bundle, fonts and
// images read for the first time in the process) and later opens (warm), each up to
// "Plug-in is ready to load!" with the full panel drawn in a headless window; and the
// process's resident memory with the first editor open.
//
// Usage: editor_open_bench [normal|large] [bank files, default 0] [warm opens, default 20]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "OpenedEditor.h"

namespace {

double MillisSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// A "Vm..." line of /proc/self/status in MB; -1 when missing.
double StatusMegabytes(const std::string& key) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, key.size() + 1, key + ":") == 0) return std::atof(line.c_str() + key.size() + 1) / 1024.0;
  return -1;
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
  const double rssBefore = StatusMegabytes("VmRSS");

  auto start = std::chrono::steady_clock::now();
  auto editor = std::make_unique<OpenedEditor>();
  const double cold = MillisSince(start);
  const double rssOpen = StatusMegabytes("VmRSS"), peakOpen = StatusMegabytes("VmHWM");
  const int width = editor->window.Width(), height = editor->window.Height();
  editor.reset();

  std::vector<double> warm;
  for (int i = 0; i < warmOpens; ++i) {
    start = std::chrono::steady_clock::now();
    editor = std::make_unique<OpenedEditor>();
    warm.push_back(MillisSince(start));
    editor.reset();
  }
  std::sort(warm.begin(), warm.end());
  std::printf("%s %dx%d, %d bank files: cold %.1f ms, warm min %.1f p50 %.1f max %.1f ms (%d opens)\n",
              size.c_str(), width, height, banks, cold, warm.front(), warm[warm.size() / 2], warm.back(), warmOpens);
  std::printf("resident: %.1f MB before the open, %.1f MB with the editor open (peak %.1f MB)\n", rssBefore, rssOpen,
              peakOpen);
  return 0;
}
