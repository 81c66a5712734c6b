// Fonts made and drawn from several threads at once, as plug-in instances on
// different threads load their panels: results match a single-threaded run.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "rasteriser/Raster.h"

namespace {

std::vector<uint32_t> DrawSample(Raster_CachedFont* font, const char* text) {
  Raster_MemBitmap bm(120, 30);
  font->SetTextColor(0xFFFFFFFFu);
  RECT r{0, 0, 120, 30};
  font->DrawText(&bm, text, -1, &r, RASTER_DT_CENTER | RASTER_DT_VCENTER);
  return std::vector<uint32_t>(bm.getBits(), bm.getBits() + 120 * 30);
}

TEST(FontThreads, ConcurrentCreationAndDrawingGiveTheSamePixels) {
  Raster_CachedFont shared;
  shared.SetFromHFont(CreateFont(14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "Consolas"), RASTER_FONT_OWNS_HANDLE);
  const std::vector<uint32_t> expected = DrawSample(&shared, "Patch 042");
  std::vector<int> mismatches(6, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 30; ++i) {
        // Each thread makes its own fonts too, while others draw with the shared one.
        Raster_CachedFont own;
        own.SetFromHFont(CreateFont(12 + (i % 5), 0, 0, 0, (t & 1) ? 700 : 400, 0, 0, 0, 0, 0, 0, 4, 0, "DejaVu Sans"),
                         RASTER_FONT_OWNS_HANDLE);
        DrawSample(&own, "Bank A");
        Raster_MemBitmap bm(120, 30);
        RECT r{0, 0, 120, 30};
        // The shared font's colour is set once; concurrent draws only read it.
        shared.DrawText(&bm, "Patch 042", -1, &r, RASTER_DT_CENTER | RASTER_DT_VCENTER);
        if (std::vector<uint32_t>(bm.getBits(), bm.getBits() + 120 * 30) != expected) ++mismatches[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 6; ++t) EXPECT_EQ(mismatches[t], 0) << t;
}

}  // namespace
