// Redraw cost of the large panel (scale 1.25: 1875 x 833) beside a plain
// memcpy of its frame buffer.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "Framework/IControlBitmaps.h"
#include "Framework/IControlKnobs.h"
#include "Framework/IControlText.h"
#include "PanelTestSupport.h"

namespace {
constexpr int kWidth = 1875;
constexpr int kHeight = 833;
constexpr int kKnobs = 300;
constexpr int kTextLines = 40;
constexpr int kKnobSize = 50;  // 40 at scale 1, loaded at 1.25
constexpr int kKnobFrames = 64;

// Background, 300 knobs in a grid and 40 text read-outs, like the editor's panel.
struct LargePanel {
  LargePanel() : f(kWidth, kHeight, 64) {
    HeadlessSurface* s = f.surface;
    s->images["bg"] = [] { return MakeStrip(kWidth * 4 / 5, kHeight * 4 / 5, 1); };
    s->images["knob"] = [] { return MakeStrip(40, 40, kKnobFrames); };
    s->AttachBackground(8001, "bg", 1.25);
    IBitmap strip = s->LoadIBitmap(8002, "knob", 1.25, kKnobFrames);
    for (int i = 0; i < kKnobs; ++i) {
      const int x = 10 + (i % 30) * 60, y = 10 + (i / 30) * 60;
      knobs.push_back(new IKnobMultiControl(f.plug.get(), x, y, i % 64, &strip));
      s->AttachControl(knobs.back());
    }
    IText style(15, COLOR_WHITE, "NK57 Monospace");
    for (int i = 0; i < kTextLines; ++i) {
      const int x = (i % 4) * 460 + 10, y = 620 + (i / 4) * 20;
      s->AttachControl(
          new ITextControl(f.plug.get(), IRECT(x, y, x + 440, y + 18), &style, "Performance 12: Strings & Pad [A]"));
    }
    s->DrawAll();  // fonts cached, everything clean
  }
  PanelFixture f;
  std::vector<IKnobMultiControl*> knobs;
};

void BM_FullRedraw(benchmark::State& state) {
  LargePanel panel;
  IRECT all(0, 0, kWidth, kHeight);
  for (auto _ : state) {
    panel.f.surface->Draw(&all);
    benchmark::DoNotOptimize(panel.f.surface->GetBits());
  }
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);

void BM_OneKnobStrictRedraw(benchmark::State& state) {
  LargePanel panel;
  IKnobMultiControl* knob = panel.knobs[137];
  int step = 0;
  for (auto _ : state) {
    knob->SetValueFromPlug((++step % kKnobFrames) / double(kKnobFrames - 1));
    IRECT r;
    panel.f.surface->IsDirty(&r);
    panel.f.surface->Draw(&r);
    benchmark::DoNotOptimize(panel.f.surface->GetBits());
  }
}
BENCHMARK(BM_OneKnobStrictRedraw)->Unit(benchmark::kMicrosecond);

void BM_FrameBufferMemcpy(benchmark::State& state) {
  std::vector<uint32_t> from(size_t(kWidth) * kHeight, 0x80402010u), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameBufferMemcpy)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
