// Opening the editor (every start-up stage on the built bundle's authored panel, its
// view attached to a headless window and the full panel drawn, fake ports) beside
// deciphering and parsing its layout alone; and a full redraw of the real panel, and
// the redraw after one knob move, beside a memcpy of its frame buffer.
//   Open arguments: panel size (0 "normal" 1.0, 1 "large" 1.25), bank files in the
//   patch folder. Later opens in one process: the warm figure (editor_open_bench
//   gives the cold one).

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <vector>

#include "Framework/ControlLayer.h"
#include "Framework/IControlKnobs.h"
#include "OpenedEditor.h"

namespace {

const char* SizeName(int64_t large) { return large ? "large" : "normal"; }

void BM_OpenEditor(benchmark::State& state) {
  TempDataRoot data;
  WriteBenchDataFolder(data, SizeName(state.range(0)), int(state.range(1)));
  for (auto _ : state) {
    auto editor = std::make_unique<OpenedEditor>();
    state.PauseTiming();
    editor.reset();
    state.ResumeTiming();
  }
}

void BM_ParseAuthoredLayout(benchmark::State& state) {
  const AuthoredLayout layout;
  for (auto _ : state) benchmark::DoNotOptimize(layout.Parse());
}

// Second argument: 1 through the composed backdrop, 0 every control blended in order
// (the drawing before the backdrop).
void BM_RealPanelFullRedraw(benchmark::State& state) {
  TempDataRoot data;
  WriteBenchDataFolder(data, SizeName(state.range(0)), 0);
  OpenedEditor editor;
  editor.plug->graphics->SetComposedBackdrop(state.range(1) != 0);
  for (auto _ : state) {
    editor.RedrawAll();
    benchmark::DoNotOptimize(editor.window.FrameBuffer().Row(0));
  }
  state.counters["pixels"] = double(editor.window.Width()) * editor.window.Height();
}

// The first knob the shown page draws (a layer's, in drawing order).
IControl* FirstShownKnob(IGraphics* graphics) {
  IControl* knob = nullptr;
  for (int i = 0; i < graphics->NLayers() && !knob; ++i)
    graphics->GetLayer(i)->VisitDrawn([&](IControl* c) {
      if (!knob && dynamic_cast<IKnobControl*>(c)) knob = c;
    });
  return knob;
}

// One knob turned (its value from the plug-in, as a host's automation or the
// synthesizer sends it) and the window's timer tick that repaints it.
void BM_RealPanelKnobRedraw(benchmark::State& state) {
  TempDataRoot data;
  WriteBenchDataFolder(data, SizeName(state.range(0)), 0);
  OpenedEditor editor;
  editor.plug->graphics->SetComposedBackdrop(state.range(1) != 0);
  IControl* knob = FirstShownKnob(editor.plug->graphics);
  if (!knob) {
    state.SkipWithError("no knob shown");
    return;
  }
  editor.window.Tick();
  double value = 0.25;
  for (auto _ : state) {
    value = value == 0.25 ? 0.75 : 0.25;
    knob->SetValueFromPlug(value);
    editor.window.Tick();
    benchmark::DoNotOptimize(editor.window.FrameBuffer().Row(0));
  }
  const IRECT& r = knob->GetRECT();
  state.counters["pixels"] = double(r.W()) * r.H();
}

// The copy the redraw is held against: the real panel's frame buffer, same size.
void BM_RealFrameBufferMemcpy(benchmark::State& state) {
  TempDataRoot data;
  WriteBenchDataFolder(data, SizeName(state.range(0)), 0);
  size_t pixels = 0;
  {
    OpenedEditor editor;
    pixels = size_t(editor.window.Width()) * size_t(editor.window.Height());
  }
  std::vector<uint32_t> from(pixels, 0x80402010u), to(pixels);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), pixels * sizeof(uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.counters["pixels"] = double(pixels);
}

}  // namespace

BENCHMARK(BM_OpenEditor)->Args({0, 0})->Args({1, 0})->Args({0, 1000})->Args({1, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAuthoredLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RealPanelFullRedraw)->Args({1, 1})->Args({1, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealPanelKnobRedraw)->Args({1, 1})->Args({1, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealFrameBufferMemcpy)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
