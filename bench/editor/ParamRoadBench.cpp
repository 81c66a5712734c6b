// One CC knob change through the whole parameter road (read-out, the four slots linked
// on one channel, the control change to the fake port) beside the fake port's bare send
// of the same message.

#include <benchmark/benchmark.h>

#include "EditorTestSupport.h"
#include "Framework/IParam.h"
#include "Kit_TimeSource.h"

namespace {

constexpr const char* kNordIn = "Nord In";

struct RoadEditor : VirtualTimeEditor {
  RoadEditor() : VirtualTimeEditor(kNordIn) {
    int out = plug->getExternalMIDIOutDevice(kNordIn);
    plug->setExternalMIDIOut(out, kNordIn);
    plug->setMidiIOSet(true);
    for (int s = 0; s < kSlotCount; ++s) {
      plug->GetParam(kPartMidiChannel + s)->Set(1);
      plug->setSlotChannel(size_t(s), 1);
    }
  }
};

void BM_KnobChangeThroughTheRoad(benchmark::State& state) {
  RoadEditor editor;
  IParam* cutoff = editor.plug->GetParam(kFilterCutoff);
  double value = 0;
  for (auto _ : state) {
    value = value == 64 ? 65 : 64;
    cutoff->Set(value);
    editor.plug->OnParamChange(kFilterCutoff);
  }
}

void BM_BareSendOfTheSameMessage(benchmark::State& state) {
  RoadEditor editor;
  IMidiMsg msg(0, 0xB0, 74, 64);
  for (auto _ : state) benchmark::DoNotOptimize(editor.plug->GetMidiPorts().SendMidiMsg(msg));
}

}  // namespace

BENCHMARK(BM_KnobChangeThroughTheRoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSendOfTheSameMessage)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
