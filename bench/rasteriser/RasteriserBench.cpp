// Raster_Blit (mode 0x10000) and Raster_ScaledBlit (0x100) against pixman's OVER and
// bilinear SRC on the same images, with the ratio printed at the end (pixman time /
// our time: above 1 means we are faster). Before timing, both sides' images are
// compared; no figures when they differ by more than rounding.
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

#include "rasteriser/Raster.h"
#include "rasteriser/Raster_Sample.h"

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
        pixels[static_cast<size_t>(y) * w + x] =
            a << 24 | pre(Raster_Red(p)) << 16 | pre(Raster_Green(p)) << 8 | pre(Raster_Blue(p));
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

// One piece of work done by both sides on the same pixels: ours() and theirs() run
// it once; the results stay in `oursResult` (straight alpha) and `theirsResult`
// (premultiplied).
struct Job {
  virtual ~Job() = default;
  virtual void ours() = 0;
  virtual void theirs() = 0;
  virtual long pixels() const = 0;
  // Whether both sides work from the same source positions at this pixel.
  virtual bool samePlace(int x, int y) const { return true; }
  Raster_MemBitmap* oursResult = nullptr;
  PixmanImage* theirsResult = nullptr;
  // How far ours minus theirs may go per channel: rounding only.
  int lowest = -1, highest = 1;
};

// Mode 0x10000 onto an opaque panel against pixman's OVER, which works on colours
// premultiplied and rounded to bytes: one level apart either way.
struct BlitJob : Job {
  BlitJob(Kind kind, int w, int h)
      : w(w), h(h), src(MakeImage(kind, w, h)), dest(kPanelW, kPanelH, 4), s(src.get()), d(kPanelW, kPanelH) {
    Raster_FillRect(&dest, 0, 0, kPanelW, kPanelH, Raster_Pixel(255, 32, 32, 32), 1.0f, 0);
    oursResult = &dest;
    theirsResult = &d;
  }
  void ours() override { Raster_Blit(&dest, src.get(), 0, 0, 0, 0, w, h, 1.0f, RASTER_MODE_SOURCE_ALPHA); }
  void theirs() override {
    pixman_image_composite32(PIXMAN_OP_OVER, s.image, nullptr, d.image, 0, 0, 0, 0, 0, 0, w, h);
  }
  long pixels() const override { return static_cast<long>(w) * h; }
  bool samePlace(int x, int y) const override { return x < w && y < h; }
  int w, h;
  std::unique_ptr<Raster_MemBitmap> src;
  Raster_MemBitmap dest;
  PixmanImage s, d;
};

// A source position in 16.16: its whole pixel and 7-bit fraction.
std::pair<int64_t, uint32_t> Place(int64_t fixed) { return {Raster_FixedFloor(fixed), Raster_FixedFrac(fixed)}; }

// Where each side samples along an axis of n destination pixels: we place each
// pixel centre, pixman steps in 16.16 from the first.
std::vector<bool> SamePlaces(int n, double scale) {
  const pixman_fixed_t step = pixman_double_to_fixed(scale);
  const pixman_fixed_48_16_t first =
      ((static_cast<pixman_fixed_48_16_t>(step) * (pixman_fixed_1 / 2) + 0x8000) >> 16) - pixman_fixed_1 / 2;
  std::vector<bool> same(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    same[static_cast<size_t>(i)] =
        Place(Raster_ToFixed((i + 0.5) * scale - 0.5)) == Place(first + static_cast<int64_t>(i) * step);
  }
  return same;
}

// The whole panel scaled as the bitmap cache does (mode 0x100) against pixman's
// bilinear SRC with the same size ratio. Where both sample the same positions they
// differ only as pixman truncates the bilinear sums where we round them.
struct ScaleJob : Job {
  ScaleJob(Kind kind, double scale)
      : src(MakeImage(kind, kPanelW, kPanelH)),
        dw(static_cast<int>(kPanelW * scale)),
        dh(static_cast<int>(kPanelH * scale)),
        dest(dw, dh, 4),
        s(src.get()),
        d(dw, dh),
        sameX(SamePlaces(dw, kPanelW / static_cast<double>(dw))),
        sameY(SamePlaces(dh, kPanelH / static_cast<double>(dh))) {
    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_double_to_fixed(kPanelW / static_cast<double>(dw)),
                                pixman_double_to_fixed(kPanelH / static_cast<double>(dh)));
    pixman_image_set_transform(s.image, &transform);
    pixman_image_set_filter(s.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(s.image, PIXMAN_REPEAT_PAD);
    oursResult = &dest;
    theirsResult = &d;
    lowest = 0;
  }
  bool samePlace(int x, int y) const override { return sameX[static_cast<size_t>(x)] && sameY[static_cast<size_t>(y)]; }
  void ours() override {
    Raster_ScaledBlit(&dest, src.get(), 0, 0, dw, dh, 0, 0, kPanelW, kPanelH, 1.0f, RASTER_MODE_FILTERED);
  }
  void theirs() override {
    pixman_image_composite32(PIXMAN_OP_SRC, s.image, nullptr, d.image, 0, 0, 0, 0, 0, 0, dw, dh);
  }
  long pixels() const override { return static_cast<long>(dw) * dh; }
  std::unique_ptr<Raster_MemBitmap> src;
  int dw, dh;
  Raster_MemBitmap dest;
  PixmanImage s, d;
  std::vector<bool> sameX, sameY;
};

