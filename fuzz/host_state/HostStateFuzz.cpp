// Compares fuzz bytes, read as a saved editor state, with themselves and with a copy
// whose tail changed: the port places are found within the bytes or not at all, and
// a chunk is always the same state as itself.

#include <cstdlib>
#include <vector>

#include "StateMeaning.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> without = WithoutPortPlaces(data, size);
  if (without.size() != size) std::abort();
  if (!SameStateMeaning(data, size, data, size)) std::abort();
  if (size > 0) {
    std::vector<uint8_t> other(data, data + size);
    other.back() ^= 0x01;
    // Only a flipped byte among the port places keeps the meaning.
    const bool same = SameStateMeaning(data, size, other.data(), other.size());
    if (same && WithoutPortPlaces(other.data(), other.size()) != without) std::abort();
  }
  return 0;
}
