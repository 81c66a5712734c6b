#include "editor/midi/MidiWirePace.h"

#include <algorithm>

bool MidiWirePace::ready(uint64_t nowMicros) {
  settle(nowMicros);
  return waitingMicros_ < kBurstMicros;
}

void MidiWirePace::carry(uint64_t bytes, uint64_t nowMicros) {
  settle(nowMicros);
  waitingMicros_ += bytes * kMicrosPerByte;
}

void MidiWirePace::settle(uint64_t nowMicros) {
  const uint64_t passed = nowMicros > at_ ? nowMicros - at_ : 0;
  waitingMicros_ -= std::min(waitingMicros_, passed);
  at_ = nowMicros;
}
