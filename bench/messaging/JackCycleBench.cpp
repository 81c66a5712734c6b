// What reading one JACK cycle's MIDI port buffer costs on jack-process: our input's
// queue (every event copied into the ring and handed to midi-in) against a bare
// client's loop that only looks at each event, for the buffers a cycle finds most
// often. No server: the buffers are the bench's own.

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

#include "JackMidiTestBuffer.h"
#include "MidiTransport/MidiPortJackQueue.h"

namespace {

// 0: empty; 1: one Clock; 2: one 139-byte dump; 3: 32 notes.
void Fill(JackMidiTestBuffer& buffer, int64_t kind) {
  buffer.Reset();
  std::vector<unsigned char> dump(139, 0x11);
  dump.front() = 0xF0;
  dump.back() = 0xF7;
  const std::vector<unsigned char> clock = {0xF8}, note = {0x90, 0x3C, 0x64};
  if (kind == 1) jack_midi_event_write(buffer.Data(), 0, clock.data(), clock.size());
  if (kind == 2) jack_midi_event_write(buffer.Data(), 5, dump.data(), dump.size());
  for (jack_nframes_t i = 0; kind == 3 && i < 32; ++i)
    jack_midi_event_write(buffer.Data(), i, note.data(), note.size());
}

void BM_BareRead(benchmark::State& state) {
  JackMidiTestBuffer buffer;
  Fill(buffer, state.range(0));
  unsigned sum = 0;
  for (auto _ : state) {
    const uint32_t count = jack_midi_get_event_count(buffer.Data());
    for (uint32_t i = 0; i < count; ++i) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer.Data(), i) == 0) sum += event.buffer[event.size - 1];
    }
    benchmark::DoNotOptimize(sum);
  }
}

// A new delivery each time (the next period), as almost every cycle is; midi-in
// empties the queue between cycles, as it does between periods.
void BM_TakeCycle(benchmark::State& state) {
  JackMidiTestBuffer buffer;
  Fill(buffer, state.range(0));
  const uint64_t perCycle = jack_midi_get_event_count(buffer.Data());
  std::atomic<uint64_t> delivered{0};
  MidiPortJackQueue queue([&](std::vector<unsigned char>*) { delivered.fetch_add(1); }, [](uint64_t, uint64_t) {});
  jack_nframes_t start = 0;
  uint64_t taken = 0;
  for (auto _ : state) {
    queue.TakeCycle(buffer.Data(), start += 64);
    state.PauseTiming();
    taken += perCycle;
    while (delivered.load() < taken) std::this_thread::yield();
    state.ResumeTiming();
  }
  state.counters["dropped"] = double(queue.Dropped());
}

// The same delivery read again in its period.
void BM_TakeCycleAgain(benchmark::State& state) {
  JackMidiTestBuffer buffer;
  Fill(buffer, state.range(0));
  MidiPortJackQueue queue([](std::vector<unsigned char>* message) { benchmark::DoNotOptimize(message->data()); },
                          [](uint64_t, uint64_t) {});
  for (auto _ : state) queue.TakeCycle(buffer.Data(), 64);
}

}  // namespace

BENCHMARK(BM_BareRead)->DenseRange(0, 3);
BENCHMARK(BM_TakeCycle)->DenseRange(0, 3);
BENCHMARK(BM_TakeCycleAgain)->DenseRange(0, 3);
BENCHMARK_MAIN();
