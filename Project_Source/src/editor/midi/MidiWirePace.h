#pragma once
// What a MIDI cable carries to the unit: 31,250 baud, ten bits a byte, 3,125 bytes a
// second. Messages let go together (a hold released after a transfer) go at that pace:
// the port takes them at once, but the unit's input, or the interface before it, takes
// them off the cable and drops what overflows it.
// threads: main, tick-performer (one at a time, under the plug-in mutex)

#include <cstddef>
#include <cstdint>

class MidiWirePace {
public:
  static constexpr double kBytesPerSecond = 3125.0;
  // What may go at once after a pause: what the cable carries in a tenth of a second,
  // so that a host's render ticks, which come at least that often, keep it busy.
  static constexpr double kBurstBytes = 320.0;
  // True when `bytes` may go at `nowMicros`, which are then counted gone.
  bool take(size_t bytes, uint64_t nowMicros);

private:
  double budget_ = kBurstBytes;
  uint64_t at_ = 0;
};
