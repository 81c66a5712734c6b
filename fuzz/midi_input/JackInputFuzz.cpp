// JACK cycles of arbitrary events through the JACK input's queue and SysEx joiner, as
// other clients' buffers reach it. The first byte: the queue's room (small rooms drop
// events) and whether every cycle is a new period. Then cycles: one byte (bit 7: the
// same period as the last cycle; low bits: its event count), each event a length byte
// and that many bytes. With every cycle a new period, every event is handed on or
// counted dropped, in order.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "JackMidiTestBuffer.h"
#include "MidiTransport/MidiPortJackQueue.h"
#include "MidiTransport/MidiPortSysExAssembler.h"

namespace {
using Bytes = std::vector<unsigned char>;

// Whether `got` is `fed` with some of it left out, the rest in order.
bool InOrderFrom(const std::vector<Bytes>& got, const std::vector<Bytes>& fed) {
  size_t f = 0;
  for (const Bytes& message : got) {
    while (f < fed.size() && fed[f] != message) ++f;
    if (f == fed.size()) return false;
    ++f;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t room = size_t(64) << (data[0] & 0x0F);
  const bool everyCycleNew = (data[0] & 0x80) != 0;
  std::mutex lock;
  std::vector<Bytes> got;
  std::atomic<size_t> gotCount{0};
  MidiPortSysExAssembler assembler;
  std::vector<Bytes> fed;
  {
    MidiPortJackQueue queue(
        [&](Bytes* message) {
          {
            std::lock_guard<std::mutex> hold(lock);
            got.push_back(*message);
          }
          gotCount.fetch_add(1);
          assembler.Feed(message, [](Bytes* whole) {
            if (whole->empty()) std::abort();
          });
        },
        [&](uint64_t newly, uint64_t total) {
          if (newly > total) std::abort();
          assembler.Interrupt();
        },
        room);
    JackMidiTestBuffer buffer;
    jack_nframes_t start = 0;
    size_t at = 1;
    while (at < size) {
      const uint8_t head = data[at++];
      if (everyCycleNew || !(head & 0x80)) start += 64;
      buffer.Reset();
      for (int e = 0; e < (head & 0x0F) && at < size; ++e) {
        const size_t length = data[at++];
        const size_t n = std::min(length, size - at);
        if (n > 0 && jack_midi_event_write(buffer.Data(), jack_nframes_t(e), data + at, n) == 0)
          fed.emplace_back(data + at, data + at + n);
        at += n;
      }
      queue.TakeCycle(buffer.Data(), start);
    }
    if (everyCycleNew) {
      const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (gotCount.load() + queue.Dropped() < fed.size()) {
        if (std::chrono::steady_clock::now() > giveUp) std::abort();
        std::this_thread::yield();
      }
      if (gotCount.load() + queue.Dropped() != fed.size()) std::abort();
    }
  }
  if (!InOrderFrom(got, fed)) std::abort();
  return 0;
}
