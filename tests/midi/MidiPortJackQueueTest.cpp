// The JACK input's queue reading cycles' port buffers, driven without a server:
// every event of every cycle handed on once, in order.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "JackMidiTestBuffer.h"
#include "MidiTransport/MidiPortJackQueue.h"

namespace {
class Arrivals {
public:
  void Add(const std::vector<unsigned char>& message) {
    std::lock_guard<std::mutex> hold(lock_);
    all_.push_back(message);
    changed_.notify_all();
  }
  // Where the queue said events were dropped: {0xFF, newly, total}.
  void AddGap(uint64_t newly, uint64_t total) { Add({0xFF, uint8_t(newly), uint8_t(total)}); }
  std::vector<std::vector<unsigned char>> WaitFor(size_t count) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait_for(hold, std::chrono::seconds(30), [&] { return all_.size() >= count; });
    return all_;
  }

private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::vector<unsigned char>> all_;
};
}  // namespace

TEST(MidiPortJackQueue, EveryEventOfEveryCycleIsHandedOnOnceInOrder) {
  Arrivals arrivals;
  MidiPortJackQueue queue([&](std::vector<unsigned char>* message) { arrivals.Add(*message); },
                          [&](uint64_t newly, uint64_t total) { arrivals.AddGap(newly, total); });
  JackMidiTestBuffer buffer;
  std::vector<std::vector<unsigned char>> sent;
  for (int cycle = 0; cycle < 200; ++cycle) {
    buffer.Reset();
    // None in some cycles, up to five in others.
    for (int event = 0; event < cycle % 6; ++event) {
      const std::vector<unsigned char> message = {0x90, uint8_t(cycle & 0x7F), uint8_t(event)};
      ASSERT_EQ(jack_midi_event_write(buffer.Data(), jack_nframes_t(event), message.data(), message.size()), 0);
      sent.push_back(message);
    }
    queue.TakeCycle(buffer.Data(), jack_nframes_t(cycle) * 64);
  }
  EXPECT_EQ(arrivals.WaitFor(sent.size()), sent);
  EXPECT_EQ(queue.Dropped(), 0u);
}

// A 256-byte queue whose deliveries wait until Open: what a cycle brings fills it.
class HeldQueue {
public:
  struct Both {
    Arrivals& arrivals;
    MidiPortJackQueue& queue;
  };
  Both& Parts() { return parts_; }
  void Open() { closed_.unlock(); }

private:
  std::mutex gate_;
  std::unique_lock<std::mutex> closed_{gate_};
  Arrivals arrivals_;
  MidiPortJackQueue queue_{[this](std::vector<unsigned char>* message) {
                             std::lock_guard<std::mutex> pass(gate_);
                             arrivals_.Add(*message);
                           },
                           [this](uint64_t newly, uint64_t total) { arrivals_.AddGap(newly, total); }, 256};
  Both parts_{arrivals_, queue_};
};

// A queue too small for a cycle's events drops those that do not fit, counts them
// and says where: before the first message after them, once what came before them
// has been handed on.
TEST(MidiPortJackQueue, EventsBeyondAFullQueueAreCountedAndToldWhereTheyWere) {
  HeldQueue held;
  auto& [arrivals, queue] = held.Parts();
  JackMidiTestBuffer buffer;
  for (unsigned char n = 1; n <= 4; ++n) {
    const std::vector<unsigned char> dump(100, n);
    ASSERT_EQ(jack_midi_event_write(buffer.Data(), n, dump.data(), dump.size()), 0);
  }
  queue.TakeCycle(buffer.Data(), 0);
  EXPECT_EQ(queue.Dropped(), 2u);
  held.Open();
  const auto told = arrivals.WaitFor(3);
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[0], std::vector<unsigned char>(100, 1));
  EXPECT_EQ(told[1], std::vector<unsigned char>(100, 2));
  EXPECT_EQ(told[2], std::vector<unsigned char>({0xFF, 2, 2}));  // none came after them
  // The next event that fits comes after the gap, told again where it is.
  buffer.Reset();
  const std::vector<unsigned char> note = {0x90, 0x3C, 0x64};
  ASSERT_EQ(jack_midi_event_write(buffer.Data(), 0, note.data(), note.size()), 0);
  queue.TakeCycle(buffer.Data(), 64);
  const auto after = arrivals.WaitFor(5);
  ASSERT_EQ(after.size(), 5u);
  EXPECT_EQ(after[3], std::vector<unsigned char>({0xFF, 0, 2}));
  EXPECT_EQ(after[4], note);
}

