// Raster_Blit (mode 0x10000) and Raster_ScaledBlit (0x100) against pixman's OVER and
// bilinear SRC on the same images, with the ratio printed at the end
// (pixman time / our time: above 1 means we are faster).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Raster.h"

namespace {

// Test images, straight alpha in our layout.
enum Kind { kOpaquePanel, kMixedAlpha, kKnob };

std::unique_ptr<Raster_MemBitmap> MakeImage(Kind kind, int w, int h) {
  auto bm = std::make_unique<Raster_MemBitmap>(w, h, 4);
  std::mt19937 rng(17);
  std::uniform_int_distribution<uint32_t> word;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t p = word(rng);
      if (kind == kOpaquePanel) {
        p = Raster_Pixel(255, (x * 255) / w, (y * 255) / h, (x + y) & 0xFF);
      } else if (kind == kMixedAlpha) {
        const uint32_t k = p % 3;
        if (k == 0) p |= 0xFF;
        if (k == 1) p &= ~0xFFu;
      } else {
        // Antialiased 60 x 60 discs, tiled like a knob strip: transparent corners,
        // opaque bodies, soft rims.
        const double d = std::hypot(x % 60 + 0.5 - 30.0, y % 60 + 0.5 - 30.0);
        const double cover = std::clamp(28.0 - d, 0.0, 1.0);
        p = (p & 0xFFFFFF00u) | static_cast<uint32_t>(cover * 255 + 0.5);
      }
      bm->getBits()[static_cast<size_t>(y) * bm->getRowSpan() + x] = p;
    }
  }
  return bm;
}

// The same pixels premultiplied in pixman's a8r8g8b8.
struct PixmanImage {
  std::vector<uint32_t> pixels;
  pixman_image_t* image = nullptr;
  PixmanImage(Raster_IBitmap* bm) {
    const int w = bm->getWidth(), h = bm->getHeight();
    pixels.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint32_t p = bm->getBits()[static_cast<size_t>(y) * bm->getRowSpan() + x];
        const uint32_t a = Raster_Alpha(p);
        auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
        pixels[static_cast<size_t>(y) * w + x] = a << 24 | pre(Raster_Red(p)) << 16 |
                                                 pre(Raster_Green(p)) << 8 | pre(Raster_Blue(p));
      }
    }
    image = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, pixels.data(), w * 4);
  }
  PixmanImage(int w, int h) : pixels(static_cast<size_t>(w) * h, 0xFF202020u) {
    image = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, pixels.data(), w * 4);
  }
  ~PixmanImage() { pixman_image_unref(image); }
};

constexpr int kPanelW = 1500, kPanelH = 667;

void OursBlit(benchmark::State& state, Kind kind, int w, int h) {
  auto src = MakeImage(kind, w, h);
  Raster_MemBitmap dest(kPanelW, kPanelH, 4);
  Raster_FillRect(&dest, 0, 0, kPanelW, kPanelH, Raster_Pixel(255, 32, 32, 32), 1.0f, 0);
  for (auto _ : state) {
    Raster_Blit(&dest, src.get(), 0, 0, 0, 0, w, h, 1.0f, RASTER_MODE_SOURCE_ALPHA);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}

void PixmanOver(benchmark::State& state, Kind kind, int w, int h) {
  auto src = MakeImage(kind, w, h);
  PixmanImage s(src.get()), d(kPanelW, kPanelH);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, s.image, nullptr, d.image, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}

void OursScale(benchmark::State& state, Kind kind, double scale) {
  auto src = MakeImage(kind, kPanelW, kPanelH);
  const int dw = static_cast<int>(kPanelW * scale), dh = static_cast<int>(kPanelH * scale);
  Raster_MemBitmap dest(dw, dh, 4);
  for (auto _ : state) {
    Raster_ScaledBlit(&dest, src.get(), 0, 0, dw, dh, 0, 0, kPanelW, kPanelH, 1.0f,
                      RASTER_MODE_FILTERED);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * dw * dh);
}

void PixmanScale(benchmark::State& state, Kind kind, double scale) {
  auto src = MakeImage(kind, kPanelW, kPanelH);
  const int dw = static_cast<int>(kPanelW * scale), dh = static_cast<int>(kPanelH * scale);
  PixmanImage s(src.get()), d(dw, dh);
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform, pixman_double_to_fixed(kPanelW / static_cast<double>(dw)),
                              pixman_double_to_fixed(kPanelH / static_cast<double>(dh)));
  pixman_image_set_transform(s.image, &transform);
  pixman_image_set_filter(s.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(s.image, PIXMAN_REPEAT_PAD);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, s.image, nullptr, d.image, 0, 0, 0, 0, 0, 0, dw, dh);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * dw * dh);
}

