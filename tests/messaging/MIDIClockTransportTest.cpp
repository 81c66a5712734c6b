// Start and Stop on the host transport's edges, run as the render tick runs them.

#include <gtest/gtest.h>

#include "RecordingClockLink.h"
#include "messaging/MIDIClockOutput.h"

namespace {

struct Tick {
  bool running;
  bool queueMidiOutput;
  bool pointer;  // kSendMIDIClockPointer at that tick
};

// Runs the ticks and, for the job an edge asks for, the job itself; the bytes sent.
std::vector<uint8_t> RunTicks(const std::vector<Tick>& ticks) {
  RecordingClockLink link;
  MIDIClockOutput output(link);
  ClockTransportState state;
  for (const Tick& t : ticks) {
    link.clockPointer = t.pointer;
    switch (FollowTransport(t.running, t.queueMidiOutput, state)) {
      case ClockTransportJob::kStart: output.startMIDIClockOutput(); break;
      case ClockTransportJob::kStop: output.stopMIDIClockOutput(); break;
      case ClockTransportJob::kNone: break;
    }
  }
  std::vector<uint8_t> bytes;
  for (const RecordingClockLink::Sent& s : link.SentBytes()) bytes.push_back(s.byte);
  return bytes;
}

TEST(MIDIClockTransport, StartAndStopOncePerEdge) {
  constexpr Tick kRun{true, false, true}, kHalt{false, false, true};
  constexpr Tick kRunQueued{true, true, true}, kHaltQueued{false, true, true};
  constexpr Tick kRunNoPointer{true, false, false}, kHaltNoPointer{false, false, false};
  struct Case {
    const char* what;
    std::vector<Tick> ticks;
    std::vector<uint8_t> sent;
  };
  const Case cases[] = {
      {"edges", {kHalt, kRun, kRun, kRun, kHalt, kHalt, kRun, kHalt}, {kMidiStart, kMidiStop, kMidiStart, kMidiStop}},
      {"pointer off", {kRunNoPointer, kRunNoPointer, kHaltNoPointer, kHaltNoPointer}, {}},
      {"queued output", {kRunQueued, kHaltQueued, kRunQueued, kHaltQueued}, {}},
      {"queued at the start: no Stop owed", {kRunQueued, kHalt, kRun, kHalt}, {kMidiStart, kMidiStop}},
      {"queued at the stop: the Stop waits for the next", {kRun, kHaltQueued, kRun, kHalt}, {kMidiStart, kMidiStop}},
      {"pointer on only at the stop", {kRunNoPointer, kHalt}, {kMidiStop}},
  };
  for (const Case& c : cases) EXPECT_EQ(RunTicks(c.ticks), c.sent) << c.what;
}

}  // namespace
