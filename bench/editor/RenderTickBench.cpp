// One render tick of 64 frames: idle (ports set, nothing due), and busy (64 queued
// messages falling due and four lit lights), beside the test plug-in's tick, which
// only reads the host time.

#include <benchmark/benchmark.h>

#include "AUTestPlug.h"
#include "EditorTestSupport.h"
#include "Framework/IParam.h"
#include "winemu/WinEmu_Time.h"

namespace {

constexpr int kFrames = 64;

struct TickedEditor {
  TickedEditor() {
    Tavro& t = *f.plug;
    int out = 1;
    t.setExternalMIDIOut(out, kNordMidiIn.c_str());
    t.SetSampleRate(48000.0);
    t.SetBlockSize(kFrames);
    t.Reset();
    for (int s = 0; s < kSlotCount; ++s) t.GetParam(kPartMidiChannel + s)->Set(s + 1);
    t.setMidiIOSet(true);
    tick();  // the clock loop's start and the reset's notes off are behind it
    t.tickPerformer->flush();
  }
  void tick() { f.plug->ProcessDoubleReplacing(nullptr, outputs, kFrames); }

  EditorFixture f{"", false, {}, {kNordMidiIn}};
  double* outputs[2] = {nullptr, nullptr};
};

void BM_EditorTickIdle(benchmark::State& state) {
  TickedEditor e;
  for (auto _ : state) e.tick();
}

void BM_EditorTickBusy(benchmark::State& state) {
  TickedEditor e;
  Tavro& t = *e.f.plug;
  t.setQueueMidiOutput(true);
  t.setMidiOutDelay(kFrames);
  for (auto _ : state) {
    state.PauseTiming();
    t.tickPerformer->flush();
    for (int i = 0; i < 64; ++i) {
      IMidiMsg msg(i % kFrames, 0xB0, uint8_t(i), 64);
      t.midiQueue.Add(&msg);
    }
    for (int s = 0; s < kSlotCount; ++s) {
      t.setLedLit(size_t(s), 1);
      t.setLedOnTime(size_t(s), int(GetTickCount() - 1000));
    }
    state.ResumeTiming();
    e.tick();
  }
  t.tickPerformer->flush();
}

void BM_TestPluginTick(benchmark::State& state) {
  IModuleInstanceInfo info;
  AUTestPlug plug(info);
  double* outputs[2] = {nullptr, nullptr};
  for (auto _ : state) plug.ProcessDoubleReplacing(nullptr, outputs, kFrames);
}

}  // namespace

BENCHMARK(BM_EditorTickIdle);
BENCHMARK(BM_EditorTickBusy);
BENCHMARK(BM_TestPluginTick);
BENCHMARK_MAIN();
