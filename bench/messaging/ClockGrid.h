#pragma once
// Lateness of each Clock against the grid it was due on: the first Clock's, started
// again from a Clock that came more than a beat late, as the clock loop does after
// such a stall (that one Clock stands for the missed ones; after a shorter one the
// loop sends the missed Clocks at once on the same grid). `regrids` counts restarts.

#include <cstddef>
#include <vector>

#include "messaging/MIDIClockOutput.h"

template <typename Time>
std::vector<Time> GridLateness(const std::vector<Time>& times, Time interval, size_t* regrids) {
  std::vector<Time> lateness;
  *regrids = 0;
  if (times.empty()) return lateness;
  Time gridStart = times[0];
  long long n = 0;
  for (size_t i = 0; i < times.size(); ++i, ++n) {
    lateness.push_back(times[i] - (gridStart + Time(n) * interval));
    if (lateness.back() >= Time(MIDIClockOutput::kClocksCaughtUp + 1) * interval) {
      ++*regrids;
      gridStart = times[i];
      n = 0;
    }
  }
  return lateness;
}
