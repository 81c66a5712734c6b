#include "editor/midi/MidiWirePace.h"

#include <algorithm>

bool MidiWirePace::take(size_t bytes, uint64_t nowMicros) {
  if (nowMicros > at_) {
    budget_ = std::min(kBurstBytes, budget_ + double(nowMicros - at_) * kBytesPerSecond / 1e6);
    at_ = nowMicros;
  }
  if (budget_ < double(bytes)) return false;
  budget_ -= double(bytes);
  return true;
}
