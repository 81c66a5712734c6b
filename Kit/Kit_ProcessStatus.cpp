#include "Kit_ProcessStatus.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

long Kit_ProcessStatusField(const char* key) {
  const std::string prefix = std::string(key) + ":";
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.compare(0, prefix.size(), prefix) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  return -1;
}

long Kit_ProcessThreadCount() { return Kit_ProcessStatusField("Threads"); }

long Kit_SettledThreadCount() {
  using Clock = std::chrono::steady_clock;
  constexpr std::chrono::milliseconds kSteady{50}, kLimit{2000};
  const Clock::time_point start = Clock::now();
  long count = Kit_ProcessThreadCount();
  Clock::time_point since = start;
  while (Clock::now() - since < kSteady && Clock::now() - start < kLimit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const long now = Kit_ProcessThreadCount();
    if (now != count) {
      count = now;
      since = Clock::now();
    }
  }
  return count;
}
