#pragma once
// The MIDI clock on the panel of a host run: the script lines that switch it on and
// off on the MIDI filter page, ten seconds of transport at 120 BPM, and the real-time
// messages the simulated synthesizer recorded.

#include <string>
#include <vector>

// Panel positions (layout units) as the panel lays them out: the MIDI filter page's
// opener and closer, and on the page the switches of the clock pointer (609: Start
// and Stop) and of the clock itself (610).
constexpr const char* kOpenFilters = "click 1435 632\n";
constexpr const char* kCloseFilters = "click 1139 139\n";
constexpr const char* kPointerSwitch = "click 770 442\n";
constexpr const char* kClockSwitch = "click 770 478\n";

inline std::string ClockSwitchesOn() {
  return std::string(kOpenFilters) + kPointerSwitch + kClockSwitch + "expect-param 609 1\nexpect-param 610 1\n" +
         kCloseFilters;
}

inline std::string ClockOff() { return std::string(kOpenFilters) + kClockSwitch + "expect-param 610 0\n"; }

// Rendering moves only when the script says: one block hands each edge to the
// editor, the clock runs on its own thread in real time meanwhile.
inline std::string PlayTenSecondsAt120() {
  return "tempo 120\nrender 1\nwait 500\nplay\nrender 1\nwait 10000\nstop\nrender 1\nwait 500\n";
}

// The record's real-time messages: Start, Stop and the Clocks between them.
struct ClockRecord {
  // Every Start and Stop counts: each edge reaches the unit once, so one twice shows.
  explicit ClockRecord(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      if (line == "FA") ++starts;
      if (line == "FC") ++stops;
      if (line == "F8" && starts == 1 && stops == 0) ++clocksWhilePlaying;
    }
  }
  int starts = 0, stops = 0, clocksWhilePlaying = 0;
};
