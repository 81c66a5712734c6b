// Fonts made and drawn from several threads at once, as plug-in instances on
// different threads load their panels: results match a single-threaded run.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
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

// A fresh font shared by threads that each draw letters no other thread draws: every
// first draw adds glyphs to the one cache at the same moment as the others.
TEST(FontThreads, AFreshSharedFontFillsItsGlyphCacheFromManyThreadsAtOnce) {
  constexpr int kThreads = 6;
  const auto fresh = [] {
    auto font = std::make_unique<Raster_CachedFont>();
    font->SetFromHFont(CreateFont(13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "DejaVu Sans"), RASTER_FONT_OWNS_HANDLE);
    font->SetTextColor(0xFFFFFFFFu);
    return font;
  };
  const auto draw = [](Raster_CachedFont* font, const std::string& text) {
    Raster_MemBitmap bm(400, 30);
    RECT r{0, 0, 400, 30};
    font->DrawText(&bm, text.c_str(), -1, &r, RASTER_DT_VCENTER);
    return std::vector<uint32_t>(bm.getBits(), bm.getBits() + 400 * 30);
  };
  std::vector<std::string> texts(kThreads);
  std::vector<std::vector<uint32_t>> expected;
  for (int t = 0; t < kThreads; ++t) {
    for (int c = 0x21 + t; c < 0x7F; c += kThreads) texts[t] += char(c);
    expected.push_back(draw(fresh().get(), texts[t]));
  }
  std::vector<int> mismatches(kThreads, 0);
  for (int round = 0; round < 20; ++round) {
    const auto shared = fresh();
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        ++ready;
        while (ready.load() < kThreads) std::this_thread::yield();
        if (draw(shared.get(), texts[t]) != expected[size_t(t)]) ++mismatches[t];
      });
    }
    for (auto& thread : threads) thread.join();
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << texts[t];
}

}  // namespace