// Dropped in the middle of a cycle: the gap is told between the messages around it.
TEST(MidiPortJackQueue, AGapInACycleIsToldBetweenTheMessagesAroundIt) {
  HeldQueue held;
  auto& [arrivals, queue] = held.Parts();
  JackMidiTestBuffer buffer;
  const std::vector<unsigned char> big(200, 0x11), small = {0x90, 0x3C, 0x64};
  ASSERT_EQ(jack_midi_event_write(buffer.Data(), 0, big.data(), big.size()), 0);
  ASSERT_EQ(jack_midi_event_write(buffer.Data(), 1, big.data(), big.size()), 0);  // does not fit
  ASSERT_EQ(jack_midi_event_write(buffer.Data(), 2, small.data(), small.size()), 0);
  queue.TakeCycle(buffer.Data(), 0);
  held.Open();
  const auto told = arrivals.WaitFor(3);
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[0], big);
  EXPECT_EQ(told[1][0], 0xFF);
  EXPECT_EQ(told[1][2], 1);
  EXPECT_EQ(told[2], small);
  EXPECT_EQ(queue.Dropped(), 1u);
}

// A cycle JACK runs a second time in its period, before the writer's next, finds
// what it read: taken once. The same events in the next period are a new delivery,
// and so are other events in the same period.
TEST(MidiPortJackQueue, ABufferReadAgainInItsPeriodIsTakenOnce) {
  Arrivals arrivals;
  MidiPortJackQueue queue([&](std::vector<unsigned char>* message) { arrivals.Add(*message); },
                          [&](uint64_t newly, uint64_t total) { arrivals.AddGap(newly, total); });
  JackMidiTestBuffer buffer;
  const std::vector<unsigned char> clock = {0xF8}, stop = {0xFC};
  ASSERT_EQ(jack_midi_event_write(buffer.Data(), 3, clock.data(), 1), 0);
  queue.TakeCycle(buffer.Data(), 640);
  queue.TakeCycle(buffer.Data(), 640);  // the same delivery
  queue.TakeCycle(buffer.Data(), 704);  // the writer's next period, the same Clock
  buffer.Reset();
  ASSERT_EQ(jack_midi_event_write(buffer.Data(), 3, stop.data(), 1), 0);
  queue.TakeCycle(buffer.Data(), 704);  // the writer ran again within the period
  // A last one: what came before it has been handed on once it comes.
  const std::vector<unsigned char> marker = {0xB0, 1, 2};
  buffer.Reset();
  ASSERT_EQ(jack_midi_event_write(buffer.Data(), 0, marker.data(), 3), 0);
  queue.TakeCycle(buffer.Data(), 768);
  EXPECT_EQ(arrivals.WaitFor(4), std::vector<std::vector<unsigned char>>({clock, clock, stop, marker}));
}

// A writer whose cycle ran twice in the period adds after what it wrote: the reader,
// running again, takes only what was added.
TEST(MidiPortJackQueue, WhatAWriterAddsInThePeriodIsTakenAloneAfterWhatWasRead) {
  Arrivals arrivals;
  MidiPortJackQueue queue([&](std::vector<unsigned char>* message) { arrivals.Add(*message); },
                          [&](uint64_t newly, uint64_t total) { arrivals.AddGap(newly, total); });
  JackMidiTestBuffer buffer;
  const std::vector<unsigned char> first = {0x90, 0x3C, 0x64}, second = {0x80, 0x3C, 0x00};
  ASSERT_EQ(jack_midi_event_write(buffer.Data(), 5, first.data(), first.size()), 0);
  queue.TakeCycle(buffer.Data(), 640);
  ASSERT_EQ(jack_midi_event_write(buffer.Data(), 9, second.data(), second.size()), 0);
  queue.TakeCycle(buffer.Data(), 640);
  queue.TakeCycle(buffer.Data(), 640);  // and once more, nothing added
  EXPECT_EQ(arrivals.WaitFor(2), std::vector<std::vector<unsigned char>>({first, second}));
}
