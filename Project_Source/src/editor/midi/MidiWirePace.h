#pragma once
// What a MIDI cable carries to the unit: 31,250 baud, ten bits a byte, a byte every
// 320 microseconds. Messages let go together (a hold released after a transfer) go at
// that pace: the port takes them at once, but the unit's input, or the interface
// before it, takes them off the cable and drops what overflows it.
// Kept in whole microseconds of cable time, so that nothing drifts however many
// ticks pass; a clock read earlier than the last (another time source) counts as no
// time passed.
// threads: main, tick-performer (one at a time, under the plug-in mutex)

#include <cstddef>
#include <cstdint>

class MidiWirePace {
public:
  static constexpr uint64_t kMicrosPerByte = 320;
  // What may wait on the cable at once: a tenth of a second of it, so that a host's
  // render ticks, which come at least that often, keep it busy.
  static constexpr uint64_t kBurstMicros = 100'000;

  // The cable may be given more at `nowMicros`: less than a burst waits on it.
  bool ready(uint64_t nowMicros);
  // `bytes` were given to the cable at `nowMicros`.
  void carry(uint64_t bytes, uint64_t nowMicros);

private:
  // Takes off what the cable has carried since the last call.
  void settle(uint64_t nowMicros);

  uint64_t waitingMicros_ = 0;  // cable time of what is given and not yet carried
  uint64_t at_ = 0;             // when waitingMicros_ was last settled
};
