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
  MidiPortJackQueue queue([&](std::vector<unsigned char>* message) { arrivals.Add(*message); });
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

// A queue too small for a cycle's events drops those that do not fit and counts them.
TEST(MidiPortJackQueue, EventsBeyondAFullQueueAreCountedDropped) {
  std::mutex gate;
  std::unique_lock<std::mutex> closed(gate);  // delivery waits: the queue fills
  Arrivals arrivals;
  MidiPortJackQueue queue(
      [&](std::vector<unsigned char>* message) {
        std::lock_guard<std::mutex> pass(gate);
        arrivals.Add(*message);
      },
      256);
  JackMidiTestBuffer buffer;
  const std::vector<unsigned char> dump(100, 0x44);
  for (int event = 0; event < 4; ++event) {
    ASSERT_EQ(jack_midi_event_write(buffer.Data(), jack_nframes_t(event), dump.data(), dump.size()), 0);
  }
  queue.TakeCycle(buffer.Data(), 0);
  EXPECT_EQ(queue.Dropped(), 2u);
  closed.unlock();
  EXPECT_EQ(arrivals.WaitFor(2).size(), 2u);
}

// A cycle JACK runs a second time in its period, before the writer's next, finds
// what it read: taken once. The same events in the next period are a new delivery,
// and so are other events in the same period.
TEST(MidiPortJackQueue, ABufferReadAgainInItsPeriodIsTakenOnce) {
  Arrivals arrivals;
  MidiPortJackQueue queue([&](std::vector<unsigned char>* message) { arrivals.Add(*message); });
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
