#include "StateMeaning.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kHeaderBytes = 20;
constexpr size_t kMarkerBytes = 8;
constexpr int kNameCount = 7;
constexpr size_t kPortPlaceBytes = 16;

// Where the port selections begin, or 0 when the chunk ends before them.
size_t PortPlacesAt(const uint8_t* bytes, size_t size) {
  size_t pos = kHeaderBytes + kMarkerBytes;
  if (size < pos + 4) return 0;
  const uint32_t snapshot = uint32_t(bytes[pos]) << 24 | uint32_t(bytes[pos + 1]) << 16 |
                            uint32_t(bytes[pos + 2]) << 8 | uint32_t(bytes[pos + 3]);
  pos += 4;
  if (snapshot > size - pos) return 0;
  pos += snapshot;
  for (int name = 0; name < kNameCount; ++name) {
    int32_t length = 0;
    if (size - pos < sizeof length) return 0;
    std::memcpy(&length, bytes + pos, sizeof length);
    pos += sizeof length;
    if (length < 0 || size_t(length) > size - pos) return 0;
    pos += size_t(length);
  }
  return size - pos >= kPortPlaceBytes ? pos : 0;
}
}  // namespace

std::vector<uint8_t> WithoutPortPlaces(const uint8_t* bytes, size_t size) {
  std::vector<uint8_t> chunk(bytes, bytes + size);
  if (const size_t at = PortPlacesAt(bytes, size)) std::fill_n(chunk.begin() + long(at), kPortPlaceBytes, 0);
  return chunk;
}

bool SameStateMeaning(const uint8_t* a, size_t aSize, const uint8_t* b, size_t bSize) {
  return WithoutPortPlaces(a, aSize) == WithoutPortPlaces(b, bSize);
}