// What a frame of the librarian costs: 100 lines of 20 glyphs (no pixman twin).
void OursText(benchmark::State& state) {
  Raster_SysBitmap dest(kPanelW, kPanelH);
  Raster_CachedFont font;
  font.SetFromHFont(CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "NK57 Monospace"),
                    RASTER_FONT_OWNS_HANDLE | RASTER_FONT_NATIVE);
  font.SetTextColor(Raster_Pixel(255, 220, 220, 220));
  for (auto _ : state) {
    for (int line = 0; line < 100; ++line) {
      RECT r{10 + (line % 2) * 700, 10 + (line / 2) * 12, 700 + (line % 2) * 700, 22 + (line / 2) * 12};
      font.DrawText(&dest, "042 Warm Pad Strings", -1, &r, RASTER_DT_VCENTER | RASTER_DT_NOCLIP);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2000);
}

// A knob frame turned and drawn as the panel does each frame (no pixman twin).
void OursRotatedKnob(benchmark::State& state) {
  auto src = MakeImage(kKnob, 60, 60);
  Raster_MemBitmap dest(kPanelW, kPanelH, 4);
  float angle = 0;
  for (auto _ : state) {
    Raster_RotatedBlit(&dest, src.get(), 100, 100, 60, 60, 0, 0, 60, 60, angle, false, 1.0f,
                       RASTER_MODE_FILTERED | RASTER_MODE_SOURCE_ALPHA, 0, 0);
    angle += 0.01f;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 3600);
}

// Pairs of (ours, pixman) benchmark names whose ratio is printed.
std::vector<std::pair<std::string, std::string>> g_pairs;

void Pair(const std::string& name, void (*ours)(benchmark::State&, Kind, int, int),
          void (*theirs)(benchmark::State&, Kind, int, int), Kind kind, int w, int h) {
  benchmark::RegisterBenchmark(("ours/" + name).c_str(), ours, kind, w, h)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("pixman/" + name).c_str(), theirs, kind, w, h)->Unit(benchmark::kMicrosecond);
  g_pairs.push_back({"ours/" + name, "pixman/" + name});
}

void PairScale(const std::string& name, Kind kind, double scale) {
  benchmark::RegisterBenchmark(("ours/" + name).c_str(), OursScale, kind, scale)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("pixman/" + name).c_str(), PixmanScale, kind, scale)->Unit(benchmark::kMicrosecond);
  g_pairs.push_back({"ours/" + name, "pixman/" + name});
}

// Console output plus the time per iteration of each run, for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // The median of repetitions when there are several, else the single run.
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (median || (run.run_type == Run::RT_Iteration && !medians_.count(run.run_name.str()))) {
        if (median) medians_.insert(run.run_name.str());
        times_[run.run_name.str()] = run.GetAdjustedRealTime() / 1e6;  // microseconds to seconds
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\nratio pixman time / our time (above 1: ours faster)\n");
    for (const auto& pair : g_pairs) {
      const auto ours = times_.find(pair.first), theirs = times_.find(pair.second);
      if (ours == times_.end() || theirs == times_.end()) continue;
      std::printf("  %-40s %.2f  (ours %.1f us, pixman %.1f us)\n", pair.first.c_str() + 5,
                  theirs->second / ours->second, ours->second * 1e6, theirs->second * 1e6);
    }
  }

private:
  std::map<std::string, double> times_;
  std::set<std::string> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  Pair("blit_0x10000_panel_1500x667_opaque", OursBlit, PixmanOver, kOpaquePanel, kPanelW, kPanelH);
  Pair("blit_0x10000_1500x667_random_alpha", OursBlit, PixmanOver, kMixedAlpha, kPanelW, kPanelH);
  Pair("blit_0x10000_knob_60x60", OursBlit, PixmanOver, kKnob, 60, 60);
  PairScale("scale_0x100_panel_0.75", kOpaquePanel, 0.75);
  PairScale("scale_0x100_panel_1.25", kOpaquePanel, 1.25);
  PairScale("scale_0x100_knob_strip_0.75", kKnob, 0.75);
  PairScale("scale_0x100_random_alpha_0.75", kMixedAlpha, 0.75);
  benchmark::RegisterBenchmark("ours/text_2000_glyphs", OursText)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("ours/rotated_knob_60x60", OursRotatedKnob)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
