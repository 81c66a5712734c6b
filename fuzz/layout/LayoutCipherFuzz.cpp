// Raw resource bytes, as a damaged or foreign bundle would hold them: deciphered,
// parsed and walked. The first byte picks which resource they stand for.
#include "ResourceSurface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::vector<unsigned char> bytes(data + 1, data + size);
  if (data[0] & 1)
    ReadPanel(&bytes, nullptr);
  else
    ReadPanel(nullptr, &bytes);
  return 0;
}
