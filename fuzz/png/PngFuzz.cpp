// Feeds arbitrary bytes to the PNG decoder: it must return a bitmap or null, never
// crash, abort or read out of bounds. A decoded bitmap is then drawn with and scaled
// onto a small target to exercise the pixels it produced.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "rasteriser/Raster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<Raster_IBitmap> bitmap(Raster_LoadPNGFromMemory(data, size, nullptr));
  if (!bitmap) return 0;
  Raster_MemBitmap target(16, 16, 4);
  Raster_Blit(&target, bitmap.get(), 0, 0, 0, 0, bitmap->getWidth(), bitmap->getHeight(), 0.5f,
              RASTER_MODE_SOURCE_ALPHA);
  Raster_ScaledBlit(&target, bitmap.get(), 0, 0, 16, 16, 0, 0, static_cast<float>(bitmap->getWidth()),
                    static_cast<float>(bitmap->getHeight()), 1.0f, RASTER_MODE_FILTERED);
  return 0;
}
