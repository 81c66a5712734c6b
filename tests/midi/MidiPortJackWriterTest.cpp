// The JACK output's writing of each cycle, driven without a server: cycles that
// come after missed periods, bursts larger than a period's buffer.
#include <gtest/gtest.h>

#include <map>

#include "JackMidiTestBuffer.h"
#include "MidiTransport/MidiPortJackWriter.h"

namespace {
constexpr jack_nframes_t kPeriod = 64;

// A numbered message that shows on its own which it is.
std::vector<unsigned char> Numbered(int n) { return {0xF0, 0x7D, uint8_t(n >> 7), uint8_t(n & 0x7F), 0xF7}; }
int NumberOf(const std::vector<unsigned char>& m) { return m.size() == 5 ? m[2] << 7 | m[3] : -1; }
}  // namespace

// Periods missed now and then, as under a loaded machine's xruns: every message
// goes out once, in order, in the first cycle after its period, however many
// periods the cycles skipped before it.
TEST(MidiPortJackWriter, CyclesAfterMissedPeriodsWriteEverythingDueOnceInOrder) {
  MidiPortJackWriter writer;
  JackMidiTestBuffer buffer;
  std::map<int, jack_nframes_t> sentAt;
  std::vector<int> written;
  jack_nframes_t period = 100;  // the period the sender sends in, by the server's frame time
  jack_nframes_t lastStart = 0;
  int next = 0;
  const auto sendThroughAPeriod = [&] {
    for (jack_nframes_t frame = 5; frame < kPeriod; frame += kPeriod / 3) {
      ASSERT_TRUE(writer.Queue(period * kPeriod + frame, Numbered(next)));
      sentAt[next++] = period * kPeriod + frame;
    }
    ++period;
  };
  for (int cycle = 0; cycle < 400; ++cycle) {
    sendThroughAPeriod();
    // Now and then up to six periods pass with no cycle of ours, the sender going on.
    for (int missed = 0; cycle % 10 == 3 && missed < cycle % 7; ++missed) sendThroughAPeriod();
    const jack_nframes_t start = period * kPeriod;
    writer.WriteCycle(buffer.Data(), kPeriod, start);
    for (const auto& event : buffer.Events()) {
      const int n = NumberOf(event.second);
      ASSERT_GE(n, 0);
      EXPECT_LT(int32_t(sentAt[n] - start), 0) << n << " went out before its period";
      EXPECT_GE(int32_t(sentAt[n] - lastStart), 0) << n << " waited for a later cycle than the first after it";
      written.push_back(n);
    }
    lastStart = start;
  }
  ASSERT_EQ(written.size(), size_t(next));
  for (int n = 0; n < next; ++n) ASSERT_EQ(written[size_t(n)], n) << "once each, in the order sent";
  EXPECT_TRUE(writer.AllSettled());
  EXPECT_EQ(writer.Lost(false), 0u);
}

// Each message keeps its place in the period: a period after its send.
TEST(MidiPortJackWriter, AMessageGoesOutAPeriodAfterItsSendAtTheSameFrame) {
  MidiPortJackWriter writer;
  JackMidiTestBuffer buffer;
  ASSERT_TRUE(writer.Queue(6410, {0xF8}));
  ASSERT_TRUE(writer.Queue(6450, {0xF8}));
  writer.WriteCycle(buffer.Data(), kPeriod, 6400);
  EXPECT_TRUE(buffer.Events().empty()) << "sent during this period: due in the next";
  writer.WriteCycle(buffer.Data(), kPeriod, 6464);
  const auto events = buffer.Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].first, 10u);
  EXPECT_EQ(events[1].first, 50u);
}

// Dumps beyond what a period's buffer holds go in the cycles after, none lost and
// in order; one larger than a whole buffer could never go and is counted lost.
TEST(MidiPortJackWriter, ABurstLargerThanABufferSpreadsOverCyclesAndTooLargeCountsLost) {
  MidiPortJackWriter writer;
  JackMidiTestBuffer buffer;
  std::vector<unsigned char> dump(765, 0x11);
  dump.front() = 0xF0;
  dump.back() = 0xF7;
  const std::vector<unsigned char> stop = {0xFC};
  jack_nframes_t start = kPeriod;
  size_t dumps = 0, cycles = 0, stops = 0;
  const auto writeUntilSettled = [&] {
    for (size_t more = 0; !writer.AllSettled() && more < 20; start += kPeriod, ++cycles, ++more) {
      writer.WriteCycle(buffer.Data(), kPeriod, start);
      for (const auto& event : buffer.Events()) {
        EXPECT_EQ(stops, 0u) << "the Stop came before what was sent ahead of it";
        dumps += event.second == dump;
        stops += event.second == stop;
      }
    }
  };
  for (int i = 0; i < 60; ++i) ASSERT_TRUE(writer.Queue(0, dump));
  ASSERT_TRUE(writer.Queue(0, stop));
  writeUntilSettled();
  EXPECT_GT(cycles, 1u) << "all in one buffer: the burst was not larger than one";
  EXPECT_EQ(dumps, 60u);
  EXPECT_EQ(stops, 1u);
  EXPECT_EQ(writer.Lost(false), 0u);
  ASSERT_TRUE(writer.Queue(start, std::vector<unsigned char>(1 << 15, 0x22)));
  start += kPeriod;
  writeUntilSettled();
  EXPECT_EQ(writer.Lost(false), 1u);
  EXPECT_EQ(writer.LostBesideRealTime(false), 1u);
}

// The port closed: what waits settles as lost, real-time messages counted apart;
// once no cycle will run, what was never settled counts lost too.
TEST(MidiPortJackWriter, WhatWaitsWhenThePortClosesCountsLost) {
  MidiPortJackWriter writer;
  ASSERT_TRUE(writer.Queue(0, {0xF8}));
  ASSERT_TRUE(writer.Queue(0, {0xB0, 1, 2}));
  EXPECT_FALSE(writer.AllSettled());
  EXPECT_EQ(writer.Lost(true), 2u) << "no cycle will run again";
  EXPECT_EQ(writer.LostBesideRealTime(true), 1u);
  writer.DropQueued();
  EXPECT_TRUE(writer.AllSettled());
  EXPECT_TRUE(writer.Empty());
  EXPECT_EQ(writer.Lost(false), 2u);
  EXPECT_EQ(writer.LostBesideRealTime(false), 1u);
}

// A cycle that comes late runs just before the period's own, both in the same period:
// the second keeps what the first wrote (a reader may not have read it yet) and adds
// what fell due since after it.
TEST(MidiPortJackWriter, ASecondCycleInThePeriodKeepsWhatTheFirstWrote) {
  MidiPortJackWriter writer;
  JackMidiTestBuffer buffer;
  const jack_nframes_t start = 100 * kPeriod;
  ASSERT_TRUE(writer.Queue(start - kPeriod + 10, Numbered(1)));
  writer.WriteCycle(buffer.Data(), kPeriod, start);
  ASSERT_TRUE(writer.Queue(start - 2, Numbered(2)));
  writer.WriteCycle(buffer.Data(), kPeriod, start);
  std::vector<int> numbers;
  for (const auto& event : buffer.Events()) numbers.push_back(NumberOf(event.second));
  EXPECT_EQ(numbers, std::vector<int>({1, 2}));
  // The next period's cycle starts afresh.
  writer.WriteCycle(buffer.Data(), kPeriod, start + kPeriod);
  EXPECT_TRUE(buffer.Events().empty());
  EXPECT_TRUE(writer.AllSettled());
  EXPECT_EQ(writer.Lost(false), 0u);
}
