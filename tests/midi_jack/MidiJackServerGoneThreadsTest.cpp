// The JACK server dies under the editor's ports (killed, as a crash would end
// it): sends are refused, what was queued is counted lost, choosing "OFF"
// returns at once; with the server and the unit back, choosing the unit again
// reopens it. Runs its own private server, which it kills and starts again.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "Framework/IMidiMsg.h"
#include "Framework/IMidiPorts.h"
#include "JackTestServer.h"
#include "MidiTransport/MidiPortSystem.h"
#include "SynthSimPorts.h"
#include "WaitUntil.h"

namespace {
using Clock = std::chrono::steady_clock;

class IgnoringSink : public IMidiPortsSink {
public:
  void MidiFromDevice(IMidiMsg*) override {}
  void SysExFromDevice(ISysEx*) override {}
};

// Long periods: what is sent just before the kill is still queued.
constexpr int kLongPeriodFrames = 4096;
}  // namespace

TEST(MidiJackServerGone, SendsAreRefusedTheQueueCountsLostAndClosingReturnsAtOnce) {
  JackTestServer server;
  ASSERT_TRUE(server.Start(kLongPeriodFrames)) << "jackd (jackd2) must be installed";
  auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  SynthSimThreadScheduler scheduler;
  auto synth = std::make_unique<SynthSimPorts>(*transports, scheduler, SynthSimSettings{}, "Gone Sim");
  ASSERT_TRUE(synth->Open());
  const std::string unitIn = synth->MidiInName(), unitOut = synth->MidiOutName();
  IgnoringSink sink;
  auto ports = std::make_unique<IMidiPorts>(&sink, transports);
  ports->getExternalMIDIInNames();
  ports->getExternalMIDIOutNames();
  int in = 1, out = 1;
  ASSERT_GT(ports->setExternalMIDIIn(in, unitOut.c_str()), 0);
  ASSERT_GT(ports->setExternalMIDIOut(out, unitIn.c_str()), 0);

  const uint64_t lostBefore = ports->LostOutputMessages();
  const uint64_t besideBefore = ports->LostOutputMessagesBesideRealTime();
  EXPECT_FALSE(ports->SystemGone());
  size_t accepted = 0;
  for (uint8_t i = 0; i < 20; ++i) accepted += ports->SendMidiSysex2({0xF0, 0x7D, i, 0xF7}) ? 1 : 0;
  ASSERT_GT(accepted, 0u);
  server.Kill();

  EXPECT_TRUE(WaitUntil([&] { return !ports->SendMidiSysex2({0xF8}); }));
  EXPECT_FALSE(ports->SendMidiMsg(IMidiMsg(0, 0xB0, 1, 1)));
  EXPECT_TRUE(ports->OutputSettled());
  const uint64_t lost = ports->LostOutputMessages() - lostBefore;
  EXPECT_GT(lost, 0u) << "killed in the period the messages were queued in";
  // The SysEx lost count beside the Clocks too (a Clock above may have been taken
  // before the server was seen gone, and lost).
  const uint64_t sysExLost = ports->LostOutputMessagesBesideRealTime() - besideBefore;
  EXPECT_LE(sysExLost, lost);
  EXPECT_GE(sysExLost + synth->Sim().ReceivedCount(), accepted);
  EXPECT_TRUE(ports->SystemGone()) << "the panel is told, to show the ports closed";
  // A message counted lost may have reached the unit before the end; none is
  // neither counted nor arrived.
  EXPECT_GE(lost + synth->Sim().ReceivedCount(), accepted);

  // A smoke bound: real time on a loaded machine, measured around the two closes.
  const auto start = Clock::now();
  int off = 0;
  EXPECT_EQ(ports->setExternalMIDIOut(off, IMidiPorts::kOffName), 0);
  EXPECT_EQ(ports->setExternalMIDIIn(off = 0, IMidiPorts::kOffName), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
  ports->FinishClosingInputs();

  // The server comes back, and so does the unit under its old names.
  synth.reset();
  ASSERT_TRUE(server.Start(kLongPeriodFrames));
  synth = std::make_unique<SynthSimPorts>(*transports, scheduler, SynthSimSettings{}, "Gone Sim");
  ASSERT_TRUE(synth->Open());
  out = 1;
  ASSERT_GT(ports->setExternalMIDIOut(out, unitIn.c_str()), 0);
  EXPECT_TRUE(ports->SendMidiSysex2({0xFC}));
  EXPECT_TRUE(WaitUntil([&] { return synth->Sim().ReceivedCount() >= 1; }));
  EXPECT_EQ(synth->Sim().Received(), std::vector<std::vector<unsigned char>>({{0xFC}}));
  EXPECT_FALSE(ports->SystemGone());

  ports.reset();
  synth.reset();
  server.Stop();
}