void RunOurs(benchmark::State& state, Job* job) {
  for (auto _ : state) {
    job->ours();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * job->pixels());
}

void RunTheirs(benchmark::State& state, Job* job) {
  for (auto _ : state) {
    job->theirs();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * job->pixels());
}

// Both sides once, then their results compared where the formats agree (pixels
// opaque in both, where straight and premultiplied are the same) and both sample
// the same source positions.
bool SameImage(const std::string& name, Job* job) {
  job->ours();
  job->theirs();
  Raster_MemBitmap* ours = job->oursResult;
  const std::vector<uint32_t>& theirs = job->theirsResult->pixels;
  long compared = 0, apart = 0;
  for (int y = 0; y < ours->getHeight(); ++y) {
    for (int x = 0; x < ours->getWidth(); ++x) {
      const uint32_t o = ours->getBits()[static_cast<size_t>(y) * ours->getRowSpan() + x];
      const uint32_t t = theirs[static_cast<size_t>(y) * ours->getWidth() + x];
      if (Raster_Alpha(o) != 255 || t >> 24 != 255 || !job->samePlace(x, y)) continue;
      ++compared;
      const int differences[3] = {static_cast<int>(Raster_Red(o)) - static_cast<int>(t >> 16 & 0xFF),
                                  static_cast<int>(Raster_Green(o)) - static_cast<int>(t >> 8 & 0xFF),
                                  static_cast<int>(Raster_Blue(o)) - static_cast<int>(t & 0xFF)};
      for (int difference : differences) apart += difference < job->lowest || difference > job->highest;
    }
  }
  std::printf("check %-38s %8ld pixels compared, %ld channels apart by more than rounding\n", name.c_str(), compared,
              apart);
  return compared > 0 && apart == 0;
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

// Pairs of (ours, pixman) benchmark names whose ratio is printed, and their jobs.
std::vector<std::pair<std::string, std::string>> g_pairs;
std::vector<std::pair<std::string, std::unique_ptr<Job>>> g_jobs;

void Pair(const std::string& name, std::unique_ptr<Job> job) {
  benchmark::RegisterBenchmark(("ours/" + name).c_str(), RunOurs, job.get())->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("pixman/" + name).c_str(), RunTheirs, job.get())->Unit(benchmark::kMicrosecond);
  g_pairs.push_back({"ours/" + name, "pixman/" + name});
  g_jobs.emplace_back(name, std::move(job));
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
  Pair("blit_0x10000_panel_1500x667_opaque", std::make_unique<BlitJob>(kOpaquePanel, kPanelW, kPanelH));
  Pair("blit_0x10000_1500x667_random_alpha", std::make_unique<BlitJob>(kMixedAlpha, kPanelW, kPanelH));
  Pair("blit_0x10000_knob_60x60", std::make_unique<BlitJob>(kKnob, 60, 60));
  Pair("scale_0x100_panel_0.75", std::make_unique<ScaleJob>(kOpaquePanel, 0.75));
  Pair("scale_0x100_panel_1.25", std::make_unique<ScaleJob>(kOpaquePanel, 1.25));
  Pair("scale_0x100_knob_strip_0.75", std::make_unique<ScaleJob>(kKnob, 0.75));
  Pair("scale_0x100_random_alpha_0.75", std::make_unique<ScaleJob>(kMixedAlpha, 0.75));
  benchmark::RegisterBenchmark("ours/text_2000_glyphs", OursText)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("ours/rotated_knob_60x60", OursRotatedKnob)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  bool same = true;
  for (const auto& job : g_jobs) same = SameImage(job.first, job.second.get()) && same;
  if (!same) {
    std::printf("the two sides compute different images: no figures\n");
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
